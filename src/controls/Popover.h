#pragma once

#include "controls/ToolTipViewController.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

// A small frameless popup that shows a content view beside a control. It
// never takes focus or grabs the pointer, and stays open until close(). It
// follows its control's window when that moves and closes when it hides, so
// it never floats alone over other applications.
class Popover : public QWidget {
    Q_OBJECT

public:
    // The side of the positioning rectangle the popup appears on.
    enum Edge { MinXEdge = 0, MinYEdge = 1, MaxXEdge = 2, MaxYEdge = 3 };

    explicit Popover(QWidget* parent = nullptr);

    ToolTipViewController* contentViewController() const { return m_content; }
    // Takes ownership of the content.
    void setContentViewController(ToolTipViewController* content);

    // Shows the popup next to `rect` (in `view`'s coordinates). MinYEdge,
    // the bottom edge in Qt's downward space, puts it under the control.
    void showRelativeToRect(const QRect& rect, QWidget* view, Edge preferredEdge);
    bool isShown() const { return isVisible(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void place();

    QPointer<ToolTipViewController> m_content;
    QPointer<QWidget> m_view;
    QPointer<QWidget> m_window;
    QRect m_rect;
    Edge m_edge = MinYEdge;
};
