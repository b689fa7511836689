#pragma once

#include <QImage>
#include <QRect>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QPainter;
class QWindow;
struct wl_compositor;
struct wl_display;
struct wl_event_queue;
struct wl_registry;
struct wl_registry_listener;
struct wl_shm;
struct wl_subcompositor;
struct wl_surface;
struct wp_viewporter;

// Surfaces of our own on Wayland, one a bar, laid over a Qt window's surface
// (the bars' layer). Each keeps every picture its bar has shown in one
// buffer, one above the other, and shows one of them through a viewport's
// source rectangle. Once a bar has shown each of its levels, a change of
// level sends a few requests and no pixels, and the compositor answers with
// nothing: no buffer comes back to be released and no frame callback is
// asked for, so none of Qt's threads wakes for it. A buffer, once sent, is
// never written again: a new picture goes into a new buffer.
//
// Its objects live on an event queue of their own on Qt's connection, which
// Qt's threads read and this class dispatches, without waiting, in
// `ready`: it never blocks on the compositor.
//
// Main thread only; the registry's listener runs inside `ready`, on the
// main thread.
class WaylandBarSurfaces {
public:
    // Null when the window is not a Wayland window of Qt's with a surface.
    static std::unique_ptr<WaylandBarSurfaces> over(QWindow* window);
    ~WaylandBarSurfaces();
    WaylandBarSurfaces(const WaylandBarSurfaces&) = delete;
    WaylandBarSurfaces& operator=(const WaylandBarSurfaces&) = delete;

    // The compositor's globals have been seen, viewports among them, and
    // nothing has failed.
    bool ready();
    // Making a buffer or a surface failed: the bars are drawn some other
    // way from now on. Logged once.
    bool failed() const { return m_failed; }

    // Renders one of a bar's pictures, in device pixels of its geometry.
    using Picture = std::function<QImage()>;
    // Shows picture `slot` on bar `bar`, at `geometry` (logical pixels of
    // the window beneath) and the integral `ratio`. `key` names what the
    // pictures show (the backdrop they were rendered over): with another
    // key, geometry or ratio, the bar's pictures are rendered afresh.
    // `picture` is asked only for a picture the bar lacks. False when it
    // failed.
    bool show(int bar, const QRect& geometry, int ratio, int slot, quint64 key, const Picture& picture);
    // Whether bar `bar` shows picture `slot` for these.
    bool shows(int bar, const QRect& geometry, int ratio, int slot, quint64 key) const;
    // True once, for surfaces that have shown nothing yet.
    bool takeFresh() { return std::exchange(m_fresh, false); }
    // Sends what `show` asked for.
    void send();
    // Paints what the bars show over `beneath`, the window's pixels.
    void paintOver(QImage& beneath) const;

private:
    struct Bar;
    struct QueueDeleter {
        void operator()(wl_event_queue* queue) const;
    };

    WaylandBarSurfaces(wl_display* display, wl_surface* parent);
    Bar* barFor(int bar);
    bool addPicture(Bar& bar, int slot, const QImage& picture);
    // `error`: an errno value, or 0.
    void fail(const char* what, int error);

    // Main thread, inside wl_display_dispatch_queue_pending.
    static void announced(void* data, wl_registry* registry, uint32_t name, const char* interface,
                          uint32_t version);
    static void withdrawn(void* data, wl_registry* registry, uint32_t name);
    static const wl_registry_listener kRegistryListener;

    wl_display* m_display;
    wl_surface* m_parent;
    std::unique_ptr<wl_event_queue, QueueDeleter> m_queue;
    wl_display* m_wrapper = nullptr; // Qt's display, its requests' answers sent to m_queue
    wl_registry* m_registry = nullptr;
    wl_compositor* m_compositor = nullptr;
    wl_subcompositor* m_subcompositor = nullptr;
    wl_shm* m_shm = nullptr;
    wp_viewporter* m_viewporter = nullptr;
    bool m_failed = false;
    bool m_fresh = true;
    // Objects made since the queue was last dispatched.
    bool m_made = false;
    // Placing or adding a surface takes effect with the parent's commit.
    bool m_parentChanged = false;
    std::vector<std::unique_ptr<Bar>> m_bars;
};
