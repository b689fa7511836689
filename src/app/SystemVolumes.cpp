#include "app/SystemVolumes.h"

#include "audio/VolumePercent.h"
#include "settings/SettingsDictionary.h"

#include <algorithm>

namespace {

// The server failed the request or left it unanswered: what the user hears
// is not what the slider says.
bool serverFailed(int status)
{
    return status == AudioStatus::ServerError || status == AudioStatus::Timeout;
}

PanelSetting settingOf(AudioScope scope)
{
    return scope == AudioScope::Output ? PanelSetting::Speaker : PanelSetting::Mic;
}

} // namespace

SystemVolumes::SystemVolumes(PanelModel& model, AudioSystem& audio, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_audio(audio)
{
    connect(&model, &PanelModel::applied, this, &SystemVolumes::sendVolumes);
}

SystemVolumes::~SystemVolumes()
{
    stopListening();
}

// The volumes a control or a remote asks for; the server's own changes are
// already what it holds, and loads wait for the link to send them.
void SystemVolumes::sendVolumes(const SettingsChange& change)
{
    if (change.origin != ChangeOrigin::Control && change.origin != ChangeOrigin::Remote)
        return;
    if (change.requested & PanelField::Speaker)
        send(AudioScope::Output, change.settings.speaker);
    if (change.requested & PanelField::Mic)
        send(AudioScope::Input, change.settings.mic);
}

// The mute flag says what the system took; the volume is the model's.
void SystemVolumes::send(AudioScope scope, int percent)
{
    const float scalar = static_cast<float>(percent) / 100.0f;
    if (m_audio.sendDefaultVolume(scope, scalar) == AudioStatus::Ok && m_file)
        m_file->setBool(scope == AudioScope::Output ? SettingsKey::spkMute : SettingsKey::micMute, percent == 0);
}

void SystemVolumes::answered(AudioScope scope, float scalar, int status)
{
    showFault(scope, serverFailed(status));
    if (status == AudioStatus::Ok && m_file)
        m_file->setBool(scope == AudioScope::Output ? SettingsKey::spkMute : SettingsKey::micMute, scalar == 0.0f);
}

void SystemVolumes::serverEvent(AudioSystemEvent event)
{
    switch (event) {
    case AudioSystemEvent::OutputVolumeRefused:
    case AudioSystemEvent::OutputVolumeTaken:
        return showFault(AudioScope::Output, event == AudioSystemEvent::OutputVolumeRefused);
    case AudioSystemEvent::InputVolumeRefused:
    case AudioSystemEvent::InputVolumeTaken:
        return showFault(AudioScope::Input, event == AudioSystemEvent::InputVolumeRefused);
    default:
        return;
    }
}

// The audio system has logged the failure with its details.
void SystemVolumes::showFault(AudioScope scope, bool failed)
{
    PanelFaults faults = m_model.faults();
    (scope == AudioScope::Output ? faults.outputVolumeFailed : faults.inputVolumeFailed) = failed;
    m_model.setFaults(faults);
}

void SystemVolumes::listen(AudioObjectID output, AudioObjectID input)
{
    stopListening();
    if (m_audio.addVolumeListener(output, AudioScope::Output, outputListener, this) == AudioStatus::Ok)
        m_output = output;
    if (m_audio.addVolumeListener(input, AudioScope::Input, inputListener, this) == AudioStatus::Ok)
        m_input = input;
    ++m_epoch;
    m_listening = true;
}

void SystemVolumes::stopListening()
{
    m_listening = false;
    remove(AudioScope::Output);
    remove(AudioScope::Input);
}

void SystemVolumes::remove(AudioScope scope)
{
    AudioObjectID& device = scope == AudioScope::Output ? m_output : m_input;
    if (device == kAudioObjectUnknown)
        return;
    m_audio.removeVolumeListener(device, scope, scope == AudioScope::Output ? outputListener : inputListener, this);
    device = kAudioObjectUnknown;
}

// Any thread. The report is dropped if this is gone by the time it arrives,
// and ignored when it was handed over before the last listen() or after
// the listeners stopped.
void SystemVolumes::report(AudioScope scope, float scalar)
{
    m_toMain.post([scope, scalar, epoch = m_epoch.load()](SystemVolumes* self) {
        if (epoch == self->m_epoch && self->m_listening)
            self->take(scope, scalar);
    });
}

// What is above the range is taken at its end.
void SystemVolumes::take(AudioScope scope, float scalar)
{
    const SettingRow& row = settingRow(settingOf(scope));
    m_model.apply(SettingsBatch::of(row.setting, std::clamp(volumePercent(scalar), row.min, row.max)),
                  ChangeOrigin::Server);
}

// The audio system's thread.
int SystemVolumes::outputListener(AudioObjectID, AudioScope, float scalar, void* clientData)
{
    static_cast<SystemVolumes*>(clientData)->report(AudioScope::Output, scalar);
    return 0;
}

// The audio system's thread.
int SystemVolumes::inputListener(AudioObjectID, AudioScope, float scalar, void* clientData)
{
    static_cast<SystemVolumes*>(clientData)->report(AudioScope::Input, scalar);
    return 0;
}
