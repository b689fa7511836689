#include "controls/SkinnedButton.h"

#include "controls/ControlsAccessibility.h"
#include "controls/FocusRing.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

bool isActivationKey(const QKeyEvent& event)
{
    if (event.modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (event.key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        return true;
    default:
        return false;
    }
}

} // namespace

SkinnedButton::SkinnedButton(QWidget* parent)
    : QPushButton(parent)
{
    installControlsAccessibility();
    setFocusPolicy(Qt::TabFocus);
    // QPushButton would take Enter for a dialog's default button.
    setAutoDefault(false);
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
    if (showsFocusRing(*this)) {
        painter.setOpacity(1.0);
        const NamedImage& ring = focusRingImage();
        ring.draw(painter, ring.placedIn(rect()));
    }
}

void SkinnedButton::performClick()
{
    mouseDown();
    release();
}

void SkinnedButton::release()
{
    mouseUp();
    if (!underMouse())
        mouseExited();
}

// QPushButton's own key handling would emit clicked() and show Qt's pressed
// look; the activation keys run the skinned handlers instead, and every
// other key goes on to the parent. A held key presses once.
void SkinnedButton::keyPressEvent(QKeyEvent* event)
{
    if (!isActivationKey(*event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat() && !m_keyDown) {
        m_keyDown = true;
        mouseDown();
    }
    event->accept();
}

void SkinnedButton::keyReleaseEvent(QKeyEvent* event)
{
    if (!isActivationKey(*event)) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    if (!event->isAutoRepeat() && m_keyDown) {
        m_keyDown = false;
        release();
    }
    event->accept();
}

// The key may come up elsewhere (the press opened a panel, or Tab moved on):
// the button is released as a pointer released outside it would be.
void SkinnedButton::focusOutEvent(QFocusEvent* event)
{
    if (m_keyDown) {
        m_keyDown = false;
        release();
    }
    QPushButton::focusOutEvent(event);
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
