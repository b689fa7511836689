#pragma once

#include "controls/SpkMicSlider.h"

// The cell of the five equaliser stage sliders: the same bar as SpkMicSlider
// drawn over a full-height stage background ("hStageBg"), with the stage
// knob ("knobStageEnable"/"knobStageDisable"/"knobStageHighlight", focus
// ring "knobStageFocus").
class VSlider : public SpkMicSlider {
public:
    explicit VSlider(QSlider* controlView = nullptr);

    void awakeFromNib() override;
    void drawBarInside(QPainter& painter, const QRectF& r, bool flipped) override;

    const NamedImage& bgImage() const { return m_bgImage; }
    void setBgImage(const NamedImage& image) { m_bgImage = image; }

protected:
    KnobNames knobNames() const override;

private:
    NamedImage m_bgImage;
};
