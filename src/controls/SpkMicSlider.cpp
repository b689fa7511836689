#include "controls/SpkMicSlider.h"

#include <QPainter>
#include <QSlider>

SpkMicSlider::SpkMicSlider(QSlider* controlView)
    : m_controlView(controlView)
{
}

SpkMicSlider::~SpkMicSlider() = default;

SpkMicSlider::KnobNames SpkMicSlider::knobNames() const
{
    return {"spkMicKnobEnable", "spkMicKnobDisable", "spkMicKnobHighlight", "spkMicKnobFocus"};
}

void SpkMicSlider::awakeFromNib()
{
    m_headerEnableImage = NamedImage::named(QStringLiteral("hHeaderEnable"));
    m_headerDisableImage = NamedImage::named(QStringLiteral("hHeaderDisable"));
    m_middleEnableImage = NamedImage::named(QStringLiteral("hMiddleEnable"));
    m_middleDisableImage = NamedImage::named(QStringLiteral("hMiddleDisable"));
    const KnobNames knob = knobNames();
    m_knobEnableImage = NamedImage::named(QString::fromLatin1(knob.enable));
    m_knobDisableImage = NamedImage::named(QString::fromLatin1(knob.disable));
    m_knobHighLightImage = NamedImage::named(QString::fromLatin1(knob.highlight));
    m_knobFocusRingImage = NamedImage::named(QString::fromLatin1(knob.focusRing));
}

// The bar is one column as wide as the header image, centred on r. It is
// filled from the value position down to r's bottom edge (the minimum), with
// the header cap at the bottom and the middle stretched above it; a fill
// shorter than the cap squeezes the cap into it. The enable header image
// fixes the geometry whatever the state.
SpkMicSlider::BarRects SpkMicSlider::barRects(const QRectF& r) const
{
    const double W = m_headerEnableImage.width();
    const double X = r.center().x() - 0.5 * W;
    const double min = minValue();
    const double max = maxValue();
    const double v = floatValue();
    // An empty range has nothing to fill (and must not divide by zero).
    const double span = max - min;
    const double L = span > 0 ? (v - min) * r.height() / span : 0.0;
    const double Y0 = span > 0 ? r.y() + (max - v) * r.height() / span : r.y() + r.height();
    const double Hh = m_headerEnableImage.height();

    BarRects rects;
    rects.background = QRectF(X, r.y(), W, r.height());
    if (Hh > L) {
        rects.header = QRectF(X, Y0, W, L);
        rects.middle = QRectF(X, Y0, W, 0);
    } else {
        rects.header = QRectF(X, Y0 + (L - Hh), W, Hh);
        rects.middle = QRectF(X, Y0, W, L - Hh);
    }
    return rects;
}

void SpkMicSlider::drawBarInside(QPainter& painter, const QRectF& r, bool)
{
    const BarRects rects = barRects(r);
    const bool enabled = isEnabled();
    (enabled ? m_headerEnableImage : m_headerDisableImage).draw(painter, rects.header);
    if (rects.middle.width() > 0)
        (enabled ? m_middleEnableImage : m_middleDisableImage).draw(painter, rects.middle);
}

// Centred on k, except that it never starts above y = 0.
QRectF SpkMicSlider::knobRect(const QRectF& k) const
{
    const double x = k.center().x() - 0.5 * m_knobDisableImage.width();
    double y = k.center().y() - 0.5 * m_knobEnableImage.height();
    if (y < 0)
        y = 0;
    return {x, y, m_knobEnableImage.width(), m_knobEnableImage.height()};
}

const NamedImage& SpkMicSlider::knobImage() const
{
    if (!isEnabled())
        return m_knobDisableImage;
    return m_IsHighlight ? m_knobHighLightImage : m_knobEnableImage;
}

void SpkMicSlider::drawKnob(QPainter& painter, const QRectF& k)
{
    knobImage().draw(painter, knobRect(k));
}

void SpkMicSlider::drawFocusRing(QPainter& painter, const QRectF& k)
{
    m_knobFocusRingImage.draw(painter, knobRect(k));
}

void SpkMicSlider::highLightKnob()
{
    m_IsHighlight = true;
}

void SpkMicSlider::commonKnob()
{
    m_IsHighlight = false;
}

// The position shown (equal to the value unless the slider is set not to
// track a drag), so that bar and knob always agree.
double SpkMicSlider::floatValue() const
{
    return m_controlView ? static_cast<double>(static_cast<float>(m_controlView->sliderPosition())) : 0.0;
}

double SpkMicSlider::minValue() const
{
    return m_controlView ? m_controlView->minimum() : 0.0;
}

double SpkMicSlider::maxValue() const
{
    return m_controlView ? m_controlView->maximum() : 0.0;
}

bool SpkMicSlider::isEnabled() const
{
    return m_controlView && m_controlView->isEnabled();
}
