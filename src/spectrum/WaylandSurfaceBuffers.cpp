#include "spectrum/WaylandSurfaceBuffers.h"

#include "spectrum/SpectrumLog.h"

#include <QGuiApplication>
#include <QPainter>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace {

// Kept for three frames at most: one shown, one the compositor may still
// read, one to draw.
constexpr std::size_t kMostBuffers = 3;

} // namespace

// One buffer over a memory file of its own: mapped here, shared with the
// compositor through a pool that is let go once the buffer exists.
struct WaylandSurfaceBuffers::Buffer {
    Buffer() = default;
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ~Buffer()
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
    QImage image;
    int ratio = 1;
    bool busy = false;
    QRegion stale; // logical pixels drawn elsewhere since this one was sent
};

const wl_registry_listener WaylandSurfaceBuffers::kRegistryListener{&WaylandSurfaceBuffers::announced,
                                                                    &WaylandSurfaceBuffers::withdrawn};
const wl_buffer_listener WaylandSurfaceBuffers::kBufferListener{&WaylandSurfaceBuffers::released};

void WaylandSurfaceBuffers::QueueDeleter::operator()(wl_event_queue* queue) const
{
    wl_event_queue_destroy(queue);
}

std::unique_ptr<WaylandSurfaceBuffers> WaylandSurfaceBuffers::forWindow(QWindow* window)
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")) || !window->handle())
        return nullptr;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
    auto* surface = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window));
    if (!display || !surface)
        return nullptr;
    return std::unique_ptr<WaylandSurfaceBuffers>(new WaylandSurfaceBuffers(display, surface));
}

WaylandSurfaceBuffers::WaylandSurfaceBuffers(wl_display* display, wl_surface* surface)
    : m_display(display)
    , m_surface(surface)
    , m_queue(wl_display_create_queue(display))
{
    m_wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    if (!m_queue || !m_wrapper) {
        m_failed = true;
        return;
    }
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(m_wrapper), m_queue.get());
    m_registry = wl_display_get_registry(m_wrapper);
    wl_registry_add_listener(m_registry, &kRegistryListener, this);
    // The globals come with Qt's next read; the first draws after that
    // find them.
    wl_display_flush(m_display);
}

WaylandSurfaceBuffers::~WaylandSurfaceBuffers()
{
    // Every object on the queue goes before the queue does.
    dropBuffers();
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_registry)
        wl_registry_destroy(m_registry);
    if (m_wrapper)
        wl_proxy_wrapper_destroy(m_wrapper);
}

void WaylandSurfaceBuffers::announced(void* data, wl_registry* registry, uint32_t name, const char* interface,
                                      uint32_t)
{
    auto* self = static_cast<WaylandSurfaceBuffers*>(data);
    if (self->m_shm || std::strcmp(interface, wl_shm_interface.name) != 0)
        return;
    self->m_shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
}

void WaylandSurfaceBuffers::withdrawn(void*, wl_registry*, uint32_t) {}

void WaylandSurfaceBuffers::released(void* data, wl_buffer*)
{
    static_cast<Buffer*>(data)->busy = false;
}

void WaylandSurfaceBuffers::dropBuffers()
{
    m_buffers.clear();
    m_last = nullptr;
}

WaylandSurfaceBuffers::Buffer* WaylandSurfaceBuffers::freeBuffer(QSize pixels, int ratio)
{
    if (!m_buffers.empty() && (m_buffers.front()->image.size() != pixels || m_buffers.front()->ratio != ratio))
        dropBuffers();
    for (const auto& buffer : m_buffers) {
        if (!buffer->busy)
            return buffer.get();
    }
    if (m_buffers.size() >= kMostBuffers)
        return nullptr;

    auto made = std::make_unique<Buffer>();
    const int stride = pixels.width() * 4;
    made->bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(pixels.height());
    made->fd = memfd_create("quorel-spectrum-bars", MFD_CLOEXEC);
    if (made->fd < 0 || ftruncate(made->fd, static_cast<off_t>(made->bytes)) != 0) {
        qCWarning(lcSpectrum) << "spectrum: cannot make a buffer for the bars on Wayland:" << std::strerror(errno)
                              << "- Qt draws them";
        m_failed = true;
        return nullptr;
    }
    made->memory = mmap(nullptr, made->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, made->fd, 0);
    if (made->memory == MAP_FAILED) {
        qCWarning(lcSpectrum) << "spectrum: cannot map a buffer for the bars on Wayland:" << std::strerror(errno)
                              << "- Qt draws them";
        m_failed = true;
        return nullptr;
    }
    wl_shm_pool* pool = wl_shm_create_pool(m_shm, made->fd, static_cast<int32_t>(made->bytes));
    // Little-endian ARGB8888 is Qt's premultiplied ARGB32, as Qt's own
    // buffers are.
    made->buffer = wl_shm_pool_create_buffer(pool, 0, pixels.width(), pixels.height(), stride,
                                             WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    wl_buffer_add_listener(made->buffer, &kBufferListener, made.get());
    made->image = QImage(static_cast<uchar*>(made->memory), pixels.width(), pixels.height(), stride,
                         QImage::Format_ARGB32_Premultiplied);
    made->image.setDevicePixelRatio(ratio);
    made->ratio = ratio;
    made->stale = QRect(QPoint(0, 0), pixels / ratio);
    m_buffers.push_back(std::move(made));
    return m_buffers.back().get();
}

WaylandSurfaceBuffers::Drawn WaylandSurfaceBuffers::draw(QSize size, int ratio, const QRegion& region,
                                                         const Painter& paint)
{
    if (m_failed)
        return Drawn::Failed;
    // Whatever Qt's threads have read for us: the globals, released buffers.
    if (wl_display_dispatch_queue_pending(m_display, m_queue.get()) < 0) {
        qCWarning(lcSpectrum) << "spectrum: the Wayland connection failed; Qt draws the bars";
        m_failed = true;
        return Drawn::Failed;
    }
    if (!m_shm)
        return Drawn::NotYet;
    if (region.isEmpty() && m_owed.isEmpty() && m_last)
        return Drawn::Sent;

    m_owed += region;
    Buffer* target = freeBuffer(size * ratio, ratio);
    if (!target)
        return m_failed ? Drawn::Failed : Drawn::Later;
    for (const auto& buffer : m_buffers)
        buffer->stale += m_owed;
    const QRegion drawn = target->stale;
    {
        QPainter painter(&target->image);
        painter.setClipRegion(drawn);
        // As Qt's backing store does: what the painter leaves shows what lies
        // beneath the layer.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& rect : drawn)
            painter.fillRect(rect, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        paint(painter, drawn);
    }
    target->stale = QRegion();
    m_owed = QRegion();

    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(m_surface)) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
        wl_surface_set_buffer_scale(m_surface, ratio);
    wl_surface_attach(m_surface, target->buffer, 0, 0);
    for (const QRect& rect : drawn)
        wl_surface_damage(m_surface, rect.x(), rect.y(), rect.width(), rect.height());
    wl_surface_commit(m_surface);
    wl_display_flush(m_display);
    target->busy = true;
    m_last = target;
    return Drawn::Sent;
}

QImage WaylandSurfaceBuffers::lastSent() const
{
    if (!m_last)
        return {};
    return m_last->image.copy();
}
