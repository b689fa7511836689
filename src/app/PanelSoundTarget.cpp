#include "app/PanelSoundTarget.h"

#include "app/AppDelegate.h"

PanelSoundTarget::PanelSoundTarget(AppDelegate& controller, QObject* parent)
    : SoundTarget(parent)
    , m_controller(controller)
{
    connect(&controller.model(), &PanelModel::settingsChanged, this,
            [this](const PanelSettings& settings, PanelFields fields) {
                if (fields & soundFields())
                    emit soundChanged(presetSound(settings.sound), !m_controller.soundStepGoingOn());
            });
    // A held control released where it was pressed changed nothing more,
    // yet its step is over.
    connect(&controller, &AppDelegate::soundStepEnded, this, [this] { emit soundChanged(sound(), true); });
}

PresetSound PanelSoundTarget::presetSound(const SoundValues& values)
{
    PresetSound sound;
    sound.monitor = values.monitor;
    sound.denoise = values.denoise;
    sound.stages = values.stages;
    // As the "reverb" setting keeps it.
    sound.reverb = static_cast<int>(values.reverb);
    sound.mixer = values.mixer;
    return sound;
}

SoundValues PanelSoundTarget::soundValues(const PresetSound& sound)
{
    SoundValues values;
    values.monitor = sound.monitor;
    values.denoise = sound.denoise;
    values.stages = sound.stages;
    values.reverb = sound.reverb;
    values.mixer = sound.mixer;
    return values;
}

PresetSound PanelSoundTarget::sound() const
{
    return presetSound(m_controller.model().sound());
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
           m_controller.model().apply(SettingsBatch::ofSound(soundValues(sound)), origin, why);
}
