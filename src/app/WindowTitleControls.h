#pragma once

#include <QObject>
#include <Qt>

class QBoxLayout;
class QWidget;

// What a title bar gives a window, for where neither the compositor nor Qt
// draws one (a Wayland desktop without server-side title bars, under a Qt
// that would load its whole EGL stack to draw its own): minimise and close
// buttons at the end of the window's top row, a press on that row outside
// any control moves the window, and a press on the window's edge resizes it.
// The compositor does the moving and resizing (xdg-shell), so they follow
// the pointer as a title bar's would.
//
// Main thread only.
class WindowTitleControls : public QObject {
    Q_OBJECT

public:
    // `row` is laid out in `handle`, a widget of `window`'s.
    WindowTitleControls(QWidget* window, QWidget* handle, QBoxLayout* row);

    // The window's edges a press at `pos` (window coordinates) would resize.
    static Qt::Edges edgesAt(QSize window, QPoint pos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool onRowOutsideControls(QPoint windowPos) const;

    QWidget* m_window;
    QWidget* m_handle;
    QBoxLayout* m_row;
};
