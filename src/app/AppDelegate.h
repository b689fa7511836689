#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/DeviceLink.h"
#include "app/SettingsControls.h"
#include "app/SystemVolumes.h"
#include "app/TransportControls.h"
#include "audio/AudioSystem.h"
#include "device/ControlPanelInfo.h"
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
class DesktopNotices;
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

// The application's controller: it builds the parts of the panel over the
// window's controls and the platform's ports, wires them to the model, and
// runs start-up and shut-down. The link is DeviceLink's, the settings'
// controls SettingsControls', the system volumes SystemVolumes', the
// recorder and player TransportControls', the link's look LinkStatusView's.
// Lives on the main thread.
class AppDelegate : public QObject, protected AppDelegateOutlets {
    Q_OBJECT

public:
    explicit AppDelegate(AppDelegatePorts ports, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Takes the window's controls and builds the parts over them; start-up
    // wires their actions.
    void setOutlets(const AppDelegateOutlets& outlets);

    // Loads the settings (without any the panel stays unlinked and its
    // controls inert), follows the device, and shows the unlinked window.
    void applicationDidFinishLaunching();
    // Stores the settings, leaves the device's link, stops the transport.
    void applicationWillTerminate();
    void closeApplication();

    // ---- State ----
    // The panel's state: every way in applies its changes there, the
    // window and the writers follow it.
    PanelModel& model() { return m_model; }
    const PanelModel& model() const { return m_model; }
    // The last record built for the device.
    const _IIS_CONTROL_PANEL_INFO& info() const { return m_records->record(); }
    UsbHID* transport() const { return hid.get(); }
    SettingsDictionary* settings() const { return file.get(); }
    // The parts; there once the outlets are set (the system volumes only
    // with an audio system).
    DeviceLink* link() const { return m_link.get(); }
    SettingsControls* settingsControls() const { return m_settingsControls.get(); }
    TransportControls* transportControls() const { return m_transport.get(); }
    SystemVolumes* volumes() const { return m_volumes.get(); }
    SpectrumViewController* spectrum() const { return m_link ? m_link->spectrum() : nullptr; }
    std::int64_t transportState() const { return m_model.transportState(); }
    bool linking() const { return m_model.link().linking; }
    bool linked() const { return m_model.link().linked; }
    bool audioRestorePending() const { return m_link && m_link->audioRestorePending(); }
    bool deviceResponding() const { return !m_link || m_link->deviceResponding(); }
    // What the desktop is told while the window is hidden; a scene's start
    // is connected to its sceneStarted(). There once the outlets are set.
    DesktopNotices* notices() const { return m_notices.get(); }

signals:
    // Emitted when a link sequence has run to its end or stopped early.
    void linkFinished(bool linked);
    // Linked, device present or device responding changed.
    void linkStateChanged();

private:
    // The stored settings become the model's, the controls disabled.
    void initialize();

    AppDelegatePorts m_ports;
    PanelModel m_model;
    std::unique_ptr<DeviceRecordSender> m_records;
    std::unique_ptr<SystemVolumes> m_volumes;
    std::unique_ptr<SettingsControls> m_settingsControls;
    std::unique_ptr<TransportControls> m_transport;
    std::unique_ptr<LinkStatusView> m_linkStatus;
    std::unique_ptr<DesktopNotices> m_notices;
    std::unique_ptr<DeviceLink> m_link;
    std::unique_ptr<UsbHID> hid;
    std::unique_ptr<PowerEvents> m_power;
    std::unique_ptr<SettingsDictionary> file;
    std::unique_ptr<StoredSettingsWriter> m_settingsWriter;
    std::unique_ptr<SettingsAutosave> m_autosave;
    bool m_terminated = false;
};
