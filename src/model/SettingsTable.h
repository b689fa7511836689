#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <cstddef>

// The eleven settings a user changes, in the order the status lists them.
// The two mute flags are not among them: they are the volumes at 0.
enum class PanelSetting { Speaker, Mic, Monitor, Denoise, Stage1, Stage2, Stage3, Stage4, Stage5, Reverb, Mixer };
inline constexpr std::size_t kPanelSettingCount = 11;

// One row a setting: everything that names, bounds or sends it. The model,
// the stored settings, the record sender, the presets, the bus, the command
// line and the status are derived from these rows.
struct SettingRow {
    PanelSetting setting;
    // As typed on the command line, in the status and in a preset:
    // "speaker", "stage3".
    const char* name;
    // The bus property: "Speaker", "Stage3".
    const char* property;
    // The stored settings' key: "spkVolume", "dehiss".
    const char* storedKey;
    // On/off, stored as a boolean; otherwise a whole number in min..max,
    // stored as an integer.
    bool isSwitch;
    int min;
    int max;
    // The first run's value (resources/Config.plist holds the same).
    int initial;
    // The record's change code when this setting alone changes; 0 when the
    // device does not take it (the volumes go to the sound server).
    unsigned changeCode;
    // Part of the device's sound, which a preset holds.
    bool inSound;
};

const std::array<SettingRow, kPanelSettingCount>& settingRows();
const SettingRow& settingRow(PanelSetting setting);
// The row of that name (any case), or none.
const SettingRow* findSettingRow(QStringView name);
// Every row's name, for messages.
QStringList settingNames();

// Whether `value` is one `row` takes (a switch 0 or 1); the reason in *why
// when not.
bool settingInRange(const SettingRow& row, double value, QString* why);

// Stage 1..5's setting.
PanelSetting stageSetting(int number);
