#include "Pointer.h"

#include "controls/SpkMicSlider.h"
#include "controls/SpkMicSliderAction.h"
#include "controls/VSlider.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

std::unique_ptr<SpkMicSliderAction> makeSlider(SpkMicSliderAction::CellClass cellClass, int min, int max)
{
    auto slider = std::make_unique<SpkMicSliderAction>();
    slider->setCellClass(cellClass);
    slider->awakeFromNib();
    slider->setDelegate(slider->cell());
    slider->setRange(min, max);
    slider->resize(slider->sizeHint().width(), 200);
    return slider;
}

void expectRect(const QRectF& actual, double x, double y, double w, double h)
{
    EXPECT_DOUBLE_EQ(actual.x(), x);
    EXPECT_DOUBLE_EQ(actual.y(), y);
    EXPECT_DOUBLE_EQ(actual.width(), w);
    EXPECT_DOUBLE_EQ(actual.height(), h);
}

// The colour an image paints at its centre.
QRgb centreColour(const NamedImage& image)
{
    QImage canvas(20, 20, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    image.draw(painter, QRectF(0, 0, 20, 20));
    painter.end();
    return canvas.pixel(10, 10);
}

} // namespace

TEST(SliderCell, BarFillsFromTheValueDownWithTheCapAtTheMinimumEnd)
{
    auto slider = makeSlider(SpkMicSliderAction::SpkMicSliderCell, 0, 100);
    SpkMicSlider* cell = slider->cell();
    const double W = cell->headerEnableImage().width();
    const double Hh = cell->headerEnableImage().height();
    ASSERT_GT(W, 0);
    ASSERT_GT(Hh, 0);
    const QRectF r(10, 20, 30, 100);
    const double X = 25 - W / 2;

    slider->setValue(100);
    auto rects = cell->barRects(r);
    expectRect(rects.header, X, 120 - Hh, W, Hh);
    expectRect(rects.middle, X, 20, W, 100 - Hh);

    slider->setValue(0);
    rects = cell->barRects(r);
    expectRect(rects.header, X, 120, W, 0);
    EXPECT_DOUBLE_EQ(rects.middle.height(), 0);

    // A fill shorter than the cap squeezes the cap into it.
    slider->setValue(3);
    rects = cell->barRects(r);
    expectRect(rects.header, X, 117, W, 3);
    EXPECT_DOUBLE_EQ(rects.middle.height(), 0);

    slider->setValue(40);
    rects = cell->barRects(r);
    expectRect(rects.header, X, 120 - Hh, W, Hh);
    expectRect(rects.middle, X, 80, W, 40 - Hh);
}

TEST(SliderCell, StageAtZeroFillsTheLowerHalfOverAFullHeightBackground)
{
    auto slider = makeSlider(SpkMicSliderAction::VSliderCell, -15, 15);
    auto* cell = dynamic_cast<VSlider*>(slider->cell());
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->bgImage().name(), QStringLiteral("hStageBg"));
    EXPECT_EQ(cell->knobEnableImage().name(), QStringLiteral("knobStageEnable"));
    slider->setValue(0);
    const QRectF r(0, 10, 20, 90);
    const auto rects = cell->barRects(r);
    const double W = cell->headerEnableImage().width();
    expectRect(rects.background, 10 - W / 2, 10, W, 90);
    EXPECT_DOUBLE_EQ(rects.middle.y(), 55);
    EXPECT_DOUBLE_EQ(rects.header.y() + rects.header.height(), 100);
}

TEST(SliderCell, DegenerateInputsGiveFiniteEmptyPieces)
{
    // An empty range fills nothing instead of dividing by zero.
    auto slider = makeSlider(SpkMicSliderAction::SpkMicSliderCell, 5, 5);
    auto rects = slider->cell()->barRects(QRectF(0, 0, 20, 100));
    EXPECT_TRUE(std::isfinite(rects.header.y()));
    EXPECT_DOUBLE_EQ(rects.header.height(), 0);
    EXPECT_DOUBLE_EQ(rects.middle.height(), 0);

    // Without a header image the column has no width.
    slider->setRange(0, 100);
    slider->setValue(50);
    slider->cell()->setHeaderEnableImage(NamedImage());
    rects = slider->cell()->barRects(QRectF(0, 0, 20, 100));
    EXPECT_DOUBLE_EQ(rects.header.width(), 0);
    EXPECT_DOUBLE_EQ(rects.middle.width(), 0);
    EXPECT_DOUBLE_EQ(rects.middle.y(), 50);
}

TEST(SliderCell, KnobIsCentredOnItsAreaButNeverAboveTheTop)
{
    auto slider = makeSlider(SpkMicSliderAction::SpkMicSliderCell, 0, 100);
    SpkMicSlider* cell = slider->cell();
    const QSizeF knob = cell->knobEnableImage().size();
    ASSERT_FALSE(knob.isEmpty());

    expectRect(cell->knobRect(QRectF(0, 50, 30, 20)), 15 - cell->knobDisableImage().width() / 2,
               60 - knob.height() / 2, knob.width(), knob.height());
    const QRectF high = cell->knobRect(QRectF(0, 0, 30, knob.height() / 2));
    EXPECT_DOUBLE_EQ(high.y(), 0);
}

TEST(SliderCell, DisabledDrawsDisableImagesEvenWhileHighlighted)
{
    auto slider = makeSlider(SpkMicSliderAction::SpkMicSliderCell, 0, 100);
    SpkMicSlider* cell = slider->cell();
    EXPECT_EQ(cell->knobImage(), cell->knobEnableImage());
    cell->highLightKnob();
    EXPECT_EQ(cell->knobImage(), cell->knobHighLightImage());
    slider->setEnabled(false);
    EXPECT_EQ(cell->knobImage(), cell->knobDisableImage());

    // The painted bar takes the disable colour too.
    slider->setValue(100);
    const QPoint inFill(slider->width() / 2, slider->height() / 2);
    const QRgb disabledFill = slider->grab().toImage().pixel(inFill);
    EXPECT_EQ(disabledFill, centreColour(cell->middleDisableImage()));
    slider->setEnabled(true);
    const QRgb enabledFill = slider->grab().toImage().pixel(inFill);
    EXPECT_EQ(enabledFill, centreColour(cell->middleEnableImage()));
    EXPECT_NE(enabledFill, disabledFill);
}

TEST(SliderControl, FillTopMeetsTheKnobCentreAndTheHandleIsTheKnob)
{
    for (auto cellClass : {SpkMicSliderAction::SpkMicSliderCell, SpkMicSliderAction::VSliderCell}) {
        auto slider = makeSlider(cellClass, 0, 100);
        const QSizeF knob = slider->cell()->knobEnableImage().size();
        EXPECT_EQ(slider->knobRect().height(), std::ceil(knob.height()));
        for (int value : {0, 37, 100}) {
            slider->setValue(value);
            const auto rects = slider->cell()->barRects(slider->barRect());
            EXPECT_NEAR(rects.middle.y(), slider->knobRect().center().y(), 1.0) << value;
        }
    }
}

TEST(SliderControl, KeepsItsKnobSizedHandleUnderAParentStyleSheet)
{
    QWidget window;
    window.setStyleSheet(QStringLiteral("QLabel { color: white; }"));
    auto* slider = new SpkMicSliderAction(&window);
    slider->awakeFromNib();
    slider->resize(30, 200);
    window.show();
    EXPECT_EQ(slider->knobRect().height(), std::ceil(slider->cell()->knobEnableImage().height()));
}

TEST(SliderControl, ActionFiresForUserChangesOnly)
{
    auto slider = makeSlider(SpkMicSliderAction::SpkMicSliderCell, 0, 100);
    slider->show();
    QSignalSpy actions(slider.get(), &SpkMicSliderAction::action);

    slider->setValue(30);
    EXPECT_EQ(actions.count(), 0);

    // Drag the knob up to the top.
    const QPoint grab = slider->knobRect().center().toPoint();
    QTest::mousePress(slider.get(), Qt::LeftButton, {}, grab);
    QTest::mouseMove(slider.get(), QPoint(grab.x(), grab.y() - 40));
    QTest::mouseMove(slider.get(), QPoint(grab.x(), 0));
    QTest::mouseRelease(slider.get(), Qt::LeftButton, {}, QPoint(grab.x(), 0));
    ASSERT_GE(actions.count(), 2);
    EXPECT_EQ(actions.last().at(0).toInt(), 100);
    EXPECT_EQ(slider->value(), 100);

    actions.clear();
    QTest::keyClick(slider.get(), Qt::Key_Down);
    ASSERT_EQ(actions.count(), 1);
    EXPECT_EQ(actions.first().at(0).toInt(), 99);

    // A key at the end of the range changes nothing and reports nothing, and
    // leaves no stale report behind for the next change from code.
    actions.clear();
    QTest::keyClick(slider.get(), Qt::Key_End);
    QTest::keyClick(slider.get(), Qt::Key_Home);
    actions.clear();
    QTest::keyClick(slider.get(), Qt::Key_Home);
    slider->setValue(10);
    EXPECT_EQ(actions.count(), 0);
}

TEST(SliderControl, HoverHighlightsThroughTheDelegateEvenWhenDisabled)
{
    auto slider = makeSlider(SpkMicSliderAction::VSliderCell, -15, 15);
    slider->setEnabled(false);
    pointerEnters(slider.get());
    EXPECT_TRUE(slider->cell()->IsHighlight());
    EXPECT_EQ(slider->cell()->knobImage(), slider->cell()->knobDisableImage());
    pointerExits(slider.get());
    EXPECT_FALSE(slider->cell()->IsHighlight());

    // A cell replaced after it became the delegate hands the role on.
    slider->setCellClass(SpkMicSliderAction::SpkMicSliderCell);
    EXPECT_EQ(slider->delegate(), slider->cell());
    pointerEnters(slider.get());
    EXPECT_TRUE(slider->cell()->IsHighlight());

    // Without a delegate the knob keeps its last highlight.
    slider->cell()->highLightKnob();
    slider->setDelegate(nullptr);
    pointerExits(slider.get());
    EXPECT_TRUE(slider->cell()->IsHighlight());
}
