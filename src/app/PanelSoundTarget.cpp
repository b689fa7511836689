#include "app/PanelSoundTarget.h"

#include "app/AppDelegate.h"

namespace {

constexpr PanelFields kSoundFields = PanelField::Monitor | PanelField::Denoise | PanelField::Stage1 |
                                     PanelField::Stage2 | PanelField::Stage3 | PanelField::Stage4 |
                                     PanelField::Stage5 | PanelField::Reverb | PanelField::Mixer;

} // namespace

PanelSoundTarget::PanelSoundTarget(AppDelegate& controller, QObject* parent)
    : SoundTarget(parent)
    , m_controller(controller)
{
    connect(&controller.model(), &PanelModel::settingsChanged, this,
            [this](const PanelSettings& settings, PanelFields fields) {
                if (fields & kSoundFields)
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
    if (!canChange(why))
        return false;
    if (!sound.inRange(why))
        return false;
    if (m_controller.linked())
        m_controller.applySoundValues(soundValues(sound));
    else
        m_controller.storeSoundValues(soundValues(sound));
    return true;
}

// One control changed by hand is taken back with that control's own change.
bool PanelSoundTarget::restoreSound(const PresetSound& sound, QString* why)
{
    if (!canChange(why))
        return false;
    const PresetSound now = this->sound();
    int differing = (now.monitor != sound.monitor) + (now.denoise != sound.denoise) + (now.reverb != sound.reverb) +
                    (now.mixer != sound.mixer);
    int stage = 0;
    for (std::size_t i = 0; i < now.stages.size(); ++i) {
        if (now.stages[i] != sound.stages[i]) {
            stage = static_cast<int>(i) + 1;
            ++differing;
        }
    }
    if (differing != 1 || !m_controller.linked() || !sound.inRange())
        return applySound(sound, why);
    if (now.monitor != sound.monitor)
        m_controller.changeMonitor(sound.monitor);
    else if (now.denoise != sound.denoise)
        m_controller.changeDenoise(sound.denoise);
    else if (now.reverb != sound.reverb)
        m_controller.changeReverb(sound.reverb);
    else if (now.mixer != sound.mixer)
        m_controller.changeMixer(sound.mixer);
    else
        m_controller.changeStage(stage, sound.stages[static_cast<std::size_t>(stage - 1)]);
    return true;
}
