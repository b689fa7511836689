#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

#include "model/PanelSettings.h"

// Where the device link stands.
struct LinkState {
    // The device settles before it is linked.
    bool linking = false;
    bool linked = false;
    // The node the panel follows is attached.
    bool devicePresent = false;
    // The chosen device takes reports.
    bool responding = true;

    bool operator==(const LinkState&) const = default;
};

// What is wrong beside the device's own fault; LinkStatusView turns it into
// the window's text.
struct PanelFaults {
    // Why the linked device is not taking reports (the transport's words).
    QString device;
    // Why the device's audio is not restored after the sound server came
    // back or the system resumed; empty when it is.
    QString audioRestore;
    // The link waits for a sound server that does not answer.
    bool awaitingSoundServer = false;
    // While linked, the sound server is gone or stopped answering; cleared
    // once the device's sound is restored.
    bool soundServerOutage = false;
    // The sound server did not take the last volume.
    bool outputVolumeFailed = false;
    bool inputVolumeFailed = false;
    // Why the last link stopped early; shown until the next arrival.
    QString linkStopped;
    // The last automatic save failed.
    bool settingsUnsaved = false;
    // The stored settings file could not be read at all (not a regular
    // file, far too large); it is kept, and nothing is saved over it.
    bool settingsKept = false;

    bool operator==(const PanelFaults&) const = default;
};

// Recorder and player states, as the transport buttons step through them.
enum TransportState : std::int64_t {
    TransportIdle = 0,
    TransportPlaying = 1,
    TransportPlaybackPaused = 2,
    TransportRecording = 3,
    TransportRecordingPaused = 4,
};

// Why the settings change; each writer decides from it what is its to write.
enum class ChangeOrigin {
    Stored,     // loaded from the stored settings: nothing is sent anywhere
    Control,    // a window control
    Remote,     // the session bus, the command line or the tray
    Preset,     // a preset chosen: the device gets the sound whole
    History,    // undo or redo
    StageReset, // the stage reset: each stage goes to the device as its own change
    Server,     // the sound server changed a volume itself
    // A scene began or ended: the device gets the sound whole, as for a
    // preset, but it is no step to undo and the stored settings keep the
    // user's own until a change by hand makes the scene's sound theirs.
    Scene,
};

// Values for some settings, applied as one change. Values are kept as
// given, so the model can refuse one its setting does not take.
struct SettingsBatch {
    // By the table's order; only the settings in `fields` are read.
    std::array<double, kPanelSettingCount> values{};
    PanelFields fields;

    SettingsBatch& set(PanelSetting setting, double value);
    static SettingsBatch of(PanelSetting setting, double value);
    // The device's sound values (a preset).
    static SettingsBatch ofSound(const SoundValues& sound);
    // Every setting.
    static SettingsBatch ofAll(const PanelSettings& settings);
};

// One applied batch, as observers hear of it.
struct SettingsChange {
    // All settings as they are now.
    PanelSettings settings;
    // What the batch set, and what of it differs from before.
    PanelFields requested;
    PanelFields changed;
    ChangeOrigin origin = ChangeOrigin::Control;
};

// The panel's state in one place: the settings, the link and its faults,
// the transport. It is the only writable copy of them: every way in
// applies its changes here, and the window, the stored settings, the
// device's records, the system volumes, the session bus and the undo
// history follow what it tells. Main thread.
class PanelModel final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    const PanelSettings& settings() const { return m_settings; }
    const SoundValues& sound() const { return m_settings.sound; }
    const LinkState& link() const { return m_link; }
    const PanelFaults& faults() const { return m_faults; }
    std::int64_t transportState() const { return m_transport; }

    // Takes every value of the batch or none: a value outside its
    // setting's range (or no number at all) refuses the batch, with the
    // reason in *why. A taken batch is told once through applied(), and
    // through settingsChanged() when it changed anything.
    bool apply(const SettingsBatch& batch, ChangeOrigin origin, QString* why = nullptr);

    void setLink(const LinkState& link);
    void setFaults(const PanelFaults& faults);
    void setTransportState(std::int64_t state);

signals:
    // The settings changed in `fields`; `settings` holds all of them now.
    void settingsChanged(const PanelSettings& settings, PanelFields fields);
    // A batch was taken, whether or not it changed anything; after
    // settingsChanged().
    void applied(const SettingsChange& change);
    void linkChanged(const LinkState& link);
    void faultsChanged(const PanelFaults& faults);
    void transportStateChanged(std::int64_t state);

private:
    PanelSettings m_settings;
    LinkState m_link;
    PanelFaults m_faults;
    std::int64_t m_transport = TransportIdle;
};
