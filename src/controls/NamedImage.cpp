#include "controls/NamedImage.h"

#include "controls/ControlsLog.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

Q_LOGGING_CATEGORY(lcControls, "quorel.controls")

struct NamedImage::Data {
    QString name;
    QSizeF size;
    std::unique_ptr<QSvgRenderer> svg; // set for SVG images
    QImage raster;                     // set for PNG images
    // SVG images rendered at the device-pixel sizes they were last drawn at.
    // Walking the vector drawing costs from a few microseconds (a bar) to
    // milliseconds (the window background) a paint, and the spectrum and
    // the background repaint many times a second at the same sizes.
    mutable QHash<QSize, QPixmap> rendered;
};

std::shared_ptr<const NamedImage::Data> NamedImage::load(const QString& name)
{
    auto data = std::make_shared<NamedImage::Data>();
    data->name = name;
    const QString svgPath = QStringLiteral(":/images/%1.svg").arg(name);
    if (QFile::exists(svgPath)) {
        auto renderer = std::make_unique<QSvgRenderer>(svgPath);
        if (!renderer->isValid()) {
            qCWarning(lcControls) << "image" << name << "is not a valid SVG:" << svgPath;
            return nullptr;
        }
        data->size = renderer->defaultSize();
        data->svg = std::move(renderer);
        return data;
    }
    const QString pngPath = QStringLiteral(":/images/%1.png").arg(name);
    QImage image(pngPath);
    if (image.isNull()) {
        qCWarning(lcControls) << "image" << name << "not found in the resources";
        return nullptr;
    }
    data->size = image.deviceIndependentSize();
    data->raster = std::move(image);
    return data;
}

NamedImage NamedImage::named(const QString& name)
{
    // A miss is cached too, so each missing name is looked up and logged once.
    static QHash<QString, std::shared_ptr<const Data>> cache;
    if (name.isEmpty())
        return {};
    auto it = cache.find(name);
    if (it == cache.end())
        it = cache.insert(name, load(name));
    return NamedImage(it.value());
}

QString NamedImage::name() const
{
    return d ? d->name : QString();
}

QSizeF NamedImage::size() const
{
    return d ? d->size : QSizeF(0, 0);
}

namespace {

// Enough for every size one image is shown at in the window; a stretched
// piece being dragged through many lengths just starts the cache afresh.
constexpr qsizetype kRenderedSizes = 16;

bool isWhole(qreal value)
{
    return std::abs(value - std::round(value)) < 1e-6;
}

} // namespace

void NamedImage::draw(QPainter& painter, const QRectF& target) const
{
    if (!d || target.width() <= 0 || target.height() <= 0)
        return;
    if (!d->svg) {
        painter.drawImage(target, d->raster);
        return;
    }
    // A rendered copy is only exact when it lands on whole device pixels
    // with no more than a uniform scale (the device-pixel ratio, including
    // that of a redirected paint device); anything else is drawn from the
    // vectors.
    const QTransform toDevice = painter.deviceTransform();
    const QRectF device = toDevice.mapRect(target);
    const bool exact = toDevice.type() <= QTransform::TxScale && qFuzzyCompare(toDevice.m11(), toDevice.m22())
        && toDevice.m11() > 0 && isWhole(device.x()) && isWhole(device.y()) && isWhole(device.width())
        && isWhole(device.height());
    if (!exact) {
        d->svg->render(&painter, target);
        return;
    }
    const qreal ratio = toDevice.m11();
    const QSize pixels = device.size().toSize();
    auto it = d->rendered.find(pixels);
    if (it == d->rendered.end()) {
        if (d->rendered.size() >= kRenderedSizes)
            d->rendered.clear();
        QPixmap copy(pixels);
        copy.fill(Qt::transparent);
        QPainter copyPainter(&copy);
        copyPainter.setRenderHint(QPainter::Antialiasing);
        d->svg->render(&copyPainter, QRectF(QPointF(0, 0), QSizeF(pixels)));
        copyPainter.end();
        copy.setDevicePixelRatio(ratio);
        it = d->rendered.insert(pixels, copy);
    }
    painter.drawPixmap(target.topLeft(), it.value());
}

QPixmap NamedImage::pixmap(qreal devicePixelRatio) const
{
    if (!d)
        return {};
    const QSize pixels = (d->size * devicePixelRatio).toSize();
    QPixmap pixmap(pixels);
    pixmap.fill(Qt::transparent);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    draw(painter, QRectF(QPointF(0, 0), d->size));
    return pixmap;
}

QRectF NamedImage::placedIn(const QRectF& bounds, Qt::Alignment alignment) const
{
    QSizeF placed = size();
    if (placed.width() > bounds.width() || placed.height() > bounds.height())
        placed.scale(bounds.size(), Qt::KeepAspectRatio);
    qreal x = bounds.x() + (bounds.width() - placed.width()) / 2;
    if (alignment & Qt::AlignLeft)
        x = bounds.x();
    else if (alignment & Qt::AlignRight)
        x = bounds.right() - placed.width();
    qreal y = bounds.y() + (bounds.height() - placed.height()) / 2;
    if (alignment & Qt::AlignTop)
        y = bounds.y();
    else if (alignment & Qt::AlignBottom)
        y = bounds.bottom() - placed.height();
    return {QPointF(x, y), placed};
}
