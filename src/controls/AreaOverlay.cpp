#include "controls/AreaOverlay.h"

#include <QEvent>

#include <algorithm>

AreaOverlay::AreaOverlay(QWidget& widget, Edge edge, std::function<int(int width)> height)
    : QObject(&widget)
    , m_widget(widget)
    , m_edge(edge)
    , m_height(std::move(height))
{
}

void AreaOverlay::lieOver(QWidget* area)
{
    Q_ASSERT(m_widget.parentWidget() && m_widget.parentWidget()->isAncestorOf(area));
    if (m_area)
        m_area->removeEventFilter(this);
    m_area = area;
    area->installEventFilter(this);
    place();
}

bool AreaOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_area && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        place();
    return QObject::eventFilter(watched, event);
}

void AreaOverlay::place()
{
    if (!m_area)
        return;
    // Inset, so the area's rounded frame stays visible around the widget.
    constexpr int kInset = 10;
    // The style sheet's fonts decide the text's height.
    m_widget.ensurePolished();
    const QRect area(m_area->mapTo(m_widget.parentWidget(), QPoint(0, 0)), m_area->size());
    const int width = std::max(0, area.width() - 2 * kInset);
    const int height = std::clamp(m_height(width), 0, std::max(0, area.height() - 2 * kInset));
    const int top = m_edge == Edge::Top ? area.y() + kInset : area.bottom() + 1 - kInset - height;
    m_widget.setGeometry(area.x() + kInset, top, width, height);
}
