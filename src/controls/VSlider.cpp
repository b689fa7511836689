#include "controls/VSlider.h"

VSlider::VSlider(QSlider* controlView)
    : SpkMicSlider(controlView)
{
}

SpkMicSlider::KnobNames VSlider::knobNames() const
{
    return {"knobStageEnable", "knobStageDisable", "knobStageHighlight", "knobStageFocus"};
}

void VSlider::awakeFromNib()
{
    m_bgImage = NamedImage::named(QStringLiteral("hStageBg"));
    SpkMicSlider::awakeFromNib();
}

// The stage background runs the full height of the bar area, under the fill.
void VSlider::drawBarInside(QPainter& painter, const QRectF& r, bool flipped)
{
    m_bgImage.draw(painter, barRects(r).background);
    SpkMicSlider::drawBarInside(painter, r, flipped);
}
