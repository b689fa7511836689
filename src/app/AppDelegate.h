#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "audio/AudioLink.h"
#include "audio/AudioSystem.h"
#include "controls/ButtonDelegate.h"
#include "controls/CheckButtonDelegate.h"
#include "controls/ProgressDelegate.h"
#include "device/ControlPanelInfo.h"
#include "device/UsbHIDDelegate.h"
#include "model/DeviceRecordSender.h"
#include "model/PanelModel.h"
#include "model/StoredSettingsWriter.h"
#include "settings/SettingsAutosave.h"
#include "settings/SettingsStore.h"
#include "transport/AudioPlayer.h"
#include "transport/AudioRecorder.h"
#include "transport/FilePanels.h"
#include "transport/TransportFactory.h"

class QDialog;
class QLabel;
class QPushButton;
class QTimer;
class QUrl;
class QWidget;

class Button;
class CheckButton;
class HidManager;
class ImageView;
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

// The application's single controller: start-up, link, unlink and
// shut-down, and the handlers of every control. Lives on the main thread;
// every method below runs there unless it says otherwise.
class AppDelegate : public QObject,
                    public UsbHIDDelegate,
                    public ButtonDelegate,
                    public CheckButtonDelegate,
                    public ProgressDelegate,
                    public AudioPlayerDelegate,
                    public AudioRecorderDelegate,
                    protected AppDelegateOutlets {
    Q_OBJECT

public:
    explicit AppDelegate(AppDelegatePorts ports, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Takes the window's controls; start-up wires their actions to the
    // handlers.
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

    // A stage slider or the reverb bar is held: the sound changes as it
    // moves, and the step ends with soundStepEnded() at the release.
    bool soundStepGoingOn() const;

    // ---- Effect and equaliser handlers ----
    void MonitorChanged(bool on) override;
    void DenoiseChanged(bool on) override;
    void ResetStage() override;
    void ReverberanceChanged(double value) override;
    void MixerChanged(QObject* sender);
    QString ReverbText(double value) override;
    QString MixerText(double value) override;

    // ---- Speaker volume and microphone gain ----
    // Sent to the current default device without waiting, a refusal coming
    // back as an audio system event: what the model's speaker or mic
    // change asks for, unless the sound server made it.
    void setVolume(float scalar);
    void setMicGain(float scalar);
    // Any thread: hand the new scalar to the main thread.
    void VolumeChanged(float scalar);
    void MicChanged(float scalar);
    // Listener procedures, run on the audio system's thread; clientData is
    // the controller.
    static int OutputVolumeListener(AudioObjectID device, AudioScope scope, float scalar, void* clientData);
    static int InputVolumeListener(AudioObjectID device, AudioScope scope, float scalar, void* clientData);
    // Link step: register both listeners on the devices the link made the
    // defaults (moving them there on a second link).
    void addVolumeListeners(AudioObjectID output, AudioObjectID input);
    // Unlink and shut-down step: removes both listeners from the devices
    // they were added on (the registrations are the panel's own; nothing is
    // asked of the server).
    void removeVolumeListeners();
    // While linked, after the sound server came back (or the session
    // resumed): makes the device the default again and gives it the
    // sliders' volumes, the listeners and the spectrum's capture, as an
    // asynchronous sequence. Until it has, the window says why.
    void restoreLinkedAudio();

    // ---- Recorder and player ----
    void Play() override;
    void Record() override;
    void Pause() override;
    void Stop() override;
    void TimerAction(QTimer* sender);
    void audioPlayerDidFinishPlaying(AudioPlayer* sender, bool successfully) override;
    void audioPlayerDecodeErrorDidOccur(AudioPlayer* sender, const QString& error) override;
    void audioRecorderEncodeErrorDidOccur(AudioRecorder* sender, const QString& error) override;
    void audioRecorderDidFinishRecording(AudioRecorder* sender, bool successfully, const QString& error) override;
    // Stops whatever runs and returns to idle; buttons and clock untouched.
    void resetTransport();

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
    // A held stage slider or reverb bar was released.
    void soundStepEnded();

protected:
    AppDelegatePorts m_ports;
    std::unique_ptr<UsbHID> hid;
    std::unique_ptr<PowerEvents> m_power;
    std::unique_ptr<SettingsDictionary> file;
    std::unique_ptr<StoredSettingsWriter> m_settingsWriter;
    std::unique_ptr<SettingsAutosave> m_autosave;
    std::unique_ptr<SpectrumViewController> SpectrumController;
    std::unique_ptr<AudioPlayer> player;
    std::unique_ptr<AudioRecorder> recorder;
    std::unique_ptr<QTimer> timer;
    PanelModel m_model;
    std::unique_ptr<DeviceRecordSender> m_records;

private:
    void connectActions();
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
    // The warning in the message band and at the link image while the
    // linked device cannot be written (or the settings cannot be saved).
    void showDeviceFault();
    void handleHeldRemoval();
    // The model's link state from the controller's and the transport's.
    void setLinkState(bool linking, bool linked);
    void updateLinkState();
    void changeFaults(const std::function<void(PanelFaults&)>& change);
    // The window's controls show the model's settings in `fields`.
    void showSettings(const PanelSettings& settings, PanelFields fields);
    // The controls as start-up, the link and the unlink leave them: the
    // stored settings shown (not at the unlink), all enabled or disabled.
    void loadStoredSettings();
    void enableControls(bool enabled);
    // A change the window's controls ask for.
    void applyControl(PanelSetting setting, double value);
    // The volume a change of the model asks the sound server for.
    void sendVolumes(const SettingsChange& change);

    // ---- Speaker volume and microphone gain (helpers) ----
    // The audio system's thread: hands its events to the main thread.
    static void AudioSystemEventListener(AudioSystemEvent event, void* clientData);
    void audioSystemEvent(AudioSystemEvent event);
    // A volume step of the link or restore was answered.
    void volumeAnswered(AudioScope scope, float scalar, int status);
    // The window's warnings while linked: the device's audio is not
    // restored (empty: it is), a volume was not taken by the sound server.
    void showAudioRestoreFault(const QString& fault);
    void showVolumeFault(AudioScope scope, bool failed);

    // ---- Recorder and player (helpers) ----
    TransportFactory& transportFactory();
    FilePanels& filePanels();
    void showTransportRunning(bool running);
    void restartClock();
    void refuseTransport(const char* what, const QUrl& location, const QString& logged, const QString& shown);
    void showTransportMessage(const QString& text);
    bool stillWanted(const char* what, const QUrl& location, std::int64_t stateAtOpen);
    void stopTransportOnFailure(const QString& message);
    void finishTransport();

    // The device settles for linkWait after its last arrival; the timer is
    // precise, and the deadline makes sure it never ends early.
    std::unique_ptr<QTimer> m_linkTimer;
    QDeadlineTimer m_linkDeadline;
    bool m_terminated = false;
    // The transport buttons show something running (Stop and Pause usable).
    bool m_transportRunning = false;
    // The file being played or recorded, as the user named it.
    QString m_transportFile;
    // The sound server came back while linked and the device is not yet
    // restored (it may come back a moment after the server). Meanwhile the
    // volumes it reports are the server's fresh ones, not the user's.
    bool m_audioRestorePending = false;
    // Volume reports handed over before the last restore are stale; the
    // listeners' thread reads it as a report is queued.
    std::atomic<unsigned> m_volumeReportEpoch{0};
    // The link's and the restore's audio steps; absent without an audio
    // system.
    std::unique_ptr<AudioLink> m_audioLink;

    // ---- Speaker volume and microphone gain (state) ----
    // The devices the two volume listeners were added on. A listener still
    // registered when it should be gone (the defaults had moved on before
    // the removal) is removed from its own device, at the latest when the
    // controller goes; declared last so it goes before everything else.
    struct VolumeListenerDevices {
        AudioSystem* audio = nullptr;
        void* clientData = nullptr;
        AudioObjectID output = kAudioObjectUnknown;
        AudioObjectID input = kAudioObjectUnknown;
        ~VolumeListenerDevices();
        void remove(AudioScope scope);
    };
    VolumeListenerDevices m_volumeListeners;
};
