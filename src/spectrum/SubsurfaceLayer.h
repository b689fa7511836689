#pragma once

#include <QBackingStore>
#include <QImage>
#include <QWindow>

#include <functional>
#include <memory>

class WaylandBarSurfaces;

class QPainter;
class QRegion;

// A raster window of its own laid over part of a top-level window: on
// Wayland, Qt makes it a subsurface with a buffer of its own size. Drawing
// into it copies and commits only that small buffer, where a paint through
// the widgets would have Qt 6.4's backing store copy the whole window's
// buffer (the compositor still holds the last one) and commit the window.
//
// Over it lie the bars' own surfaces (`WaylandBarSurfaces`), which go with
// the layer's surface.
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
    ~SubsurfaceLayer() override;

    // Draws `region` and sends it to the compositor now, if the layer shows.
    void draw(const QRegion& region);
    // The pixels last sent, in device pixels, with the bars' surfaces over
    // them; null before the first.
    QImage image();
    // The bars' surfaces over the layer, made on the first call while the
    // layer shows; nullptr when they cannot be had (yet).
    WaylandBarSurfaces* barSurfaces();
    // Lets the bars' surfaces go; the layer shows what it drew beneath them.
    void dropBarSurfaces();

protected:
    void exposeEvent(QExposeEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Qt's Wayland surface for the layer, or nullptr.
    void* surface();

    QBackingStore m_store;
    Painter m_paint;
    bool m_drawn = false;
    std::unique_ptr<WaylandBarSurfaces> m_bars;
    // What m_bars lies over; Qt makes the layer's surface afresh when it
    // shows again.
    void* m_barsParent = nullptr;
    bool m_barsFailed = false;
};
