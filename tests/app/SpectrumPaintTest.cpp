// The spectrum as it reaches the screen: the bars in the main window's
// spectrum frame, read back from the window's backing store after Qt's own
// update cycle (so partial repaints are what is checked), compared pixel for
// pixel with reference images. The test runs once at scale 1 and once at
// scale 2 (QT_SCALE_FACTOR, set by ctest).
//
// QUOREL_WRITE_REFERENCE=<dir> writes the images instead of comparing them.
#include "app/MainWindow.h"
#include "controls/ImageView.h"
#include "spectrum/SpectrumBarsView.h"
#include "spectrum/SpectrumViewController.h"

#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QBackingStore>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr int kBars = SpectrumViewController::kBars;

// Counts the window's update cycles, so a test can wait for the one that
// follows its changes instead of sleeping.
class UpdateCounter : public QObject {
public:
    int updates = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::UpdateRequest)
            ++updates;
        return false;
    }
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
        EXPECT_TRUE(QTest::qWaitFor([this] { return counter.updates > 0; }, 10000));
    }

    // Lets Qt's update cycle run once after a change.
    void settle()
    {
        const int before = counter.updates;
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.updates > before; }, 10000));
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

    // The frame's pixels as the window's backing store holds them (the
    // offscreen platform's store is a raster image in device pixels).
    QImage shownFrame() const
    {
        QPaintDevice* device = window.backingStore()->paintDevice();
        if (device->devType() != QInternal::Image)
            return {};
        const QImage& store = *static_cast<QImage*>(device);
        const qreal ratio = store.devicePixelRatio();
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
        const QImage expected =
            QImage(QStringLiteral(QUOREL_REFERENCE_DIR "/") + file).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(expected.isNull()) << "missing reference " << file.toStdString();
        ASSERT_EQ(shown.size(), expected.size()) << file.toStdString();
        int differing = 0;
        QPoint first(-1, -1);
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                if (shown.pixel(x, y) != expected.pixel(x, y)) {
                    if (!differing)
                        first = QPoint(x, y);
                    ++differing;
                }
            }
        }
        EXPECT_EQ(differing, 0) << file.toStdString() << ": first difference at (" << first.x() << ", "
                                << first.y() << ")";
    }

    MainWindow window;
    QFrame* frame = nullptr;
    SpectrumViewController spectrum;
    UpdateCounter counter;
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
// pass, at once. Each level is reached twice, from different levels, so
// the second time the changes found the first time are reused.
TEST_F(SpectrumPaintTest, HeldChangesLookAsBarByBarChangesDoAndPaintOnceAtOnce)
{
    PaintCounter bars;
    spectrum.view()->installEventFilter(&bars);
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
            EXPECT_EQ(bars.paints, before + 1) << "level " << level;
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
    showLevelsHeld(all(5), all(5));
    EXPECT_EQ(bars.paints, before);
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
