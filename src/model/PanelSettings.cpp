#include "model/PanelSettings.h"

#include "settings/SettingsDictionary.h"

#include <algorithm>
#include <cmath>

PanelSettings PanelSettings::bounded() const
{
    PanelSettings b = *this;
    b.speaker = std::clamp(speaker, VolumeMin, VolumeMax);
    b.mic = std::clamp(mic, VolumeMin, VolumeMax);
    for (int& stage : b.sound.stages)
        stage = std::clamp(stage, StageMin, StageMax);
    // A value that is no number at all stays where the control starts.
    b.sound.reverb = std::isnan(sound.reverb) ? ReverbMin : std::clamp(sound.reverb, ReverbMin, ReverbMax);
    return b;
}

PanelSettings PanelSettings::fromDictionary(const SettingsDictionary& file)
{
    PanelSettings s;
    s.speaker = file.integerValue(SettingsKey::spkVolume);
    s.mic = file.integerValue(SettingsKey::micGain);
    s.sound.monitor = file.boolValue(SettingsKey::monitor);
    s.sound.denoise = file.boolValue(SettingsKey::dehiss);
    s.sound.reverb = file.integerValue(SettingsKey::reverb);
    s.sound.mixer = file.boolValue(SettingsKey::mixer);
    for (int n = 1; n <= 5; ++n)
        s.sound.stages[n - 1] = file.integerValue(SettingsKey::stage(n));
    return s.bounded();
}

void PanelSettings::storeInto(SettingsDictionary& file) const
{
    storeFieldsInto(file, ~PanelFields());
    file.setBool(SettingsKey::spkMute, speaker == 0);
    file.setBool(SettingsKey::micMute, mic == 0);
}

void PanelSettings::storeFieldsInto(SettingsDictionary& file, PanelFields fields) const
{
    if (fields & PanelField::Speaker)
        file.setInteger(SettingsKey::spkVolume, speaker);
    if (fields & PanelField::Mic)
        file.setInteger(SettingsKey::micGain, mic);
    if (fields & PanelField::Monitor)
        file.setBool(SettingsKey::monitor, sound.monitor);
    if (fields & PanelField::Denoise)
        file.setBool(SettingsKey::dehiss, sound.denoise);
    if (fields & PanelField::Reverb)
        file.setInteger(SettingsKey::reverb, static_cast<int>(sound.reverb));
    if (fields & PanelField::Mixer)
        file.setBool(SettingsKey::mixer, sound.mixer);
    for (int n = 1; n <= 5; ++n) {
        if (fields & stageField(n))
            file.setInteger(SettingsKey::stage(n), sound.stages[n - 1]);
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

PanelField stageField(int number)
{
    return static_cast<PanelField>(static_cast<unsigned>(PanelField::Stage1) << (number - 1));
}

PanelFields differingFields(const PanelSettings& a, const PanelSettings& b)
{
    PanelFields fields;
    fields.setFlag(PanelField::Speaker, a.speaker != b.speaker);
    fields.setFlag(PanelField::Mic, a.mic != b.mic);
    fields.setFlag(PanelField::Monitor, a.sound.monitor != b.sound.monitor);
    fields.setFlag(PanelField::Denoise, a.sound.denoise != b.sound.denoise);
    for (int n = 1; n <= 5; ++n)
        fields.setFlag(stageField(n), a.sound.stages[n - 1] != b.sound.stages[n - 1]);
    fields.setFlag(PanelField::Reverb, a.sound.reverb != b.sound.reverb);
    fields.setFlag(PanelField::Mixer, a.sound.mixer != b.sound.mixer);
    return fields;
}
