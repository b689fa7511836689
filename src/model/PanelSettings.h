#pragma once

#include <QFlags>

#include <array>

#include "device/ControlPanelInfo.h"
#include "model/SettingsTable.h"

class SettingsDictionary;

// The device's sound values: what a preset holds and what one full record
// (code 8) carries besides the two volumes.
struct SoundValues {
    bool monitor = false;
    bool denoise = false;
    std::array<int, 5> stages{}; // -15..15
    // 0..100 as the reverb control holds it: the record quantises the
    // unrounded value, the settings keep it truncated.
    double reverb = 0.0;
    bool mixer = false;

    bool operator==(const SoundValues&) const = default;
};

// One flag per setting a change can touch, at the setting's index.
enum class PanelField : unsigned {
    Speaker = 1u << 0,
    Mic = 1u << 1,
    Monitor = 1u << 2,
    Denoise = 1u << 3,
    Stage1 = 1u << 4,
    Stage2 = 1u << 5,
    Stage3 = 1u << 6,
    Stage4 = 1u << 7,
    Stage5 = 1u << 8,
    Reverb = 1u << 9,
    Mixer = 1u << 10,
};
Q_DECLARE_FLAGS(PanelFields, PanelField)
Q_DECLARE_OPERATORS_FOR_FLAGS(PanelFields)

// The thirteen settings. The two mute flags are not kept: they are the
// volumes at 0.
struct PanelSettings {
    int speaker = 0; // 0..100
    int mic = 0;     // 0..100
    SoundValues sound;

    bool operator==(const PanelSettings&) const = default;

    // A setting's value: a switch as 0 or 1, reverb with its fraction.
    double value(PanelSetting setting) const;
    void setValue(PanelSetting setting, double value);

    // Each value within the range of the control that shows it, as the
    // control would hold it.
    PanelSettings bounded() const;

    // Read from the dictionary (absent keys read 0 or off), bounded.
    static PanelSettings fromDictionary(const SettingsDictionary& file);
    // Writes all thirteen keys (or those of `fields`) and the mute flags as
    // the volumes at 0.
    void storeInto(SettingsDictionary& file) const;
    void storeInto(SettingsDictionary& file, PanelFields fields) const;
    // Writes the keys of `fields` only. The mute flags are not among them:
    // between shut-downs they say what the sound server last took.
    void storeFieldsInto(SettingsDictionary& file, PanelFields fields) const;

    // What a record is rebuilt from.
    ControlPanelValues recordValues() const;
};

// A setting's flag.
PanelField fieldOf(PanelSetting setting);
// Stage 1..5's flag.
PanelField stageField(int number);
// The flags of the settings a preset holds, and of all eleven.
PanelFields soundFields();
PanelFields allFields();
// The fields in which two sets of settings differ.
PanelFields differingFields(const PanelSettings& a, const PanelSettings& b);
