#include "app/WindowTitleControls.h"

#include <QBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QWidget>
#include <QWindow>

namespace {

// How far in from the window's edge a press resizes, in logical pixels:
// about what a compositor's own borders give.
constexpr int kEdge = 6;

QPushButton* titleButton(QWidget* parent, const QString& glyph, const QString& name, const char* objectName)
{
    auto* button = new QPushButton(glyph, parent);
    button->setObjectName(QLatin1String(objectName));
    button->setProperty("class", QStringLiteral("titleButton"));
    button->setAccessibleName(name);
    button->setToolTip(name);
    return button;
}

Qt::CursorShape cursorFor(Qt::Edges edges)
{
    if (edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge))
        return Qt::SizeFDiagCursor;
    if (edges == (Qt::TopEdge | Qt::RightEdge) || edges == (Qt::BottomEdge | Qt::LeftEdge))
        return Qt::SizeBDiagCursor;
    if (edges & (Qt::LeftEdge | Qt::RightEdge))
        return Qt::SizeHorCursor;
    return Qt::SizeVerCursor;
}

} // namespace

WindowTitleControls::WindowTitleControls(QWidget* window, QWidget* handle, QBoxLayout* row)
    : QObject(window)
    , m_window(window)
    , m_handle(handle)
    , m_row(row)
{
    QPushButton* minimise = titleButton(handle, QStringLiteral("\u2013"), tr("Minimise"), "TitleMinimiseButton");
    QPushButton* close = titleButton(handle, QStringLiteral("\u2715"), tr("Close"), "TitleCloseButton");
    row->addWidget(minimise);
    row->addWidget(close);
    connect(minimise, &QPushButton::clicked, window, &QWidget::showMinimized);
    connect(close, &QPushButton::clicked, window, &QWidget::close);
    // Presses no control took come up to these; moves only where tracked.
    for (QWidget* watched : {window, handle}) {
        watched->setMouseTracking(true);
        watched->installEventFilter(this);
    }
}

Qt::Edges WindowTitleControls::edgesAt(QSize window, QPoint pos)
{
    Qt::Edges edges;
    if (pos.x() < kEdge)
        edges |= Qt::LeftEdge;
    else if (pos.x() >= window.width() - kEdge)
        edges |= Qt::RightEdge;
    if (pos.y() < kEdge)
        edges |= Qt::TopEdge;
    else if (pos.y() >= window.height() - kEdge)
        edges |= Qt::BottomEdge;
    return edges;
}

bool WindowTitleControls::onRowOutsideControls(QPoint windowPos) const
{
    const QPoint at = m_handle->mapFrom(m_window, windowPos);
    if (!m_row->geometry().contains(at))
        return false;
    const QWidget* under = m_handle->childAt(at);
    // The row's texts and pictures are part of the bar; its controls are not.
    return !under || under->focusPolicy() == Qt::NoFocus;
}

bool WindowTitleControls::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::Leave)
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (type == QEvent::Leave) {
        widget->unsetCursor();
        return false;
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = widget->mapTo(m_window, mouse->position().toPoint());
    const Qt::Edges edges = m_window->isMaximized() ? Qt::Edges() : edgesAt(m_window->size(), at);
    if (type == QEvent::MouseMove) {
        if (mouse->buttons() == Qt::NoButton) {
            if (edges)
                widget->setCursor(cursorFor(edges));
            else
                widget->unsetCursor();
        }
        return false;
    }
    if (mouse->button() != Qt::LeftButton || !m_window->windowHandle())
        return false;
    if (edges)
        return m_window->windowHandle()->startSystemResize(edges);
    if (onRowOutsideControls(at))
        return m_window->windowHandle()->startSystemMove();
    return false;
}
