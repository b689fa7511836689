#include "presets/PresetSound.h"

#include "settings/SettingsDictionary.h"

bool PresetSound::inRange(QString* why) const
{
    for (const SettingRow& row : settingRows()) {
        if (row.inSound && !settingInRange(row, value(row.setting), why))
            return false;
    }
    return true;
}

int PresetSound::value(PanelSetting setting) const
{
    PanelSettings settings;
    settings.sound = values();
    return static_cast<int>(settings.value(setting));
}

void PresetSound::setValue(PanelSetting setting, int value)
{
    if (!settingRow(setting).inSound)
        return;
    PanelSettings settings;
    settings.sound = values();
    settings.setValue(setting, value);
    *this = of(settings.sound);
}

PresetSound PresetSound::fromSettings(const SettingsDictionary& settings)
{
    PresetSound sound;
    for (const SettingRow& row : settingRows()) {
        const QString key = QLatin1String(row.storedKey);
        if (row.inSound)
            sound.setValue(row.setting, row.isSwitch ? settings.boolValue(key) : settings.integerValue(key));
    }
    return sound;
}

PresetSound PresetSound::of(const SoundValues& values)
{
    PresetSound sound;
    sound.monitor = values.monitor;
    sound.denoise = values.denoise;
    sound.stages = values.stages;
    sound.reverb = static_cast<int>(values.reverb);
    sound.mixer = values.mixer;
    return sound;
}

SoundValues PresetSound::values() const
{
    SoundValues values;
    values.monitor = monitor;
    values.denoise = denoise;
    values.stages = stages;
    values.reverb = reverb;
    values.mixer = mixer;
    return values;
}
