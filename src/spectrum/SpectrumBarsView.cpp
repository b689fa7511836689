#include "spectrum/SpectrumBarsView.h"

#include "controls/ImageView.h"
#include "spectrum/SubsurfaceLayer.h"
#include "spectrum/WaylandBarSurfaces.h"
#include "spectrum/XcbBarAtlas.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QVarLengthArray>
#include <QWindow>

#include <algorithm>
#include <utility>
#include <vector>

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

SpectrumBarsView::~SpectrumBarsView()
{
    delete m_layer;
}

SubsurfaceLayer* SpectrumBarsView::layer() const
{
    return m_layer;
}

void SpectrumBarsView::drawBars(const QList<ImageView*>& bars)
{
    m_bars.clear();
    m_changes.clear();
    for (int i = 0; i < bars.size(); ++i) {
        ImageView* bar = bars[i];
        // Hidden, the bar paints nothing itself; kept in the layout, it still
        // tells where its image goes.
        QSizePolicy policy = bar->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        bar->setSizePolicy(policy);
        bar->hide();
        m_bars.append(shownBy(bar));
        m_changes.append(BarChanges());
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

SpectrumBarsView::Shown SpectrumBarsView::shownBy(ImageView* bar) const
{
    return Shown{bar, bar->image(), coveredBy(bar), bar->imageRect().translated(bar->pos()), bar->geometry()};
}

int SpectrumBarsView::BarChanges::slotOf(const NamedImage& image)
{
    for (int slot = 0; slot < images.size(); ++slot) {
        if (images[slot] == image)
            return slot;
    }
    if (images.size() == kSlots)
        return -1;
    images.append(image);
    return static_cast<int>(images.size() - 1);
}

void SpectrumBarsView::barChanged(int index)
{
    Shown& shown = m_bars[index];
    ImageView* bar = shown.bar;
    if (shown.image == bar->image())
        return;
    // One look-up a tick, and none in a tick that changes nothing.
    if (m_holding && m_heldRatio == 0)
        m_heldRatio = windowRatio();
    const qreal ratio = m_holding ? m_heldRatio : windowRatio();
    BarChanges& known = changesAt(index, bar->geometry(), ratio);
    // What the bar showed was found at its present geometry, so the change
    // is the same as the last time between these two images.
    const int from = shown.geometry == known.geometry ? known.slotOf(shown.image) : -1;
    const int to = from < 0 ? -1 : known.slotOf(bar->image());
    const int change = to < 0 ? -1 : from * BarChanges::kSlots + to;
    QRect changed;
    if (change >= 0 && known.known[static_cast<std::size_t>(change)]) {
        changed = known.repaint[static_cast<std::size_t>(change)];
        shown = known.shown[static_cast<std::size_t>(to)];
    } else {
        const Shown now = shownBy(bar);
        changed = changedArea(shown, now);
        shown = now;
        if (change >= 0) {
            known.known.set(static_cast<std::size_t>(change));
            known.repaint[static_cast<std::size_t>(change)] = changed;
            known.shown[static_cast<std::size_t>(to)] = now;
        }
    }
    if (changed.isEmpty())
        return;
    if (m_holding) {
        m_held.append(changed);
        m_heldBars.append(index);
    } else {
        update(changed);
    }
}

SpectrumBarsView::BarChanges& SpectrumBarsView::changesAt(int index, const QRect& geometry, qreal ratio)
{
    BarChanges& known = m_changes[index];
    if (known.geometry != geometry || known.ratio != ratio) {
        known = BarChanges();
        known.geometry = geometry;
        known.ratio = ratio;
    }
    return known;
}

qreal SpectrumBarsView::windowRatio() const
{
    // What devicePixelRatioF() answers, without its look-up of the screen,
    // which costs more than the rest of a tick's bookkeeping.
    const QWindow* handle = window()->windowHandle();
    return handle ? handle->devicePixelRatio() : devicePixelRatioF();
}

void SpectrumBarsView::holdChanges()
{
    m_holding = true;
    m_heldRatio = 0;
}

void SpectrumBarsView::paintHeldChanges()
{
    m_holding = false;
    if (m_held.isEmpty())
        return;
    if (showOnBarSurfaces(m_heldBars)) {
        m_shownOnSurfaces += static_cast<int>(m_held.size());
    } else {
        const QList<QRect> left = drawOnLayer(copyOnX11(m_held, m_heldBars));
        if (!left.isEmpty())
            repaint(regionOf(left));
    }
    // Emptied, not let go: the next tick holds as many again.
    m_held.clear();
    m_heldBars.clear();
}

QList<QRect> SpectrumBarsView::copyOnX11(QList<QRect> held, const QList<int>& bars)
{
    const qreal ratio = m_heldRatio;
    QWidget* native = nativeParentWidget();
    QWindow* handle = native ? native->windowHandle() : nullptr;
    // Pictures at fractions of a device pixel would not line up with Qt's.
    if (!handle || !handle->handle() || !handle->isExposed() || qRound(ratio) != ratio || !backdropFits())
        return held;
    XcbBarAtlas* atlas = this->atlas(handle, ratio);
    if (!atlas)
        return held;
    const int scale = qRound(ratio);
    const QPoint origin = mapTo(native, QPoint(0, 0));
    const QRegion above = coveredAbove();
    QList<QRect> left;
    for (qsizetype i = 0; i < held.size(); ++i) {
        const QRect& rect = held[i];
        const Shown& shown = m_bars[bars[i]];
        BarChanges& known = m_changes[bars[i]];
        // A bar's picture covers its geometry and nothing else; bars do not
        // overlap.
        const int slot = known.geometry == shown.geometry ? known.slotOf(shown.image) : -1;
        if (slot < 0 || !shown.geometry.contains(rect) || above.intersects(rect)) {
            left.append(rect);
            continue;
        }
        if (!known.inAtlas[static_cast<std::size_t>(slot)]) {
            atlas->put(barPicture(shown, ratio), slot, shown.geometry.topLeft() * scale);
            known.inAtlas.set(static_cast<std::size_t>(slot));
        }
        atlas->copy(slot, QRect(rect.topLeft() * scale, rect.size() * scale), (origin + rect.topLeft()) * scale);
        m_storeLags = true;
        ++m_copiedOnX11;
    }
    atlas->flush();
    return left;
}

bool SpectrumBarsView::showOnBarSurfaces(const QList<int>& changed)
{
    // A widget coming above the view, or the view moving, repaints the
    // window, which places the layer again first: a tick need not look.
    if (!m_layer || !m_layer->isVisible())
        placeLayer();
    if (!m_layer || !m_layer->isVisible() || !m_layer->isExposed() || m_surfacesRefused)
        return false;
    // The surfaces lie above the layer: what they cannot show, they must not
    // hide. Over this backdrop they would fail again.
    const auto giveUp = [this] {
        m_surfacesRefused = true;
        m_layer->dropBarSurfaces();
        return false;
    };
    if (!backdropFits())
        return giveUp();
    WaylandBarSurfaces* surfaces = m_layer->barSurfaces();
    if (!surfaces)
        return false;
    // The layer shows only at whole device pixels.
    const int ratio = qRound(m_heldRatio);
    const QRegion& above = m_childrenAbove;
    const auto show = [&](int i) {
        Shown& shown = m_bars[i];
        if (shown.geometry != shown.bar->geometry())
            shown = shownBy(shown.bar);
        const int slot = changesAt(i, shown.geometry, m_heldRatio).slotOf(shown.image);
        // Two captures: std::function holds them without allocating.
        return slot >= 0 && !above.intersects(shown.geometry)
            && surfaces->show(i, shown.geometry, ratio, slot, m_backdropSerial,
                              [this, &shown] { return barPicture(shown, m_heldRatio); });
    };
    // New surfaces, or pictures over an older backdrop: every bar is
    // brought up to date, not only the changed ones.
    if (surfaces->takeFresh() || m_surfacesBackdrop != m_backdropSerial) {
        for (int i = 0; i < m_bars.size(); ++i) {
            if (!show(i))
                return giveUp();
        }
        m_surfacesBackdrop = m_backdropSerial;
    } else {
        for (int i : changed) {
            if (!show(i))
                return giveUp();
        }
    }
    surfaces->send();
    return true;
}

QList<QRect> SpectrumBarsView::drawOnLayer(QList<QRect> held)
{
    if (held.isEmpty())
        return held;
    placeLayer();
    if (!m_layer || !m_layer->isExposed() || !backdropFits())
        return held;
    m_layer->draw(regionOf(held));
    m_drawnOnLayer += static_cast<int>(held.size());
    return {};
}

void SpectrumBarsView::placeLayer()
{
    static const bool onWayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (!onWayland)
        return;
    QWidget* frameView = window();
    QWindow* handle = frameView->windowHandle();
    // Subsurfaces lie above everything of their parent's: the layer would
    // hide whatever the window stacks above the view (the view's own
    // children it draws itself). At fractions of a device pixel its place
    // would not line up with the view's pixels.
    const qreal ratio = windowRatio();
    const bool wanted = isVisible() && handle && handle->isExposed() && !m_backdrop.isNull()
        && qRound(ratio) == ratio
        && !visitAbove(false, [this](const QRect& widget) { return widget.intersects(rect()); });
    // Nothing but the view's own children lies above it then; they may
    // still lie above a bar.
    m_childrenAbove = wanted ? childrenAbove() : QRegion();
    if (!wanted) {
        if (m_layer && m_layer->isVisible()) {
            m_layer->hide();
            // Qt's copy of the window lacks what the layer showed.
            update();
        }
        return;
    }
    if (m_layer && m_layer->parent() != handle)
        delete m_layer;
    if (!m_layer)
        m_layer = new SubsurfaceLayer(handle, [this](QPainter& painter, const QRegion& region) {
            paintLayer(painter, region);
        });
    const QRect place(mapTo(frameView, QPoint(0, 0)), size());
    if (m_layer->geometry() != place)
        m_layer->setGeometry(place);
    if (!m_layer->isVisible())
        m_layer->show();
    // The bars' surfaces would hide a child come above a bar, even in
    // silence, when no tick comes to see it.
    const bool barUnderChild = std::any_of(m_bars.cbegin(), m_bars.cend(), [this](const Shown& shown) {
        return m_childrenAbove.intersects(shown.geometry);
    });
    if (barUnderChild) {
        m_surfacesRefused = true;
        m_layer->dropBarSurfaces();
    }
}

XcbBarAtlas* SpectrumBarsView::atlas(QWindow* window, qreal ratio)
{
    const QSize block = size() * ratio;
    const quintptr id = window->winId();
    if (id != m_atlasWindow || block != m_atlasBlock) {
        m_atlas.reset();
        // Tried once per window and size, whether or not it can be had.
        m_atlas = XcbBarAtlas::create(window, block, BarChanges::kSlots);
        m_atlasWindow = id;
        m_atlasBlock = block;
        m_picturesStale = true;
    }
    // A new backdrop keeps the pixmap; only its pictures are painted anew.
    if (std::exchange(m_picturesStale, false)) {
        for (BarChanges& known : m_changes)
            known.inAtlas.reset();
    }
    return m_atlas.get();
}

QImage SpectrumBarsView::barPicture(const Shown& shown, qreal ratio)
{
    // Painted as paintEvent paints these pixels into Qt's copy of the
    // window, so the copies show exactly what Qt would.
    QImage picture(shown.geometry.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.translate(-shown.geometry.topLeft());
    copyBanded(painter, m_backdrop, shown.geometry, QPoint(0, 0));
    if (!shown.pixels.isEmpty())
        copyBanded(painter, sprite(shown), shown.pixels, shown.pixels.topLeft());
    return picture;
}

namespace {

// Calls `visit` with where each widget from `from` on in `widgets`,
// children of `parent`, lies in `view`'s coordinates, until it answers
// true; says whether it did.
template <typename Visit>
bool visitWidgets(const QWidget* view, const QObjectList& widgets, qsizetype from, const QWidget* parent,
                  const Visit& visit)
{
    const QPoint offset = view->mapFrom(parent, QPoint(0, 0));
    for (qsizetype i = from; i < widgets.size(); ++i) {
        if (!widgets[i]->isWidgetType())
            continue;
        const auto* widget = static_cast<const QWidget*>(widgets[i]);
        if (!widget->isWindow() && !widget->isHidden() && visit(widget->geometry().translated(offset)))
            return true;
    }
    return false;
}

} // namespace

template <typename Visit>
bool SpectrumBarsView::visitAbove(bool ownChildren, const Visit& visit) const
{
    if (ownChildren && visitWidgets(this, children(), 0, this, visit))
        return true;
    const QWidget* native = nativeParentWidget();
    for (const QWidget* widget = this; widget != native && widget->parentWidget(); widget = widget->parentWidget()) {
        const QObjectList& siblings = widget->parentWidget()->children();
        if (visitWidgets(this, siblings, siblings.indexOf(widget) + 1, widget->parentWidget(), visit))
            return true;
    }
    return false;
}

QRegion SpectrumBarsView::childrenAbove() const
{
    QRegion covered;
    visitWidgets(this, children(), 0, this, [&covered](const QRect& rect) {
        covered += rect;
        return false;
    });
    return covered.intersected(rect());
}

QRegion SpectrumBarsView::coveredAbove(bool ownChildren) const
{
    QRegion covered;
    visitAbove(ownChildren, [&covered](const QRect& rect) {
        covered += rect;
        return false;
    });
    // The transport's buttons stand just beneath the view, in the same frame.
    return covered.intersected(rect());
}

QRegion SpectrumBarsView::regionOf(QList<QRect> rects)
{
    // QRegion's own form: bands of rows, top to bottom; in a band,
    // rectangles of the band's height, left to right, none touching the
    // next; a band follows the one above only if their rectangles differ.
    // A tick's few dozen rectangles fit the arrays' own room.
    rects.removeIf([](const QRect& rect) { return rect.isEmpty(); });
    if (rects.size() <= 1)
        return rects.isEmpty() ? QRegion() : QRegion(rects.front());
    QVarLengthArray<int, 128> edges;
    for (const QRect& rect : rects) {
        edges.append(rect.top());
        edges.append(rect.bottom() + 1);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::sort(rects.begin(), rects.end(), [](const QRect& a, const QRect& b) { return a.left() < b.left(); });

    QVarLengthArray<QRect, 256> out;
    qsizetype lastBand = 0; // where the band above starts in `out`
    using Spans = QVarLengthArray<std::pair<int, int>, 64>;
    Spans spans;
    Spans spansAbove;
    for (qsizetype e = 0; e + 1 < edges.size(); ++e) {
        const int top = edges[e];
        const int bottom = edges[e + 1] - 1;
        spans.clear();
        for (const QRect& rect : rects) {
            if (rect.top() > top || rect.bottom() < bottom)
                continue;
            if (!spans.empty() && spans.back().second + 1 >= rect.left())
                spans.back().second = std::max(spans.back().second, rect.right());
            else
                spans.append({rect.left(), rect.right()});
        }
        if (spans.empty()) {
            spansAbove.clear();
            continue;
        }
        const bool touchesAbove = !out.empty() && out.back().bottom() + 1 == top;
        if (touchesAbove && spans == spansAbove) {
            for (qsizetype i = lastBand; i < out.size(); ++i)
                out[i].setBottom(bottom);
            continue;
        }
        lastBand = out.size();
        for (const auto& [left, right] : spans)
            out.append(QRect(QPoint(left, top), QPoint(right, bottom)));
        spansAbove = spans;
    }
    QRegion region;
    region.setRects(out.constData(), static_cast<int>(out.size()));
    return region;
}

QRect SpectrumBarsView::changedArea(const Shown& before, const Shown& after)
{
    const QRect area = before.pixels | after.pixels;
    const qreal ratio = devicePixelRatioF();
    // Sprites placed at fractions of a device pixel are not compared.
    if (qRound(ratio) != ratio)
        return area;
    const Transition transition{spriteKey(before), spriteKey(after), before.pixels.topLeft() - after.pixels.topLeft()};
    auto it = m_transitions.constFind(transition);
    if (it == m_transitions.constEnd()) {
        // Every pair of images at every placement met, with room to spare.
        if (m_transitions.size() >= kSprites * kSprites)
            m_transitions.clear();
        it = m_transitions.insert(transition, differingRows(before, after));
    }
    return it->translated(after.pixels.topLeft());
}

QRect SpectrumBarsView::differingRows(const Shown& before, const Shown& after)
{
    const QRect area = before.pixels | after.pixels;
    const int scale = qRound(devicePixelRatioF());
    // Both sprites in device pixels, each at its place in `area`; no image
    // is a sprite of no pixels.
    const QImage from = before.pixels.isEmpty() ? QImage() : sprite(before).toImage();
    const QImage to = after.pixels.isEmpty() ? QImage() : sprite(after).toImage();
    const QPoint fromAt = (before.pixels.topLeft() - area.topLeft()) * scale;
    const QPoint toAt = (after.pixels.topLeft() - area.topLeft()) * scale;
    const int width = area.width() * scale;
    const auto row = [width](const QImage& image, const QPoint& at, int y, QRgb* out) {
        std::fill(out, out + width, QRgb{0});
        if (y < at.y() || y >= at.y() + image.height())
            return;
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y - at.y()));
        const int left = std::max(0, at.x());
        const int right = std::min(width, at.x() + image.width());
        for (int x = left; x < right; ++x)
            out[x] = line[x - at.x()];
    };
    std::vector<QRgb> a(static_cast<std::size_t>(width));
    std::vector<QRgb> b(static_cast<std::size_t>(width));
    // One rectangle from the first differing row to the last: the gaps
    // between segments would only split it into more pieces to flush.
    int first = -1;
    int last = -1;
    for (int y = 0; y < area.height() * scale; ++y) {
        row(from, fromAt, y, a.data());
        row(to, toAt, y, b.data());
        if (a != b) {
            if (first < 0)
                first = y;
            last = y;
        }
    }
    if (first < 0)
        return {};
    // Device rows [first, last] lie within these whole logical rows.
    const int top = first / scale;
    const int bottom = last / scale;
    return QRect(area.left(), area.top() + top, area.width(), bottom - top + 1).translated(-after.pixels.topLeft());
}

void SpectrumBarsView::changeEvent(QEvent* event)
{
    // Whatever lies beneath may look different now.
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::PaletteChange
        || event->type() == QEvent::ParentChange)
        m_backdropStale = true;
    QWidget::changeEvent(event);
}

void SpectrumBarsView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    placeLayer();
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
        || (watched->isWindowType() && event->type() == QEvent::Expose)) {
        ensureBackdrop();
        // The window is about to paint what changed in it: a widget come
        // above the view, or the view moved.
        placeLayer();
    }
    // Qt answers an exposure from its own copy of the window, which lacks
    // the copies made on X11 since: the view is painted into it first.
    if (watched->isWindowType() && event->type() == QEvent::Expose && std::exchange(m_storeLags, false))
        update();
    return QWidget::eventFilter(watched, event);
}

bool SpectrumBarsView::backdropFits() const
{
    const QWidget* frameView = window();
    return !m_backdropStale && m_windowSize == frameView->size()
        && m_placeInWindow == QRect(mapTo(frameView, QPoint(0, 0)), size())
        && m_backdrop.devicePixelRatio() == windowRatio();
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
    m_picturesStale = true;
    ++m_backdropSerial;
    m_surfacesRefused = false;
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
    paintRegion(painter, event->region());
    if (m_layer && m_layer->isVisible())
        m_layer->draw(event->region());
}

void SpectrumBarsView::paintLayer(QPainter& painter, const QRegion& region)
{
    paintRegion(painter, region);
    // Qt paints the view's children (the baseline) into its own copy of
    // the window, beneath the layer: the layer shows them too.
    for (QObject* child : children()) {
        if (!child->isWidgetType())
            continue;
        auto* widget = static_cast<QWidget*>(child);
        const QRegion part = region.intersected(widget->geometry());
        if (widget->isHidden() || widget->isWindow() || part.isEmpty())
            continue;
        // Over the view's pixels, as Qt paints it: no background of its own.
        widget->render(&painter, widget->pos(), part.translated(-widget->pos()), QWidget::DrawChildren);
    }
}

void SpectrumBarsView::paintRegion(QPainter& painter, const QRegion& region)
{
    for (const QRect& area : region)
        copyBanded(painter, m_backdrop, area, QPoint(0, 0));

    for (Shown& shown : m_bars) {
        // The layout may have moved the bar since its image last changed.
        if (shown.geometry != shown.bar->geometry())
            shown = shownBy(shown.bar);
        if (shown.pixels.isEmpty() || !region.intersects(shown.pixels))
            continue;
        copyBanded(painter, sprite(shown), shown.pixels, shown.pixels.topLeft());
    }
}

size_t qHash(const SpectrumBarsView::SpriteKey& key, size_t seed)
{
    return qHashMulti(seed, key.name, key.placed.x(), key.placed.y(), key.placed.width(), key.placed.height(),
                      key.ratio);
}

size_t qHash(const SpectrumBarsView::Transition& key, size_t seed)
{
    return qHashMulti(seed, key.from, key.to, key.shift.x(), key.shift.y());
}

SpectrumBarsView::SpriteKey SpectrumBarsView::spriteKey(const Shown& shown) const
{
    return SpriteKey{shown.image.name(), shown.placed.translated(-shown.pixels.topLeft()), devicePixelRatioF()};
}

// A bar's image as the bar itself would draw it (antialiased, at its own
// place to the fraction of a pixel), rendered once per image, placement
// and pixel ratio and then only copied.
const QPixmap& SpectrumBarsView::sprite(const Shown& shown)
{
    const SpriteKey key = spriteKey(shown);
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
    shown.image.draw(painter, key.placed);
    painter.end();
    return m_sprites.insert(key, sprite).value();
}
