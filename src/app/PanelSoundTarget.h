#pragma once

#include "model/PanelModel.h"
#include "presets/SoundTarget.h"

class AppDelegate;

// The panel's model as presets and undo see them. A preset or a step of
// the history is one change of the model, whose writers send the device
// what it calls for while linked (see DeviceRecordSender); while unlinked
// only the stored settings take it, and the next link sends them. The
// model's changes come back as soundChanged(), a step ending unless a stage
// slider or the reverb bar is still held; its release ends that step. Main
// thread.
class PanelSoundTarget final : public SoundTarget {
    Q_OBJECT

public:
    explicit PanelSoundTarget(AppDelegate& controller, QObject* parent = nullptr);

    PresetSound sound() const override;
    bool applySound(const PresetSound& sound, QString* why) override;
    bool restoreSound(const PresetSound& sound, QString* why) override;

private:
    bool canChange(QString* why) const;
    bool change(const PresetSound& sound, ChangeOrigin origin, QString* why);

    AppDelegate& m_controller;
};
