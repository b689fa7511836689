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

// What is wrong beside the device's own fault; the controller's
// showDeviceFault() turns it into the window's text.
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

// The panel's state in one place: the settings, the link and its faults,
// the transport. Only the controller changes it; the window's controls, the
// session interface and the tray show what it holds. Each setter tells of a
// real change only, once. Main thread.
class PanelModel final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    const PanelSettings& settings() const { return m_settings; }
    const SoundValues& sound() const { return m_settings.sound; }
    const LinkState& link() const { return m_link; }
    const PanelFaults& faults() const { return m_faults; }
    std::int64_t transportState() const { return m_transport; }

    // Values outside a control's range are taken at the end the control
    // stops at.
    void setSettings(const PanelSettings& settings);
    void setSpeaker(int value);
    void setMic(int value);
    void setMonitor(bool on);
    void setDenoise(bool on);
    // Stage 1..5.
    void setStage(int number, int value);
    void setReverb(double value);
    void setMixer(bool on);
    // All sound values as one change.
    void setSound(const SoundValues& sound);

    void setLink(const LinkState& link);
    void setFaults(const PanelFaults& faults);
    void setTransportState(std::int64_t state);

signals:
    // The settings changed in `fields`; `settings` holds all of them now.
    void settingsChanged(const PanelSettings& settings, PanelFields fields);
    void linkChanged(const LinkState& link);
    void faultsChanged(const PanelFaults& faults);
    void transportStateChanged(std::int64_t state);

private:
    PanelSettings m_settings;
    LinkState m_link;
    PanelFaults m_faults;
    std::int64_t m_transport = TransportIdle;
};
