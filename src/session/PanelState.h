#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariantMap>

#include <array>
#include <optional>

class PanelModel;

// The settings a script may change, by their command-line names.
enum class PanelSetting { Speaker, Mic, Monitor, Denoise, Stage1, Stage2, Stage3, Stage4, Stage5, Reverb, Mixer };

// What the running panel shows, as the session interface and the command
// line see it.
struct PanelState {
    bool linked = false;
    bool devicePresent = false;
    bool notResponding = false;
    // False while the link waits for the sound server, or the linked
    // device's sound waits for it to be back.
    bool soundServerAnswering = true;
    int speaker = 0;
    int mic = 0;
    bool monitor = false;
    bool denoise = false;
    std::array<int, 5> stages{};
    int reverb = 0;
    bool mixer = false;
    // idle, playing, playback-paused, recording or recording-paused
    QString transport = QStringLiteral("idle");
    // The presets' names, the active one (empty for none) and whether the
    // sound has changed since it was chosen.
    QStringList presets;
    QString activePreset;
    bool presetModified = false;

    bool operator==(const PanelState&) const = default;

    // A setting's value, a switch as 0 or 1.
    int value(PanelSetting setting) const;
    void setValue(PanelSetting setting, int value);

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

struct PanelKey {
    PanelSetting setting;
    const char* name;     // as typed and in the status: "speaker", "stage3", ...
    const char* property; // on the bus: "Speaker", "Stage3", ...
    bool isSwitch;        // on/off; otherwise an integer in min..max
    int min;
    int max;
};

// The key of that name, or none.
const PanelKey* findPanelKey(QStringView name);
const PanelKey& panelKey(PanelSetting setting);
// Every key's name, for messages.
QStringList panelKeyNames();

// A value as typed for `key`: on/off (also yes/no, true/false, 1/0) for a
// switch, a decimal integer within the range otherwise. Empty, with the
// reason in *why, when it is not one.
std::optional<int> parsePanelValue(const PanelKey& key, QStringView text, QString* why);
// Whether `value` is within the key's range; the reason in *why when not.
bool panelValueInRange(const PanelKey& key, int value, QString* why);

// The name of transport state 0..4 ("idle", "playing", ...).
QString transportStateName(qint64 actionStatus);
