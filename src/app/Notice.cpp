#include "app/Notice.h"

Notice::Notice(QWidget* anchor)
    : QLabel(anchor->window(), Qt::ToolTip | Qt::FramelessWindowHint)
    , m_anchor(anchor)
{
    setObjectName(QStringLiteral("notice"));
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setMargin(4);
    setWordWrap(true);
    setMaximumWidth(360);
    m_hide.setSingleShot(true);
    connect(&m_hide, &QTimer::timeout, this, &QWidget::hide);
}

void Notice::showMessage(const QString& text, std::chrono::milliseconds duration)
{
    if (!m_anchor || !m_anchor->isVisible())
        return;
    setText(text);
    adjustSize();
    move(m_anchor->mapToGlobal(QPoint(0, m_anchor->height())));
    show();
    raise();
    m_hide.start(duration);
}
