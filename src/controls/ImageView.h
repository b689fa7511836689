#pragma once

#include "controls/NamedImage.h"

#include <QWidget>

// Shows one named image. By default the image keeps its own size (scaled
// down proportionally if the view is smaller) and sits where
// `imageAlignment` says; with `stretch` it fills the view. A null image
// shows nothing.
class ImageView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString imageName READ imageName WRITE setImageName)
    Q_PROPERTY(Qt::Alignment imageAlignment READ imageAlignment WRITE setImageAlignment)
    Q_PROPERTY(bool stretch READ stretch WRITE setStretch)

public:
    explicit ImageView(QWidget* parent = nullptr);

    const NamedImage& image() const { return m_image; }
    void setImage(const NamedImage& image);
    // Looks the name up; an empty name clears the image.
    QString imageName() const { return m_image.name(); }
    void setImageName(const QString& name);

    Qt::Alignment imageAlignment() const { return m_alignment; }
    void setImageAlignment(Qt::Alignment alignment);
    bool stretch() const { return m_stretch; }
    void setStretch(bool stretch);

    // Where the image is drawn in the view's current size.
    QRectF imageRect() const;

    QSize sizeHint() const override;

signals:
    // The image was set (a view that draws this one in its place listens).
    void imageChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    NamedImage m_image;
    Qt::Alignment m_alignment = Qt::AlignCenter;
    bool m_stretch = false;
};
