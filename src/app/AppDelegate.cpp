#include "app/AppDelegate.h"

#include "app/MainWindow.h"
#include "controls/Button.h"
#include "controls/CheckButton.h"
#include "controls/ControlImageState.h"
#include "controls/ImageView.h"
#include "controls/ProgressIndicator.h"
#include "controls/SpkMicSlider.h"
#include "controls/SpkMicSliderDelegate.h"
#include "controls/SpkMicSliderAction.h"
#include "controls/VSlider.h"
#include "device/UsbHID.h"
#include "settings/SettingsDictionary.h"
#include "spectrum/SpectrumViewController.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

Q_LOGGING_CATEGORY(lcApp, "quorel.app")

namespace {

const QString kLinkedText = QStringLiteral("TAVO已连接");
const QString kNotLinkedText = QStringLiteral("TAVO未连接");
const QString kClockZero = QStringLiteral("00:00:00");
constexpr int Enable = static_cast<int>(ControlImageState::Enable);
constexpr int Disable = static_cast<int>(ControlImageState::Disable);

} // namespace

AppDelegate::AppDelegate(AppDelegatePorts ports, QObject* parent)
    : QObject(parent)
    , m_ports(std::move(ports))
    , m_linkTimer(std::make_unique<QTimer>())
{
    m_linkTimer->setSingleShot(true);
    m_linkTimer->setTimerType(Qt::PreciseTimer);
    connect(m_linkTimer.get(), &QTimer::timeout, this, &AppDelegate::finishLink);
    if (!m_ports.audio) {
        qCWarning(lcApp) << "no audio system given: the device will not link";
    } else {
        m_ports.audio->setEventListener(AudioSystemEventListener, this);
        m_audioLink = std::make_unique<AudioLink>(*m_ports.audio);
        connect(m_audioLink.get(), &AudioLink::linked, this, &AppDelegate::audioLinked);
        connect(m_audioLink.get(), &AudioLink::failed, this, &AppDelegate::audioLinkFailed);
        connect(m_audioLink.get(), &AudioLink::waitingChanged, this, &AppDelegate::audioLinkWaiting);
        connect(m_audioLink.get(), &AudioLink::volumeAnswered, this, &AppDelegate::volumeAnswered);
    }
}

// The spectrum controller and the transport go first: they may still call
// back into the controller while they stop.
AppDelegate::~AppDelegate()
{
    if (m_ports.audio)
        m_ports.audio->setEventListener(nullptr, nullptr);
    SpectrumController.reset();
    finishTransport();
    timer.reset();
    if (hid)
        hid->setDelegate(nullptr);
}

void AppDelegate::setOutlets(const AppDelegateOutlets& outlets)
{
    static_cast<AppDelegateOutlets&>(*this) = outlets;
}

// The sliders' and the mixer button's actions. Like the controls'
// delegates they are wired only once there are settings for the handlers
// to write: without any, the window stays as loaded and inert.
void AppDelegate::connectActions()
{
    connect(Spk, &SpkMicSliderAction::action, this, [this] { SpkVolumeChanged(Spk); });
    connect(Mic, &SpkMicSliderAction::action, this, [this] { MicGainChanged(Mic); });
    connect(Stage1, &SpkMicSliderAction::action, this, [this] { Stage1Changed(Stage1); });
    connect(Stage2, &SpkMicSliderAction::action, this, [this] { Stage2Changed(Stage2); });
    connect(Stage3, &SpkMicSliderAction::action, this, [this] { Stage3Changed(Stage3); });
    connect(Stage4, &SpkMicSliderAction::action, this, [this] { Stage4Changed(Stage4); });
    connect(Stage5, &SpkMicSliderAction::action, this, [this] { Stage5Changed(Stage5); });
    connect(MixerButton, &QPushButton::clicked, this, [this] { MixerChanged(MixerButton); });
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
    m_autosave = std::make_unique<SettingsAutosave>(m_ports.settingsStore, m_ports.autosaveDelay);
    m_autosave->watch(*file);
    connect(m_autosave.get(), &SettingsAutosave::saved, this, [this](bool ok) {
        m_settingsUnsaved = !ok;
        showDeviceFault();
    });

    // Each read-out shows its value as the slider will hold it: a value
    // outside the slider's range (a hand-edited file) is shown at the end
    // the slider stops at, as it will also be sent.
    SpkText->setAlignment(Qt::AlignCenter);
    SpkText->setText(QString::asprintf("%d%%", std::clamp(file->integerValue(SettingsKey::spkVolume), 0, 100)));
    Spk->setMaximum(100);
    Spk->setMinimum(0);

    MicText->setAlignment(Qt::AlignCenter);
    MicText->setText(QString::asprintf("%d%%", std::clamp(file->integerValue(SettingsKey::micGain), 0, 100)));
    Mic->setMaximum(100);
    Mic->setMinimum(0);

    const std::array stageTexts{Stage1Text, Stage2Text, Stage3Text, Stage4Text, Stage5Text};
    for (int n = 1; n <= 5; ++n) {
        stageTexts[n - 1]->setAlignment(Qt::AlignCenter);
        stageTexts[n - 1]->setText(
            QString::asprintf("%d", std::clamp(file->integerValue(SettingsKey::stage(n)), -15, 15)));
    }
    for (SpkMicSliderAction* stage : {Stage1, Stage2, Stage3, Stage4, Stage5}) {
        stage->setMaximum(15);
        stage->setMinimum(-15);
    }

    hid = m_ports.makeHidManager ? UsbHID::create(m_ports.makeHidManager()) : UsbHID::create();
    if (hid) {
        hid->connectHID();
        hid->setDelegate(this);
    }

    Monitor->setDelegate(this);
    Denoise->setDelegate(this);
    resetButton->setDelegate(this);
    Reverb->setDelegate(this);
    Mixer->setDelegate(this);
    playButton->setDelegate(this);
    pauseButton->setDelegate(this);
    stopButton->setDelegate(this);
    recordButton->setDelegate(this);
    connectActions();

    Spk->setDelegate(SpkCell);
    Mic->setDelegate(MicCell);
    Stage1->setDelegate(Stage1Cell);
    Stage2->setDelegate(Stage2Cell);
    Stage3->setDelegate(Stage3Cell);
    Stage4->setDelegate(Stage4Cell);
    Stage5->setDelegate(Stage5Cell);

    Reverb->setTagId(0);
    Mixer->setTagId(1);
    Reverb->setMinValue(0);
    Reverb->setMaxValue(100);
    Mixer->setMinValue(0);
    Mixer->setMaxValue(1);

    mixerChecked = file->boolValue(SettingsKey::mixer);
    Mixer->setDoubleValue(mixerChecked ? 1.0 : 0.0);

    actionStatus = 0;

    initialize();

    UpdateInfo(ChangeFullRefresh);
    sendPanelInfo();

    player.reset();
    recorder.reset();
    timer.reset();
    transportFactory().prepare();

    connect(window, &MainWindow::closeRequested, this, &AppDelegate::closeApplication, Qt::UniqueConnection);
}

void AppDelegate::initialize()
{
    for (Button* button : {resetButton, playButton, stopButton, pauseButton, recordButton}) {
        button->setStatus(Disable);
        button->setEnabled(false);
    }

    resetTransport();

    Monitor->setChecked(file->boolValue(SettingsKey::monitor));
    Monitor->changeImage(Disable);
    Monitor->setEnabled(false);
    Denoise->setChecked(file->boolValue(SettingsKey::dehiss));
    Denoise->changeImage(Disable);
    Denoise->setEnabled(false);

    Mixer->setEnable(false);
    Mixer->setDoubleValue(file->boolValue(SettingsKey::mixer) ? 1.0 : 0.0);
    MixerButton->setEnabled(false);

    Reverb->setEnable(false);
    Reverb->setDoubleValue(file->integerValue(SettingsKey::reverb));

    Spk->setEnabled(false);
    Spk->setValue(file->integerValue(SettingsKey::spkVolume));
    Mic->setEnabled(false);
    Mic->setValue(file->integerValue(SettingsKey::micGain));
    const std::array stages{Stage1, Stage2, Stage3, Stage4, Stage5};
    for (int n = 1; n <= 5; ++n) {
        stages[n - 1]->setEnabled(false);
        stages[n - 1]->setValue(file->integerValue(SettingsKey::stage(n)));
    }

    linkImg->setImageName(QStringLiteral("linkDisable"));
    linkText->setText(kNotLinkedText);
}

// ---- Link -------------------------------------------------------------------

// Shows the sheet and lets the device settle without blocking the main
// thread: the window keeps painting and the window-modal sheet holds the
// user's input. A device arriving while another settles restarts the wait,
// so the last one to arrive gets its full time and a storm of re-plugs ends
// in one link; a removal meanwhile is held until the wait is over.
void AppDelegate::usbhidDidMatch()
{
    m_linkStopped.clear();
    showDeviceFault();
    emit linkStateChanged();
    if (m_linking) {
        qCInfo(lcApp) << "device arrived again while linking; waiting" << m_ports.linkWait.count() << "ms from now";
        if (m_audioLink)
            m_audioLink->cancel();
        startLinkWait();
        return;
    }
    m_linking = true;
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
    // The volumes follow the sliders' range: a hand-edited "spkVolume" of
    // 400 must not set the system volume to 400 %.
    const auto stored = [this](const QString& key) {
        return static_cast<float>(std::clamp(file->integerValue(key), 0, 100)) / 100.0f;
    };
    m_audioLink->start(stored(SettingsKey::spkVolume), stored(SettingsKey::micGain));
}

// The audio steps are done: the device is the default output and input and
// has the stored volumes.
void AppDelegate::completeLink(AudioObjectID output, AudioObjectID input)
{
    for (Button* button : {resetButton, playButton, stopButton, pauseButton, recordButton})
        button->setStatus(Enable);
    resetButton->setEnabled(true);
    // A recording or playback still running keeps Stop and Pause usable.
    showTransportRunning(m_transportRunning);

    Monitor->setChecked(file->boolValue(SettingsKey::monitor));
    Monitor->changeImage(Enable);
    Monitor->setEnabled(true);
    Denoise->setChecked(file->boolValue(SettingsKey::dehiss));
    Denoise->changeImage(Enable);
    Denoise->setEnabled(true);

    Mixer->setEnable(true);
    Mixer->setDoubleValue(file->boolValue(SettingsKey::mixer) ? 1.0 : 0.0);
    MixerButton->setEnabled(true);

    Reverb->setEnable(true);
    Reverb->setDoubleValue(file->integerValue(SettingsKey::reverb));

    Spk->setEnabled(true);
    Spk->setValue(file->integerValue(SettingsKey::spkVolume));

    Mic->setEnabled(true);
    Mic->setValue(file->integerValue(SettingsKey::micGain));

    const std::array stages{Stage1, Stage2, Stage3, Stage4, Stage5};
    for (int n = 1; n <= 5; ++n) {
        stages[n - 1]->setEnabled(true);
        stages[n - 1]->setValue(file->integerValue(SettingsKey::stage(n)));
    }

    linkImg->setImageName(QStringLiteral("linkEnable"));
    linkText->setText(kLinkedText);

    addVolumeListeners(output, input);

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

    UpdateInfo(ChangeFullRefresh);
    sendPanelInfo();

    m_linking = false;
    m_linked = true;
    m_audioRestorePending = false;
    m_audioRestoreFault.clear();
    m_audioOutage = false;
    qCInfo(lcApp) << "device linked";
    showDeviceFault();
    emit linkFinished(true);
    emit linkStateChanged();
    handleHeldRemoval();
}

// The link stopped early: the controls stay as they are, but the sheet goes,
// so the window stays usable until the device arrives again.
void AppDelegate::stopLink(const char* step)
{
    qCWarning(lcApp) << "link stopped:" << step;
    m_linkStopped = QStringLiteral("The device was found, but linking stopped: %1. Plug it in again to retry; "
                                   "if it keeps stopping, see the troubleshooting in the README.")
                        .arg(QString::fromUtf8(step));
    LinkingPanel->done(QDialog::Rejected);
    m_linking = false;
    showDeviceFault();
    emit linkFinished(false);
    handleHeldRemoval();
}

// A removal held during the link, not undone by a later arrival, unlinks now.
void AppDelegate::handleHeldRemoval()
{
    if (!m_linking && hid && !hid->find())
        usbhidDidRemove();
}

// ---- Unlink -----------------------------------------------------------------

void AppDelegate::usbhidDidRemove()
{
    // Audio steps under way (or waiting for the sound server) end here: the
    // removal is not held behind a server that may never answer.
    if (m_linking && m_audioLink && m_audioLink->running() && !hid->find()) {
        m_audioLink->cancel();
        return stopLink("the device left while its audio was linked");
    }
    if (m_linking) {
        qCInfo(lcApp) << "the device left while linking; its removal is held until the wait is over";
        emit linkStateChanged();
        return;
    }
    qCInfo(lcApp) << "device removed; unlinking";
    m_linked = false;
    m_audioOutage = false;
    m_audioRestorePending = false;
    if (m_audioLink)
        m_audioLink->cancel();
    showDeviceFault();

    for (Button* button : {resetButton, playButton, stopButton, pauseButton, recordButton}) {
        button->setStatus(Disable);
        button->setEnabled(false);
    }

    resetTransport();

    Monitor->changeImage(Disable);
    Monitor->setEnabled(false);
    Denoise->changeImage(Disable);
    Denoise->setEnabled(false);

    Mixer->setEnable(false);
    MixerButton->setEnabled(false);
    Reverb->setEnable(false);

    for (SpkMicSliderAction* slider : {Spk, Mic, Stage1, Stage2, Stage3, Stage4, Stage5})
        slider->setEnabled(false);

    linkImg->setImageName(QStringLiteral("linkDisable"));
    linkText->setText(kNotLinkedText);
    timerText->setText(kClockZero);

    emit linkStateChanged();

    // The spectrum stops even when the server cannot be read (it may be
    // restarting): a capture left running would outlive the link.
    removeVolumeListeners();
    if (SpectrumController)
        SpectrumController->Stop();
}

// ---- Device state -----------------------------------------------------------

bool AppDelegate::deviceResponding() const
{
    return !hid || hid->responding();
}

// The link texts stay the device's own; the link image dims and its tooltip
// says what is wrong and what to do, while the linked device cannot be
// written or its sound does not go where the panel says. Settings that
// could not be saved are told there too.
void AppDelegate::showDeviceFault()
{
    QStringList faults{m_linked && hid ? hid->faultDescription() : QString()};
    if (m_linking && m_audioLink && m_audioLink->waitingForServer())
        faults.append(QStringLiteral("The Quorel IIS Audio is plugged in, but the sound server does not answer; the "
                                     "panel waits for it and links the device's sound as soon as it answers."));
    if (m_linked) {
        if (m_audioOutage)
            faults.append(QStringLiteral("The sound server is gone or does not answer, so the sliders do nothing "
                                         "and sound may not reach the Quorel IIS Audio. The panel restores the "
                                         "device's sound as soon as the server answers again."));
        faults.append(m_audioRestoreFault);
        if (m_outputVolumeFailed)
            faults.append(QStringLiteral("The sound server did not take the Speaker volume, so what you hear may "
                                         "differ from the slider. Move the slider again, or check the system's "
                                         "sound settings."));
        if (m_inputVolumeFailed)
            faults.append(QStringLiteral("The sound server did not take the Mic gain, so the microphone may be "
                                         "louder or quieter than the slider says. Move the slider again, or check "
                                         "the system's sound settings."));
    }
    faults.removeAll(QString());
    const QString fault = faults.join(QLatin1Char('\n'));
    QStringList warnings{fault};
    if (!m_linked && !m_linking)
        warnings.append(m_linkStopped);
    if (m_settingsUnsaved) {
        warnings.append(QStringLiteral("Your settings could not be saved to %1; check that folder's permissions and "
                                       "free space.")
                            .arg(m_ports.settingsStore.settingsFile()));
    }
    warnings.removeAll(QString());
    const QString tip = warnings.join(QLatin1Char('\n'));
    for (QWidget* status : std::initializer_list<QWidget*>{linkImg, linkText}) {
        status->setToolTip(tip);
        status->setAccessibleDescription(tip);
        if (fault.isEmpty()) {
            status->setGraphicsEffect(nullptr);
        } else if (!status->graphicsEffect()) {
            auto* dimmed = new QGraphicsOpacityEffect(status);
            dimmed->setOpacity(0.4);
            status->setGraphicsEffect(dimmed);
        }
    }
}

// The device missed or refused records while it could not be written;
// once it takes them again it gets the whole record.
void AppDelegate::usbhidDidChangeFault()
{
    showDeviceFault();
    emit linkStateChanged();
    if (hid->responding() && m_linked && !m_linking && !m_terminated) {
        qCInfo(lcApp) << "the device takes settings again; sending all of them";
        UpdateInfo(ChangeFullRefresh);
        sendPanelInfo();
    }
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
    if (m_linking) {
        m_linking = false;
        LinkingPanel->done(QDialog::Rejected);
    }

    timer.reset();

    if (!file) {
        qCInfo(lcApp) << "shutting down without settings; nothing stored";
        return;
    }

    // The save below stores everything; one still waiting is not needed.
    m_autosave->cancel();

    const int spk = Spk->value();
    const int mic = Mic->value();
    file->setInteger(SettingsKey::spkVolume, spk);
    file->setBool(SettingsKey::spkMute, spk == 0);
    file->setInteger(SettingsKey::micGain, mic);
    file->setBool(SettingsKey::micMute, mic == 0);
    file->setBool(SettingsKey::monitor, Monitor->checked());
    file->setBool(SettingsKey::dehiss, Denoise->checked());
    file->setInteger(SettingsKey::reverb, static_cast<int>(Reverb->doubleValue()));
    file->setBool(SettingsKey::mixer, mixerChecked);
    const std::array stages{Stage1, Stage2, Stage3, Stage4, Stage5};
    for (int n = 1; n <= 5; ++n)
        file->setInteger(SettingsKey::stage(n), stages[n - 1]->value());

    if (m_ports.settingsStore.save(*file))
        qCInfo(lcApp) << "settings stored in" << m_ports.settingsStore.settingsFile();
    m_autosave.reset();

    if (hid && hid->find()) {
        removeVolumeListeners();
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

// ---- Record -----------------------------------------------------------------

void AppDelegate::UpdateInfo(unsigned code)
{
    ControlPanelValues values;
    values.speaker = Spk->value();
    values.mic = Mic->value();
    values.denoise = Denoise->checked();
    values.mixer = Mixer->doubleValue();
    values.monitor = Monitor->checked();
    values.reverb = Reverb->doubleValue();
    values.stages = {Stage1->value(), Stage2->value(), Stage3->value(), Stage4->value(),
                     Stage5->value()};
    panelInfo = rebuildControlPanelInfo(values, code);
}

void AppDelegate::sendPanelInfo()
{
    if (hid && hid->find())
        hid->senddata(controlPanelReport(panelInfo));
}
