#pragma once

#include "controls/NamedImage.h"
#include "controls/SpkMicSliderDelegate.h"

#include <QRectF>

class QPainter;
class QSlider;

// The cell of the speaker and microphone sliders: draws the filled bar and
// the knob of its control (a SpkMicSliderAction) from images, and is the
// control's hover delegate. It reads value, range and enabled state from the
// control it belongs to.
//
// Images: bar "hHeaderEnable"/"hHeaderDisable" (cap at the minimum end),
// "hMiddleEnable"/"hMiddleDisable" (stretched body), knob
// "spkMicKnobEnable"/"spkMicKnobDisable"/"spkMicKnobHighlight", and the
// knob's focus ring "spkMicKnobFocus".
class SpkMicSlider : public SpkMicSliderDelegate {
public:
    // Where the bar's pieces go for a bar area r (y grows downward, the
    // maximum at r's top edge). `background` is used by VSlider only.
    struct BarRects {
        QRectF background;
        QRectF header;
        QRectF middle;
    };

    explicit SpkMicSlider(QSlider* controlView = nullptr);
    ~SpkMicSlider() override;
    SpkMicSlider(const SpkMicSlider&) = delete;
    SpkMicSlider& operator=(const SpkMicSlider&) = delete;

    // Loads the images by name.
    virtual void awakeFromNib();

    BarRects barRects(const QRectF& r) const;
    // Draws the bar into the bar area r, replacing any track drawing. The
    // `flipped` flag is ignored: Qt's space always grows downward.
    virtual void drawBarInside(QPainter& painter, const QRectF& r, bool flipped);

    // Where the knob goes for the knob area k the control computed, and which
    // image it shows in the cell's current state.
    QRectF knobRect(const QRectF& k) const;
    const NamedImage& knobImage() const;
    void drawKnob(QPainter& painter, const QRectF& k);
    // The focus ring, around the knob drawn in k.
    void drawFocusRing(QPainter& painter, const QRectF& k);

    void highLightKnob() override;
    void commonKnob() override;

    bool IsHighlight() const { return m_IsHighlight; }
    void setIsHighlight(bool highlight) { m_IsHighlight = highlight; }

    const NamedImage& headerEnableImage() const { return m_headerEnableImage; }
    void setHeaderEnableImage(const NamedImage& image) { m_headerEnableImage = image; }
    const NamedImage& headerDisableImage() const { return m_headerDisableImage; }
    void setHeaderDisableImage(const NamedImage& image) { m_headerDisableImage = image; }
    const NamedImage& middleEnableImage() const { return m_middleEnableImage; }
    void setMiddleEnableImage(const NamedImage& image) { m_middleEnableImage = image; }
    const NamedImage& middleDisableImage() const { return m_middleDisableImage; }
    void setMiddleDisableImage(const NamedImage& image) { m_middleDisableImage = image; }
    const NamedImage& knobEnableImage() const { return m_knobEnableImage; }
    void setKnobEnableImage(const NamedImage& image) { m_knobEnableImage = image; }
    const NamedImage& knobDisableImage() const { return m_knobDisableImage; }
    void setKnobDisableImage(const NamedImage& image) { m_knobDisableImage = image; }
    const NamedImage& knobHighLightImage() const { return m_knobHighLightImage; }
    void setKnobHighLightImage(const NamedImage& image) { m_knobHighLightImage = image; }
    const NamedImage& knobFocusRingImage() const { return m_knobFocusRingImage; }

    // The slider this cell draws, and the state the cell reads from it.
    QSlider* controlView() const { return m_controlView; }
    double floatValue() const;
    double minValue() const;
    double maxValue() const;
    bool isEnabled() const;

protected:
    struct KnobNames {
        const char* enable;
        const char* disable;
        const char* highlight;
        const char* focusRing;
    };
    virtual KnobNames knobNames() const;

private:
    QSlider* m_controlView;
    bool m_IsHighlight = false;
    NamedImage m_headerEnableImage;
    NamedImage m_headerDisableImage;
    NamedImage m_middleEnableImage;
    NamedImage m_middleDisableImage;
    NamedImage m_knobEnableImage;
    NamedImage m_knobDisableImage;
    NamedImage m_knobHighLightImage;
    NamedImage m_knobFocusRingImage;
};
