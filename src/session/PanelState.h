#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariantMap>

#include <array>
#include <optional>

#include "model/SettingsTable.h"

class PanelModel;

// What the running panel shows, as the session interface and the command
// line see it.
struct PanelState {
    bool linked = false;
    bool devicePresent = false;
    bool notResponding = false;
    // False while the link waits for the sound server, or the linked
    // device's sound waits for it to be back.
    bool soundServerAnswering = true;
    // Every setting in the table's order, a switch as 0 or 1, reverb as a
    // whole level.
    std::array<int, kPanelSettingCount> values{};
    // idle, playing, playback-paused, recording or recording-paused
    QString transport = QStringLiteral("idle");
    // The presets' names, the active one (empty for none) and whether the
    // sound has changed since it was chosen.
    QStringList presets;
    QString activePreset;
    bool presetModified = false;
    // The application of the scene in force, empty for none.
    QString activeScene;

    bool operator==(const PanelState&) const = default;

    int value(PanelSetting setting) const { return values[static_cast<std::size_t>(setting)]; }
    void setValue(PanelSetting setting, int value) { values[static_cast<std::size_t>(setting)] = value; }

    // The D-Bus properties by name ("Linked", "Stage3", "ActivePreset", ...).
    QVariantMap properties() const;
    static PanelState fromProperties(const QVariantMap& properties);

    // One "key=value" a line: the link state ("linked=yes", "present=yes",
    // "responding=yes", "sound-server=yes"), every setting under its key below, "transport=idle".
    QStringList statusLines() const;
    // The presets one a line, the active one marked: "* Voice (modified)",
    // the others indented by two spaces.
    QStringList presetLines() const;
};

// The model's state as the session interface tells it.
PanelState panelStateOf(const PanelModel& model);

// A value as typed for `row`: on/off (also yes/no, true/false, 1/0) for a
// switch, a decimal integer within the range otherwise. Empty, with the
// reason in *why, when it is not one.
std::optional<int> parseSettingValue(const SettingRow& row, QStringView text, QString* why);

// The name of transport state 0..4 ("idle", "playing", ...).
QString transportStateName(qint64 actionStatus);
