#include "app/AppDelegate.h"

#include "app/LinkStatusView.h"
#include "app/MainWindow.h"
#include "device/UsbHID.h"
#include "power/LogindPowerEvents.h"
#include "session/DesktopNotices.h"
#include "settings/SettingsDictionary.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcApp, "quorel.app")

AppDelegate::AppDelegate(AppDelegatePorts ports, QObject* parent)
    : QObject(parent)
    , m_ports(std::move(ports))
{
    m_records = std::make_unique<DeviceRecordSender>(m_model, [this](const ControlPanelReport& report) {
        if (hid && hid->find())
            hid->senddata(report);
    });
    if (m_ports.audio)
        m_volumes = std::make_unique<SystemVolumes>(m_model, *m_ports.audio);
}

// The link (with the spectrum's capture) and the transport go first: they
// may still call back while they stop.
AppDelegate::~AppDelegate()
{
    if (hid)
        hid->setDelegate(nullptr);
    m_link.reset();
    m_transport.reset();
}

void AppDelegate::setOutlets(const AppDelegateOutlets& outlets)
{
    static_cast<AppDelegateOutlets&>(*this) = outlets;
    m_settingsControls = std::make_unique<SettingsControls>(
        m_model, SettingsControls::Controls{
                     .window = window,
                     .resetButton = resetButton,
                     .Monitor = Monitor,
                     .Denoise = Denoise,
                     .Reverb = Reverb,
                     .Mixer = Mixer,
                     .MixerButton = MixerButton,
                     .Spk = Spk,
                     .Mic = Mic,
                     .SpkCell = SpkCell,
                     .MicCell = MicCell,
                     .stages = {Stage1, Stage2, Stage3, Stage4, Stage5},
                     .stageCells = {Stage1Cell, Stage2Cell, Stage3Cell, Stage4Cell, Stage5Cell},
                     .SpkText = SpkText,
                     .MicText = MicText,
                     .stageTexts = {Stage1Text, Stage2Text, Stage3Text, Stage4Text, Stage5Text},
                 });
    m_transport = std::make_unique<TransportControls>(
        m_model, TransportControls::Controls{
                     .window = window,
                     .playButton = playButton,
                     .recordButton = recordButton,
                     .pauseButton = pauseButton,
                     .stopButton = stopButton,
                     .timerText = timerText,
                     .messageBand = messageBand,
                 },
        m_ports.transportFactory, m_ports.filePanels);
    m_linkStatus = std::make_unique<LinkStatusView>(m_model, linkImg, linkText, messageBand,
                                                    m_ports.settingsStore.settingsFile());
    m_notices = std::make_unique<DesktopNotices>(m_model, window, QDBusConnection::sessionBus());
    m_link = std::make_unique<DeviceLink>(DeviceLink::Parts{
        .model = m_model,
        .records = *m_records,
        .controls = *m_settingsControls,
        .transport = *m_transport,
        .audio = m_ports.audio,
        .volumes = m_volumes.get(),
        .sheet = LinkingPanel,
        .clock = timerText,
        .spectrumArea = SpectrumView,
        .makeSpectrum = m_ports.makeSpectrumController,
        .settle = m_ports.linkWait,
    });
    connect(m_link.get(), &DeviceLink::linkFinished, this, &AppDelegate::linkFinished);
    connect(m_link.get(), &DeviceLink::linkStateChanged, this, &AppDelegate::linkStateChanged);
}

// ---- Start-up ---------------------------------------------------------------

void AppDelegate::applicationDidFinishLaunching()
{
    bool kept = false;
    std::optional<SettingsDictionary> loaded = m_ports.settingsStore.load(&kept);
    if (kept) {
        PanelFaults faults = m_model.faults();
        faults.settingsKept = true;
        m_model.setFaults(faults);
    }
    if (!loaded) {
        qCWarning(lcApp) << "no settings in" << m_ports.settingsStore.settingsFile() << "nor in"
                         << m_ports.settingsStore.defaultsFile() << "- the panel stays unlinked";
        return;
    }
    file = std::make_unique<SettingsDictionary>(std::move(*loaded));
    m_settingsWriter = std::make_unique<StoredSettingsWriter>(m_model, *file);
    m_autosave = std::make_unique<SettingsAutosave>(m_ports.settingsStore, m_ports.autosaveDelay);
    m_autosave->watch(*file);
    if (m_volumes)
        m_volumes->setStoredSettings(file.get());
    connect(m_autosave.get(), &SettingsAutosave::saved, this, [this](bool ok) {
        PanelFaults faults = m_model.faults();
        faults.settingsUnsaved = !ok;
        m_model.setFaults(faults);
    });

    hid = m_ports.makeHidManager ? UsbHID::create(m_ports.makeHidManager()) : UsbHID::create();
    if (hid)
        hid->connectHID();
    m_link->follow(hid.get());

    m_power = m_ports.makePowerEvents ? m_ports.makePowerEvents() : std::make_unique<LogindPowerEvents>();
    connect(m_power.get(), &PowerEvents::resumed, m_link.get(), &DeviceLink::systemDidResume);

    // Only now that there are settings for them to change.
    m_settingsControls->wire();
    m_transport->wire();

    initialize();

    m_records->sendAll();

    connect(window, &MainWindow::closeRequested, this, &AppDelegate::closeApplication, Qt::UniqueConnection);
}

// The stored settings become the model's; from here on the model is where
// they change, and the file follows it.
void AppDelegate::initialize()
{
    m_transport->reset();
    m_model.apply(SettingsBatch::ofAll(PanelSettings::fromDictionary(*file)), ChangeOrigin::Stored);
    // A hand-edited value the model bounds is stored as the model holds it.
    m_settingsWriter->storeValues();
    m_settingsControls->showAll();
    m_settingsControls->enable(false);
    m_transport->enable(false);
}

// ---- Shut-down --------------------------------------------------------------

void AppDelegate::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;

    m_link->shutDown();
    m_transport->shutDown();

    if (!file) {
        qCInfo(lcApp) << "shutting down without settings; nothing stored";
        return;
    }

    // The save below stores everything; one still waiting is not needed.
    m_autosave->cancel();

    m_settingsWriter->storeAll();

    if (m_ports.settingsStore.save(*file))
        qCInfo(lcApp) << "settings stored in" << m_ports.settingsStore.settingsFile();
    m_autosave.reset();
}

void AppDelegate::closeApplication()
{
    applicationWillTerminate();
    if (m_ports.quitApplication)
        m_ports.quitApplication();
    else
        QCoreApplication::quit();
}
