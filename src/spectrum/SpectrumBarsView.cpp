#include "spectrum/SpectrumBarsView.h"

#include "controls/ImageView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>

namespace {

// Qt's raster engine hands a blend of 96 or more scanlines to its thread
// pool, which for a bar costs more in wake-ups than it saves; bands of
// fewer lines keep every copy on the main thread.
constexpr int kBandPixels = 64;
// 16 images at two or three sub-pixel placements, with room to spare.
constexpr qsizetype kSprites = 64;

// Draws `from` into `area` (logical pixels of the view; `from` covers it
// whole, or the whole view when `from` is the backdrop) in bands short
// enough to stay on this thread.
void copyBanded(QPainter& painter, const QPixmap& from, const QRect& area, const QPoint& origin)
{
    const qreal ratio = from.devicePixelRatio();
    const int band = std::max(1, static_cast<int>(kBandPixels / ratio));
    for (int top = area.top(); top <= area.bottom(); top += band) {
        const QRect piece(area.left(), top, area.width(), std::min(band, area.bottom() + 1 - top));
        const QRectF source((piece.x() - origin.x()) * ratio, (piece.y() - origin.y()) * ratio,
                            piece.width() * ratio, piece.height() * ratio);
        painter.drawPixmap(QRectF(piece), from, source);
    }
}

} // namespace

SpectrumBarsView::SpectrumBarsView(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SpectrumBarsView::drawBars(const QList<ImageView*>& bars)
{
    m_bars.clear();
    for (int i = 0; i < bars.size(); ++i) {
        ImageView* bar = bars[i];
        // Hidden, the bar paints nothing itself; kept in the layout, it still
        // tells where its image goes.
        QSizePolicy policy = bar->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        bar->setSizePolicy(policy);
        bar->hide();
        m_bars.append(Shown{bar, bar->image(), QRect()});
        connect(bar, &ImageView::imageChanged, this, [this, i] { barChanged(i); });
    }
    update();
}

QRect SpectrumBarsView::coveredBy(const ImageView* bar) const
{
    if (bar->image().isNull())
        return {};
    // Antialiased edges reach into the pixels the image only partly covers.
    return bar->imageRect().translated(bar->pos()).toAlignedRect();
}

void SpectrumBarsView::barChanged(int index)
{
    Shown& shown = m_bars[index];
    if (shown.image == shown.bar->image())
        return;
    const QRect now = coveredBy(shown.bar);
    // A bar's images share their width and the edge they hang from, so one
    // rectangle holds the other and is the one to mark.
    if (shown.pixels.isEmpty() || now.isEmpty() || shown.pixels.contains(now) || now.contains(shown.pixels)) {
        update(shown.pixels | now);
    } else {
        update(shown.pixels);
        update(now);
    }
    shown.image = shown.bar->image();
    shown.pixels = now;
}

void SpectrumBarsView::changeEvent(QEvent* event)
{
    // Whatever lies beneath may look different now.
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::PaletteChange
        || event->type() == QEvent::ParentChange)
        m_backdropStale = true;
    QWidget::changeEvent(event);
}

void SpectrumBarsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_watchedWindow == window())
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = window();
    m_watchedWindow->installEventFilter(this);
    if (QWindow* handle = m_watchedWindow->windowHandle())
        handle->installEventFilter(this);
}

bool SpectrumBarsView::eventFilter(QObject* watched, QEvent* event)
{
    // The view's own children (the baseline) draw nothing into the backdrop:
    // they are painted over it afterwards.
    if (m_renderingBackdrop)
        return event->type() == QEvent::Paint;
    // Qt cannot render the window from inside a paint event, so the backdrop
    // is brought up to date just before the window paints: on its update
    // request and on exposure.
    if ((watched == m_watchedWindow && event->type() == QEvent::UpdateRequest)
        || (watched->isWindowType() && event->type() == QEvent::Expose))
        ensureBackdrop();
    return QWidget::eventFilter(watched, event);
}

bool SpectrumBarsView::backdropFits() const
{
    const QWidget* frameView = window();
    return !m_backdropStale && m_windowSize == frameView->size()
        && m_placeInWindow == QRect(mapTo(frameView, QPoint(0, 0)), size())
        && m_backdrop.devicePixelRatio() == devicePixelRatioF();
}

void SpectrumBarsView::ensureBackdrop()
{
    if (!isVisible() || backdropFits())
        return;
    QWidget* frameView = window();
    const QRect place(mapTo(frameView, QPoint(0, 0)), size());
    const qreal ratio = devicePixelRatioF();

    // The whole parent is rendered, then cut down to this view: styles draw
    // rounded, antialiased frames slightly differently when clipped to a
    // part of them, and the backdrop must be what the window shows.
    const QWidget* holder = parentWidget() ? parentWidget() : this;
    const QRect holderPlace(holder->mapTo(frameView, QPoint(0, 0)), holder->size());
    QPixmap whole(holderPlace.size() * ratio);
    whole.setDevicePixelRatio(ratio);
    whole.fill(Qt::black);
    for (QObject* child : children()) {
        if (child->isWidgetType())
            child->installEventFilter(this);
    }
    // Opaque, this view would be cut out of what the window renders.
    m_renderingBackdrop = true;
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    frameView->render(&whole, QPoint(0, 0), QRegion(holderPlace),
                      QWidget::DrawWindowBackground | QWidget::DrawChildren);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    m_renderingBackdrop = false;
    for (QObject* child : children())
        child->removeEventFilter(this);
    const QPoint offset = place.topLeft() - holderPlace.topLeft();
    QPixmap backdrop = whole.copy(QRect(offset * ratio, size() * ratio));
    backdrop.setDevicePixelRatio(ratio);

    m_backdrop = backdrop;
    m_windowSize = frameView->size();
    m_placeInWindow = place;
    m_backdropStale = false;
}

void SpectrumBarsView::paintEvent(QPaintEvent* event)
{
    if (m_renderingBackdrop)
        return;
    if (!backdropFits()) {
        // A change the window's update cycle did not announce: the backdrop
        // is rendered afresh once this paint is over, and the view repainted.
        QMetaObject::invokeMethod(
            this,
            [this] {
                ensureBackdrop();
                update();
            },
            Qt::QueuedConnection);
        if (m_backdrop.isNull())
            return;
    }

    QPainter painter(this);
    for (const QRect& area : event->region())
        copyBanded(painter, m_backdrop, area, QPoint(0, 0));

    for (Shown& shown : m_bars) {
        // The layout may have moved the bar since its image last changed.
        shown.pixels = coveredBy(shown.bar);
        if (shown.pixels.isEmpty() || !event->region().intersects(shown.pixels))
            continue;
        copyBanded(painter, sprite(shown), shown.pixels, shown.pixels.topLeft());
    }
}

size_t qHash(const SpectrumBarsView::SpriteKey& key, size_t seed)
{
    return qHashMulti(seed, key.name, key.placed.x(), key.placed.y(), key.placed.width(), key.placed.height(),
                      key.ratio);
}

// A bar's image as the bar itself would draw it (antialiased, at its own
// place to the fraction of a pixel), rendered once per image, placement
// and pixel ratio and then only copied.
const QPixmap& SpectrumBarsView::sprite(const Shown& shown)
{
    const QRectF placed = shown.bar->imageRect().translated(shown.bar->pos() - shown.pixels.topLeft());
    const SpriteKey key{shown.bar->image().name(), placed, devicePixelRatioF()};
    auto it = m_sprites.find(key);
    if (it != m_sprites.end())
        return it.value();
    // Each image sits at a handful of placements; a resize through many
    // widths just starts the cache afresh.
    if (m_sprites.size() >= kSprites)
        m_sprites.clear();
    QPixmap sprite(shown.pixels.size() * key.ratio);
    sprite.setDevicePixelRatio(key.ratio);
    sprite.fill(Qt::transparent);
    QPainter painter(&sprite);
    painter.setRenderHint(QPainter::Antialiasing);
    shown.bar->image().draw(painter, placed);
    painter.end();
    return m_sprites.insert(key, sprite).value();
}
