#include "app/PanelSoundTarget.h"

#include "app/AppDelegate.h"

PanelSoundTarget::PanelSoundTarget(AppDelegate& controller, QObject* parent)
    : SoundTarget(parent)
    , m_controller(controller)
{
    connect(&controller.model(), &PanelModel::applied, this, [this](const SettingsChange& change) {
        if (!(change.changed & soundFields()))
            return;
        const PresetSound sound = PresetSound::of(change.settings.sound);
        if (change.origin == ChangeOrigin::Scene)
            emit soundReplaced(sound);
        else
            emit soundChanged(sound, !m_controller.settingsControls()->soundStepGoingOn());
    });
    // A held control released where it was pressed changed nothing more,
    // yet its step is over.
    connect(controller.settingsControls(), &SettingsControls::soundStepEnded, this, [this] { emit soundChanged(sound(), true); });
}

PresetSound PanelSoundTarget::sound() const
{
    return PresetSound::of(m_controller.model().sound());
}

bool PanelSoundTarget::canChange(QString* why) const
{
    // Without settings the panel never links and its controls stay inert.
    if (!m_controller.settings()) {
        *why = tr("the panel has no settings to change");
        return false;
    }
    return true;
}

bool PanelSoundTarget::applySound(const PresetSound& sound, QString* why)
{
    return change(sound, ChangeOrigin::Preset, why);
}

// The model's writers send what the same change made by hand would.
bool PanelSoundTarget::restoreSound(const PresetSound& sound, QString* why)
{
    return change(sound, ChangeOrigin::History, why);
}

bool PanelSoundTarget::change(const PresetSound& sound, ChangeOrigin origin, QString* why)
{
    return canChange(why) && sound.inRange(why) &&
           m_controller.model().apply(SettingsBatch::ofSound(sound.values()), origin, why);
}
