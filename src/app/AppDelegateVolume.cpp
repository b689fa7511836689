// Speaker volume and microphone gain: the sliders set the volumes of the
// system's current default output and input, and volume changes made
// elsewhere move the sliders while the device is linked.
#include "app/AppDelegate.h"

#include "audio/VolumePercent.h"
#include "settings/SettingsDictionary.h"
#include "controls/SpkMicSliderAction.h"
#include "spectrum/SpectrumViewController.h"

#include <QAbstractSlider>
#include <QLoggingCategory>

#include <algorithm>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

namespace {

// Slider percent from a volume scalar, as the desktop mixer shows it: a
// slider value sent out and read back unchanged stays what it was.
int percentOf(float scalar)
{
    return volumePercent(scalar);
}

// The server failed the request or left it unanswered: what the user hears
// is not what the slider says.
bool serverFailed(int status)
{
    return status == AudioStatus::ServerError || status == AudioStatus::Timeout;
}

// Main thread: a volume changed elsewhere moves the model, so the slider and
// its text, and its setting (what is above the range is taken at its end).
void showOutsideVolume(PanelModel& model, AudioScope scope, float scalar)
{
    const PanelSetting setting = scope == AudioScope::Output ? PanelSetting::Speaker : PanelSetting::Mic;
    const SettingRow& row = settingRow(setting);
    model.apply(SettingsBatch::of(setting, std::clamp(percentOf(scalar), row.min, row.max)), ChangeOrigin::Server);
}

} // namespace

// The volumes a control or a remote asks for; the server's own changes are
// already what it holds, and loads wait for the link to send them.
void AppDelegate::sendVolumes(const SettingsChange& change)
{
    if (change.origin != ChangeOrigin::Control && change.origin != ChangeOrigin::Remote)
        return;
    if (change.requested & PanelField::Speaker)
        setVolume(static_cast<float>(change.settings.speaker) / 100.0f);
    if (change.requested & PanelField::Mic)
        setMicGain(static_cast<float>(change.settings.mic) / 100.0f);
}

// Sent without waiting; a refusal later comes back as an audio system event.
// The mute flag says what the system took; the volume is the model's.
void AppDelegate::setVolume(float scalar)
{
    if (m_ports.audio && m_ports.audio->sendDefaultVolume(AudioScope::Output, scalar) == AudioStatus::Ok)
        file->setBool(SettingsKey::spkMute, scalar == 0.0f);
}

void AppDelegate::setMicGain(float scalar)
{
    if (m_ports.audio && m_ports.audio->sendDefaultVolume(AudioScope::Input, scalar) == AudioStatus::Ok)
        file->setBool(SettingsKey::micMute, scalar == 0.0f);
}

// The link's or the restore's volume on the device just made the default.
void AppDelegate::volumeAnswered(AudioScope scope, float scalar, int status)
{
    showVolumeFault(scope, serverFailed(status));
    if (status == AudioStatus::Ok)
        file->setBool(scope == AudioScope::Output ? SettingsKey::spkMute : SettingsKey::micMute, scalar == 0.0f);
}

// Any thread. The queued call is dropped if the controller is gone by then,
// and ignored while it restores the device's audio or when it was queued
// before the last restore.
void AppDelegate::VolumeChanged(float scalar)
{
    QMetaObject::invokeMethod(this, [this, scalar, epoch = m_volumeReportEpoch.load()] {
        if (epoch == m_volumeReportEpoch && !m_audioRestorePending)
            showOutsideVolume(m_model, AudioScope::Output, scalar);
    }, Qt::QueuedConnection);
}

// Any thread; see VolumeChanged.
void AppDelegate::MicChanged(float scalar)
{
    QMetaObject::invokeMethod(this, [this, scalar, epoch = m_volumeReportEpoch.load()] {
        if (epoch == m_volumeReportEpoch && !m_audioRestorePending)
            showOutsideVolume(m_model, AudioScope::Input, scalar);
    }, Qt::QueuedConnection);
}

// The audio system's thread. Registrations are removed before the controller
// goes (m_volumeListeners), so clientData outlives every call.
int AppDelegate::OutputVolumeListener(AudioObjectID, AudioScope, float scalar, void* clientData)
{
    if (clientData)
        static_cast<AppDelegate*>(clientData)->VolumeChanged(scalar);
    return 0;
}

// The audio system's thread; see OutputVolumeListener.
int AppDelegate::InputVolumeListener(AudioObjectID, AudioScope, float scalar, void* clientData)
{
    if (clientData)
        static_cast<AppDelegate*>(clientData)->MicChanged(scalar);
    return 0;
}

void AppDelegate::addVolumeListeners(AudioObjectID output, AudioObjectID input)
{
    AudioSystem* audio = m_ports.audio;
    m_volumeListeners.audio = audio;
    m_volumeListeners.clientData = this;
    // A link while linked: the listeners move to the devices just found.
    m_volumeListeners.remove(AudioScope::Output);
    if (audio->addVolumeListener(output, AudioScope::Output, OutputVolumeListener, this) == AudioStatus::Ok)
        m_volumeListeners.output = output;
    m_volumeListeners.remove(AudioScope::Input);
    if (audio->addVolumeListener(input, AudioScope::Input, InputVolumeListener, this) == AudioStatus::Ok)
        m_volumeListeners.input = input;
}

void AppDelegate::removeVolumeListeners()
{
    m_volumeListeners.remove(AudioScope::Output);
    m_volumeListeners.remove(AudioScope::Input);
}

// The audio system's thread. The controller clears this registration before
// it goes, and the queued call is dropped if it has gone meanwhile.
void AppDelegate::AudioSystemEventListener(AudioSystemEvent event, void* clientData)
{
    auto* self = static_cast<AppDelegate*>(clientData);
    QMetaObject::invokeMethod(self, [self, event] { self->audioSystemEvent(event); }, Qt::QueuedConnection);
}

void AppDelegate::audioSystemEvent(AudioSystemEvent event)
{
    if (!linked())
        return;
    switch (event) {
    case AudioSystemEvent::OutputVolumeRefused:
    case AudioSystemEvent::OutputVolumeTaken:
        return showVolumeFault(AudioScope::Output, event == AudioSystemEvent::OutputVolumeRefused);
    case AudioSystemEvent::InputVolumeRefused:
    case AudioSystemEvent::InputVolumeTaken:
        return showVolumeFault(AudioScope::Input, event == AudioSystemEvent::InputVolumeRefused);
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
// user's; the reports already handed over are dropped by the new epoch once
// the restore is done.
void AppDelegate::restoreLinkedAudio()
{
    if (!linked() || !m_audioLink)
        return;
    m_audioRestorePending = true;
    m_volumeListeners.remove(AudioScope::Output);
    m_volumeListeners.remove(AudioScope::Input);
    m_audioLink->start(static_cast<float>(m_model.settings().speaker) / 100.0f,
                       static_cast<float>(m_model.settings().mic) / 100.0f);
}

void AppDelegate::audioLinked(AudioObjectID output, AudioObjectID input)
{
    if (linking())
        return completeLink(output, input);
    if (!linked())
        return;
    addVolumeListeners(output, input);
    ++m_volumeReportEpoch;
    // A fresh capture of the new default input.
    if (SpectrumController) {
        SpectrumController->Stop();
        SpectrumController->Start();
    }
    m_audioRestorePending = false;
    changeFaults([](PanelFaults& faults) { faults.soundServerOutage = false; });
    showAudioRestoreFault(QString());
    qCInfo(lcApp) << "the device is the default output and input again";
    emit linkStateChanged();
}

void AppDelegate::audioLinkFailed(AudioLink::Step step)
{
    if (linking())
        return stopLink(AudioLink::describe(step).toUtf8().constData());
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
void AppDelegate::audioLinkWaiting(bool waiting)
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
void AppDelegate::showAudioRestoreFault(const QString& fault)
{
    if (fault == m_model.faults().audioRestore)
        return;
    if (!fault.isEmpty())
        qCWarning(lcApp).noquote() << "the device's audio is not restored:" << fault;
    changeFaults([&fault](PanelFaults& faults) { faults.audioRestore = fault; });
}

// The audio system has logged the failure with its details.
void AppDelegate::showVolumeFault(AudioScope scope, bool failed)
{
    const PanelFaults& now = m_model.faults();
    if ((scope == AudioScope::Output ? now.outputVolumeFailed : now.inputVolumeFailed) == failed)
        return;
    changeFaults([scope, failed](PanelFaults& faults) {
        (scope == AudioScope::Output ? faults.outputVolumeFailed : faults.inputVolumeFailed) = failed;
    });
}

void AppDelegate::VolumeListenerDevices::remove(AudioScope scope)
{
    AudioObjectID& device = scope == AudioScope::Output ? output : input;
    if (!audio || device == kAudioObjectUnknown)
        return;
    const AudioVolumeListenerProc proc =
        scope == AudioScope::Output ? AppDelegate::OutputVolumeListener : AppDelegate::InputVolumeListener;
    audio->removeVolumeListener(device, scope, proc, clientData);
    device = kAudioObjectUnknown;
}

AppDelegate::VolumeListenerDevices::~VolumeListenerDevices()
{
    remove(AudioScope::Output);
    remove(AudioScope::Input);
}
