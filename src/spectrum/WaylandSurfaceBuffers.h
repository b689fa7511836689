#pragma once

#include <QImage>
#include <QRegion>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QWindow;
struct wl_buffer;
struct wl_buffer_listener;
struct wl_display;
struct wl_event_queue;
struct wl_registry;
struct wl_registry_listener;
struct wl_shm;
struct wl_surface;

// Shared-memory buffers of our own, drawn and committed straight to a Qt
// window's Wayland surface. Qt's backing store would, each time, copy its
// whole previous buffer while the compositor holds it and ask for a frame
// callback that wakes three of its threads; a layer drawn at a steady rate
// needs neither.
//
// Its objects live on an event queue of their own on Qt's connection, which
// Qt's threads read and this class dispatches, without waiting, when it
// draws: it never blocks on the compositor. Until the compositor's shared
// memory global has been seen, `draw` says it cannot draw yet.
//
// Main thread only; the listeners run inside `draw`, on the main thread.
class WaylandSurfaceBuffers {
public:
    using Painter = std::function<void(QPainter&, const QRegion&)>;

    // Null when the window is not a Wayland window of Qt's.
    static std::unique_ptr<WaylandSurfaceBuffers> forWindow(QWindow* window);
    ~WaylandSurfaceBuffers();
    WaylandSurfaceBuffers(const WaylandSurfaceBuffers&) = delete;
    WaylandSurfaceBuffers& operator=(const WaylandSurfaceBuffers&) = delete;

    enum class Drawn {
        Sent,   // committed, or nothing to send
        Later,  // every buffer is still the compositor's: owed for the next call
        NotYet, // the compositor's shared memory not seen yet: draw some other way
        Failed  // shared memory failed: draw some other way from now on
    };
    // Paints `region` (logical pixels) of a surface of `size` logical pixels
    // at the integral `ratio`, plus whatever the chosen buffer missed since
    // it was last sent, and commits it. The first call that can draw sends
    // the whole surface.
    Drawn draw(QSize size, int ratio, const QRegion& region, const Painter& paint);
    // Something was sent, so Qt's buffers are no longer shown.
    bool hasSent() const { return m_last != nullptr; }
    // What is still owed after a `Later`.
    bool owesDrawing() const { return !m_owed.isEmpty(); }
    // The pixels last committed, in device pixels; null before the first.
    QImage lastSent() const;

private:
    struct Buffer;
    struct QueueDeleter {
        void operator()(wl_event_queue* queue) const;
    };

    WaylandSurfaceBuffers(wl_display* display, wl_surface* surface);
    Buffer* freeBuffer(QSize pixels, int ratio);
    void dropBuffers();

    // Main thread, inside wl_display_dispatch_queue_pending.
    static void announced(void* data, wl_registry* registry, uint32_t name, const char* interface,
                          uint32_t version);
    static void withdrawn(void* data, wl_registry* registry, uint32_t name);
    static void released(void* data, wl_buffer* buffer);
    static const wl_registry_listener kRegistryListener;
    static const wl_buffer_listener kBufferListener;

    wl_display* m_display;
    wl_surface* m_surface;
    std::unique_ptr<wl_event_queue, QueueDeleter> m_queue;
    wl_display* m_wrapper = nullptr; // Qt's display, its requests' answers sent to m_queue
    wl_registry* m_registry = nullptr;
    wl_shm* m_shm = nullptr;
    bool m_failed = false;
    std::vector<std::unique_ptr<Buffer>> m_buffers;
    const Buffer* m_last = nullptr;
    QRegion m_owed;
};
