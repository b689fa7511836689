#pragma once

#include <QPixmap>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>

class QPainter;

// An image from the application's resources, found by its name: first
// ":/images/<name>.svg", then ":/images/<name>.png". Lookups are cached, so
// every control that asks for the same name shares one loaded image.
//
// SVG images are painted as vectors, so they stay crisp at any device-pixel
// ratio and when stretched. A name the resources don't hold gives a null
// image: it draws nothing and measures 0 x 0 (the first miss of each name is
// logged once).
//
// Main thread only: the cache is not locked.
class NamedImage {
public:
    NamedImage() = default;

    static NamedImage named(const QString& name);

    bool isNull() const { return !d; }
    QString name() const;
    // The image's own size in device-independent pixels.
    QSizeF size() const;
    qreal width() const { return size().width(); }
    qreal height() const { return size().height(); }

    // Draws the image stretched into `target`. A null image or an empty
    // target draws nothing.
    void draw(QPainter& painter, const QRectF& target) const;

    // Where the image goes inside `bounds` at its own size, scaled down
    // proportionally when it doesn't fit, placed by `alignment`.
    QRectF placedIn(const QRectF& bounds, Qt::Alignment alignment = Qt::AlignCenter) const;

    // The image rendered at its own size for the given device-pixel ratio,
    // for widgets that take a pixmap (QLabel). Null for a null image.
    QPixmap pixmap(qreal devicePixelRatio = 1.0) const;

    // Two references are equal when they refer to the same loaded image
    // (two null images are equal).
    friend bool operator==(const NamedImage& a, const NamedImage& b) { return a.d == b.d; }

private:
    struct Data;
    static std::shared_ptr<const Data> load(const QString& name);
    explicit NamedImage(std::shared_ptr<const Data> data) : d(std::move(data)) {}
    std::shared_ptr<const Data> d;
};
