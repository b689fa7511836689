#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/SettingsControls.h"
#include "app/SystemVolumes.h"
#include "app/TransportControls.h"
#include "audio/AudioLink.h"
#include "audio/AudioSystem.h"
#include "base/WorkQueue.h"
#include "device/ControlPanelInfo.h"
#include "device/UsbHIDDelegate.h"
#include "model/DeviceRecordSender.h"
#include "model/PanelModel.h"
#include "model/StoredSettingsWriter.h"
#include "settings/SettingsAutosave.h"
#include "settings/SettingsStore.h"
#include "transport/FilePanels.h"
#include "transport/TransportFactory.h"

class QDialog;
class QLabel;
class QPushButton;
class QTimer;
class QWidget;

class Button;
class CheckButton;
class HidManager;
class ImageView;
class LinkStatusView;
class MainWindow;
class PowerEvents;
class MessageBand;
class ProgressIndicator;
class SpectrumViewController;
class SpkMicSlider;
class SpkMicSliderAction;
class UsbHID;
class VSlider;

// The platform parts the controller works through. main() wires the real
// ones; tests wire umockdev, the private sound server or fakes.
struct AppDelegatePorts {
    // The HID manager behind the transport; empty means the udev backend.
    std::function<std::unique_ptr<HidManager>()> makeHidManager;
    // The system audio layer; not owned, must outlive the controller.
    AudioSystem* audio = nullptr;
    // Builds the spectrum display on the first link; empty means the
    // default controller capturing through libpulse.
    std::function<std::unique_ptr<SpectrumViewController>()> makeSpectrumController;
    // Where the settings are loaded from and stored.
    SettingsStore settingsStore;
    // How long after the last change of a burst the settings are saved.
    std::chrono::milliseconds autosaveDelay = SettingsAutosave::DefaultDelay;
    // Ends the application's event loop once the shut-down has run; empty
    // means QCoreApplication::quit().
    std::function<void()> quitApplication;
    // How long the link sequence lets the device settle before using it.
    std::chrono::milliseconds linkWait{5000};
    // Tells of the system's resume; empty means logind on the system bus.
    std::function<std::unique_ptr<PowerEvents>()> makePowerEvents;

    // ---- Recorder and player ----
    // Makes players and recorders; empty means GStreamer.
    std::shared_ptr<TransportFactory> transportFactory;
    // The open and save panels; empty means file dialogs over the window.
    std::shared_ptr<FilePanels> filePanels;
};

// The window's controls, owned by the window. The controller only refers
// to them under these names.
struct AppDelegateOutlets {
    MainWindow* window = nullptr;
    QDialog* LinkingPanel = nullptr;
    Button* resetButton = nullptr;
    Button* playButton = nullptr;
    Button* stopButton = nullptr;
    Button* pauseButton = nullptr;
    Button* recordButton = nullptr;
    CheckButton* Monitor = nullptr;
    CheckButton* Denoise = nullptr;
    ProgressIndicator* Reverb = nullptr;
    ProgressIndicator* Mixer = nullptr;
    SpkMicSliderAction* Spk = nullptr;
    SpkMicSliderAction* Mic = nullptr;
    SpkMicSlider* SpkCell = nullptr;
    SpkMicSlider* MicCell = nullptr;
    SpkMicSliderAction* Stage1 = nullptr;
    SpkMicSliderAction* Stage2 = nullptr;
    SpkMicSliderAction* Stage3 = nullptr;
    SpkMicSliderAction* Stage4 = nullptr;
    SpkMicSliderAction* Stage5 = nullptr;
    VSlider* Stage1Cell = nullptr;
    VSlider* Stage2Cell = nullptr;
    VSlider* Stage3Cell = nullptr;
    VSlider* Stage4Cell = nullptr;
    VSlider* Stage5Cell = nullptr;
    QLabel* SpkText = nullptr;
    QLabel* MicText = nullptr;
    QLabel* Stage1Text = nullptr;
    QLabel* Stage2Text = nullptr;
    QLabel* Stage3Text = nullptr;
    QLabel* Stage4Text = nullptr;
    QLabel* Stage5Text = nullptr;
    QPushButton* MixerButton = nullptr;
    QLabel* timerText = nullptr;
    QLabel* linkText = nullptr;
    ImageView* linkImg = nullptr;
    QWidget* SpectrumView = nullptr;
    MessageBand* messageBand = nullptr;
};

// The application's controller: start-up, the link and unlink sequences,
// the restore of the device's sound and shut-down; it builds the parts the
// window's controls, the volumes, the transport and the device's records
// live in, and wires them to the model. Lives on the main thread; every
// method below runs there unless it says otherwise.
class AppDelegate : public QObject, public UsbHIDDelegate, protected AppDelegateOutlets {
    Q_OBJECT

public:
    explicit AppDelegate(AppDelegatePorts ports, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Takes the window's controls; start-up wires their actions.
    void setOutlets(const AppDelegateOutlets& outlets);

    // ---- Application controller sequences ----
    void applicationDidFinishLaunching();
    void initialize();
    void usbhidDidMatch() override;
    void usbhidDidRemove() override;
    void usbhidDidChangeFault() override;
    void usbhidDidDropReports() override;
    // While linked: the device gets the full record again, and is made the
    // default output and input again with the sliders' volumes (the
    // restore's steps, retried as devices come back).
    void systemDidResume();
    void applicationWillTerminate();
    void closeApplication();
    // While linked, after the sound server came back (or the session
    // resumed): makes the device the default again and gives it the
    // sliders' volumes, the listeners and the spectrum's capture, as an
    // asynchronous sequence. Until it has, the window says why.
    void restoreLinkedAudio();

    // ---- State ----
    // The panel's state: every way in applies its changes there, the
    // window and the writers follow it.
    PanelModel& model() { return m_model; }
    const PanelModel& model() const { return m_model; }
    // The last record built for the device.
    const _IIS_CONTROL_PANEL_INFO& info() const { return m_records->record(); }
    UsbHID* transport() const { return hid.get(); }
    SettingsDictionary* settings() const { return file.get(); }
    SpectrumViewController* spectrum() const { return SpectrumController.get(); }
    // The window's setting controls and its recorder and player; there once
    // the outlets are set.
    SettingsControls* settingsControls() const { return m_settingsControls.get(); }
    TransportControls* transportControls() const { return m_transport.get(); }
    // The system volumes; absent without an audio system.
    SystemVolumes* volumes() const { return m_volumes.get(); }
    std::int64_t transportState() const { return m_model.transportState(); }
    bool linking() const { return m_model.link().linking; }
    bool linked() const { return m_model.link().linked; }
    // Linked, and the device's sound not yet restored after the sound
    // server came back.
    bool audioRestorePending() const { return m_audioRestorePending; }

    // False while the chosen device refuses reports or leaves them waiting
    // (the window says why); true otherwise.
    bool deviceResponding() const;

signals:
    // Emitted when a link sequence has run to its end or stopped early.
    void linkFinished(bool linked);
    // Linked, device present or device responding changed.
    void linkStateChanged();

private:
    void finishLink();
    // The link's steps after its audio steps: the controls, listeners,
    // spectrum and the full record.
    void completeLink(AudioObjectID output, AudioObjectID input);
    // The audio sequence's outcomes, for the link and for the restore.
    void audioLinked(AudioObjectID output, AudioObjectID input);
    void audioLinkFailed(AudioLink::Step step);
    void audioLinkWaiting(bool waiting);
    void stopLink(const char* step);
    void startLinkWait();
    void handleHeldRemoval();
    // The model's link state from the controller's and the transport's.
    void setLinkState(bool linking, bool linked);
    void updateLinkState();
    void changeFaults(const std::function<void(PanelFaults&)>& change);
    // The controls as start-up, the link and the unlink leave them.
    void enableControls(bool enabled);
    // The audio system's thread: hands its events to the main thread.
    static void AudioSystemEventListener(AudioSystemEvent event, void* clientData);
    void audioSystemEvent(AudioSystemEvent event);
    // The window's warning while linked: the device's audio is not
    // restored (empty: it is).
    void showAudioRestoreFault(const QString& fault);

    AppDelegatePorts m_ports;
    std::unique_ptr<UsbHID> hid;
    std::unique_ptr<PowerEvents> m_power;
    std::unique_ptr<SettingsDictionary> file;
    std::unique_ptr<StoredSettingsWriter> m_settingsWriter;
    std::unique_ptr<SettingsAutosave> m_autosave;
    std::unique_ptr<SpectrumViewController> SpectrumController;
    PanelModel m_model;
    std::unique_ptr<DeviceRecordSender> m_records;
    std::unique_ptr<SettingsControls> m_settingsControls;
    std::unique_ptr<TransportControls> m_transport;
    std::unique_ptr<LinkStatusView> m_linkStatus;

    // The device settles for linkWait after its last arrival; the timer is
    // precise, and the deadline makes sure it never ends early.
    std::unique_ptr<QTimer> m_linkTimer;
    QDeadlineTimer m_linkDeadline;
    bool m_terminated = false;
    // The sound server came back while linked and the device is not yet
    // restored (it may come back a moment after the server). Meanwhile the
    // volumes it reports are the server's fresh ones, not the user's.
    bool m_audioRestorePending = false;
    // The link's and the restore's audio steps, and the system volumes;
    // absent without an audio system. Declared last, so the volume
    // listeners go before everything else.
    std::unique_ptr<AudioLink> m_audioLink;
    std::unique_ptr<SystemVolumes> m_volumes;
    const MainThreadLink<AppDelegate> m_toMain{this};
};
