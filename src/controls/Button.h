#pragma once

#include "controls/ButtonDelegate.h"
#include "controls/DelegateRef.h"
#include "controls/NamedImage.h"
#include "controls/SkinnedButton.h"

// An image button whose whole look is one of four images chosen by state.
// Its role comes from `tag` (set in the window's .ui):
//   0 reset ("reset*", ResetStage)   1 play ("play*", Play)
//   2 record ("record*", Record)     3 pause ("pause*", Pause)
//   4 stop ("stop*", Stop)           other: no images, no report
// The focus ring is "focusRingSmall" for reset, "focusRingRound" for the
// transport buttons.
// It acts on mouse-down: status -> image -> delegate, in that order. Qt's own
// click handling never runs, so clicked()/pressed() are never emitted.
//
// Pointer events are handled even while the button is disabled (a disabled
// button shows its disable image when the pointer leaves). Setting `status`
// or the enabled state from code changes no image; the next pointer event
// does.
//
// Promote a QPushButton (or QAbstractButton) in Designer, set `tag`, and
// call awakeFromNib() once after setupUi().
class Button : public SkinnedButton {
    Q_OBJECT
    Q_PROPERTY(int tag READ tag WRITE setTag)
    Q_PROPERTY(int status READ status WRITE setStatus)

public:
    explicit Button(QWidget* parent = nullptr);
    ~Button() override;

    // Loads the tag's four images and shows the enable or disable image.
    void awakeFromNib();

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // The ControlImageState the button last showed; a plain store.
    int status() const { return m_status; }
    void setStatus(int status) { m_status = status; }

    const NamedImage& enableImage() const { return m_enableImage; }
    void setEnableImage(const NamedImage& image) { m_enableImage = image; }
    const NamedImage& disableImage() const { return m_disableImage; }
    void setDisableImage(const NamedImage& image) { m_disableImage = image; }
    const NamedImage& hoverImage() const { return m_hoverImage; }
    void setHoverImage(const NamedImage& image) { m_hoverImage = image; }
    const NamedImage& pushImage() const { return m_pushImage; }
    void setPushImage(const NamedImage& image) { m_pushImage = image; }
    const NamedImage& focusRingImage() const override { return m_focusRingImage; }
    QString defaultName() const override;

    // Not owned; cleared automatically when it is a QObject that is destroyed.
    ButtonDelegate* delegate() const { return m_delegate.get(); }
    void setDelegate(ButtonDelegate* delegate) { m_delegate.reset(delegate); }

protected:
    void mouseEntered() override;
    void mouseExited() override;
    void mouseDown() override;
    void mouseUp() override;
    const NamedImage& sizingImage() const override { return m_enableImage; }
    bool isDisabledImage(const NamedImage& image) const override { return image == m_disableImage; }

private:
    int m_tag = 0;
    int m_status = 0;
    NamedImage m_enableImage;
    NamedImage m_disableImage;
    NamedImage m_hoverImage;
    NamedImage m_pushImage;
    NamedImage m_focusRingImage;
    DelegateRef<ButtonDelegate> m_delegate;
};
