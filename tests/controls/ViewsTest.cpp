#include "Pointer.h"

#include "LogCapture.h"
#include "controls/BackgroundView.h"
#include "controls/Button.h"
#include "controls/CheckButton.h"
#include "controls/ImageView.h"
#include "controls/NamedImage.h"
#include "controls/RootView.h"
#include "controls/SpkMicSliderAction.h"
#include "controls/VSlider.h"
#include "ui_DesignerControls.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

int directBackgrounds(const QWidget& window)
{
    return static_cast<int>(window.findChildren<BackgroundView*>(QString(), Qt::FindDirectChildrenOnly).size());
}

} // namespace

TEST(NamedImage, LooksUpByNameOnceAndMeasuresItself)
{
    const NamedImage play = NamedImage::named(QStringLiteral("playEnable"));
    ASSERT_FALSE(play.isNull());
    EXPECT_EQ(play.size(), QSizeF(44, 44));
    EXPECT_EQ(play, NamedImage::named(QStringLiteral("playEnable")));
    EXPECT_FALSE(play.pixmap(2.0).isNull());
    EXPECT_EQ(play.pixmap(2.0).size(), QSize(88, 88));

    // Bar images rise from 1 to 8.
    for (int level = 1; level < 8; ++level) {
        for (const char* row : {"up", "down"}) {
            const NamedImage lower = NamedImage::named(QStringLiteral("%1%2").arg(QLatin1String(row)).arg(level));
            const NamedImage higher = NamedImage::named(QStringLiteral("%1%2").arg(QLatin1String(row)).arg(level + 1));
            EXPECT_LT(lower.height(), higher.height()) << row << level;
        }
    }
}

TEST(NamedImage, MissingNameIsANullImageLoggedOnce)
{
    LogCapture log;
    const NamedImage missing = NamedImage::named(QStringLiteral("noSuchImage"));
    NamedImage::named(QStringLiteral("noSuchImage"));
    EXPECT_TRUE(missing.isNull());
    EXPECT_EQ(missing.size(), QSizeF(0, 0));
    EXPECT_TRUE(missing.pixmap().isNull());
    EXPECT_EQ(log.count(QStringLiteral("noSuchImage")), 1);

    QImage image = canvas(10, 10);
    QPainter painter(&image);
    missing.draw(painter, QRectF(0, 0, 10, 10));
    painter.end();
    EXPECT_EQ(image.pixel(5, 5), qRgba(0, 0, 0, 0));
}

TEST(NamedImage, DrawStretchesToTheWholeTarget)
{
    // The body pieces are stretched along the bar; a 6 x 8 piece drawn into
    // 60 x 4 must reach both ends.
    const NamedImage middle = NamedImage::named(QStringLiteral("vMiddleEnable"));
    QImage image = canvas(60, 4);
    QPainter painter(&image);
    middle.draw(painter, QRectF(0, 0, 60, 4));
    painter.end();
    EXPECT_GT(qAlpha(image.pixel(1, 2)), 200);
    EXPECT_GT(qAlpha(image.pixel(58, 2)), 200);
}

TEST(NamedImage, RendersAtTheDevicePixelRatioOfWhatItPaintsOn)
{
    // A widget rendered into a 2x image must come out at 2x detail, not as
    // a 1x picture blown up into 2 x 2 blocks.
    Button button;
    button.setTag(1);
    button.awakeFromNib();
    button.resize(44, 44);
    for (int pass = 0; pass < 2; ++pass) { // the second pass draws from the rendered copy
        QImage image(88, 88, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        int finer = 0;
        for (int y = 0; y < 88; ++y)
            for (int x = 0; x < 88; x += 2)
                finer += image.pixel(x, y) != image.pixel(x + 1, y);
        EXPECT_GT(finer, 50) << "pass " << pass;
    }
}

TEST(Rendering, ControlsAreDrawnFromTheirVectorsAt100150And200Percent)
{
    // What the screen gets at each scale is the skin's drawing made at that
    // many device pixels, never a smaller picture stretched.
    Button button;
    button.setTag(1);
    button.awakeFromNib();
    button.resize(button.sizeHint());
    QSvgRenderer svg(QStringLiteral(":/images/playEnable.svg"));
    ASSERT_TRUE(svg.isValid());
    for (qreal ratio : {1.0, 1.5, 2.0}) {
        const QSize pixels = (QSizeF(button.size()) * ratio).toSize();
        QImage shown(pixels, QImage::Format_ARGB32_Premultiplied);
        shown.setDevicePixelRatio(ratio);
        shown.fill(Qt::transparent);
        button.render(&shown, QPoint(), QRegion(), QWidget::DrawChildren);
        QImage drawn(pixels, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
        painter.end();
        drawn.setDevicePixelRatio(ratio);
        EXPECT_EQ(shown, drawn) << ratio;
    }
}

TEST(Rendering, EnabledButtonPaintsItsImage)
{
    Button button;
    button.setTag(2);
    button.awakeFromNib();
    button.resize(button.sizeHint());
    const QImage shown = button.grab().toImage();
    const QImage expected = button.enableImage().pixmap(shown.devicePixelRatio()).toImage();
    ASSERT_EQ(shown.size(), expected.size());
    // The record dot in the middle is painted, and matches the image.
    const QPoint centre(shown.width() / 2, shown.height() / 2);
    EXPECT_GT(qAlpha(shown.pixel(centre)), 200);
    EXPECT_EQ(shown.pixel(centre), expected.convertToFormat(shown.format()).pixel(centre));

    Button none;
    none.setTag(5);
    none.awakeFromNib();
    none.resize(44, 44);
    QImage blank = canvas(44, 44);
    none.render(&blank, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(blank.pixel(22, 22), qRgba(0, 0, 0, 0));
}

TEST(Rendering, ButtonDisabledFromCodeLooksDimmedUntilItShowsItsDisabledImage)
{
    Button button;
    button.setTag(2);
    button.awakeFromNib();
    button.resize(button.sizeHint());
    const QPoint centre(button.width() / 2, button.height() / 2);
    const QRgb enabled = button.grab().toImage().pixel(centre);

    // The image stays the enable image, as the controller only disables it.
    button.setEnabled(false);
    ASSERT_TRUE(button.image() == button.enableImage());
    const QRgb dimmed = button.grab().toImage().pixel(centre);
    EXPECT_NE(dimmed, enabled);

    // Its own disabled image is drawn as it is.
    pointerExits(&button);
    ASSERT_TRUE(button.image() == button.disableImage());
    const QImage shown = button.grab().toImage();
    const QImage expected = button.disableImage().pixmap(shown.devicePixelRatio()).toImage();
    EXPECT_EQ(shown.pixel(centre), expected.convertToFormat(shown.format()).pixel(centre));
}

TEST(WindowViews, RootViewPutsAStretchedBackgroundUnderTheWindow)
{
    QWidget window;
    auto* label = new QWidget(&window);
    label->setGeometry(10, 10, 20, 20);
    auto* root = new RootView(&window);
    root->setGeometry(0, 0, 50, 50);
    window.resize(200, 120);
    window.show();
    ASSERT_EQ(directBackgrounds(window), 1);
    auto* background = window.findChild<BackgroundView*>(QString(), Qt::FindDirectChildrenOnly);
    EXPECT_EQ(window.children().indexOf(background), 0) << "beneath every other child";
    EXPECT_EQ(background->geometry(), window.rect());

    window.resize(320, 240);
    EXPECT_EQ(background->geometry(), QRect(0, 0, 320, 240));
    const QImage painted = window.grab().toImage();
    EXPECT_GT(qAlpha(painted.pixel(painted.width() - 2, painted.height() - 2)), 0);
    QImage image = canvas(320, 240);
    background->render(&image);
    EXPECT_GT(qAlpha(image.pixel(300, 230)), 200);

    // Hiding and showing again adds nothing; a second window gets its own.
    window.hide();
    window.show();
    EXPECT_EQ(directBackgrounds(window), 1);
    QWidget second;
    second.resize(100, 100);
    root->setParent(&second);
    second.show();
    EXPECT_EQ(directBackgrounds(second), 1);
    EXPECT_EQ(directBackgrounds(window), 1);

    // Out of any window there is nothing to dress.
    root->setParent(nullptr);
    EXPECT_EQ(directBackgrounds(*root), 0);
    delete root;
}

TEST(WindowViews, ImageViewPlacesItsImageByAlignment)
{
    ImageView view;
    view.setImageName(QStringLiteral("up3"));
    view.resize(20, 60);
    view.setImageAlignment(Qt::AlignBottom | Qt::AlignHCenter);
    EXPECT_DOUBLE_EQ(view.imageRect().bottom(), 60);
    EXPECT_EQ(view.imageRect().size(), view.image().size());
    view.setImageAlignment(Qt::AlignTop | Qt::AlignHCenter);
    EXPECT_DOUBLE_EQ(view.imageRect().top(), 0);
    view.setStretch(true);
    EXPECT_EQ(view.imageRect(), QRectF(0, 0, 20, 60));
    view.setImageName(QString());
    EXPECT_TRUE(view.image().isNull());
}

TEST(Designer, PropertiesSetInTheUiFileReachTheControls)
{
    QWidget form;
    Ui::DesignerControls ui;
    ui.setupUi(&form);
    EXPECT_EQ(ui.pauseButton->tag(), 3);
    EXPECT_EQ(ui.Denoise->role(), CheckButton::Denoise);
    EXPECT_EQ(ui.Monitor->role(), CheckButton::Monitor);
    EXPECT_NE(dynamic_cast<VSlider*>(ui.Stage1->cell()), nullptr);
    EXPECT_EQ(dynamic_cast<VSlider*>(ui.Spk->cell()), nullptr);

    ui.pauseButton->awakeFromNib();
    EXPECT_EQ(ui.pauseButton->enableImage().name(), QStringLiteral("pauseEnable"));
    form.show();
    EXPECT_EQ(directBackgrounds(form), 1);
}
