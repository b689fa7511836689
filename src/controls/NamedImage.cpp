#include "controls/NamedImage.h"

#include "controls/ControlsLog.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

Q_LOGGING_CATEGORY(lcControls, "quorel.controls")

struct NamedImage::Data {
    QString name;
    QSizeF size;
    std::unique_ptr<QSvgRenderer> svg; // set for SVG images
    QImage raster;                     // set for PNG images
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

void NamedImage::draw(QPainter& painter, const QRectF& target) const
{
    if (!d || target.width() <= 0 || target.height() <= 0)
        return;
    if (d->svg)
        d->svg->render(&painter, target);
    else
        painter.drawImage(target, d->raster);
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
