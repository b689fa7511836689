#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

#include "audio/AudioLink.h"
#include "audio/AudioSystem.h"
#include "base/WorkQueue.h"
#include "device/UsbHIDDelegate.h"

class DeviceRecordSender;
class PanelModel;
class QDialog;
class QLabel;
class QTimer;
class QWidget;
class SettingsControls;
class SpectrumViewController;
class SystemVolumes;
class TransportControls;
class UsbHID;
struct PanelFaults;

// The link and unlink sequences, and the device's sound while linked: the
// device settles behind the linking sheet, becomes the system's default
// output and input with the model's volumes, the controls open, the
// spectrum captures and the device gets the full record; a removal undoes
// it. While linked, the sound server's return and the system's resume make
// the device the default again. The link's state and faults go into the
// model. Main thread unless a method says otherwise.
class DeviceLink final : public QObject, public UsbHIDDelegate {
    Q_OBJECT

public:
    struct Parts {
        PanelModel& model;
        DeviceRecordSender& records;
        SettingsControls& controls;
        TransportControls& transport;
        // Not owned; none means the device never links.
        AudioSystem* audio = nullptr;
        SystemVolumes* volumes = nullptr;
        QDialog* sheet = nullptr;
        QLabel* clock = nullptr;
        // Where the spectrum's bars go, made at the first link; an empty
        // maker means the default capture through libpulse.
        QWidget* spectrumArea = nullptr;
        std::function<std::unique_ptr<SpectrumViewController>()> makeSpectrum;
        // How long the device settles before it is used.
        std::chrono::milliseconds settle{5000};
    };

    explicit DeviceLink(Parts parts, QObject* parent = nullptr);
    ~DeviceLink() override;

    // The transport whose device is linked; null leaves the panel unlinked.
    void follow(UsbHID* hid);

    void usbhidDidMatch() override;
    void usbhidDidRemove() override;
    void usbhidDidChangeFault() override;
    void usbhidDidDropReports() override;
    // While linked: the device gets the full record again, and is made the
    // default output and input again with the sliders' volumes (the
    // restore's steps, retried as devices come back).
    void systemDidResume();
    // While linked, after the sound server came back (or the session
    // resumed): makes the device the default again and gives it the
    // sliders' volumes, the listeners and the spectrum's capture, as an
    // asynchronous sequence. Until it has, the window says why.
    void restoreLinkedAudio();
    // Shut-down: a link still waiting is abandoned, nothing more is sent,
    // and the listeners and the capture stop.
    void shutDown();

    SpectrumViewController* spectrum() const { return m_spectrum.get(); }
    // Linked, and the device's sound not yet restored after the sound
    // server came back.
    bool audioRestorePending() const { return m_audioRestorePending; }
    // False while the chosen device refuses reports or leaves them waiting
    // (the window says why); true otherwise.
    bool deviceResponding() const;

signals:
    // A link sequence has run to its end or stopped early.
    void linkFinished(bool linked);
    // Linked, device present or device responding changed.
    void linkStateChanged();
    // The device is the default input under `input`: at the link and at
    // each restore of its sound (the server may have given it a new id).
    void inputLinked(AudioObjectID input);

private:
    bool linking() const;
    bool linked() const;
    void startWait();
    void finishWait();
    // The link's steps after its audio steps: the controls, listeners,
    // spectrum and the full record.
    void complete(AudioObjectID output, AudioObjectID input);
    void stop(const char* step);
    void handleHeldRemoval();
    // The controls as the link and the unlink leave them.
    void enableControls(bool enabled);
    // The audio sequence's outcomes, for the link and for the restore.
    void audioLinked(AudioObjectID output, AudioObjectID input);
    void audioLinkFailed(AudioLink::Step step);
    void audioLinkWaiting(bool waiting);
    // The audio system's thread: hands its events to the main thread.
    static void audioSystemEventListener(AudioSystemEvent event, void* clientData);
    void audioSystemEvent(AudioSystemEvent event);
    void showAudioRestoreFault(const QString& fault);
    // The model's link state from the sequence's and the transport's.
    void setLinkState(bool linking, bool linked);
    void updateLinkState();
    void changeFaults(const std::function<void(PanelFaults&)>& change);

    Parts m_parts;
    UsbHID* m_hid = nullptr;
    std::unique_ptr<SpectrumViewController> m_spectrum;
    // The device settles for `settle` after its last arrival; the timer is
    // precise, and the deadline makes sure it never ends early.
    std::unique_ptr<QTimer> m_settleTimer;
    QDeadlineTimer m_settleDeadline;
    bool m_shutDown = false;
    // The sound server came back while linked and the device is not yet
    // restored (it may come back a moment after the server).
    bool m_audioRestorePending = false;
    // The link's and the restore's audio steps; absent without an audio
    // system.
    std::unique_ptr<AudioLink> m_audioLink;
    const MainThreadLink<DeviceLink> m_toMain{this};
};
