#include "Pointer.h"

#include "controls/Popover.h"
#include "controls/ProgressIndicator.h"
#include "controls/ToolTipViewController.h"

#include <QLabel>
#include <QObject>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

// Formats the texts the way the panel's controller does.
class Delegate : public QObject, public ProgressDelegate {
public:
    ProgressIndicator* control = nullptr;
    int changes = 0;
    QList<double> valuesSeen;

    void ReverberanceChanged(double value) override
    {
        ++changes;
        valuesSeen << value;
    }
    QString ReverbText(double value) override { return QStringLiteral("%1%").arg(static_cast<int>(value)); }
    QString MixerText(double value) override { return QString::asprintf("%.1f", value); }
};

struct Level {
    std::unique_ptr<ProgressIndicator> control = std::make_unique<ProgressIndicator>();
    Delegate delegate;

    Level(int tagId, double max)
    {
        control->awakeFromNib();
        control->resize(control->sizeHint());
        control->setTagId(tagId);
        control->setMinValue(0);
        control->setMaxValue(max);
        control->setEnable(true);
        delegate.control = control.get();
        control->setDelegate(&delegate);
    }

    double width() const { return control->bgImage().width(); }
    double headerWidth() const { return control->headerEnableImage().width(); }
    double footerWidth() const { return control->footerEnableImage().width(); }
    QString tooltip() const { return control->tooltipViewController()->tooltipField()->text(); }
    bool tooltipShown() const { return control->popoverTooltip()->isShown(); }
};

QPoint at(double x, const ProgressIndicator& control)
{
    return QPoint(static_cast<int>(x), control.height() / 2);
}

} // namespace

TEST(LevelControl, NothingIsDrawnBelowOne)
{
    Level reverb(0, 100);
    ASSERT_GT(reverb.width(), 0);
    for (double v : {0.0, 0.5, 0.999}) {
        reverb.control->setDoubleValue(v);
        EXPECT_FALSE(reverb.control->barRects().drawn) << v;
    }
    // The mixer's whole range lies below 1.0 except its end.
    Level mixer(1, 1);
    mixer.control->setDoubleValue(0.4);
    EXPECT_FALSE(mixer.control->barRects().drawn);
    mixer.control->setDoubleValue(1);
    const auto full = mixer.control->barRects();
    ASSERT_TRUE(full.drawn);
    EXPECT_DOUBLE_EQ(full.footer.x() + full.footer.width() + 1, mixer.width());
}

TEST(LevelControl, ShortBarsSqueezeBothCapsIntoTheFill)
{
    Level reverb(0, 100);
    reverb.control->setDoubleValue(1.0);
    const double L = reverb.width() / 100;
    const auto rects = reverb.control->barRects();
    ASSERT_TRUE(rects.drawn);
    EXPECT_FALSE(rects.hasMiddle);
    EXPECT_DOUBLE_EQ(rects.header.x(), 0);
    EXPECT_DOUBLE_EQ(rects.header.width(), L * 0.5 + 1);
    EXPECT_DOUBLE_EQ(rects.footer.x(), L * 0.5 - 1);
    EXPECT_DOUBLE_EQ(rects.footer.width(), L * 0.5);
    EXPECT_DOUBLE_EQ(rects.header.height(), reverb.control->bgImage().height());
}

TEST(LevelControl, PiecesOverlapByOneUnitAndAnEmptyBodyIsSkipped)
{
    Level reverb(0, 100);
    const double Hw = reverb.headerWidth();
    const double Fw = reverb.footerWidth();

    // L exactly Hw + Fw: no body, the footer starts at Hw - 1.
    reverb.control->setDoubleValue((Hw + Fw) * 100 / reverb.width());
    auto rects = reverb.control->barRects();
    ASSERT_TRUE(rects.drawn);
    EXPECT_FALSE(rects.hasMiddle);
    EXPECT_DOUBLE_EQ(rects.header.width(), Hw + 1);
    EXPECT_NEAR(rects.footer.x(), Hw - 1, 1e-9);

    reverb.control->setDoubleValue(50);
    const double L = reverb.width() / 2;
    rects = reverb.control->barRects();
    EXPECT_TRUE(rects.hasMiddle);
    EXPECT_DOUBLE_EQ(rects.header.right(), Hw + 1);
    EXPECT_DOUBLE_EQ(rects.middle.x(), Hw);
    EXPECT_DOUBLE_EQ(rects.middle.width(), L - Hw - Fw);
    EXPECT_DOUBLE_EQ(rects.footer.x(), L - Fw - 1);
    EXPECT_DOUBLE_EQ(rects.footer.width(), Fw);
}

TEST(LevelControl, ValueStaysInsideTheRange)
{
    Level reverb(0, 100);
    reverb.control->setDoubleValue(250);
    EXPECT_EQ(reverb.control->doubleValue(), 100);
    reverb.control->setDoubleValue(-3);
    EXPECT_EQ(reverb.control->doubleValue(), 0);
    reverb.control->setDoubleValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(reverb.control->doubleValue(), 0);
    reverb.control->setDoubleValue(80);
    reverb.control->setMaxValue(1);
    EXPECT_EQ(reverb.control->doubleValue(), 1);
    reverb.control->setMaxValue(0);
    EXPECT_FALSE(reverb.control->barRects().drawn);
    EXPECT_EQ(reverb.control->valueForPosition(10), 0);
}

TEST(LevelControl, DraggingMapsThePointerOntoTheRangeAndReportsPressAndRelease)
{
    Level reverb(0, 100);
    const double w = reverb.control->width();
    QTest::mousePress(reverb.control.get(), Qt::LeftButton, {}, at(w / 4, *reverb.control));
    EXPECT_DOUBLE_EQ(reverb.control->doubleValue(), static_cast<int>(w / 4) * 100 / w);
    EXPECT_EQ(reverb.delegate.changes, 1);

    QTest::mouseMove(reverb.control.get(), at(-20, *reverb.control));
    EXPECT_EQ(reverb.control->doubleValue(), 0);
    QTest::mouseMove(reverb.control.get(), at(w + 30, *reverb.control));
    EXPECT_EQ(reverb.control->doubleValue(), 100);
    QTest::mouseMove(reverb.control.get(), at(w * 0.577, *reverb.control));
    const double expected = static_cast<int>(w * 0.577) * 100 / w;
    EXPECT_DOUBLE_EQ(reverb.control->doubleValue(), expected);
    EXPECT_NE(expected, std::floor(expected)) << "the value is continuous";
    EXPECT_EQ(reverb.delegate.changes, 1) << "drag steps report nothing";

    QTest::mouseRelease(reverb.control.get(), Qt::LeftButton, {}, at(w * 0.577, *reverb.control));
    EXPECT_EQ(reverb.delegate.changes, 2);
    EXPECT_DOUBLE_EQ(reverb.delegate.valuesSeen.last(), expected);
    EXPECT_FALSE(reverb.control->isMouseDown());

    // Moving without a press changes nothing.
    QTest::mouseMove(reverb.control.get(), at(5, *reverb.control));
    EXPECT_DOUBLE_EQ(reverb.control->doubleValue(), expected);
}

TEST(LevelControl, DisabledReverbStillReportsPressAndReleaseWithoutChanging)
{
    Level reverb(0, 100);
    reverb.control->setDoubleValue(40);
    reverb.control->setEnable(false);
    QTest::mousePress(reverb.control.get(), Qt::LeftButton, {}, at(5, *reverb.control));
    QTest::mouseMove(reverb.control.get(), at(100, *reverb.control));
    QTest::mouseRelease(reverb.control.get(), Qt::LeftButton, {}, at(100, *reverb.control));
    EXPECT_EQ(reverb.delegate.changes, 2);
    EXPECT_EQ(reverb.control->doubleValue(), 40);
    EXPECT_FALSE(reverb.tooltipShown());

    // A press outside the bounds is not taken.
    QTest::mousePress(reverb.control.get(), Qt::LeftButton, {}, QPoint(-4, 2));
    EXPECT_FALSE(reverb.control->isMouseDown());
    EXPECT_EQ(reverb.delegate.changes, 2);
}

// The Mixer bar only shows the mixer's state: a press or a drag along it
// neither reports nor moves it, in either state; its tooltip still shows.
TEST(LevelControl, MixerNeitherReportsNorMovesUnderThePointer)
{
    for (const double state : {0.0, 1.0}) {
        Level mixer(1, 1);
        mixer.control->setDoubleValue(state);
        const double w = mixer.control->width();
        QTest::mousePress(mixer.control.get(), Qt::LeftButton, {}, at(w / 2, *mixer.control));
        EXPECT_TRUE(mixer.tooltipShown());
        QTest::mouseMove(mixer.control.get(), at(w * (1 - state) + (state > 0 ? -2 : 2), *mixer.control));
        QTest::mouseRelease(mixer.control.get(), Qt::LeftButton, {}, at(w * 0.3, *mixer.control));
        EXPECT_EQ(mixer.delegate.changes, 0);
        EXPECT_EQ(mixer.control->doubleValue(), state);
        EXPECT_EQ(mixer.tooltip(), QString::number(state, 'f', 1));
    }
}

TEST(LevelControl, TooltipTextFollowsTheValueWhileDragging)
{
    Level reverb(0, 100);
    const double w = reverb.control->width();
    QTest::mousePress(reverb.control.get(), Qt::LeftButton, {}, at(w / 2, *reverb.control));
    EXPECT_TRUE(reverb.tooltipShown());
    EXPECT_EQ(reverb.tooltip(), QStringLiteral("%1%").arg(static_cast<int>(reverb.control->doubleValue())));
    QTest::mouseMove(reverb.control.get(), at(w + 1, *reverb.control));
    EXPECT_EQ(reverb.tooltip(), QStringLiteral("100%"));
    QTest::mouseMove(reverb.control.get(), at(-1, *reverb.control));
    EXPECT_EQ(reverb.tooltip(), QStringLiteral("0%"));

}

TEST(LevelControl, HoverOpensAndClosesTheTooltipOnlyWhileEnabled)
{
    Level reverb(0, 100);
    reverb.control->setDoubleValue(57.8);
    pointerEnters(reverb.control.get());
    EXPECT_TRUE(reverb.control->IsHighlight());
    EXPECT_TRUE(reverb.tooltipShown());
    EXPECT_EQ(reverb.tooltip(), QStringLiteral("57%"));

    // Switched off while hovered: highlight and tooltip stay until an exit
    // happens with the switch on again.
    reverb.control->setEnable(false);
    pointerExits(reverb.control.get());
    EXPECT_TRUE(reverb.control->IsHighlight());
    EXPECT_TRUE(reverb.tooltipShown());
    reverb.control->setEnable(true);
    pointerExits(reverb.control.get());
    EXPECT_FALSE(reverb.control->IsHighlight());
    EXPECT_FALSE(reverb.tooltipShown());

    reverb.control->setEnable(false);
    pointerEnters(reverb.control.get());
    EXPECT_FALSE(reverb.control->IsHighlight());
    EXPECT_FALSE(reverb.tooltipShown());
}

TEST(LevelControl, UpdateToolTipOpensItWithTheCurrentText)
{
    Level mixer(1, 1);
    mixer.control->setDoubleValue(1);
    mixer.control->updateToolTip();
    EXPECT_TRUE(mixer.tooltipShown());
    EXPECT_EQ(mixer.tooltip(), QStringLiteral("1.0"));
    mixer.control->setDoubleValue(0);
    mixer.control->updateToolTip();
    EXPECT_EQ(mixer.tooltip(), QStringLiteral("0.0"));

    // It sits under the control and never takes focus.
    Popover* popup = mixer.control->popoverTooltip();
    const QPoint below = mixer.control->mapToGlobal(QPoint(0, mixer.control->height()));
    EXPECT_GE(popup->geometry().top(), below.y());
    EXPECT_TRUE(popup->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(popup->isActiveWindow());
    EXPECT_EQ(mixer.control->tooltipViewController()->tooltipField()->alignment(), Qt::AlignCenter);
}

TEST(LevelControl, TooltipFollowsItsWindowAndClosesWithIt)
{
    QWidget window;
    window.setGeometry(40, 40, 300, 100);
    auto* mixer = new ProgressIndicator(&window);
    mixer->awakeFromNib();
    mixer->setGeometry(20, 20, 180, 8);
    window.show();
    mixer->updateToolTip();
    Popover* popup = mixer->popoverTooltip();
    ASSERT_TRUE(popup->isShown());
    const QPoint before = popup->pos();

    window.move(window.pos() + QPoint(30, 25));
    EXPECT_EQ(popup->pos(), before + QPoint(30, 25));
    window.hide();
    EXPECT_FALSE(popup->isShown());
}
