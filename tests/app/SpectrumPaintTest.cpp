// The spectrum as it reaches the screen: the bars in the main window's
// spectrum frame, read back after Qt's own update cycle (so partial repaints
// are what is checked), compared pixel for pixel with reference images, each
// channel within 1/255 (Qt's versions round blended edges differently). The
// test runs at scale 1 and at scale 2 (QT_SCALE_FACTOR, set by ctest), on
// the offscreen platform, where the window's backing store is what shows,
// on a virtual X display, where the X server's copy of the window is read
// back (on X11 the bars reach it past Qt's backing store), and as a client of
// a headless Weston, where the window's buffer is read with the bars' layer
// and surfaces laid over it as the compositor lays them, and the compositor's
// own output is searched for the reference images.
//
// QUOREL_WRITE_REFERENCE=<dir> writes the images instead of comparing them.
#include "app/MainWindow.h"
#include "controls/ImageView.h"
#include "spectrum/SpectrumBarsView.h"
#include "spectrum/SpectrumViewController.h"
#include "spectrum/SubsurfaceLayer.h"

#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QBackingStore>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace {

constexpr int kBars = SpectrumViewController::kBars;

// Counts one kind of event (the window's update cycles, its exposures), so a
// test can wait for the one that follows its changes instead of sleeping.
class EventCounter : public QObject {
public:
    explicit EventCounter(QEvent::Type type)
        : m_type(type)
    {
    }
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == m_type)
            ++count;
        return false;
    }

private:
    QEvent::Type m_type;
};

// Counts paint events, gathering their regions, and layout requests.
class PaintCounter : public QObject {
public:
    int paints = 0;
    QRegion region;
    int layouts = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            region += static_cast<QPaintEvent*>(event)->region();
        } else if (event->type() == QEvent::LayoutRequest) {
            ++layouts;
        }
        return false;
    }
};

bool sameWithinRounding(QRgb shown, QRgb expected)
{
    return std::abs(qRed(shown) - qRed(expected)) <= 1 && std::abs(qGreen(shown) - qGreen(expected)) <= 1
        && std::abs(qBlue(shown) - qBlue(expected)) <= 1;
}

class SpectrumPaintTest : public ::testing::Test {
protected:
    SpectrumPaintTest()
    {
        frame = window.findChild<QFrame*>(QStringLiteral("SpectrumView"));
        // Placed the way the controller places it on the first link.
        auto* layout = new QVBoxLayout(frame);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(spectrum.view());
        window.show();
        // Qt posts a window's update request to its top-level widget.
        window.installEventFilter(&counter);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_TRUE(QTest::qWaitFor([this] { return counter.count > 0; }, 10000));
    }

    // Lets Qt's update cycle run once after a change.
    void settle()
    {
        const int before = counter.count;
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.count > before; }, 10000));
    }

    void showLevels(const std::array<int, kBars>& up, const std::array<int, kBars>& down)
    {
        for (int j = 0; j < kBars; ++j) {
            spectrum.upView()[j]->setImage(up[j] ? spectrum.upImages()[up[j] - 1] : NamedImage());
            spectrum.downView()[j]->setImage(down[j] ? spectrum.downImages()[down[j] - 1] : NamedImage());
        }
    }

    // Levels set the way the display timer sets them: held, then painted
    // in one pass before this returns.
    void showLevelsHeld(const std::array<int, kBars>& up, const std::array<int, kBars>& down)
    {
        auto* view = static_cast<SpectrumBarsView*>(spectrum.view());
        view->holdChanges();
        showLevels(up, down);
        view->paintHeldChanges();
    }

    static bool onX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }
    static bool onWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

    // The whole window's pixels as they show: the X server's, or the
    // backing store's (the offscreen and Wayland platforms' stores are
    // raster images in device pixels) with the bars' layer over it.
    QImage shownWindow() const
    {
        if (onX11())
            return window.screen()->grabWindow(window.winId()).toImage();
        QPaintDevice* device = window.backingStore()->paintDevice();
        if (device->devType() != QInternal::Image)
            return {};
        QImage shown = static_cast<QImage*>(device)->copy();
        SubsurfaceLayer* layer = view()->layer();
        if (layer && layer->isVisible() && layer->isExposed()) {
            const QImage above = layer->image();
            EXPECT_FALSE(above.isNull()) << "the layer shows and has sent nothing";
            QPainter painter(&shown);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            const qreal ratio = window.devicePixelRatioF();
            painter.drawImage(QPointF(layer->position() * ratio) / shown.devicePixelRatio(), above);
        }
        return shown;
    }

    // The frame's pixels as they show.
    QImage shownFrame() const
    {
        const QImage store = shownWindow();
        if (store.isNull())
            return {};
        const qreal ratio = window.devicePixelRatioF();
        const QRectF logical(frame->mapTo(&window, QPoint(0, 0)), frame->size());
        const QRect pixels(QPoint(qRound(logical.x() * ratio), qRound(logical.y() * ratio)),
                           QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio)));
        return store.copy(pixels).convertToFormat(QImage::Format_RGB32);
    }

    static QString referenceName(const QString& name)
    {
        const qreal ratio = qGuiApp->devicePixelRatio();
        return QStringLiteral("spectrum-%1@%2x.png").arg(name).arg(ratio);
    }

    static QImage reference(const QString& name)
    {
        return QImage(QStringLiteral(QUOREL_REFERENCE_DIR "/") + referenceName(name))
            .convertToFormat(QImage::Format_RGB32);
    }

    void expectShown(const QString& name)
    {
        const QImage shown = shownFrame();
        const QString file = referenceName(name);
        const QString writeTo = qEnvironmentVariable("QUOREL_WRITE_REFERENCE");
        if (!writeTo.isEmpty()) {
            QDir().mkpath(writeTo);
            EXPECT_TRUE(shown.save(QDir(writeTo).filePath(file)));
            return;
        }
        const QImage expected = reference(name);
        ASSERT_FALSE(expected.isNull()) << "missing reference " << file.toStdString();
        ASSERT_EQ(shown.size(), expected.size()) << file.toStdString();
        int differing = 0;
        QPoint first(-1, -1);
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                if (!sameWithinRounding(shown.pixel(x, y), expected.pixel(x, y))) {
                    if (!differing)
                        first = QPoint(x, y);
                    ++differing;
                }
            }
        }
        EXPECT_EQ(differing, 0) << file.toStdString() << ": first difference at (" << first.x() << ", "
                                << first.y() << ")";
    }

    SpectrumBarsView* view() const { return static_cast<SpectrumBarsView*>(spectrum.view()); }

    MainWindow window;
    QFrame* frame = nullptr;
    SpectrumViewController spectrum;
    EventCounter counter{QEvent::UpdateRequest};
};

std::array<int, kBars> all(int level)
{
    std::array<int, kBars> row{};
    row.fill(level);
    return row;
}

TEST_F(SpectrumPaintTest, EveryLevelOfEveryBarLooksAsItAlwaysHas)
{
    expectShown(QStringLiteral("empty"));
    // Falling levels: every bar shrinks, so what a taller image covered must
    // come back.
    for (int level = 8; level >= 1; --level) {
        showLevels(all(level), all(level));
        settle();
        expectShown(QStringLiteral("level%1").arg(level));
    }
    std::array<int, kBars> up{};
    std::array<int, kBars> down{};
    for (int j = 0; j < kBars; ++j) {
        up[j] = j % 8 + 1;
        down[j] = 8 - j % 8;
    }
    showLevels(up, down);
    settle();
    expectShown(QStringLiteral("mixed"));

    spectrum.Stop();
    settle();
    expectShown(QStringLiteral("empty"));
}

// The display timer's way: every change of a tick held and painted in one
// pass, at once (on X11, copied from the X server's atlas instead, with no
// paint at all). Each level is reached twice, from different levels, so
// the second time the changes found the first time are reused.
TEST_F(SpectrumPaintTest, HeldChangesLookAsBarByBarChangesDoAndPaintOnceAtOnce)
{
    PaintCounter bars;
    spectrum.view()->installEventFilter(&bars);
    const int paintsATick = onX11() || onWayland() ? 0 : 1;
    std::array<int, kBars> up{};
    std::array<int, kBars> down{};
    for (int j = 0; j < kBars; ++j) {
        up[j] = j % 8 + 1;
        down[j] = 8 - j % 8;
    }
    for (int round = 0; round < 2; ++round) {
        for (int level = 8; level >= 1; --level) {
            const int before = bars.paints;
            showLevelsHeld(all(level), all(level));
            EXPECT_EQ(bars.paints, before + paintsATick) << "level " << level;
            expectShown(QStringLiteral("level%1").arg(level));
        }
        showLevelsHeld(up, down);
        expectShown(QStringLiteral("mixed"));
        // From the mixed levels to one level; the next round rises from it.
        showLevelsHeld(all(5), all(5));
        expectShown(QStringLiteral("level5"));
    }

    // Nothing changed, nothing painted.
    const int before = bars.paints;
    const int copied = view()->copiedOnX11();
    showLevelsHeld(all(5), all(5));
    EXPECT_EQ(bars.paints, before);
    EXPECT_EQ(view()->copiedOnX11(), copied);
    if (onX11()) {
        EXPECT_GT(copied, 0) << "the bars were painted through Qt on X11";
    }
    if (onWayland()) {
        EXPECT_GT(view()->shownOnSurfaces(), 0) << "the bars were not shown on surfaces of their own on Wayland";
    }
}

// Something of the window's above the bars (here a sticker over the left
// half of the frame) keeps its pixels while the bars beneath it change.
TEST_F(SpectrumPaintTest, WhatLiesAboveTheBarsKeepsItsPixels)
{
    class Sticker : public QWidget {
    public:
        using QWidget::QWidget;
        void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::magenta); }
    };
    auto* sticker = new Sticker(&window);
    sticker->setGeometry(QRect(frame->mapTo(&window, QPoint(0, 0)), QSize(frame->width() / 2, frame->height())));
    sticker->show();
    sticker->raise();
    settle();
    const qreal ratio = window.devicePixelRatioF();
    const QRect covered(sticker->pos() * ratio, sticker->size() * ratio);
    std::array<int, kBars> up{};
    std::array<int, kBars> down{};
    for (int step = 0; step < 4; ++step) {
        for (int j = 0; j < kBars; ++j) {
            up[j] = (j + step * 5) % 8 + 1;
            down[j] = (j * 3 + step) % 8 + 1;
        }
        showLevelsHeld(up, down);
        const QImage shown = shownWindow().copy(covered).convertToFormat(QImage::Format_RGB32);
        QImage magenta(covered.size(), QImage::Format_RGB32);
        magenta.fill(Qt::magenta);
        EXPECT_TRUE(shown == magenta) << "step " << step;
    }
    if (onX11()) {
        EXPECT_GT(view()->copiedOnX11(), 0) << "the bars beside the sticker were painted through Qt on X11";
    }
}

// On X11 the copies reach the X server past Qt's backing store; when the
// server asks for the window's pixels again (here a window of the test's
// covered the frame and went), the bars show as they are, not as Qt last
// painted them.
TEST_F(SpectrumPaintTest, OnX11AnExposureAfterCopiesShowsTheBarsAsTheyAre)
{
    if (!onX11())
        GTEST_SKIP() << "only X11 copies the bars past the backing store";
    showLevelsHeld(all(8), all(8));
    showLevelsHeld(all(2), all(2));
    ASSERT_GT(view()->copiedOnX11(), 0);

    EventCounter exposes(QEvent::Expose);
    window.windowHandle()->installEventFilter(&exposes);
    QWidget cover(nullptr, Qt::ToolTip);
    cover.setGeometry(QRect(frame->mapToGlobal(QPoint(0, 0)), frame->size()));
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    const int before = exposes.count;
    cover.hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return exposes.count > before; }, 10000));
    expectShown(QStringLiteral("level2"));
}

// On Wayland the bars' layer lies over the window; a click on it still
// reaches the widgets beneath (here the window's context menu, asked for
// over the spectrum).
TEST_F(SpectrumPaintTest, OnWaylandThePointerOverTheLayerReachesTheWidgetsBeneath)
{
    if (!onWayland())
        GTEST_SKIP() << "only Wayland lays the bars' layer over the window";
    showLevelsHeld(all(8), all(8));
    ASSERT_TRUE(QTest::qWaitFor([this] { return view()->layer() && view()->layer()->isExposed(); }, 10000));
    EventCounter menus(QEvent::ContextMenu);
    view()->installEventFilter(&menus);
    QTest::mouseClick(view()->layer(), Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(menus.count, 1);
}

// Weston's whole output as it shows now, read by weston-screenshooter
// (on-weston starts Weston with --debug, which lets it); null if it cannot.
QImage compositorScreenshot()
{
    QTemporaryDir dir;
    QProcess shooter;
    shooter.setWorkingDirectory(dir.path());
    shooter.start(QStringLiteral("weston-screenshooter"), {});
    if (!shooter.waitForFinished(10000) || shooter.exitCode() != 0)
        return {};
    const QStringList shots = QDir(dir.path()).entryList({QStringLiteral("wayland-screenshot-*.png")});
    if (shots.isEmpty())
        return {};
    return QImage(dir.filePath(shots.first())).convertToFormat(QImage::Format_RGB32);
}

// Whether `part` shows somewhere in `whole`, each channel within 1/255.
bool showsSomewhere(const QImage& whole, const QImage& part)
{
    const int w = part.width();
    const int h = part.height();
    const QPoint probes[] = {{0, 0}, {w / 2, h / 2}, {w - 1, h - 1}, {w / 3, h / 2}};
    for (int y = 0; y + h <= whole.height(); ++y) {
        for (int x = 0; x + w <= whole.width(); ++x) {
            const auto matches = [&](const QPoint& p) {
                return sameWithinRounding(whole.pixel(x + p.x(), y + p.y()), part.pixel(p));
            };
            if (!std::all_of(std::begin(probes), std::end(probes), matches))
                continue;
            bool same = true;
            for (int py = 0; py < h && same; ++py) {
                for (int px = 0; px < w && same; ++px)
                    same = sameWithinRounding(whole.pixel(x + px, y + py), part.pixel(px, py));
            }
            if (same)
                return true;
        }
    }
    return false;
}

// What the compositor itself shows of the spectrum, with the bars on their
// own surfaces over the window, is what the reference images hold: every
// level reached through a viewport's change alone, and a bar's first picture.
TEST_F(SpectrumPaintTest, OnWaylandTheCompositorShowsTheBarsAsTheReferenceHasThem)
{
    if (!onWayland())
        GTEST_SKIP() << "only Wayland shows the bars on surfaces of their own";
    std::array<int, kBars> up{};
    std::array<int, kBars> down{};
    for (int j = 0; j < kBars; ++j) {
        up[j] = j % 8 + 1;
        down[j] = 8 - j % 8;
    }
    const auto expectOnScreen = [](const QString& name) {
        const QImage expected = reference(name);
        ASSERT_FALSE(expected.isNull());
        // The compositor shows the commits with its next repaint.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                const QImage screen = compositorScreenshot();
                return !screen.isNull() && showsSomewhere(screen, expected);
            },
            10000))
            << name.toStdString() << " is not on the screen";
    };
    // The layer shows, and the compositor's globals come, after the window
    // first shows: until then ticks draw into the layer.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            showLevelsHeld(all(1), all(1));
            showLevelsHeld(up, down);
            return view()->shownOnSurfaces() > 0;
        },
        10000));
    expectOnScreen(QStringLiteral("mixed"));
    // Every bar has the pictures of these levels now: only viewports change.
    showLevelsHeld(all(3), all(3));
    showLevelsHeld(up, down);
    expectOnScreen(QStringLiteral("mixed"));
    showLevelsHeld(all(8), all(8));
    expectOnScreen(QStringLiteral("level8"));
}

// Where a bar's image covers the bars' view, in whole pixels.
QRect covered(const ImageView* bar)
{
    return bar->imageRect().translated(bar->pos()).toAlignedRect();
}

// The rows of `columns` (logical pixels of the frame) where two pictures of
// the frame (device pixels) differ, as whole logical rows across `columns`.
QRegion differingRows(const QImage& before, const QImage& after, const QRect& columns, qreal ratio)
{
    const QRect pixels(columns.topLeft() * ratio, columns.size() * ratio);
    int first = -1;
    int last = -1;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            if (before.pixel(x, y) != after.pixel(x, y)) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
        }
    }
    if (first < 0)
        return {};
    const int top = static_cast<int>(first / ratio);
    const int bottom = static_cast<int>(last / ratio);
    return QRect(columns.left(), top, columns.width(), bottom - top + 1);
}

TEST_F(SpectrumPaintTest, AFrameRepaintsOnlyTheRowsOfChangedBarsThatLookDifferentNothingBeneathThemAndNoLayout)
{
    std::array<int, kBars> up = all(4);
    std::array<int, kBars> down = all(4);
    showLevels(up, down);
    settle();
    const QImage before = shownFrame();
    QList<QRect> coveredBefore;
    for (const ImageView* bar : spectrum.upView() + spectrum.downView())
        coveredBefore.append(covered(bar));

    PaintCounter bars;
    PaintCounter beneath;
    QWidget* view = spectrum.view();
    view->installEventFilter(&bars);
    frame->installEventFilter(&beneath);
    window.installEventFilter(&beneath);

    // One bar grows, one shrinks, one hanging bar empties, one hanging bar
    // steps up a level; the others are set again to the image they already
    // show.
    up[3] = 8;
    up[17] = 1;
    down[25] = 0;
    down[8] = 5;
    showLevels(up, down);
    settle();
    const QImage after = shownFrame();

    // Of each bar, exactly the rows where the frame now looks different are
    // painted: stacked segments that stay are not drawn again.
    const qreal ratio = view->devicePixelRatioF();
    const QPoint viewInFrame = view->mapTo(frame, QPoint(0, 0));
    QRegion expected;
    const QList<ImageView*> all = spectrum.upView() + spectrum.downView();
    for (int i = 0; i < all.size(); ++i) {
        const QRect columns = (coveredBefore[i] | covered(all[i])).translated(viewInFrame);
        expected += differingRows(before, after, columns, ratio).translated(-viewInFrame);
    }
    EXPECT_EQ(expected.rectCount(), 4) << "each changed bar looks different somewhere";
    EXPECT_EQ(bars.paints, 1);
    EXPECT_EQ(bars.region, expected);
    EXPECT_EQ(beneath.paints, 0);
    EXPECT_EQ(bars.layouts, 0) << "new bar images asked for a new layout";
    // A bar one level up repaints one segment, not the whole bar.
    EXPECT_LT(bars.region.intersected(covered(spectrum.downView()[8])).boundingRect().height(),
              covered(spectrum.downView()[8]).height() / 2);

    // A frame in which nothing changes paints nothing.
    bars.paints = 0;
    showLevels(up, down);
    QTest::qWait(50);
    EXPECT_EQ(bars.paints, 0);
}

// What the changes of a bar repaint is found once per bar geometry: after
// the window's size changes, the bars stand elsewhere and held changes must
// still paint what a whole repaint of the view shows.
TEST_F(SpectrumPaintTest, HeldChangesAfterAResizeLookAsAWholeRepaintDoes)
{
    std::array<int, kBars> up{};
    std::array<int, kBars> down{};
    for (int level : {8, 3, 8, 1}) {
        showLevelsHeld(all(level), all(level));
    }
    window.resize(window.width() + 173, window.height() + 61);
    settle();
    for (int step = 0; step < 3; ++step) {
        for (int j = 0; j < kBars; ++j) {
            up[j] = (j + step * 3) % 8 + 1;
            down[j] = (j * 5 + step) % 8 + 1;
        }
        showLevelsHeld(up, down);
        const QImage held = shownFrame();
        spectrum.view()->repaint();
        EXPECT_TRUE(held == shownFrame()) << "step " << step;
    }
}

// The one-pass region of a tick's changed rows is the union of them,
// in QRegion's own form (so it compares equal), for rectangles that
// overlap, touch or stand apart.
TEST(SpectrumBarsViewRegion, IsTheUnionOfTheRectangles)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coordinate(0, 60);
    std::uniform_int_distribution<int> extent(0, 14);
    std::uniform_int_distribution<int> count(0, 40);
    for (int trial = 0; trial < 300; ++trial) {
        QList<QRect> rects;
        const int n = count(random);
        for (int i = 0; i < n; ++i)
            rects.append(QRect(coordinate(random), coordinate(random), extent(random), extent(random)));
        QRegion expected;
        for (const QRect& rect : rects)
            expected += rect;
        const QRegion region = SpectrumBarsView::regionOf(rects);
        ASSERT_EQ(region, expected) << "trial " << trial;
        ASSERT_EQ(region.boundingRect(), expected.boundingRect()) << "trial " << trial;
    }
    // Bars side by side with the same rows join into one rectangle.
    EXPECT_EQ(SpectrumBarsView::regionOf({QRect(0, 0, 5, 10), QRect(5, 0, 5, 10)}).rectCount(), 1);
    EXPECT_TRUE(SpectrumBarsView::regionOf({}).isEmpty());
}

// The view paints a copy of what lies beneath it; when the window changes
// size, so does what lies beneath (the background stretches), and the copy
// must follow.
TEST_F(SpectrumPaintTest, AfterAResizeTheViewStillShowsWhatLiesBeneathIt)
{
    window.resize(window.width() + 173, window.height() + 61);
    settle();
    QWidget* view = spectrum.view();
    // Above the baseline, where no bar shows now.
    const qreal ratio = view->devicePixelRatioF();
    const QRect upper(view->mapTo(frame, QPoint(0, 0)) * ratio,
                      QSize(view->width(), view->height() / 2 - 2) * ratio);
    const QImage withView = shownFrame().copy(upper);

    view->hide();
    settle();
    const QImage beneath = shownFrame().copy(upper);
    EXPECT_TRUE(withView == beneath) << "the view shows a stale backdrop after a resize";
}

} // namespace
