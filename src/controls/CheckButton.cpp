#include "controls/CheckButton.h"

#include "controls/CheckButtonDelegate.h"
#include "controls/ControlImageState.h"

#include <QAccessible>

CheckButton::CheckButton(QWidget* parent)
    : SkinnedButton(parent)
{
}

CheckButton::~CheckButton() = default;

void CheckButton::awakeFromNib()
{
    m_enableCheckedImage = NamedImage::named(QStringLiteral("enableChecked"));
    m_enableUncheckedImage = NamedImage::named(QStringLiteral("enableUnchecked"));
    m_disableCheckedImage = NamedImage::named(QStringLiteral("disableChecked"));
    m_disableUncheckedImage = NamedImage::named(QStringLiteral("disableUnchecked"));
    m_hoverCheckedImage = NamedImage::named(QStringLiteral("hoverChecked"));
    m_hoverUncheckedImage = NamedImage::named(QStringLiteral("hoverUnchecked"));
    m_focusRingImage = NamedImage::named(QStringLiteral("focusRingSwitch"));
    updateGeometry();
}

void CheckButton::setChecked(bool checked)
{
    if (checked == m_checked)
        return;
    m_checked = checked;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

QString CheckButton::defaultName() const
{
    return m_role == Denoise ? tr("Denoise") : tr("Monitor");
}

void CheckButton::changeImage(int state)
{
    switch (static_cast<ControlImageState>(state)) {
    case ControlImageState::Enable:
        setImage(m_checked ? m_enableCheckedImage : m_enableUncheckedImage);
        break;
    case ControlImageState::Disable:
        setImage(m_checked ? m_disableCheckedImage : m_disableUncheckedImage);
        break;
    case ControlImageState::Hover:
        setImage(m_checked ? m_hoverCheckedImage : m_hoverUncheckedImage);
        break;
    default:
        break;
    }
}

void CheckButton::mouseEntered()
{
    changeImage(static_cast<int>(isEnabled() ? ControlImageState::Hover : ControlImageState::Disable));
}

void CheckButton::mouseExited()
{
    changeImage(static_cast<int>(isEnabled() ? ControlImageState::Enable : ControlImageState::Disable));
}

void CheckButton::mouseDown()
{
    if (!isEnabled()) {
        changeImage(static_cast<int>(ControlImageState::Disable));
        return;
    }
    setChecked(!m_checked);
    changeImage(static_cast<int>(ControlImageState::Hover));
    CheckButtonDelegate* target = delegate();
    if (!target)
        return;
    if (m_role == Denoise)
        target->DenoiseChanged(m_checked);
    else
        target->MonitorChanged(m_checked);
}
