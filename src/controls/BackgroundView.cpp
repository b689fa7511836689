#include "controls/BackgroundView.h"

#include "controls/NamedImage.h"

#include <QEvent>
#include <QPainter>

BackgroundView::BackgroundView(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (parent) {
        setGeometry(parent->rect());
        parent->installEventFilter(this);
    }
    lower();
}

// Follows the parent's size, as the window is resized.
bool BackgroundView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void BackgroundView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    NamedImage::named(QStringLiteral("rect")).draw(painter, rect());
}
