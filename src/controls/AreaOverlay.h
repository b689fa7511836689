#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

// Lays a widget over an area of its window, inset from the area's top or
// bottom edge, instead of giving it a place in a layout: showing it moves no
// control and leaves the window's size alone. It follows the area's moves
// and resizes; a height taller than the area is cut rather than the window
// grown. Main thread.
class AreaOverlay final : public QObject {
public:
    enum class Edge { Top, Bottom };
    // `height` gives the widget's height for a width.
    AreaOverlay(QWidget& widget, Edge edge, std::function<int(int width)> height);

    // `area` is a descendant of the widget's parent, before it in stacking
    // order.
    void lieOver(QWidget* area);
    void place();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_widget;
    const Edge m_edge;
    const std::function<int(int)> m_height;
    QPointer<QWidget> m_area;
};
