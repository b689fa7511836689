#pragma once

#include <QBackingStore>
#include <QImage>
#include <QWindow>

#include <functional>

class QPainter;
class QRegion;

// A raster window of its own laid over part of a top-level window: on
// Wayland, Qt makes it a subsurface with a buffer of its own size. Drawing
// into it copies and commits only that small buffer, where a paint through
// the widgets would have Qt 6.4's backing store copy the whole window's
// buffer (the compositor still holds the last one) and commit the window.
//
// It draws nothing itself: `paint` is asked for the region, in the layer's
// logical pixels, on exposure and from `draw`. It takes no input: pointer
// events go on to the window beneath, where they would have gone.
//
// Main thread only.
class SubsurfaceLayer : public QWindow {
public:
    using Painter = std::function<void(QPainter&, const QRegion&)>;
    SubsurfaceLayer(QWindow* parent, Painter paint);

    // Draws `region` and sends it to the compositor now, if the layer shows.
    void draw(const QRegion& region);
    // The pixels last sent, in device pixels; null before the first.
    QImage image();

protected:
    void exposeEvent(QExposeEvent* event) override;
    bool event(QEvent* event) override;

private:
    QBackingStore m_store;
    Painter m_paint;
    bool m_drawn = false;
};
