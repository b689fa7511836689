#include "model/PanelSettings.h"

#include "settings/SettingsDictionary.h"

#include <algorithm>
#include <cmath>

double PanelSettings::value(PanelSetting setting) const
{
    switch (setting) {
    case PanelSetting::Speaker: return speaker;
    case PanelSetting::Mic: return mic;
    case PanelSetting::Monitor: return sound.monitor;
    case PanelSetting::Denoise: return sound.denoise;
    case PanelSetting::Reverb: return sound.reverb;
    case PanelSetting::Mixer: return sound.mixer;
    default: break;
    }
    return sound.stages[static_cast<std::size_t>(setting) - static_cast<std::size_t>(PanelSetting::Stage1)];
}

void PanelSettings::setValue(PanelSetting setting, double value)
{
    switch (setting) {
    case PanelSetting::Speaker: speaker = static_cast<int>(value); return;
    case PanelSetting::Mic: mic = static_cast<int>(value); return;
    case PanelSetting::Monitor: sound.monitor = value != 0.0; return;
    case PanelSetting::Denoise: sound.denoise = value != 0.0; return;
    case PanelSetting::Reverb: sound.reverb = value; return;
    case PanelSetting::Mixer: sound.mixer = value != 0.0; return;
    default: break;
    }
    sound.stages[static_cast<std::size_t>(setting) - static_cast<std::size_t>(PanelSetting::Stage1)] =
        static_cast<int>(value);
}

PanelSettings PanelSettings::bounded() const
{
    PanelSettings b = *this;
    for (const SettingRow& row : settingRows()) {
        const double v = value(row.setting);
        // A value that is no number at all stays where the control starts.
        b.setValue(row.setting, std::isnan(v) ? row.min : std::clamp(v, double(row.min), double(row.max)));
    }
    return b;
}

PanelSettings PanelSettings::fromDictionary(const SettingsDictionary& file)
{
    PanelSettings s;
    for (const SettingRow& row : settingRows()) {
        const QString key = QLatin1String(row.storedKey);
        s.setValue(row.setting, row.isSwitch ? file.boolValue(key) : file.integerValue(key));
    }
    return s.bounded();
}

void PanelSettings::storeInto(SettingsDictionary& file) const
{
    storeInto(file, allFields());
}

void PanelSettings::storeInto(SettingsDictionary& file, PanelFields fields) const
{
    storeFieldsInto(file, fields);
    file.setBool(SettingsKey::spkMute, speaker == 0);
    file.setBool(SettingsKey::micMute, mic == 0);
}

void PanelSettings::storeFieldsInto(SettingsDictionary& file, PanelFields fields) const
{
    for (const SettingRow& row : settingRows()) {
        if (!(fields & fieldOf(row.setting)))
            continue;
        const QString key = QLatin1String(row.storedKey);
        // The file keeps whole levels: reverb without its fraction.
        if (row.isSwitch)
            file.setBool(key, value(row.setting) != 0.0);
        else
            file.setInteger(key, static_cast<int>(value(row.setting)));
    }
}

ControlPanelValues PanelSettings::recordValues() const
{
    ControlPanelValues values;
    values.speaker = speaker;
    values.mic = mic;
    values.denoise = sound.denoise;
    values.mixer = sound.mixer ? 1.0 : 0.0;
    values.monitor = sound.monitor;
    values.reverb = sound.reverb;
    values.stages = sound.stages;
    return values;
}

PanelField fieldOf(PanelSetting setting)
{
    return static_cast<PanelField>(1u << static_cast<unsigned>(setting));
}

PanelField stageField(int number)
{
    return fieldOf(stageSetting(number));
}

PanelFields soundFields()
{
    PanelFields fields;
    for (const SettingRow& row : settingRows())
        fields.setFlag(fieldOf(row.setting), row.inSound);
    return fields;
}

PanelFields allFields()
{
    return PanelFields::fromInt((1u << kPanelSettingCount) - 1);
}

PanelFields differingFields(const PanelSettings& a, const PanelSettings& b)
{
    PanelFields fields;
    for (const SettingRow& row : settingRows())
        fields.setFlag(fieldOf(row.setting), a.value(row.setting) != b.value(row.setting));
    return fields;
}
