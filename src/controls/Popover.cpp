#include "controls/Popover.h"

#include "controls/ToolTipViewController.h"

#include <QEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The arrow that points at the control, in the tooltip background's colour.
constexpr int kArrow = 6;
const QColor kArrowColor(0x2b, 0x30, 0x38);

} // namespace

Popover::Popover(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, kArrow, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void Popover::setContentViewController(ToolTipViewController* content)
{
    if (m_content == content)
        return;
    delete m_content;
    m_content = content;
    if (content)
        layout()->addWidget(content);
}

void Popover::showRelativeToRect(const QRect& rect, QWidget* view, Edge preferredEdge)
{
    m_view = view;
    m_rect = rect;
    m_edge = preferredEdge;
    if (m_window != view->window()) {
        if (m_window)
            m_window->removeEventFilter(this);
        m_window = view->window();
        m_window->installEventFilter(this);
    }
    switch (preferredEdge) {
    case MinXEdge:
        layout()->setContentsMargins(0, 0, kArrow, 0);
        break;
    case MaxXEdge:
        layout()->setContentsMargins(kArrow, 0, 0, 0);
        break;
    case MaxYEdge:
        layout()->setContentsMargins(0, 0, 0, kArrow);
        break;
    case MinYEdge:
        layout()->setContentsMargins(0, kArrow, 0, 0);
        break;
    }
    if (m_content)
        m_content->viewWillAppear();
    layout()->activate();
    adjustSize();
    place();
    show();
}

bool Popover::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && isVisible()) {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            place();
        else if (event->type() == QEvent::Hide)
            close();
    }
    return QWidget::eventFilter(watched, event);
}

void Popover::place()
{
    if (!m_view)
        return;
    const QRect target(m_view->mapToGlobal(m_rect.topLeft()), m_rect.size());
    QPoint topLeft;
    switch (m_edge) {
    case MinXEdge:
        topLeft = QPoint(target.left() - width(), target.center().y() - height() / 2);
        break;
    case MaxXEdge:
        topLeft = QPoint(target.right() + 1, target.center().y() - height() / 2);
        break;
    case MaxYEdge:
        topLeft = QPoint(target.center().x() - width() / 2, target.top() - height());
        break;
    case MinYEdge:
        topLeft = QPoint(target.center().x() - width() / 2, target.bottom() + 1);
        break;
    }
    // Keep the whole popup on the screen the control is on.
    if (const QScreen* screen = m_view->screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() + 1 - width())));
        topLeft.setY(std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() + 1 - height())));
    }
    move(topLeft);
}

void Popover::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(rect()).center();
    QPolygonF arrow;
    switch (m_edge) {
    case MinXEdge:
        arrow << QPointF(width(), c.y()) << QPointF(width() - kArrow, c.y() - kArrow)
              << QPointF(width() - kArrow, c.y() + kArrow);
        break;
    case MaxXEdge:
        arrow << QPointF(0, c.y()) << QPointF(kArrow, c.y() - kArrow) << QPointF(kArrow, c.y() + kArrow);
        break;
    case MaxYEdge:
        arrow << QPointF(c.x(), height()) << QPointF(c.x() - kArrow, height() - kArrow)
              << QPointF(c.x() + kArrow, height() - kArrow);
        break;
    case MinYEdge:
        arrow << QPointF(c.x(), 0) << QPointF(c.x() - kArrow, kArrow) << QPointF(c.x() + kArrow, kArrow);
        break;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(kArrowColor);
    painter.drawPolygon(arrow);
}
