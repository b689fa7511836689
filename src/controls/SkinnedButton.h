#pragma once

#include "controls/NamedImage.h"

#include <QPushButton>

// What Button and CheckButton share: a push button whose whole look is one
// image, and pointer events routed to four handlers whether or not the
// button is enabled. Qt's own click handling never runs, so clicked(),
// pressed() and toggled() are never emitted.
//
// Keyboard: the button takes focus by Tab only (a click doesn't move the
// focus, as before), shows its focus ring while focused from the keyboard,
// and Space or Enter act as a click: the press runs the mouse-down handler,
// the release the mouse-up handler, then the resting look returns unless
// the pointer is over the button. A disabled button takes neither focus nor
// keys.
class SkinnedButton : public QPushButton {
    Q_OBJECT

public:
    explicit SkinnedButton(QWidget* parent = nullptr);

    // The image shown now, and showing another one.
    const NamedImage& image() const { return m_image; }
    void setImage(const NamedImage& image);

    // What one click does, for the keyboard and assistive technologies:
    // the mouse-down handler, the mouse-up handler, then the resting look
    // unless the pointer is over the button.
    void performClick();

    // The ring drawn over the image while focused from the keyboard.
    virtual const NamedImage& focusRingImage() const = 0;
    // What assistive technologies call the button when the window gives it
    // no accessible name.
    virtual QString defaultName() const = 0;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    virtual void mouseEntered() = 0;
    virtual void mouseExited() = 0;
    virtual void mouseDown() = 0;
    virtual void mouseUp() {}
    // The image whose size the button prefers.
    virtual const NamedImage& sizingImage() const = 0;
    // Whether `image` is one of the button's own disabled looks.
    virtual bool isDisabledImage(const NamedImage& image) const = 0;

private:
    void release();

    NamedImage m_image;
    // An activation key went down on this button and hasn't come up.
    bool m_keyDown = false;
};
