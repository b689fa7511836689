// The preset selector on the offscreen platform: its look (the skin's
// field, the modified dot, the focus ring), its keys, its list, and what
// the accessibility bridge reads and calls.
#include "controls/NamedImage.h"
#include "controls/PresetSelector.h"

#include <QAccessible>
#include <QApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QStringList kNames{QStringLiteral("Flat"), QStringLiteral("Voice"), QStringLiteral("Podcast"),
                         QStringLiteral("Music")};

// The selector after a plain button, in a window of its own.
struct Window {
    QWidget window;
    QPushButton* before = new QPushButton(QStringLiteral("before"), &window);
    PresetSelector* selector = new PresetSelector(&window);

    Window()
    {
        auto* layout = new QHBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(selector);
        selector->setPresets(kNames);
        selector->setActive(QStringLiteral("Voice"), false);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // The control's own painting, without the window's background under it.
    QImage look() const
    {
        QImage image(selector->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        selector->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        return image;
    }
    void tabIn()
    {
        before->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(before, Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), selector);
    }
};

QColor at(const QImage& image, QPointF point)
{
    return image.pixelColor(point.toPoint());
}

} // namespace

TEST(PresetSelectorLook, TheFieldIsTheSkinsImageAtItsOwnSize)
{
    Window w;
    EXPECT_EQ(w.selector->size(), NamedImage::named(QStringLiteral("presetEnable")).size().toSize());
    // The chevron's area holds no text: it is the image alone.
    QImage expected(w.selector->size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    {
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::Antialiasing);
        NamedImage::named(QStringLiteral("presetEnable")).draw(painter, QRectF(w.selector->rect()));
    }
    const QImage shown = w.look();
    const QRect chevron(w.selector->width() - 26, 0, 26, w.selector->height());
    EXPECT_EQ(shown.copy(chevron), expected.copy(chevron));
    EXPECT_NE(shown, expected) << "the preset's name is written over the field";

    w.selector->setEnabled(false);
    EXPECT_NE(w.look().copy(chevron), expected.copy(chevron)) << "disabled, the field is the disabled image";
}

TEST(PresetSelectorLook, TheModifiedDotShowsOnlyWhileTheSoundDiffers)
{
    Window w;
    const QImage clean = w.look();
    const QSizeF dot = NamedImage::named(QStringLiteral("presetModified")).size();
    // Just left of the chevron's room, centred.
    const QPointF centre(w.selector->width() - 28 - dot.width() / 2, w.selector->height() / 2.0);
    w.selector->setActive(QStringLiteral("Voice"), true);
    const QImage marked = w.look();
    EXPECT_EQ(at(marked, centre), QColor(0x34, 0xd1, 0xbf)) << "the accent dot";
    EXPECT_NE(at(clean, centre), at(marked, centre));
    w.selector->setActive(QStringLiteral("Voice"), false);
    EXPECT_EQ(w.look(), clean);
    // With no preset there is nothing to be modified.
    w.selector->setActive(QString(), true);
    EXPECT_NE(at(w.look(), centre), QColor(0x34, 0xd1, 0xbf));
}

TEST(PresetSelectorLook, TheFocusRingIsTheSkinsRingOverTheFieldAndOnlyForKeyboardFocus)
{
    Window w;
    QImage expected = w.look();
    {
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::Antialiasing);
        NamedImage::named(QStringLiteral("focusRingPreset")).draw(painter, QRectF(w.selector->rect()));
    }
    const QImage unfocused = w.look();
    w.tabIn();
    EXPECT_EQ(w.look(), expected);

    // A click focuses it (and opens the list) but brings up no ring.
    w.before->setFocus(Qt::OtherFocusReason);
    QTest::mouseClick(w.selector, Qt::LeftButton, {}, QPoint(20, 10));
    ASSERT_TRUE(w.selector->openList());
    w.selector->openList()->close();
    ASSERT_TRUE(w.selector->hasFocus());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w.selector, &leave);
    EXPECT_EQ(w.look(), unfocused);
}

TEST(PresetSelectorKeys, ArrowsChooseNeighboursAndTheListChoosesAnyWithoutApplyingByItself)
{
    Window w;
    w.tabIn();
    QSignalSpy chosen(w.selector, &PresetSelector::presetChosen);
    QTest::keyClick(w.selector, Qt::Key_Down);
    QTest::keyClick(w.selector, Qt::Key_Up);
    QTest::keyClick(w.selector, Qt::Key_End);
    QTest::keyClick(w.selector, Qt::Key_Home);
    const QStringList expected{QStringLiteral("Podcast"), QStringLiteral("Flat"), QStringLiteral("Music"),
                               QStringLiteral("Flat")};
    QStringList names;
    for (const QList<QVariant>& args : chosen)
        names << args.first().toString();
    EXPECT_EQ(names, expected);
    EXPECT_EQ(w.selector->active(), QStringLiteral("Voice")) << "the owner applies, then sets the active one";

    // At the ends the arrows choose nothing.
    chosen.clear();
    w.selector->setActive(QStringLiteral("Music"), false);
    QTest::keyClick(w.selector, Qt::Key_Down);
    EXPECT_TRUE(chosen.isEmpty());

    // Space opens the list at the active preset; Up and Enter there choose.
    QTest::keyClick(w.selector, Qt::Key_Space);
    QMenu* list = w.selector->openList();
    ASSERT_TRUE(list);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    ASSERT_TRUE(list->activeAction());
    EXPECT_EQ(list->activeAction()->text(), QStringLiteral("Music"));
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !chosen.isEmpty(); }, 5000));
    EXPECT_EQ(chosen.first().first().toString(), QStringLiteral("Podcast"));

    // Disabled, it takes no keys and opens nothing.
    chosen.clear();
    w.selector->setEnabled(false);
    QTest::keyClick(w.selector, Qt::Key_Up);
    w.selector->showList();
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_FALSE(w.selector->openList());
}

TEST(PresetSelectorAccessibility, AComboBoxNamedPresetWhoseValueIsTheActivePresetAndWhosePressOpensTheList)
{
    Window w;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w.selector);
    ASSERT_TRUE(iface);
    EXPECT_EQ(iface->role(), QAccessible::ComboBox);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Preset"));
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("Voice"));
    w.selector->setActive(QStringLiteral("Voice"), true);
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("Voice, modified"));
    w.selector->setActive(QString(), false);
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("No preset"));
    w.selector->setAccessibleName(QStringLiteral("Sound preset"));
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Sound preset"));

    ASSERT_TRUE(iface->actionInterface());
    const QString showMenu = QAccessibleActionInterface::showMenuAction();
    ASSERT_TRUE(iface->actionInterface()->actionNames().contains(showMenu));
    iface->actionInterface()->doAction(showMenu);
    EXPECT_TRUE(w.selector->openList());
}
