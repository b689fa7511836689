#pragma once

#include <array>

#include <QString>

class SettingsDictionary;

// The device's sound as a preset holds it: the sound processor's settings,
// not the system's Speaker and Mic volumes. Applied, it is one full
// control-panel record with change code 8 (every field at once: monitor,
// denoise, the mixer bit of byte 5, reverb quantised to 0..15, the five
// stages as signed bytes), and the same values stored under "monitor",
// "dehiss", "mixer", "reverb" and "stage1".."stage5".
struct PresetSound {
    static constexpr int StageMin = -15;
    static constexpr int StageMax = 15;
    static constexpr int ReverbMin = 0;
    static constexpr int ReverbMax = 100;

    bool monitor = false;
    bool denoise = false;
    std::array<int, 5> stages{};
    int reverb = 0;
    bool mixer = false;

    bool operator==(const PresetSound&) const = default;

    // Whether every value is within its control's range; *why names the
    // first that is not.
    bool inRange(QString* why = nullptr) const;

    // The sound held in the settings dictionary (the other keys are not read).
    static PresetSound fromSettings(const SettingsDictionary& settings);
};
