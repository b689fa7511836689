#include "app/AppDelegate.h"

#include "app/LinkStatusView.h"
#include "app/MainWindow.h"
#include "controls/MessageBand.h"
#include "device/UsbHID.h"
#include "power/LogindPowerEvents.h"
#include "settings/SettingsDictionary.h"
#include "spectrum/SpectrumViewController.h"
#include "transport/ClockText.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLoggingCategory>
#include <QTimer>
#include <QVBoxLayout>


Q_LOGGING_CATEGORY(lcApp, "quorel.app")

AppDelegate::AppDelegate(AppDelegatePorts ports, QObject* parent)
    : QObject(parent)
    , m_ports(std::move(ports))
    , m_linkTimer(std::make_unique<QTimer>())
{
    m_linkTimer->setSingleShot(true);
    m_linkTimer->setTimerType(Qt::PreciseTimer);
    connect(m_linkTimer.get(), &QTimer::timeout, this, &AppDelegate::finishLink);
    m_records = std::make_unique<DeviceRecordSender>(m_model, [this](const ControlPanelReport& report) {
        if (hid && hid->find())
            hid->senddata(report);
    });
    if (!m_ports.audio) {
        qCWarning(lcApp) << "no audio system given: the device will not link";
    } else {
        m_ports.audio->setEventListener(AudioSystemEventListener, this);
        m_volumes = std::make_unique<SystemVolumes>(m_model, *m_ports.audio);
        m_audioLink = std::make_unique<AudioLink>(*m_ports.audio);
        connect(m_audioLink.get(), &AudioLink::linked, this, &AppDelegate::audioLinked);
        connect(m_audioLink.get(), &AudioLink::failed, this, &AppDelegate::audioLinkFailed);
        connect(m_audioLink.get(), &AudioLink::waitingChanged, this, &AppDelegate::audioLinkWaiting);
        connect(m_audioLink.get(), &AudioLink::volumeAnswered, m_volumes.get(), &SystemVolumes::answered);
    }
}

// The spectrum controller and the transport go first: they may still call
// back into the controller while they stop.
AppDelegate::~AppDelegate()
{
    if (m_ports.audio)
        m_ports.audio->setEventListener(nullptr, nullptr);
    SpectrumController.reset();
    m_transport.reset();
    if (hid)
        hid->setDelegate(nullptr);
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
}

// ---- Start-up ---------------------------------------------------------------

void AppDelegate::applicationDidFinishLaunching()
{
    std::optional<SettingsDictionary> loaded = m_ports.settingsStore.load();
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
        changeFaults([ok](PanelFaults& faults) { faults.settingsUnsaved = !ok; });
    });

    hid = m_ports.makeHidManager ? UsbHID::create(m_ports.makeHidManager()) : UsbHID::create();
    if (hid) {
        hid->connectHID();
        hid->setDelegate(this);
    }

    m_power = m_ports.makePowerEvents ? m_ports.makePowerEvents() : std::make_unique<LogindPowerEvents>();
    connect(m_power.get(), &PowerEvents::resumed, this, &AppDelegate::systemDidResume);

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
    enableControls(false);
}

// The three states the controls know: disabled at start-up and after the
// unlink, enabled once linked. A recording or playback still running at a
// link keeps Stop and Pause usable.
void AppDelegate::enableControls(bool enabled)
{
    m_settingsControls->enable(enabled);
    m_transport->enable(enabled);
}

// ---- Link -------------------------------------------------------------------

// Shows the sheet and lets the device settle without blocking the main
// thread: the window keeps painting and the window-modal sheet holds the
// user's input. A device arriving while another settles restarts the wait,
// so the last one to arrive gets its full time and a storm of re-plugs ends
// in one link; a removal meanwhile is held until the wait is over.
void AppDelegate::usbhidDidMatch()
{
    changeFaults([](PanelFaults& faults) { faults.linkStopped.clear(); });
    updateLinkState();
    if (linking()) {
        qCInfo(lcApp) << "device arrived again while linking; waiting" << m_ports.linkWait.count() << "ms from now";
        if (m_audioLink)
            m_audioLink->cancel();
        startLinkWait();
        return;
    }
    setLinkState(true, linked());
    qCInfo(lcApp) << "device arrived; linking in" << m_ports.linkWait.count() << "ms";
    // A restore under way is the link's work now; its end must not finish
    // this link before the device has settled.
    if (m_audioLink)
        m_audioLink->cancel();

    LinkingPanel->setWindowModality(Qt::WindowModal);
    LinkingPanel->open();

    startLinkWait();
}

void AppDelegate::startLinkWait()
{
    m_linkDeadline = QDeadlineTimer(m_ports.linkWait, Qt::PreciseTimer);
    m_linkTimer->start(m_ports.linkWait);
}

void AppDelegate::finishLink()
{
    // Even a precise timer may wake a moment early; the device gets its
    // whole wait.
    if (const qint64 left = m_linkDeadline.remainingTimeNSecs(); left > 0) {
        m_linkTimer->start(std::chrono::ceil<std::chrono::milliseconds>(std::chrono::nanoseconds(left)));
        return;
    }
    // Held notifications come down to where the device is now: gone means
    // there is nothing to link.
    if (!hid->find())
        return stopLink("the device left while it settled");

    hid->connectHID();

    if (!m_audioLink)
        return stopLink("no audio system");
    m_audioLink->start(static_cast<float>(m_model.settings().speaker) / 100.0f,
                       static_cast<float>(m_model.settings().mic) / 100.0f);
}

// The audio steps are done: the device is the default output and input and
// has the model's volumes.
void AppDelegate::completeLink(AudioObjectID output, AudioObjectID input)
{
    m_settingsControls->showAll();
    enableControls(true);

    m_volumes->listen(output, input);

    if (!SpectrumController) {
        SpectrumController = m_ports.makeSpectrumController ? m_ports.makeSpectrumController()
                                                            : std::make_unique<SpectrumViewController>();
    }
    QWidget* bars = SpectrumController->view();
    if (bars->parentWidget() != SpectrumView) {
        auto* layout = new QVBoxLayout(SpectrumView);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(bars);
    }
    SpectrumController->Start();

    LinkingPanel->done(QDialog::Accepted);

    m_records->sendAll();

    setLinkState(false, true);
    m_audioRestorePending = false;
    qCInfo(lcApp) << "device linked";
    changeFaults([](PanelFaults& faults) {
        faults.audioRestore.clear();
        faults.soundServerOutage = false;
    });
    emit linkFinished(true);
    emit linkStateChanged();
    handleHeldRemoval();
}

// The link stopped early: the controls stay as they are, but the sheet goes,
// so the window stays usable until the device arrives again.
void AppDelegate::stopLink(const char* step)
{
    qCWarning(lcApp) << "link stopped:" << step;
    const QString why = tr("The device was found, but linking stopped: %1. Plug it in again to retry; "
                           "if it keeps stopping, see the troubleshooting in the README.")
                            .arg(QString::fromUtf8(step));
    LinkingPanel->done(QDialog::Rejected);
    setLinkState(false, linked());
    changeFaults([&why](PanelFaults& faults) { faults.linkStopped = why; });
    emit linkFinished(false);
    handleHeldRemoval();
}

// A removal held during the link, not undone by a later arrival, unlinks now.
void AppDelegate::handleHeldRemoval()
{
    if (!linking() && hid && !hid->find())
        usbhidDidRemove();
}

// ---- Unlink -----------------------------------------------------------------

void AppDelegate::usbhidDidRemove()
{
    // Audio steps under way (or waiting for the sound server) end here: the
    // removal is not held behind a server that may never answer.
    if (linking() && m_audioLink && m_audioLink->running() && !hid->find()) {
        m_audioLink->cancel();
        return stopLink("the device left while its audio was linked");
    }
    if (linking()) {
        qCInfo(lcApp) << "the device left while linking; its removal is held until the wait is over";
        updateLinkState();
        emit linkStateChanged();
        return;
    }
    qCInfo(lcApp) << "device removed; unlinking";
    setLinkState(false, false);
    m_audioRestorePending = false;
    if (m_audioLink)
        m_audioLink->cancel();
    changeFaults([](PanelFaults& faults) { faults.soundServerOutage = false; });

    m_transport->reset();
    enableControls(false);
    timerText->setText(clockText(0));

    emit linkStateChanged();

    // The spectrum stops even when the server cannot be read (it may be
    // restarting): a capture left running would outlive the link.
    if (m_volumes)
        m_volumes->stopListening();
    if (SpectrumController)
        SpectrumController->Stop();
}

// ---- Device state -----------------------------------------------------------

bool AppDelegate::deviceResponding() const
{
    return !hid || hid->responding();
}

void AppDelegate::setLinkState(bool linking, bool linked)
{
    LinkState link = m_model.link();
    link.linking = linking;
    link.linked = linked;
    m_model.setLink(link);
    updateLinkState();
}

// The transport's part of the link state and its fault.
void AppDelegate::updateLinkState()
{
    LinkState link = m_model.link();
    link.devicePresent = hid && hid->find();
    link.responding = deviceResponding();
    m_model.setLink(link);
    changeFaults([this](PanelFaults& faults) { faults.device = hid ? hid->faultDescription() : QString(); });
}

void AppDelegate::changeFaults(const std::function<void(PanelFaults&)>& change)
{
    PanelFaults faults = m_model.faults();
    change(faults);
    m_model.setFaults(faults);
}

// The device missed or refused records while it could not be written;
// once it takes them again it gets the whole record.
void AppDelegate::usbhidDidChangeFault()
{
    updateLinkState();
    emit linkStateChanged();
    if (hid->responding() && linked() && !linking() && !m_terminated) {
        qCInfo(lcApp) << "the device takes settings again; sending all of them";
        m_records->sendAll();
    }
}

// Records gave way while the device was behind: the last one it took may not
// name every change it missed.
void AppDelegate::usbhidDidDropReports()
{
    if (linked() && !linking() && !m_terminated) {
        qCInfo(lcApp) << "the device missed settings while it was behind; sending all of them";
        m_records->sendAll();
    }
}

// A device may lose its settings across a suspend while its node stays, and
// the sound server may have chosen another default meanwhile.
void AppDelegate::systemDidResume()
{
    if (!linked() || linking() || m_terminated)
        return;
    qCInfo(lcApp) << "the system resumed; sending all settings and making the device the default again";
    m_records->sendAll();
    restoreLinkedAudio();
}

// ---- Shut-down --------------------------------------------------------------

void AppDelegate::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;

    // A link still waiting is abandoned; nothing is sent at shut-down.
    m_linkTimer->stop();
    if (m_audioLink)
        m_audioLink->cancel();
    if (linking()) {
        setLinkState(false, linked());
        LinkingPanel->done(QDialog::Rejected);
    }

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

    if (hid && hid->find()) {
        if (m_volumes)
            m_volumes->stopListening();
        if (SpectrumController)
            SpectrumController->Stop();
    }
}

void AppDelegate::closeApplication()
{
    applicationWillTerminate();
    if (m_ports.quitApplication)
        m_ports.quitApplication();
    else
        QCoreApplication::quit();
}
