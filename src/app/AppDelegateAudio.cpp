// The device's sound while linked: the sound server's events, and the
// restore that makes the device the default output and input again after
// the server came back or the system resumed.
#include "app/AppDelegate.h"

#include "spectrum/SpectrumViewController.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

// The audio system's thread. The controller clears this registration before
// it goes, and the event is dropped if it has gone meanwhile.
void AppDelegate::AudioSystemEventListener(AudioSystemEvent event, void* clientData)
{
    static_cast<AppDelegate*>(clientData)->m_toMain.post(
        [event](AppDelegate* self) { self->audioSystemEvent(event); });
}

void AppDelegate::audioSystemEvent(AudioSystemEvent event)
{
    if (!linked())
        return;
    switch (event) {
    case AudioSystemEvent::OutputVolumeRefused:
    case AudioSystemEvent::OutputVolumeTaken:
    case AudioSystemEvent::InputVolumeRefused:
    case AudioSystemEvent::InputVolumeTaken:
        return m_volumes->serverEvent(event);
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
void AppDelegate::restoreLinkedAudio()
{
    if (!linked() || !m_audioLink)
        return;
    m_audioRestorePending = true;
    m_volumes->stopListening();
    m_audioLink->start(static_cast<float>(m_model.settings().speaker) / 100.0f,
                       static_cast<float>(m_model.settings().mic) / 100.0f);
}

void AppDelegate::audioLinked(AudioObjectID output, AudioObjectID input)
{
    if (linking())
        return completeLink(output, input);
    if (!linked())
        return;
    m_volumes->listen(output, input);
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

