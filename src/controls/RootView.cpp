#include "controls/RootView.h"

#include "controls/BackgroundView.h"

#include <QEvent>

RootView::RootView(QWidget* parent)
    : QWidget(parent)
{
}

// Qt has no single "moved to a window" notice: a widget built with its
// parent gets no ParentChange, so the first Show stands in for it.
bool RootView::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::Show)
        viewDidMoveToWindow();
    return handled;
}

// Dresses the window the view now sits in. A view without a window (its own
// top level) adds nothing, and a window is dressed only once.
void RootView::viewDidMoveToWindow()
{
    QWidget* frameView = window();
    if (frameView == this)
        return;
    if (frameView->findChild<BackgroundView*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    auto* background = new BackgroundView(frameView);
    background->show();
}
