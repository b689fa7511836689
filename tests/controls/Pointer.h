#pragma once

#include <QApplication>
#include <QEnterEvent>
#include <QWidget>

// Pointer crossings as the window system delivers them. QTest has mouse
// buttons and moves but no enter/leave, and the offscreen platform has no
// real pointer to cross anything.
inline void pointerEnters(QWidget* widget)
{
    const QPointF local(widget->width() / 2.0, widget->height() / 2.0);
    QEnterEvent event(local, widget->mapTo(widget->window(), local), widget->mapToGlobal(local));
    QApplication::sendEvent(widget, &event);
}

inline void pointerExits(QWidget* widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}
