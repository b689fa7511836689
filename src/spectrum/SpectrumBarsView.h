#pragma once

#include "controls/NamedImage.h"

#include <QHash>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <array>
#include <bitset>
#include <memory>

class ImageView;
class QWindow;
class SubsurfaceLayer;
class XcbBarAtlas;

// The surface the spectrum's bars reach the screen through. The bars stay
// ImageViews (the controller sets their images) but are hidden, keeping
// their place in the layout; this view draws them. It is opaque: it paints
// a cached copy of whatever lies beneath it (the window's background and the
// spectrum frame), so a changed bar repaints only the rows where its old and
// new images differ (a bar's levels are stacked segments: a step of one level
// is one segment's height) and nothing under the view repaints at all (a
// translucent bar would have Qt repaint every widget beneath it, twenty times
// a second).
//
// On X11 the held changes of a tick skip Qt's paint pass: each bar's picture
// over the backdrop is painted once per image into an atlas in the X server
// and copied into the window from there. Qt's own copy of the window then
// lags behind for these rows, so an exposure repaints the view through Qt;
// where anything lies above the view, or outside X11, the changes are
// painted through Qt as before.
//
// On Wayland the view is shown through a layer of its own over the window
// (a subsurface, `SubsurfaceLayer`) while nothing lies above it: a tick
// draws the changed rows into the layer's small buffer and commits only it,
// sparing the copy of the window's whole buffer that a paint through Qt
// 6.4's backing store costs. Qt's paints of the view are drawn into the
// layer too; Qt's own copy of the window lags behind beneath it, so the view
// repaints through Qt when the layer goes. Where the compositor allows, each
// bar shows on a surface of its own over the layer (`WaylandBarSurfaces`),
// which keeps the bar's pictures and shows one: a tick then draws nothing.
//
// Main thread only.
class SpectrumBarsView : public QWidget {
    Q_OBJECT
public:
    explicit SpectrumBarsView(QWidget* parent = nullptr);
    ~SpectrumBarsView() override;

    // Takes over drawing these bars (children of this view).
    void drawBars(const QList<ImageView*>& bars);

    // The display timer changes many bars at once. Between these two calls
    // their changed rows are gathered, and the second paints them in one
    // pass, there and then: one dirty region for the window's repaint to
    // merge instead of one a bar, and no update request posted to come
    // back through the event loop. Outside them a changed bar schedules its
    // own update.
    void holdChanges();
    void paintHeldChanges();
    // How many held changes went to the screen as copies from the X
    // server's atlas since the view was made.
    int copiedOnX11() const { return m_copiedOnX11; }
    // How many held changes were drawn into the Wayland layer since the
    // view was made.
    int drawnOnLayer() const { return m_drawnOnLayer; }
    // How many held changes the bars' own surfaces over that layer showed.
    int shownOnSurfaces() const { return m_shownOnSurfaces; }
    // The layer the view shows through now, or nullptr.
    SubsurfaceLayer* layer() const;

    // The union of the rectangles, built in one pass (QRegion's union costs
    // a pass over the region so far for each rectangle added).
    static QRegion regionOf(QList<QRect> rects);

    // A rendered bar image: which image, where inside its whole-pixel
    // rectangle, at which pixel ratio.
    struct SpriteKey {
        QString name;
        QRectF placed;
        qreal ratio = 1.0;
        friend bool operator==(const SpriteKey&, const SpriteKey&) = default;
    };
    // A bar going from one rendered image to another, the first placed
    // `shift` pixels from the second.
    struct Transition {
        SpriteKey from;
        SpriteKey to;
        QPoint shift;
        friend bool operator==(const Transition&, const Transition&) = default;
    };

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Shown {
        ImageView* bar = nullptr;
        NamedImage image;
        QRect pixels;  // what the image covers in this view, whole pixels
        QRectF placed; // where the image is drawn in this view
        QRect geometry; // the bar's geometry `pixels` and `placed` were found for
    };
    // What a bar's changes of image repaint, found once at the bar's
    // geometry and pixel ratio and then only looked up: the display timer
    // changes dozens of bars a tick among the same few images. Slot 0 is no
    // image; a bar that meets more images than there are slots is worked
    // out afresh each time.
    struct BarChanges {
        static constexpr int kSlots = 9;
        QRect geometry;
        qreal ratio = 0;
        QList<NamedImage> images{NamedImage()};
        // Each slot's image as the bar shows it.
        std::array<Shown, kSlots> shown{};
        // From slot a to slot b: the rows to repaint, at [a * kSlots + b].
        std::bitset<kSlots * kSlots> known;
        std::array<QRect, kSlots * kSlots> repaint{};
        // The slots whose picture the X server's atlas holds.
        std::bitset<kSlots> inAtlas;
        // The image's slot, given one if there is room; -1 when there is not.
        int slotOf(const NamedImage& image);
    };

    void barChanged(int index);
    // Bar `index`'s changes, forgotten first if they were found at another
    // geometry or pixel ratio.
    BarChanges& changesAt(int index, const QRect& geometry, qreal ratio);
    // The window's device pixel ratio.
    qreal windowRatio() const;
    // Where `after` looks different from `before` on the screen.
    QRect changedArea(const Shown& before, const Shown& after);
    // Where a bar's image lands in this view, widened to whole pixels.
    QRect coveredBy(const ImageView* bar) const;
    // What `bar` shows now.
    Shown shownBy(ImageView* bar) const;
    // Renders what the window shows beneath this view when the window, this
    // view's place in it or the pixel ratio changed since the last time.
    void ensureBackdrop();
    // Copies the held changes it can from the X server's atlas into the
    // window and returns the ones Qt must paint.
    QList<QRect> copyOnX11(QList<QRect> held, const QList<int>& bars);
    // The atlas for this window, view size and pixel ratio, made afresh
    // when any of them changed, its pictures forgotten when the backdrop
    // changed; nullptr outside X11.
    XcbBarAtlas* atlas(QWindow* window, qreal ratio);
    // Shows the changed bars' present images on their own surfaces over
    // the Wayland layer, when the layer and the compositor allow; false
    // when the layer must draw them.
    bool showOnBarSurfaces(const QList<int>& changed);
    // Draws the held changes into the Wayland layer when it shows and
    // returns the ones Qt must paint.
    QList<QRect> drawOnLayer(QList<QRect> held);
    // Shows the layer over the view on Wayland while nothing lies above the
    // view, hides it otherwise, and keeps it on the view's place.
    void placeLayer();
    // What the view shows of `region`: the backdrop and the bars over it.
    void paintRegion(QPainter& painter, const QRegion& region);
    // What the layer shows of `region`: that and the view's children.
    void paintLayer(QPainter& painter, const QRegion& region);
    // The bar's present picture over the backdrop, opaque, in device
    // pixels of its geometry.
    QImage barPicture(const Shown& shown, qreal ratio);
    // Where widgets lie above this view, in its coordinates: its own
    // children (unless left out) and whatever its ancestors stack above it.
    QRegion coveredAbove(bool ownChildren = true) const;
    // Where the view's own children lie.
    QRegion childrenAbove() const;
    // Calls `visit` with where each widget of `coveredAbove` lies, in this
    // view's coordinates, until it answers true; says whether it did.
    template <typename Visit>
    bool visitAbove(bool ownChildren, const Visit& visit) const;
    bool backdropFits() const;
    SpriteKey spriteKey(const Shown& shown) const;
    const QPixmap& sprite(const Shown& shown);
    // The rows where two sprites differ, in the second one's pixels.
    QRect differingRows(const Shown& before, const Shown& after);

    QList<Shown> m_bars;
    QList<BarChanges> m_changes;
    QPointer<QWidget> m_watchedWindow;
    QPixmap m_backdrop;
    QHash<SpriteKey, QPixmap> m_sprites;
    QHash<Transition, QRect> m_transitions;
    // What the backdrop was rendered for.
    QSize m_windowSize;
    QRect m_placeInWindow;
    bool m_backdropStale = true;
    // Set while the backdrop renders, so this view and its children draw
    // nothing into it.
    bool m_renderingBackdrop = false;
    bool m_holding = false;
    qreal m_heldRatio = 0; // found at the first change a tick holds, so set whenever one is held
    QList<QRect> m_held;
    QList<int> m_heldBars; // whose change each held rectangle is
    std::unique_ptr<XcbBarAtlas> m_atlas;
    // What the atlas, or the last try at one, was made for.
    quintptr m_atlasWindow = 0;
    QSize m_atlasBlock;
    // The atlas's pictures show an older backdrop.
    bool m_picturesStale = true;
    // Copies reached the window that Qt's own copy of it does not hold.
    bool m_storeLags = false;
    int m_copiedOnX11 = 0;
    // Owned by the window's handle, which may go first.
    QPointer<SubsurfaceLayer> m_layer;
    // Where the view's own children lay when the layer was last placed.
    QRegion m_childrenAbove;
    int m_drawnOnLayer = 0;
    int m_shownOnSurfaces = 0;
    // Counts the backdrops rendered: the bars' surfaces' pictures name theirs.
    quint64 m_backdropSerial = 0;
    // The backdrop the bars' surfaces show their pictures over.
    quint64 m_surfacesBackdrop = 0;
    // The bars' surfaces cannot show the bars over this backdrop.
    bool m_surfacesRefused = false;
};

size_t qHash(const SpectrumBarsView::SpriteKey& key, size_t seed = 0);
size_t qHash(const SpectrumBarsView::Transition& key, size_t seed = 0);
