#include "controls/SpkMicSliderAction.h"

#include "controls/ControlsAccessibility.h"
#include "controls/FocusRing.h"
#include "controls/SpkMicSliderDelegate.h"
#include "controls/VSlider.h"

#include <QEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cmath>

namespace {

// Makes Qt's handle exactly as large as the knob image, so the knob that is
// drawn is also the knob that can be grabbed. Fusion asks for these metrics
// without naming the widget, so each slider has its own instance.
class KnobStyle : public QProxyStyle {
public:
    explicit KnobStyle(SpkMicSliderAction* slider)
        : m_slider(slider)
    {
        setParent(slider);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        const SpkMicSlider* cell = m_slider->cell();
        const QSizeF knob = cell ? cell->knobEnableImage().size() : QSizeF();
        if (!knob.isEmpty()) {
            switch (metric) {
            case PM_SliderLength:
                return static_cast<int>(std::ceil(knob.height()));
            case PM_SliderThickness:
            case PM_SliderControlThickness:
                return static_cast<int>(std::ceil(knob.width()));
            default:
                break;
            }
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

private:
    SpkMicSliderAction* m_slider;
};

} // namespace

SpkMicSliderAction::SpkMicSliderAction(QWidget* parent)
    : QSlider(Qt::Vertical, parent)
    , m_cell(std::make_unique<SpkMicSlider>(this))
{
    installControlsAccessibility();
    setStyle(new KnobStyle(this));
    connect(this, &QAbstractSlider::actionTriggered, this, &SpkMicSliderAction::onActionTriggered);
    connect(this, &QAbstractSlider::valueChanged, this, &SpkMicSliderAction::onValueChanged);
}

SpkMicSliderAction::~SpkMicSliderAction() = default;

void SpkMicSliderAction::awakeFromNib()
{
    m_cell->awakeFromNib();
    updateGeometry();
    update();
}

void SpkMicSliderAction::setCellClass(CellClass cellClass)
{
    // The old cell is destroyed; if it was the hover delegate, the new one
    // takes its place rather than leave a dangling delegate.
    const bool cellWasDelegate = delegate() == m_cell.get();
    m_cellClass = cellClass;
    if (cellClass == VSliderCell)
        m_cell = std::make_unique<VSlider>(this);
    else
        m_cell = std::make_unique<SpkMicSlider>(this);
    if (cellWasDelegate)
        m_delegate.reset(m_cell.get());
}

QRectF SpkMicSliderAction::knobRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

// Qt's groove spans the whole height, while the handle's centre stops half
// a handle short of either end. The bar area runs between those two centres
// so that the top of the fill always meets the middle of the knob.
QRectF SpkMicSliderAction::barRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRectF groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRectF handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const qreal inset = handle.height() / 2;
    return QRectF(groove.x(), rect().top() + inset, groove.width(), rect().height() - 2 * inset);
}

bool SpkMicSliderAction::event(QEvent* event)
{
    // Hover is followed whether the slider is enabled or not.
    if (event->type() == QEvent::Enter)
        mouseEntered();
    else if (event->type() == QEvent::Leave)
        mouseExited();
    return QSlider::event(event);
}

void SpkMicSliderAction::mouseEntered()
{
    if (SpkMicSliderDelegate* target = delegate())
        target->highLightKnob();
    update();
}

void SpkMicSliderAction::mouseExited()
{
    if (SpkMicSliderDelegate* target = delegate())
        target->commonKnob();
    update();
}

void SpkMicSliderAction::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_cell->drawBarInside(painter, barRect(), true);
    m_cell->drawKnob(painter, knobRect());
    if (showsFocusRing(*this))
        m_cell->drawFocusRing(painter, knobRect());
}

// setSliderPosition() runs triggerAction(SliderMove), the path of a drag.
void SpkMicSliderAction::moveByUser(int value)
{
    if (!isEnabled())
        return;
    setSliderPosition(std::clamp(value, minimum(), maximum()));
}

// Every user change (drag, track click, wheel, key) passes through
// triggerAction(), which announces the new position just before it applies
// it; code calling setValue() does not.
void SpkMicSliderAction::onActionTriggered()
{
    m_userChange = sliderPosition() != value();
}

void SpkMicSliderAction::onValueChanged(int value)
{
    if (!m_userChange)
        return;
    m_userChange = false;
    emit action(value);
}

QSize SpkMicSliderAction::sizeHint() const
{
    const qreal width = std::max(m_cell->knobEnableImage().width(), m_cell->headerEnableImage().width());
    return {width > 0 ? static_cast<int>(std::ceil(width)) : QSlider::sizeHint().width(), 160};
}

QSize SpkMicSliderAction::minimumSizeHint() const
{
    return {sizeHint().width(), static_cast<int>(std::ceil(m_cell->knobEnableImage().height())) * 2};
}
