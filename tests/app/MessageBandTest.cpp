// The message band in the real window: its text is readable against its own
// background whatever the window's style sheet says (pixels, at the scale
// the run is at: 1 here, 2 as MessageBandTest@2x), it lies over the
// spectrum without moving a control, and it shows, raises and drops
// messages as their conditions come and go.
#include "app/MainWindow.h"
#include "controls/MessageBand.h"

#include <QAccessible>
#include <QApplication>
#include <QBackingStore>
#include <QHash>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "Contrast.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

const QString kDiskFull = QStringLiteral(
    "Recording /home/user/take.aac stopped: cannot write the file: No space left on device");

class MessageBandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        band = window.findChild<MessageBand*>();
        ASSERT_NE(band, nullptr);
    }

    // `widget`'s pixels as the window's backing store holds them (the
    // offscreen platform's store is a raster image in device pixels).
    QImage shown(const QWidget* widget)
    {
        window.repaint();
        QPaintDevice* device = window.backingStore()->paintDevice();
        if (device->devType() != QInternal::Image)
            return {};
        const QImage& store = *static_cast<QImage*>(device);
        const qreal ratio = store.devicePixelRatio();
        const QRect logical(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        const QRect pixels(QPoint(qRound(logical.x() * ratio), qRound(logical.y() * ratio)),
                           QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio)));
        return store.copy(pixels).convertToFormat(QImage::Format_RGB32);
    }

    MainWindow window;
    MessageBand* band = nullptr;
};

// The colour most of the area has: the background under the text.
QRgb commonest(const QImage& image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    return std::max_element(counts.begin(), counts.end(), [](int a, int b) { return a < b; }).key();
}

// How many pixels stand out from the background by at least 4.5 : 1.
int readablePixels(const QImage& image, QRgb background)
{
    int readable = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            readable += contrast(image.pixel(x, y), background) >= 4.5;
    return readable;
}

TEST_F(MessageBandTest, TextAndCloseButtonAreReadableAgainstTheBandInsideTheWindow)
{
    band->announce(QStringLiteral("transport"), kDiskFull, std::chrono::seconds(5));
    ASSERT_TRUE(band->isVisible());
    EXPECT_TRUE(window.rect().contains(QRect(band->mapTo(&window, QPoint(0, 0)), band->size())))
        << "the band lies inside the window";

    const qreal ratio = window.devicePixelRatio();
    auto* text = band->findChild<QLabel*>();
    auto* close = band->findChild<QToolButton*>();
    ASSERT_NE(text, nullptr);
    ASSERT_NE(close, nullptr);

    const QImage textPixels = shown(text);
    ASSERT_FALSE(textPixels.isNull());
    const QRgb background = commonest(textPixels);
    // Glyph strokes, not a stray edge: dozens of pixels per character.
    EXPECT_GT(readablePixels(textPixels, background), int(double(kDiskFull.size()) * 10 * ratio * ratio))
        << "background " << qPrintable(QColor(background).name());
    EXPECT_EQ(background, QColor(MessageBand::kBackground).rgb() | 0xff000000u)
        << "the band's own background, not the window's";

    const QImage closePixels = shown(close);
    EXPECT_GT(readablePixels(closePixels, commonest(closePixels)), int(10 * ratio * ratio));
}

TEST_F(MessageBandTest, RaisesNewTextsAsAlertsAndKeepsConditionsWhileTheyLast)
{
    QSignalSpy raised(band, &MessageBand::raised);
    EXPECT_TRUE(band->isHidden());

    band->setCondition(QStringLiteral("device"), QStringLiteral("The device is not answering."));
    EXPECT_TRUE(band->isVisible());
    band->setCondition(QStringLiteral("device"), QStringLiteral("The device is not answering."));
    EXPECT_EQ(raised.size(), 1) << "a lasting condition is raised once";

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(band);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::AlertMessage);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("The device is not answering."));
    EXPECT_FALSE(accessible->state().invisible);

    // A failure comes on top of the condition, and a second identical
    // failure is raised again: it happened again.
    band->announce(QStringLiteral("transport"), kDiskFull, std::chrono::milliseconds(0));
    band->announce(QStringLiteral("transport"), kDiskFull, std::chrono::milliseconds(0));
    EXPECT_EQ(raised.size(), 3);
    EXPECT_EQ(band->text(), QStringLiteral("The device is not answering.\n") + kDiskFull);
    EXPECT_EQ(accessible->text(QAccessible::Name), band->text());

    // Dismissed, the same condition stays away; a changed one comes back
    // alone.
    QTest::mouseClick(band->findChild<QToolButton*>(), Qt::LeftButton);
    EXPECT_TRUE(band->isHidden());
    band->setCondition(QStringLiteral("device"), QStringLiteral("The device is not answering."));
    EXPECT_TRUE(band->isHidden());
    band->setCondition(QStringLiteral("device"), QStringLiteral("The device refuses settings."));
    EXPECT_EQ(band->text(), QStringLiteral("The device refuses settings."));
    EXPECT_EQ(raised.size(), 4);

    band->setCondition(QStringLiteral("device"), QString());
    EXPECT_TRUE(band->isHidden());
    EXPECT_TRUE(accessible->state().invisible);
}

TEST_F(MessageBandTest, AFailureThatEndsAtOnceStaysItsTimeToBeRead)
{
    band->announce(QStringLiteral("transport"), kDiskFull, std::chrono::milliseconds(300));
    band->clear(QStringLiteral("transport"));
    EXPECT_EQ(band->text(), kDiskFull) << "cleared at once, it still shows";
    EXPECT_TRUE(QTest::qWaitFor([&] { return band->isHidden(); }, 10000));

    // Dismissing does not wait for the time to pass.
    band->announce(QStringLiteral("transport"), kDiskFull, std::chrono::minutes(1));
    band->clear(QStringLiteral("transport"));
    band->dismiss();
    EXPECT_TRUE(band->isHidden());
    band->setCondition(QStringLiteral("device"), QStringLiteral("The device is not answering."));
    EXPECT_EQ(band->text(), QStringLiteral("The device is not answering.")) << "the ended failure is gone";
}

// Where every widget but the band's own sits in the window, and the
// window's sizes, once pending layouts are done.
struct WindowLayout {
    std::vector<std::string> widgets; // "name x,y width×height"
    QSize size;
    QSize minimumSize;
    QSize minimumSizeHint;
};

WindowLayout layoutOf(QWidget& window, const MessageBand* band)
{
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    WindowLayout layout{{}, window.size(), window.minimumSize(), window.minimumSizeHint()};
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget == band || band->isAncestorOf(widget))
            continue;
        const QPoint at = widget->mapTo(&window, QPoint(0, 0));
        layout.widgets.push_back(QStringLiteral("%1 %2,%3 %4×%5")
                                     .arg(widget->objectName())
                                     .arg(at.x())
                                     .arg(at.y())
                                     .arg(widget->width())
                                     .arg(widget->height())
                                     .toStdString());
    }
    return layout;
}

void expectSameLayout(const WindowLayout& now, const WindowLayout& before, const char* when)
{
    EXPECT_EQ(now.size, before.size) << when;
    EXPECT_EQ(now.minimumSize, before.minimumSize) << when;
    EXPECT_EQ(now.minimumSizeHint, before.minimumSizeHint) << when;
    ASSERT_EQ(now.widgets.size(), before.widgets.size()) << when;
    for (std::size_t i = 0; i < now.widgets.size(); ++i)
        EXPECT_EQ(now.widgets[i], before.widgets[i]) << when;
}

// Messages coming and going move no control and leave the window's size
// alone; the band lies over the spectrum, on nothing that takes input, with
// room for its whole text.
TEST_F(MessageBandTest, MessagesComingAndGoingMoveNoControlAndCoverNone)
{
    const WindowLayout before = layoutOf(window, band);
    band->setCondition(QStringLiteral("device"), QStringLiteral("The device is not answering."));
    band->announce(QStringLiteral("transport"), kDiskFull, std::chrono::seconds(5));
    ASSERT_TRUE(band->isVisible());
    expectSameLayout(layoutOf(window, band), before, "shown");

    const QRect bandArea(band->mapTo(&window, QPoint(0, 0)), band->size());
    const QWidget* spectrum = window.findChild<QWidget*>(QStringLiteral("SpectrumView"));
    ASSERT_NE(spectrum, nullptr);
    EXPECT_TRUE(QRect(spectrum->mapTo(&window, QPoint(0, 0)), spectrum->size()).contains(bandArea));
    EXPECT_GE(band->height(), band->heightForWidth(band->width())) << "the two lines fit";
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisible() || band->isAncestorOf(widget))
            continue;
        EXPECT_FALSE(bandArea.intersects(QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size())))
            << qPrintable(widget->objectName());
    }

    band->dismiss();
    ASSERT_TRUE(band->isHidden());
    expectSameLayout(layoutOf(window, band), before, "hidden");
}

} // namespace
