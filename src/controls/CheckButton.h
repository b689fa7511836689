#pragma once

#include "controls/CheckButtonDelegate.h"
#include "controls/DelegateRef.h"
#include "controls/NamedImage.h"
#include "controls/SkinnedButton.h"

// An on/off switch drawn from six images ("enableChecked",
// "enableUnchecked", "disableChecked", "disableUnchecked", "hoverChecked",
// "hoverUnchecked"), with the focus ring "focusRingSwitch". An enabled mouse-down flips `checked`, shows the hover
// image of the new state and reports to the delegate: DenoiseChanged for
// role Denoise, MonitorChanged for role Monitor (set `role` in the .ui).
// A disabled mouse-down shows the disable image and reports nothing.
//
// Setting `checked` or the enabled state from code changes no image; call
// changeImage() (or wait for the next pointer event). No image shows until
// then. Qt's own click/toggle handling never runs.
//
// Promote a QPushButton (or QAbstractButton) in Designer, set `role`, and
// call awakeFromNib() once after setupUi().
class CheckButton : public SkinnedButton {
    Q_OBJECT
    Q_PROPERTY(bool checked READ checked WRITE setChecked)
    Q_PROPERTY(Role role READ role WRITE setRole)

public:
    enum Role { Monitor, Denoise };
    Q_ENUM(Role)

    explicit CheckButton(QWidget* parent = nullptr);
    ~CheckButton() override;

    // Loads the six images; shows none yet.
    void awakeFromNib();

    // Shows the image of `state` (0 enable, 1 disable, 2 hover) for the
    // current `checked` value; any other value does nothing.
    void changeImage(int state);

    // No image change and no report; assistive technologies are told of
    // the new state. (Hides QAbstractButton's checked state, which this
    // control doesn't use.)
    bool checked() const { return m_checked; }
    void setChecked(bool checked);

    Role role() const { return m_role; }
    void setRole(Role role) { m_role = role; }

    // Not owned; cleared automatically when it is a QObject that is destroyed.
    CheckButtonDelegate* delegate() const { return m_delegate.get(); }
    void setDelegate(CheckButtonDelegate* delegate) { m_delegate.reset(delegate); }

    const NamedImage& enableCheckedImage() const { return m_enableCheckedImage; }
    void setEnableCheckedImage(const NamedImage& image) { m_enableCheckedImage = image; }
    const NamedImage& enableUncheckedImage() const { return m_enableUncheckedImage; }
    void setEnableUncheckedImage(const NamedImage& image) { m_enableUncheckedImage = image; }
    const NamedImage& disableCheckedImage() const { return m_disableCheckedImage; }
    void setDisableCheckedImage(const NamedImage& image) { m_disableCheckedImage = image; }
    const NamedImage& disableUncheckedImage() const { return m_disableUncheckedImage; }
    void setDisableUncheckedImage(const NamedImage& image) { m_disableUncheckedImage = image; }
    const NamedImage& hoverCheckedImage() const { return m_hoverCheckedImage; }
    void setHoverCheckedImage(const NamedImage& image) { m_hoverCheckedImage = image; }
    const NamedImage& hoverUncheckedImage() const { return m_hoverUncheckedImage; }
    void setHoverUncheckedImage(const NamedImage& image) { m_hoverUncheckedImage = image; }
    const NamedImage& focusRingImage() const override { return m_focusRingImage; }
    QString defaultName() const override;

protected:
    void mouseEntered() override;
    void mouseExited() override;
    void mouseDown() override;
    const NamedImage& sizingImage() const override { return m_enableUncheckedImage; }
    bool isDisabledImage(const NamedImage& image) const override
    {
        return image == m_disableCheckedImage || image == m_disableUncheckedImage;
    }

private:
    bool m_checked = false;
    Role m_role = Monitor;
    DelegateRef<CheckButtonDelegate> m_delegate;
    NamedImage m_enableCheckedImage;
    NamedImage m_enableUncheckedImage;
    NamedImage m_disableCheckedImage;
    NamedImage m_disableUncheckedImage;
    NamedImage m_hoverCheckedImage;
    NamedImage m_hoverUncheckedImage;
    NamedImage m_focusRingImage;
};
