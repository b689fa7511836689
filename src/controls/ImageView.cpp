#include "controls/ImageView.h"

#include <QPainter>

ImageView::ImageView(QWidget* parent)
    : QWidget(parent)
{
}

void ImageView::setImage(const NamedImage& image)
{
    const QSizeF before = m_image.size();
    m_image = image;
    // The size hint follows the image; a layout that ignores it need not
    // redo its work (the spectrum changes dozens of images a second).
    const QSizePolicy policy = sizePolicy();
    if (image.size() != before
        && !(policy.horizontalPolicy() == QSizePolicy::Ignored && policy.verticalPolicy() == QSizePolicy::Ignored))
        updateGeometry();
    update();
    emit imageChanged();
}

void ImageView::setImageName(const QString& name)
{
    setImage(NamedImage::named(name));
}

void ImageView::setImageAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void ImageView::setStretch(bool stretch)
{
    m_stretch = stretch;
    update();
}

QRectF ImageView::imageRect() const
{
    return m_stretch ? QRectF(rect()) : m_image.placedIn(rect(), m_alignment);
}

void ImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_image.draw(painter, imageRect());
}

QSize ImageView::sizeHint() const
{
    return m_image.size().toSize();
}
