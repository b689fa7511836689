#pragma once

#include <array>

#include <QString>

#include "model/PanelSettings.h"

class SettingsDictionary;

// The device's sound as a preset holds it: the sound processor's settings,
// not the system's Speaker and Mic volumes. Applied, it is one full
// control-panel record with change code 8 (every field at once: monitor,
// denoise, the mixer bit of byte 5, reverb quantised to 0..15, the five
// stages as signed bytes), and the same values stored under "monitor",
// "dehiss", "mixer", "reverb" and "stage1".."stage5".
struct PresetSound {
    bool monitor = false;
    bool denoise = false;
    std::array<int, 5> stages{};
    int reverb = 0;
    bool mixer = false;

    bool operator==(const PresetSound&) const = default;

    // Whether every value is within its control's range; *why names the
    // first that is not.
    bool inRange(QString* why = nullptr) const;

    // A sound setting's value (a switch as 0 or 1); one a preset does not
    // hold reads 0 and is not set.
    int value(PanelSetting setting) const;
    void setValue(PanelSetting setting, int value);

    // The sound held in the settings dictionary (the other keys are not read).
    static PresetSound fromSettings(const SettingsDictionary& settings);
    // The panel's sound values as a preset keeps them: reverb as the
    // settings keep it, a whole level.
    static PresetSound of(const SoundValues& values);
    SoundValues values() const;
};
