#include "presets/PresetSound.h"

#include "settings/SettingsDictionary.h"
#include <QCoreApplication>

bool PresetSound::inRange(QString* why) const
{
    for (int n = 1; n <= 5; ++n) {
        const int value = stages[static_cast<std::size_t>(n - 1)];
        if (value < StageMin || value > StageMax) {
            if (why)
                *why = QCoreApplication::translate("PresetSound", "stage%1 is %2; it takes %3 to %4")
                           .arg(n).arg(value).arg(StageMin).arg(StageMax);
            return false;
        }
    }
    if (reverb < ReverbMin || reverb > ReverbMax) {
        if (why)
            *why = QCoreApplication::translate("PresetSound", "reverb is %1; it takes %2 to %3")
                       .arg(reverb).arg(ReverbMin).arg(ReverbMax);
        return false;
    }
    return true;
}

PresetSound PresetSound::fromSettings(const SettingsDictionary& settings)
{
    PresetSound sound;
    sound.monitor = settings.boolValue(SettingsKey::monitor);
    sound.denoise = settings.boolValue(SettingsKey::dehiss);
    for (int n = 1; n <= 5; ++n)
        sound.stages[static_cast<std::size_t>(n - 1)] = settings.integerValue(SettingsKey::stage(n));
    sound.reverb = settings.integerValue(SettingsKey::reverb);
    sound.mixer = settings.boolValue(SettingsKey::mixer);
    return sound;
}
