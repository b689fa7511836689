#include "app/DeviceLink.h"

#include "app/SettingsControls.h"
#include "app/SystemVolumes.h"
#include "app/TransportControls.h"
#include "device/UsbHID.h"
#include "model/DeviceRecordSender.h"
#include "model/PanelModel.h"
#include "spectrum/SpectrumViewController.h"
#include "transport/ClockText.h"

#include <QDialog>
#include <QLabel>
#include <QLoggingCategory>
#include <QTimer>
#include <QVBoxLayout>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

DeviceLink::DeviceLink(Parts parts, QObject* parent)
    : QObject(parent)
    , m_parts(std::move(parts))
    , m_settleTimer(std::make_unique<QTimer>())
{
    m_settleTimer->setSingleShot(true);
    m_settleTimer->setTimerType(Qt::PreciseTimer);
    connect(m_settleTimer.get(), &QTimer::timeout, this, &DeviceLink::finishWait);
    if (!m_parts.audio) {
        qCWarning(lcApp) << "no audio system given: the device will not link";
        return;
    }
    m_parts.audio->setEventListener(audioSystemEventListener, this);
    m_audioLink = std::make_unique<AudioLink>(*m_parts.audio);
    connect(m_audioLink.get(), &AudioLink::linked, this, &DeviceLink::audioLinked);
    connect(m_audioLink.get(), &AudioLink::failed, this, &DeviceLink::audioLinkFailed);
    connect(m_audioLink.get(), &AudioLink::waitingChanged, this, &DeviceLink::audioLinkWaiting);
    connect(m_audioLink.get(), &AudioLink::volumeAnswered, m_parts.volumes, &SystemVolumes::answered);
}

// The capture goes first: it may still call back while it stops.
DeviceLink::~DeviceLink()
{
    if (m_parts.audio)
        m_parts.audio->setEventListener(nullptr, nullptr);
    m_spectrum.reset();
}

void DeviceLink::follow(UsbHID* hid)
{
    m_hid = hid;
    if (m_hid)
        m_hid->setDelegate(this);
}

bool DeviceLink::linking() const
{
    return m_parts.model.link().linking;
}

bool DeviceLink::linked() const
{
    return m_parts.model.link().linked;
}

// The three states the controls know: disabled at start-up and after the
// unlink, enabled once linked. A recording or playback still running at a
// link keeps Stop and Pause usable.
void DeviceLink::enableControls(bool enabled)
{
    m_parts.controls.enable(enabled);
    m_parts.transport.enable(enabled);
}

// ---- Link -------------------------------------------------------------------

// Shows the sheet and lets the device settle without blocking the main
// thread: the window keeps painting and the window-modal sheet holds the
// user's input. A device arriving while another settles restarts the wait,
// so the last one to arrive gets its full time and a storm of re-plugs ends
// in one link; a removal meanwhile is held until the wait is over.
void DeviceLink::usbhidDidMatch()
{
    changeFaults([](PanelFaults& faults) { faults.linkStopped.clear(); });
    updateLinkState();
    if (linking()) {
        qCInfo(lcApp) << "device arrived again while linking; waiting" << m_parts.settle.count() << "ms from now";
        if (m_audioLink)
            m_audioLink->cancel();
        startWait();
        return;
    }
    setLinkState(true, linked());
    qCInfo(lcApp) << "device arrived; linking in" << m_parts.settle.count() << "ms";
    // A restore under way is the link's work now; its end must not finish
    // this link before the device has settled.
    if (m_audioLink)
        m_audioLink->cancel();

    m_parts.sheet->setWindowModality(Qt::WindowModal);
    m_parts.sheet->open();

    startWait();
}

void DeviceLink::startWait()
{
    m_settleDeadline = QDeadlineTimer(m_parts.settle, Qt::PreciseTimer);
    m_settleTimer->start(m_parts.settle);
}

void DeviceLink::finishWait()
{
    // Even a precise timer may wake a moment early; the device gets its
    // whole wait.
    if (const qint64 left = m_settleDeadline.remainingTimeNSecs(); left > 0) {
        m_settleTimer->start(std::chrono::ceil<std::chrono::milliseconds>(std::chrono::nanoseconds(left)));
        return;
    }
    // Held notifications come down to where the device is now: gone means
    // there is nothing to link.
    if (!m_hid->find())
        return stop("the device left while it settled");

    m_hid->connectHID();

    if (!m_audioLink)
        return stop("no audio system");
    m_audioLink->start(static_cast<float>(m_parts.model.settings().speaker) / 100.0f,
                       static_cast<float>(m_parts.model.settings().mic) / 100.0f);
}

// The audio steps are done: the device is the default output and input and
// has the model's volumes.
void DeviceLink::complete(AudioObjectID output, AudioObjectID input)
{
    m_parts.controls.showAll();
    enableControls(true);

    m_parts.volumes->listen(output, input);

    if (!m_spectrum)
        m_spectrum = m_parts.makeSpectrum ? m_parts.makeSpectrum() : std::make_unique<SpectrumViewController>();
    QWidget* bars = m_spectrum->view();
    if (bars->parentWidget() != m_parts.spectrumArea) {
        auto* layout = new QVBoxLayout(m_parts.spectrumArea);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(bars);
    }
    m_spectrum->Start();

    m_parts.sheet->done(QDialog::Accepted);

    m_parts.records.sendAll();

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
void DeviceLink::stop(const char* step)
{
    qCWarning(lcApp) << "link stopped:" << step;
    const QString why = tr("The device was found, but linking stopped: %1. Plug it in again to retry; "
                           "if it keeps stopping, see the troubleshooting in the README.")
                            .arg(QString::fromUtf8(step));
    m_parts.sheet->done(QDialog::Rejected);
    setLinkState(false, linked());
    changeFaults([&why](PanelFaults& faults) { faults.linkStopped = why; });
    emit linkFinished(false);
    handleHeldRemoval();
}

// A removal held during the link, not undone by a later arrival, unlinks now.
void DeviceLink::handleHeldRemoval()
{
    if (!linking() && m_hid && !m_hid->find())
        usbhidDidRemove();
}

// ---- Unlink -----------------------------------------------------------------

void DeviceLink::usbhidDidRemove()
{
    // Audio steps under way (or waiting for the sound server) end here: the
    // removal is not held behind a server that may never answer.
    if (linking() && m_audioLink && m_audioLink->running() && !m_hid->find()) {
        m_audioLink->cancel();
        return stop("the device left while its audio was linked");
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

    m_parts.transport.reset();
    enableControls(false);
    m_parts.clock->setText(clockText(0));

    emit linkStateChanged();

    // The spectrum stops even when the server cannot be read (it may be
    // restarting): a capture left running would outlive the link.
    if (m_parts.volumes)
        m_parts.volumes->stopListening();
    if (m_spectrum)
        m_spectrum->Stop();
}

// ---- Device state -----------------------------------------------------------

bool DeviceLink::deviceResponding() const
{
    return !m_hid || m_hid->responding();
}

void DeviceLink::setLinkState(bool linking, bool linked)
{
    LinkState link = m_parts.model.link();
    link.linking = linking;
    link.linked = linked;
    m_parts.model.setLink(link);
    updateLinkState();
}

// The transport's part of the link state and its fault.
void DeviceLink::updateLinkState()
{
    LinkState link = m_parts.model.link();
    link.devicePresent = m_hid && m_hid->find();
    link.responding = deviceResponding();
    m_parts.model.setLink(link);
    changeFaults([this](PanelFaults& faults) { faults.device = m_hid ? m_hid->faultDescription() : QString(); });
}

void DeviceLink::changeFaults(const std::function<void(PanelFaults&)>& change)
{
    PanelFaults faults = m_parts.model.faults();
    change(faults);
    m_parts.model.setFaults(faults);
}

// The device missed or refused records while it could not be written;
// once it takes them again it gets the whole record.
void DeviceLink::usbhidDidChangeFault()
{
    updateLinkState();
    emit linkStateChanged();
    if (m_hid->responding() && linked() && !linking() && !m_shutDown) {
        qCInfo(lcApp) << "the device takes settings again; sending all of them";
        m_parts.records.sendAll();
    }
}

// Records gave way while the device was behind: the last one it took may not
// name every change it missed.
void DeviceLink::usbhidDidDropReports()
{
    if (linked() && !linking() && !m_shutDown) {
        qCInfo(lcApp) << "the device missed settings while it was behind; sending all of them";
        m_parts.records.sendAll();
    }
}

// A device may lose its settings across a suspend while its node stays, and
// the sound server may have chosen another default meanwhile.
void DeviceLink::systemDidResume()
{
    if (!linked() || linking() || m_shutDown)
        return;
    qCInfo(lcApp) << "the system resumed; sending all settings and making the device the default again";
    m_parts.records.sendAll();
    restoreLinkedAudio();
}

// ---- The device's sound while linked --------------------------------------

// The audio system's thread. The registration is cleared before this goes,
// and the event is dropped if it has gone meanwhile.
void DeviceLink::audioSystemEventListener(AudioSystemEvent event, void* clientData)
{
    static_cast<DeviceLink*>(clientData)->m_toMain.post(
        [event](DeviceLink* self) { self->audioSystemEvent(event); });
}

void DeviceLink::audioSystemEvent(AudioSystemEvent event)
{
    if (!linked())
        return;
    switch (event) {
    case AudioSystemEvent::OutputVolumeRefused:
    case AudioSystemEvent::OutputVolumeTaken:
    case AudioSystemEvent::InputVolumeRefused:
    case AudioSystemEvent::InputVolumeTaken:
        return m_parts.volumes->serverEvent(event);
    case AudioSystemEvent::Lost:
        qCWarning(lcApp) << "the sound server is gone or stopped answering while the device is linked";
        changeFaults([](PanelFaults& faults) { faults.soundServerOutage = true; });
        emit linkStateChanged();
        return;
    case AudioSystemEvent::Reconnected:
        qCInfo(lcApp) << "the sound server is back; making the device the default again";
        m_audioRestorePending = true;
        break;
    case AudioSystemEvent::DeviceAdded:
        // A restore that did not find the device, or may have listed the
        // devices just before this one came, starts again.
        break;
    }
    if (m_audioRestorePending)
        restoreLinkedAudio();
}

// The link's audio steps once more, on the devices found now: the server
// handed out new ids and chose its own defaults while it was away. The
// listeners stop first, so the server's fresh volumes are not taken for the
// user's.
void DeviceLink::restoreLinkedAudio()
{
    if (!linked() || !m_audioLink)
        return;
    m_audioRestorePending = true;
    m_parts.volumes->stopListening();
    m_audioLink->start(static_cast<float>(m_parts.model.settings().speaker) / 100.0f,
                       static_cast<float>(m_parts.model.settings().mic) / 100.0f);
}

void DeviceLink::audioLinked(AudioObjectID output, AudioObjectID input)
{
    if (linking()) {
        complete(output, input);
        if (linked())
            emit inputLinked(input);
        return;
    }
    if (!linked())
        return;
    emit inputLinked(input);
    m_parts.volumes->listen(output, input);
    // A fresh capture of the new default input.
    if (m_spectrum) {
        m_spectrum->Stop();
        m_spectrum->Start();
    }
    m_audioRestorePending = false;
    changeFaults([](PanelFaults& faults) { faults.soundServerOutage = false; });
    showAudioRestoreFault(QString());
    qCInfo(lcApp) << "the device is the default output and input again";
    emit linkStateChanged();
}

void DeviceLink::audioLinkFailed(AudioLink::Step step)
{
    if (linking())
        return stop(AudioLink::describe(step).toUtf8().constData());
    if (!linked())
        return;
    showAudioRestoreFault(step == AudioLink::Step::FindDevice
        ? tr("The sound server restarted without the Quorel IIS Audio, so sound goes to another device "
             "until it is back. If it does not come back, plug the device in again.")
        : tr("The sound server restarted and did not make the Quorel IIS Audio its default output and "
             "input, so sound goes to another device. Plug the device in again, or choose it in the "
             "system's sound settings."));
}

// The window says that the panel waits for the sound server: at the link
// image while linking, and as the outage while linked.
void DeviceLink::audioLinkWaiting(bool waiting)
{
    const bool outage = linked() && waiting;
    changeFaults([&](PanelFaults& faults) {
        faults.awaitingSoundServer = waiting;
        if (outage)
            faults.soundServerOutage = true;
    });
    emit linkStateChanged();
}

// Logged when it appears; restores retried on every new device say it again
// only when the reason changes.
void DeviceLink::showAudioRestoreFault(const QString& fault)
{
    if (fault == m_parts.model.faults().audioRestore)
        return;
    if (!fault.isEmpty())
        qCWarning(lcApp).noquote() << "the device's audio is not restored:" << fault;
    changeFaults([&fault](PanelFaults& faults) { faults.audioRestore = fault; });
}


// A link still waiting is abandoned; nothing is sent at shut-down.
void DeviceLink::shutDown()
{
    m_shutDown = true;
    m_settleTimer->stop();
    if (m_audioLink)
        m_audioLink->cancel();
    if (linking()) {
        setLinkState(false, linked());
        m_parts.sheet->done(QDialog::Rejected);
    }
    if (m_hid && m_hid->find()) {
        if (m_parts.volumes)
            m_parts.volumes->stopListening();
        if (m_spectrum)
            m_spectrum->Stop();
    }
}
