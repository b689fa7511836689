#include "controls/SkinnedButton.h"

#include <QMouseEvent>
#include <QPainter>

SkinnedButton::SkinnedButton(QWidget* parent)
    : QPushButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void SkinnedButton::setImage(const NamedImage& image)
{
    m_image = image;
    update();
}

// Qt drops the mouse events of a disabled widget before its handlers run,
// so the pointer events are taken here, where a disabled button can still
// answer them.
bool SkinnedButton::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
        mouseEntered();
        return true;
    case QEvent::Leave:
        mouseExited();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // the second click of a double click
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            break;
        if (event->type() == QEvent::MouseButtonRelease)
            mouseUp();
        else
            mouseDown();
        event->accept();
        return true;
    default:
        break;
    }
    return QPushButton::event(event);
}

void SkinnedButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Disabling a button from code keeps its image until the next pointer
    // event; like any desktop button, it is drawn dimmed meanwhile so it
    // does not look usable.
    if (!isEnabled() && !isDisabledImage(m_image))
        painter.setOpacity(0.4);
    m_image.draw(painter, m_image.placedIn(rect()));
}

QSize SkinnedButton::sizeHint() const
{
    const NamedImage& image = sizingImage();
    return image.isNull() ? QPushButton::sizeHint() : image.size().toSize();
}

QSize SkinnedButton::minimumSizeHint() const
{
    return sizeHint();
}
