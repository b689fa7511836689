#pragma once

#include "controls/NamedImage.h"

#include <QPushButton>

// What Button and CheckButton share: a push button whose whole look is one
// image, and pointer events routed to four handlers whether or not the
// button is enabled. Qt's own click handling never runs, so clicked(),
// pressed() and toggled() are never emitted.
class SkinnedButton : public QPushButton {
    Q_OBJECT

public:
    explicit SkinnedButton(QWidget* parent = nullptr);

    // The image shown now, and showing another one.
    const NamedImage& image() const { return m_image; }
    void setImage(const NamedImage& image);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    virtual void mouseEntered() = 0;
    virtual void mouseExited() = 0;
    virtual void mouseDown() = 0;
    virtual void mouseUp() {}
    // The image whose size the button prefers.
    virtual const NamedImage& sizingImage() const = 0;
    // Whether `image` is one of the button's own disabled looks.
    virtual bool isDisabledImage(const NamedImage& image) const = 0;

private:
    NamedImage m_image;
};
