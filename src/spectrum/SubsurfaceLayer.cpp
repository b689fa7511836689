#include "spectrum/SubsurfaceLayer.h"

#include "spectrum/WaylandBarSurfaces.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QExposeEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPlatformSurfaceEvent>
#include <QWheelEvent>
#include <qpa/qplatformnativeinterface.h>

SubsurfaceLayer::SubsurfaceLayer(QWindow* parent, Painter paint)
    : QWindow(parent)
    , m_store(this)
    , m_paint(std::move(paint))
{
    setSurfaceType(QSurface::RasterSurface);
    setFlag(Qt::WindowDoesNotAcceptFocus);
}

// The bars' surfaces go before the layer's own.
SubsurfaceLayer::~SubsurfaceLayer() = default;

void SubsurfaceLayer::draw(const QRegion& region)
{
    if (!isExposed() || region.isEmpty())
        return;
    if (m_store.size() != size())
        m_store.resize(size());
    m_store.beginPaint(region);
    {
        QPainter painter(m_store.paintDevice());
        painter.setClipRegion(region);
        m_paint(painter, region);
    }
    m_store.endPaint();
    m_store.flush(region);
    m_drawn = true;
}

QImage SubsurfaceLayer::image()
{
    // Qt's raster stores paint into an image, which holds what was sent.
    QPaintDevice* device = m_drawn ? m_store.paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        return {};
    QImage shown = *static_cast<QImage*>(device);
    if (m_bars) {
        shown = shown.copy();
        m_bars->paintOver(shown);
    }
    return shown;
}

WaylandBarSurfaces* SubsurfaceLayer::barSurfaces()
{
    if (!isVisible() || !isExposed() || !handle())
        return nullptr;
    if (!m_bars && !m_barsFailed) {
        m_bars = WaylandBarSurfaces::over(this);
        m_barsParent = surface();
        // Not a Wayland window of Qt's: no later tick finds it otherwise.
        m_barsFailed = !m_bars;
    }
    if (m_bars && m_bars->failed()) {
        m_barsFailed = true;
        dropBarSurfaces();
    }
    return m_bars && m_bars->ready() ? m_bars.get() : nullptr;
}

void SubsurfaceLayer::dropBarSurfaces()
{
    if (!m_bars)
        return;
    m_bars.reset();
    m_barsParent = nullptr;
    // What the bars' surfaces showed, the layer's own buffer shows again.
    draw(QRect(QPoint(0, 0), size()));
}

void* SubsurfaceLayer::surface()
{
    return QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface", this);
}

void SubsurfaceLayer::exposeEvent(QExposeEvent* event)
{
    Q_UNUSED(event);
    // Qt makes the surface afresh when the layer shows again or its platform
    // window is made anew, and exposes it: surfaces over the old one went
    // with it.
    if (m_bars && surface() != m_barsParent)
        dropBarSurfaces();
    draw(QRect(QPoint(0, 0), size()));
}

bool SubsurfaceLayer::event(QEvent* event)
{
    // The layer only shows pixels: what the pointer does over it belongs to
    // the window beneath, at the same place there.
    switch (event->type()) {
    case QEvent::Hide:
        dropBarSurfaces();
        return QWindow::event(event);
    case QEvent::PlatformSurface:
        if (static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType()
            == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
            dropBarSurfaces();
        return QWindow::event(event);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPointF at = mouse->position() + position();
        QMouseEvent moved(mouse->type(), at, at, mouse->globalPosition(), mouse->button(), mouse->buttons(),
                          mouse->modifiers(), mouse->pointingDevice());
        QCoreApplication::sendEvent(parent(), &moved);
        return true;
    }
    case QEvent::Wheel: {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QPointF at = wheel->position() + position();
        QWheelEvent moved(at, wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(),
                          wheel->modifiers(), wheel->phase(), wheel->inverted(), wheel->source(),
                          wheel->pointingDevice());
        QCoreApplication::sendEvent(parent(), &moved);
        return true;
    }
    default:
        return QWindow::event(event);
    }
}
