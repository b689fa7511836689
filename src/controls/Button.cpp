#include "controls/Button.h"

#include "controls/ButtonDelegate.h"
#include "controls/ControlImageState.h"

#include <iterator>

namespace {

struct ButtonRole {
    const char* name; // translated when asked for
    const char* focusRing;
    const char* enable;
    const char* disable;
    const char* hover;
    const char* push;
    void (ButtonDelegate::*operation)();
};

// Indexed by tag.
constexpr ButtonRole kRoles[] = {
    {QT_TRANSLATE_NOOP("Button", "Reset equaliser"), "focusRingSmall", "resetEnable", "resetDisable", "resetHover", "resetPush", &ButtonDelegate::ResetStage},
    {QT_TRANSLATE_NOOP("Button", "Play"), "focusRingRound", "playEnable", "playDisable", "playHover", "playPush", &ButtonDelegate::Play},
    {QT_TRANSLATE_NOOP("Button", "Record"), "focusRingRound", "recordEnable", "recordDisable", "recordHover", "recordPush", &ButtonDelegate::Record},
    {QT_TRANSLATE_NOOP("Button", "Pause"), "focusRingRound", "pauseEnable", "pauseDisable", "pauseHover", "pausePush", &ButtonDelegate::Pause},
    {QT_TRANSLATE_NOOP("Button", "Stop"), "focusRingRound", "stopEnable", "stopDisable", "stopHover", "stopPush", &ButtonDelegate::Stop},
};

const ButtonRole* roleForTag(int tag)
{
    if (tag < 0 || tag >= static_cast<int>(std::size(kRoles)))
        return nullptr;
    return &kRoles[tag];
}

} // namespace

Button::Button(QWidget* parent)
    : SkinnedButton(parent)
{
}

Button::~Button() = default;

void Button::awakeFromNib()
{
    if (const ButtonRole* role = roleForTag(m_tag)) {
        m_enableImage = NamedImage::named(QString::fromLatin1(role->enable));
        m_disableImage = NamedImage::named(QString::fromLatin1(role->disable));
        m_hoverImage = NamedImage::named(QString::fromLatin1(role->hover));
        m_pushImage = NamedImage::named(QString::fromLatin1(role->push));
        m_focusRingImage = NamedImage::named(QString::fromLatin1(role->focusRing));
    } else {
        m_enableImage = m_disableImage = m_hoverImage = m_pushImage = m_focusRingImage = NamedImage();
    }
    setImage(isEnabled() ? m_enableImage : m_disableImage);
    updateGeometry();
}

QString Button::defaultName() const
{
    const ButtonRole* role = roleForTag(m_tag);
    return role ? tr(role->name) : QString();
}

void Button::mouseEntered()
{
    if (!isEnabled())
        return;
    m_status = static_cast<int>(ControlImageState::Hover);
    setImage(m_hoverImage);
}

void Button::mouseExited()
{
    if (isEnabled()) {
        m_status = static_cast<int>(ControlImageState::Enable);
        setImage(m_enableImage);
    } else {
        m_status = static_cast<int>(ControlImageState::Disable);
        setImage(m_disableImage);
    }
}

void Button::mouseDown()
{
    if (!isEnabled())
        return;
    m_status = static_cast<int>(ControlImageState::Push);
    setImage(m_pushImage);
    const ButtonRole* role = roleForTag(m_tag);
    ButtonDelegate* target = delegate();
    if (role && target)
        (target->*role->operation)();
}

void Button::mouseUp()
{
    if (!isEnabled())
        return;
    m_status = static_cast<int>(ControlImageState::Hover);
    setImage(m_hoverImage);
}
