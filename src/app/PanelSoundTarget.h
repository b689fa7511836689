#pragma once

#include "model/PanelSettings.h"
#include "presets/SoundTarget.h"

class AppDelegate;

// The panel's model and controller as presets and undo see them. A preset
// goes to the controller as one change (one code-8 record) while linked;
// while unlinked only the model and the stored settings take it, and the
// next link sends them. The model's changes come back as soundChanged(),
// a step ending unless a stage slider or the reverb bar is still held; its
// release ends that step. Main thread.
class PanelSoundTarget final : public SoundTarget {
    Q_OBJECT

public:
    explicit PanelSoundTarget(AppDelegate& controller, QObject* parent = nullptr);

    PresetSound sound() const override;
    bool applySound(const PresetSound& sound, QString* why) override;
    bool restoreSound(const PresetSound& sound, QString* why) override;

    static PresetSound presetSound(const SoundValues& values);
    static SoundValues soundValues(const PresetSound& sound);

private:
    bool canChange(QString* why) const;

    AppDelegate& m_controller;
};
