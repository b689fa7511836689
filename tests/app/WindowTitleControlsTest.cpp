// The panel's own title controls, for a Wayland desktop that draws no title
// bars under a Qt that would load EGL to draw its own: who draws the title
// bar, where a press resizes, and the controls in the real window (they sit
// in the top row without moving any other control, read clearly, and
// minimise and close it).
#include "app/MainWindow.h"
#include "app/WaylandDecorations.h"
#include "app/WindowTitleControls.h"

#include <QBackingStore>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "Contrast.h"

namespace {

TEST(WindowTitleControls, TheCompositorsTitleBarFirstThenThePanelsWhereQtWouldLoadEglForItsOwn)
{
    struct Case {
        bool environmentChose;
        CompositorTitleBars compositor;
        bool qtLoadsEglToAsk;
        TitleBar expected;
    };
    const Case cases[] = {
        {true, CompositorTitleBars::NotDrawn, true, TitleBar::Qt},
        {true, CompositorTitleBars::Drawn, false, TitleBar::Qt},
        {false, CompositorTitleBars::Drawn, true, TitleBar::Compositor},
        {false, CompositorTitleBars::Drawn, false, TitleBar::Compositor},
        {false, CompositorTitleBars::NotDrawn, true, TitleBar::Panel},
        {false, CompositorTitleBars::NotDrawn, false, TitleBar::Qt},
        {false, CompositorTitleBars::Unknown, true, TitleBar::Qt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chooseTitleBar(c.environmentChose, c.compositor, c.qtLoadsEglToAsk), c.expected)
            << "environment " << c.environmentChose << ", compositor " << int(c.compositor) << ", EGL "
            << c.qtLoadsEglToAsk;
    }
}

TEST(WindowTitleControls, APressWithinSixPixelsOfAnEdgeResizesFromThatEdgeOrCorner)
{
    const QSize window(400, 300);
    const struct {
        QPoint at;
        Qt::Edges edges;
    } cases[] = {
        {{0, 0}, Qt::TopEdge | Qt::LeftEdge},
        {{399, 299}, Qt::BottomEdge | Qt::RightEdge},
        {{5, 150}, Qt::LeftEdge},
        {{6, 150}, {}},
        {{394, 150}, Qt::RightEdge},
        {{393, 150}, {}},
        {{200, 3}, Qt::TopEdge},
        {{200, 296}, Qt::BottomEdge},
        {{398, 1}, Qt::TopEdge | Qt::RightEdge},
        {{200, 150}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowTitleControls::edgesAt(window, c.at), c.edges) << c.at.x() << "," << c.at.y();
}

class TitleControlsInTheWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        plain.show();
        window.addTitleControls();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        minimise = window.findChild<QPushButton*>(QStringLiteral("TitleMinimiseButton"));
        close = window.findChild<QPushButton*>(QStringLiteral("TitleCloseButton"));
        ASSERT_NE(minimise, nullptr);
        ASSERT_NE(close, nullptr);
    }

    MainWindow plain;
    MainWindow window;
    QPushButton* minimise = nullptr;
    QPushButton* close = nullptr;
};

TEST_F(TitleControlsInTheWindow, SitInTheTopRowAndMoveNoOtherControl)
{
    EXPECT_EQ(window.size(), plain.size());
    const auto* product = window.findChild<QWidget*>(QStringLiteral("productName"));
    ASSERT_NE(product, nullptr);
    for (const QPushButton* button : {minimise, close}) {
        EXPECT_TRUE(button->isVisible());
        EXPECT_GE(button->mapTo(&window, QPoint(0, 0)).x(), product->mapTo(&window, QPoint(0, 0)).x());
        EXPECT_FALSE(button->accessibleName().isEmpty());
    }
    for (const char* name : {"playButton", "resetButton", "SpectrumView", "timerText", "Spk", "Mixer"}) {
        const auto* here = window.findChild<QWidget*>(QLatin1String(name));
        const auto* there = plain.findChild<QWidget*>(QLatin1String(name));
        ASSERT_TRUE(here && there) << name;
        EXPECT_EQ(QRect(here->mapTo(&window, QPoint(0, 0)), here->size()),
                  QRect(there->mapTo(&plain, QPoint(0, 0)), there->size()))
            << name << " moved";
    }
}

TEST_F(TitleControlsInTheWindow, TheirGlyphsReadAgainstTheWindow)
{
    window.repaint();
    QPaintDevice* device = window.backingStore()->paintDevice();
    ASSERT_EQ(device->devType(), QInternal::Image);
    const QImage& store = *static_cast<QImage*>(device);
    const qreal ratio = store.devicePixelRatio();
    for (const QPushButton* button : {minimise, close}) {
        const QRect logical(button->mapTo(&window, QPoint(0, 0)), button->size());
        const QImage pixels = store.copy(QRect(logical.topLeft() * ratio, logical.size() * ratio));
        const QRgb background = pixels.pixel(1, 1);
        double best = 1;
        for (int y = 0; y < pixels.height(); ++y)
            for (int x = 0; x < pixels.width(); ++x)
                best = std::max(best, contrast(pixels.pixel(x, y), background));
        EXPECT_GE(best, 4.5) << qPrintable(button->objectName());
    }
}

TEST_F(TitleControlsInTheWindow, MinimiseAndCloseTheWindow)
{
    QTest::mouseClick(minimise, Qt::LeftButton);
    EXPECT_TRUE(window.isMinimized());
    window.showNormal();
    QSignalSpy closing(&window, &MainWindow::closeRequested);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(closing.count(), 1);
}

} // namespace
