#include "spectrum/SubsurfaceLayer.h"

#include <QCoreApplication>
#include <QExposeEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

SubsurfaceLayer::SubsurfaceLayer(QWindow* parent, Painter paint)
    : QWindow(parent)
    , m_store(this)
    , m_paint(std::move(paint))
{
    setSurfaceType(QSurface::RasterSurface);
    setFlag(Qt::WindowDoesNotAcceptFocus);
    // About a frame: the compositor gives a buffer back once it has shown
    // the next one.
    m_retry.setInterval(16);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] { draw(QRegion()); });
}

void SubsurfaceLayer::draw(const QRegion& region)
{
    if (!isExposed())
        return;
    if (!m_buffers && !m_drawn)
        m_buffers = WaylandSurfaceBuffers::forWindow(this);
    if (m_buffers) {
        const int ratio = qRound(devicePixelRatio());
        switch (m_buffers->draw(size(), ratio, region, m_paint)) {
        case WaylandSurfaceBuffers::Drawn::Sent:
            m_drawn = true;
            return;
        case WaylandSurfaceBuffers::Drawn::Later:
            m_retry.start();
            return;
        case WaylandSurfaceBuffers::Drawn::NotYet:
            // Qt draws until the buffers can take over, at the next try.
            m_retry.start();
            break;
        case WaylandSurfaceBuffers::Drawn::Failed:
            break;
        }
    }
    drawThroughQt(region);
}

void SubsurfaceLayer::drawThroughQt(const QRegion& region)
{
    if (region.isEmpty())
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
    if (m_buffers) {
        if (QImage sent = m_buffers->lastSent(); !sent.isNull())
            return sent;
    }
    // Qt's raster stores paint into an image, which holds what was sent.
    QPaintDevice* device = m_drawn ? m_store.paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        return {};
    return *static_cast<QImage*>(device);
}

void SubsurfaceLayer::exposeEvent(QExposeEvent* event)
{
    Q_UNUSED(event);
    draw(QRect(QPoint(0, 0), size()));
}

bool SubsurfaceLayer::event(QEvent* event)
{
    // The layer only shows pixels: what the pointer does over it belongs to
    // the window beneath, at the same place there.
    switch (event->type()) {
    case QEvent::Hide:
        // Qt lets the surface go when the layer hides, and makes another
        // when it shows again.
        m_buffers.reset();
        m_retry.stop();
        m_drawn = false;
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
