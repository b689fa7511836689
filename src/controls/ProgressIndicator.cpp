#include "controls/ProgressIndicator.h"

#include "controls/ControlsAccessibility.h"
#include "controls/FocusRing.h"
#include "controls/Popover.h"
#include "controls/ProgressDelegate.h"
#include "controls/ToolTipViewController.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <optional>

ProgressIndicator::ProgressIndicator(QWidget* parent)
    : QWidget(parent)
{
    installControlsAccessibility();
    updateFocusPolicy();
}

ProgressIndicator::~ProgressIndicator() = default;

void ProgressIndicator::awakeFromNib()
{
    m_bgImage = NamedImage::named(QStringLiteral("vBg"));
    m_headerEnableImage = NamedImage::named(QStringLiteral("vHeaderEnable"));
    m_headerDisableImage = NamedImage::named(QStringLiteral("vHeaderDisable"));
    m_middleEnableImage = NamedImage::named(QStringLiteral("vMiddleEnable"));
    m_middleDisableImage = NamedImage::named(QStringLiteral("vMiddleDisable"));
    m_footerEnableImage = NamedImage::named(QStringLiteral("vFooterEnable"));
    m_footerDisableImage = NamedImage::named(QStringLiteral("vFooterDisable"));
    m_footerHighLightImage = NamedImage::named(QStringLiteral("vFooterHighlight"));
    m_focusRingImage = NamedImage::named(QStringLiteral("focusRingLevel"));
    if (!m_tooltipViewController)
        m_tooltipViewController = new ToolTipViewController;
    if (!m_popoverTooltip) {
        m_popoverTooltip = new Popover(this);
        m_popoverTooltip->setContentViewController(m_tooltipViewController);
    }
    updateGeometry();
}

namespace {

// NaN and values outside the range are taken to the nearest end.
double bounded(double value, double minValue, double maxValue)
{
    if (std::isnan(value) || value < minValue)
        return minValue;
    if (value > maxValue)
        return maxValue;
    return value;
}

} // namespace

void ProgressIndicator::setDoubleValue(double value)
{
    const double previous = m_value;
    m_value = bounded(value, m_minValue, m_maxValue);
    update();
    if (m_value != previous) {
        QAccessibleValueChangeEvent event(this, m_value);
        QAccessible::updateAccessibility(&event);
    }
}

void ProgressIndicator::setEnable(bool enable)
{
    m_enable = enable;
    updateFocusPolicy();
}

void ProgressIndicator::setTagId(int tagId)
{
    m_tagId = tagId;
    updateFocusPolicy();
}

// Tab passes over a level that keys cannot move, as it passes over a
// disabled widget.
void ProgressIndicator::updateFocusPolicy()
{
    setFocusPolicy(m_tagId == 0 && m_enable ? Qt::StrongFocus : Qt::NoFocus);
}

void ProgressIndicator::setMinValue(double minValue)
{
    m_minValue = minValue;
    setDoubleValue(m_value);
}

void ProgressIndicator::setMaxValue(double maxValue)
{
    m_maxValue = maxValue;
    setDoubleValue(m_value);
}

// The bar starts at the control's origin; its full length and its height
// are those of "vBg". Nothing shows below the absolute value 1.0. The
// header cap is one unit wider than its share and the footer starts one unit
// early, so neighbouring pieces overlap by one unit. The enable images'
// widths fix the geometry whatever the state.
ProgressIndicator::BarRects ProgressIndicator::barRects() const
{
    const QRectF R(rect().x(), rect().y(), m_bgImage.width(), m_bgImage.height());
    const double v = m_value;
    const double span = m_maxValue - m_minValue;
    BarRects rects;
    if (v < 1.0 || span <= 0)
        return rects;
    const double L = (v - m_minValue) * R.width() / span;
    const double Hw = m_headerEnableImage.width();
    const double Fw = m_footerEnableImage.width();
    rects.drawn = true;
    if (Hw + Fw > L) {
        rects.header = QRectF(R.x(), R.y(), L * 0.5 + 1, R.height());
        rects.footer = QRectF(R.x() + L * 0.5 - 1, R.y(), L * 0.5, R.height());
    } else {
        const double B = L - Hw - Fw;
        rects.header = QRectF(R.x(), R.y(), Hw + 1, R.height());
        rects.middle = QRectF(R.x() + Hw, R.y(), B, R.height());
        rects.hasMiddle = B > 0;
        rects.footer = QRectF(R.x() + Hw + B - 1, R.y(), Fw, R.height());
    }
    return rects;
}

void ProgressIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const BarRects rects = barRects();
    if (rects.drawn && m_enable) {
        m_headerEnableImage.draw(painter, rects.header);
        if (rects.hasMiddle)
            m_middleEnableImage.draw(painter, rects.middle);
        (m_IsHighlight ? m_footerHighLightImage : m_footerEnableImage).draw(painter, rects.footer);
    } else if (rects.drawn) {
        m_headerDisableImage.draw(painter, rects.header);
        if (rects.hasMiddle)
            m_middleDisableImage.draw(painter, rects.middle);
        m_footerDisableImage.draw(painter, rects.footer);
    }
    // Around the bar's full extent, over the fill.
    if (showsFocusRing(*this))
        m_focusRingImage.draw(painter, QRectF(rect().topLeft(), m_bgImage.size()));
}

// Left of the control is the minimum, past its right edge the maximum, and
// in between the value follows the pointer continuously.
double ProgressIndicator::valueForPosition(qreal x) const
{
    const double width = rect().width();
    if (x < 0 || width <= 0)
        return m_minValue;
    if (x > width)
        return m_maxValue;
    return x * (m_maxValue - m_minValue) / width + m_minValue;
}

void ProgressIndicator::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    mouseDown(event->position());
}

void ProgressIndicator::mouseMoveEvent(QMouseEvent* event)
{
    mouseDragged(event->position());
}

void ProgressIndicator::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    mouseUp();
}

void ProgressIndicator::enterEvent(QEnterEvent*)
{
    mouseEntered();
}

void ProgressIndicator::leaveEvent(QEvent*)
{
    mouseExited();
}

// Press and release report whether or not `enable` is on; only the value
// change in between is gated by it.
void ProgressIndicator::mouseDown(const QPointF& point)
{
    const bool inside = point.x() >= 0 && point.x() < width() && point.y() >= 0 && point.y() < height();
    if (!inside)
        return;
    m_isMouseDown = true;
    dragTo(point);
    if (m_tagId == 0) {
        if (ProgressDelegate* target = delegate())
            target->ReverberanceChanged(doubleValue());
    }
}

void ProgressIndicator::mouseDragged(const QPointF& point)
{
    dragTo(point);
}

void ProgressIndicator::mouseUp()
{
    m_isMouseDown = false;
    if (m_tagId == 0) {
        if (ProgressDelegate* target = delegate())
            target->ReverberanceChanged(doubleValue());
    }
}

void ProgressIndicator::mouseEntered()
{
    if (!m_enable || m_IsHighlight)
        return;
    m_IsHighlight = true;
    showToolTip();
    update();
}

void ProgressIndicator::mouseExited()
{
    if (!m_enable || !m_IsHighlight)
        return;
    m_IsHighlight = false;
    closeToolTip();
    update();
}

namespace {

// Where a key takes the value; a whole step from the whole unit the value
// is in, so each step changes the stored (truncated) setting by exactly
// that much.
std::optional<double> keyTarget(int key, double value, double minValue, double maxValue)
{
    const double unit = std::floor(value);
    switch (key) {
    case Qt::Key_Right:
    case Qt::Key_Up:
        return unit + 1;
    case Qt::Key_Left:
    case Qt::Key_Down:
        return unit - 1;
    case Qt::Key_PageUp:
        return unit + 10;
    case Qt::Key_PageDown:
        return unit - 10;
    case Qt::Key_Home:
        return minValue;
    case Qt::Key_End:
        return maxValue;
    default:
        return std::nullopt;
    }
}

} // namespace

void ProgressIndicator::keyPressEvent(QKeyEvent* event)
{
    const std::optional<double> target =
        event->modifiers() & ~Qt::KeypadModifier ? std::nullopt
                                                 : keyTarget(event->key(), m_value, m_minValue, m_maxValue);
    if (!target || m_tagId != 0 || !m_enable) {
        QWidget::keyPressEvent(event);
        return;
    }
    stepTo(*target);
    event->accept();
}

// A press-drag-release landing on `value`: the drag step, then the one
// report a press and its release would each make.
void ProgressIndicator::stepTo(double value)
{
    if (m_tagId != 0 || !m_enable)
        return;
    setDoubleValue(value);
    closeToolTip();
    showToolTip();
    m_tooltipFromKeys = true;
    if (ProgressDelegate* target = delegate())
        target->ReverberanceChanged(doubleValue());
}

QString ProgressIndicator::valueText() const
{
    ProgressDelegate* target = delegate();
    if (!target)
        return QString::number(m_value);
    return m_tagId != 0 ? target->MixerText(m_value) : target->ReverbText(m_value);
}

// The tooltip a key step opened goes with the focus, unless the pointer
// has since taken it over; the pointer's tooltips close as before.
void ProgressIndicator::focusOutEvent(QFocusEvent* event)
{
    if (m_tooltipFromKeys && !m_IsHighlight)
        closeToolTip();
    QWidget::focusOutEvent(event);
}

void ProgressIndicator::updateToolTip()
{
    closeToolTip();
    showToolTip();
    update();
}

// The drag step: the value follows the pointer and the tooltip is shown
// afresh, so its text follows the value.
void ProgressIndicator::dragTo(const QPointF& point)
{
    if (!m_enable || !m_isMouseDown)
        return;
    // The Mixer bar only shows the mixer's state; its button changes it. A
    // value dragged in between would be neither on nor off.
    if (m_tagId == 0)
        setDoubleValue(valueForPosition(point.x()));
    closeToolTip();
    showToolTip();
}

void ProgressIndicator::closeToolTip()
{
    if (m_popoverTooltip)
        m_popoverTooltip->close();
}

void ProgressIndicator::showToolTip()
{
    m_tooltipFromKeys = false;
    if (!m_popoverTooltip)
        return;
    const QString text = delegate() ? valueText() : QString();
    if (ToolTipViewController* content = m_popoverTooltip->contentViewController())
        content->setTooltipText(text);
    m_popoverTooltip->showRelativeToRect(rect(), this, Popover::MinYEdge);
}

QSize ProgressIndicator::sizeHint() const
{
    const QSize bar = m_bgImage.size().toSize();
    return bar.isEmpty() ? QSize(160, 16) : bar;
}

QSize ProgressIndicator::minimumSizeHint() const
{
    return sizeHint();
}
