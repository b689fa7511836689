#include "spectrum/WaylandBarSurfaces.h"

#include "spectrum/SpectrumLog.h"

#include <QGuiApplication>
#include <QPainter>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <algorithm>
#include <bitset>
#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "viewporter-client-protocol.h"

namespace {

// Buffer scale came with version 3 of the compositor's surfaces.
constexpr uint32_t kCompositorVersion = 3;
constexpr int kMostSlots = 32;

} // namespace

// A buffer over a memory file of its own, shared with the compositor
// through a pool that is let go once the buffer exists. Written only
// before it is sent: destroying it before the compositor releases it is
// then allowed, and the compositor keeps showing it until another replaces it.
struct BarBuffer {
    BarBuffer() = default;
    BarBuffer(const BarBuffer&) = delete;
    BarBuffer& operator=(const BarBuffer&) = delete;
    ~BarBuffer()
    {
        if (buffer)
            wl_buffer_destroy(buffer);
        if (memory != MAP_FAILED)
            munmap(memory, bytes);
        if (fd >= 0)
            close(fd);
    }

    int fd = -1;
    void* memory = MAP_FAILED;
    std::size_t bytes = 0;
    wl_buffer* buffer = nullptr;
    QImage image; // over `memory`
};

struct WaylandBarSurfaces::Bar {
    Bar() = default;
    Bar(const Bar&) = delete;
    Bar& operator=(const Bar&) = delete;
    ~Bar()
    {
        if (viewport)
            wp_viewport_destroy(viewport);
        if (subsurface)
            wl_subsurface_destroy(subsurface);
        if (surface)
            wl_surface_destroy(surface);
    }

    wl_surface* surface = nullptr;
    wl_subsurface* subsurface = nullptr;
    wp_viewport* viewport = nullptr;
    std::unique_ptr<BarBuffer> buffer;
    QRect geometry;
    int ratio = 0;
    quint64 key = 0;
    std::bitset<kMostSlots> has; // the pictures `buffer` holds, one a slot, top to bottom
    int shown = -1;
};

const wl_registry_listener WaylandBarSurfaces::kRegistryListener{&WaylandBarSurfaces::announced,
                                                                 &WaylandBarSurfaces::withdrawn};

void WaylandBarSurfaces::QueueDeleter::operator()(wl_event_queue* queue) const
{
    wl_event_queue_destroy(queue);
}

std::unique_ptr<WaylandBarSurfaces> WaylandBarSurfaces::over(QWindow* window)
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")) || !window->handle())
        return nullptr;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
    auto* surface = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window));
    if (!display || !surface)
        return nullptr;
    return std::unique_ptr<WaylandBarSurfaces>(new WaylandBarSurfaces(display, surface));
}

WaylandBarSurfaces::WaylandBarSurfaces(wl_display* display, wl_surface* parent)
    : m_display(display)
    , m_parent(parent)
    , m_queue(wl_display_create_queue(display))
{
    m_wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    if (!m_queue || !m_wrapper) {
        fail("no event queue", 0);
        return;
    }
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(m_wrapper), m_queue.get());
    m_registry = wl_display_get_registry(m_wrapper);
    wl_registry_add_listener(m_registry, &kRegistryListener, this);
    // The globals come with Qt's next read; a later `ready` finds them.
    wl_display_flush(m_display);
}

WaylandBarSurfaces::~WaylandBarSurfaces()
{
    // Every object on the queue goes before the queue does.
    m_bars.clear();
    if (m_viewporter)
        wp_viewporter_destroy(m_viewporter);
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_subcompositor)
        wl_subcompositor_destroy(m_subcompositor);
    if (m_compositor)
        wl_compositor_destroy(m_compositor);
    if (m_registry)
        wl_registry_destroy(m_registry);
    if (m_wrapper)
        wl_proxy_wrapper_destroy(m_wrapper);
    wl_display_flush(m_display);
}

void WaylandBarSurfaces::announced(void* data, wl_registry* registry, uint32_t name, const char* interface,
                                   uint32_t version)
{
    auto* self = static_cast<WaylandBarSurfaces*>(data);
    const auto is = [interface](const wl_interface& wanted) { return std::strcmp(interface, wanted.name) == 0; };
    if (!self->m_compositor && is(wl_compositor_interface) && version >= kCompositorVersion)
        self->m_compositor = static_cast<wl_compositor*>(
            wl_registry_bind(registry, name, &wl_compositor_interface, kCompositorVersion));
    else if (!self->m_subcompositor && is(wl_subcompositor_interface))
        self->m_subcompositor =
            static_cast<wl_subcompositor*>(wl_registry_bind(registry, name, &wl_subcompositor_interface, 1));
    else if (!self->m_shm && is(wl_shm_interface))
        self->m_shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (!self->m_viewporter && is(wp_viewporter_interface))
        self->m_viewporter =
            static_cast<wp_viewporter*>(wl_registry_bind(registry, name, &wp_viewporter_interface, 1));
}

void WaylandBarSurfaces::withdrawn(void*, wl_registry*, uint32_t) {}

void WaylandBarSurfaces::fail(const char* what, int error)
{
    if (!m_failed)
        qCWarning(lcSpectrum).nospace() << "spectrum: the bars' surfaces on Wayland failed: " << what
                                        << (error ? ": " : "") << (error ? std::strerror(error) : "")
                                        << "; the bars' layer draws them";
    m_failed = true;
}

bool WaylandBarSurfaces::ready()
{
    if (m_failed)
        return false;
    const bool globals = m_compositor && m_subcompositor && m_shm && m_viewporter;
    // What Qt's threads have read for us: the globals, and what comes for
    // what we made (a surface's outputs, a buffer's release), which comes
    // to nothing.
    if (globals && !std::exchange(m_made, false))
        return true;
    if (wl_display_dispatch_queue_pending(m_display, m_queue.get()) < 0) {
        fail("the connection", errno);
        return false;
    }
    return m_compositor && m_subcompositor && m_shm && m_viewporter;
}

WaylandBarSurfaces::Bar* WaylandBarSurfaces::barFor(int bar)
{
    if (bar < 0)
        return nullptr;
    if (static_cast<std::size_t>(bar) >= m_bars.size())
        m_bars.resize(static_cast<std::size_t>(bar) + 1);
    auto& made = m_bars[static_cast<std::size_t>(bar)];
    if (made)
        return made.get();
    made = std::make_unique<Bar>();
    m_made = true;
    made->surface = wl_compositor_create_surface(m_compositor);
    made->subsurface = wl_subcompositor_get_subsurface(m_subcompositor, made->surface, m_parent);
    made->viewport = wp_viewporter_get_viewport(m_viewporter, made->surface);
    if (!made->surface || !made->subsurface || !made->viewport) {
        made.reset();
        fail("no surface", 0);
        return nullptr;
    }
    // A level's change shows at once, not with the layer's next paint.
    wl_subsurface_set_desync(made->subsurface);
    // The pointer goes through to the layer, which hands it to the window.
    wl_region* none = wl_compositor_create_region(m_compositor);
    wl_surface_set_input_region(made->surface, none);
    wl_region_destroy(none);
    m_parentChanged = true;
    return made.get();
}

bool WaylandBarSurfaces::addPicture(Bar& bar, int slot, const QImage& picture)
{
    const QSize size = bar.geometry.size() * bar.ratio;
    if (picture.size() != size) {
        fail("a picture of the wrong size", 0);
        return false;
    }
    const BarBuffer* old = bar.has.any() ? bar.buffer.get() : nullptr;
    const int rows = std::max(slot + 1, old ? old->image.height() / size.height() : 0);
    auto made = std::make_unique<BarBuffer>();
    m_made = true;
    const int stride = size.width() * 4;
    made->bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(size.height() * rows);
    made->fd = memfd_create("quorel-spectrum-bar", MFD_CLOEXEC);
    if (made->fd < 0 || ftruncate(made->fd, static_cast<off_t>(made->bytes)) != 0) {
        fail("no memory for a buffer", errno);
        return false;
    }
    made->memory = mmap(nullptr, made->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, made->fd, 0);
    if (made->memory == MAP_FAILED) {
        fail("cannot map a buffer", errno);
        return false;
    }
    made->image = QImage(static_cast<uchar*>(made->memory), size.width(), size.height() * rows, stride,
                         QImage::Format_ARGB32_Premultiplied);
    made->image.fill(Qt::transparent);
    {
        QPainter painter(&made->image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (old)
            painter.drawImage(QPoint(0, 0), old->image);
        QImage placed = picture;
        placed.setDevicePixelRatio(1);
        painter.drawImage(QPoint(0, slot * size.height()), placed);
    }
    wl_shm_pool* pool = wl_shm_create_pool(m_shm, made->fd, static_cast<int32_t>(made->bytes));
    // Little-endian ARGB8888 is Qt's premultiplied ARGB32.
    made->buffer = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height() * rows, stride,
                                             WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    if (!made->buffer) {
        fail("no buffer", 0);
        return false;
    }
    if (!old)
        bar.has.reset();
    bar.has.set(static_cast<std::size_t>(slot));
    wl_surface_set_buffer_scale(bar.surface, bar.ratio);
    wl_surface_attach(bar.surface, made->buffer, 0, 0);
    wl_surface_damage(bar.surface, 0, 0, bar.geometry.width(), bar.geometry.height() * rows);
    // The old buffer is never written again, so it may go before the
    // compositor lets go of it.
    bar.buffer = std::move(made);
    return true;
}

bool WaylandBarSurfaces::shows(int bar, const QRect& geometry, int ratio, int slot, quint64 key) const
{
    if (bar < 0 || static_cast<std::size_t>(bar) >= m_bars.size() || !m_bars[static_cast<std::size_t>(bar)])
        return false;
    const Bar& known = *m_bars[static_cast<std::size_t>(bar)];
    return known.shown == slot && known.geometry == geometry && known.ratio == ratio && known.key == key;
}

bool WaylandBarSurfaces::show(int bar, const QRect& geometry, int ratio, int slot, quint64 key,
                              const Picture& picture)
{
    if (m_failed || slot < 0 || slot >= kMostSlots || geometry.isEmpty() || ratio < 1)
        return false;
    if (shows(bar, geometry, ratio, slot, key))
        return true;
    Bar* known = barFor(bar);
    if (!known)
        return false;
    if (known->geometry.topLeft() != geometry.topLeft() || known->ratio == 0) {
        wl_subsurface_set_position(known->subsurface, geometry.x(), geometry.y());
        m_parentChanged = true;
    }
    if (known->geometry != geometry || known->ratio != ratio || known->key != key) {
        // Pictures for another place, size or backdrop.
        known->has.reset();
        known->geometry = geometry;
        known->ratio = ratio;
        known->key = key;
    }
    if (!known->has[static_cast<std::size_t>(slot)] && !addPicture(*known, slot, picture()))
        return false;
    wp_viewport_set_source(known->viewport, wl_fixed_from_int(0), wl_fixed_from_int(slot * geometry.height()),
                           wl_fixed_from_int(geometry.width()), wl_fixed_from_int(geometry.height()));
    wl_surface_commit(known->surface);
    known->shown = slot;
    return true;
}

void WaylandBarSurfaces::send()
{
    // A surface's place among the parent's takes effect with the parent's
    // commit, which carries nothing else: Qt commits what it draws at once.
    if (std::exchange(m_parentChanged, false))
        wl_surface_commit(m_parent);
    wl_display_flush(m_display);
}

void WaylandBarSurfaces::paintOver(QImage& beneath) const
{
    QPainter painter(&beneath);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const auto& bar : m_bars) {
        if (!bar || bar->shown < 0 || !bar->buffer)
            continue;
        const QSize size = bar->geometry.size() * bar->ratio;
        painter.drawImage(QRectF(bar->geometry), bar->buffer->image,
                          QRectF(QPointF(0, bar->shown * size.height()), QSizeF(size)));
    }
}
