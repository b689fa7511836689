// Speaker volume and microphone gain: the sliders set the volumes of the
// system's current default output and input, and volume changes made
// elsewhere move the sliders while the device is linked.
#include "app/AppDelegate.h"

#include "controls/SpkMicSliderAction.h"
#include "settings/SettingsDictionary.h"

#include <QAbstractSlider>
#include <QLabel>

namespace {

// Slider percent from a volume scalar: 32-bit float arithmetic, truncated,
// so a slider value sent out and read back unchanged stays what it was
// (except 53 and 59, which come back one lower).
int percentOf(float scalar)
{
    return static_cast<int>(scalar * 100.0f);
}

QString percentText(int value)
{
    return QString::asprintf("%d%%", value);
}

// Sets the main volume of the current default device of `scope`; false
// when any step fails (the audio system has logged why).
bool setDefaultDeviceVolume(AudioSystem* audio, AudioScope scope, float scalar)
{
    AudioObjectID device = kAudioObjectUnknown;
    if (!audio || audio->defaultDevice(scope, device) != AudioStatus::Ok)
        return false;
    if (!audio->hasMainVolume(device, scope))
        return false;
    return audio->setVolumeScalar(device, scope, scalar) == AudioStatus::Ok;
}

// Main thread: a volume changed elsewhere moves the slider, its text and
// its setting (the slider clamps what is above its range).
void showOutsideVolume(QAbstractSlider* slider, QLabel* text, SettingsDictionary& file, const QString& key,
                       float scalar)
{
    slider->setValue(percentOf(scalar));
    text->setText(percentText(slider->value()));
    file.setInteger(key, slider->value());
}

int sliderValue(QObject* sender, QAbstractSlider* fallback)
{
    auto* slider = qobject_cast<QAbstractSlider*>(sender);
    return (slider ? slider : fallback)->value();
}

} // namespace

void AppDelegate::SpkVolumeChanged(QObject* sender)
{
    const int value = sliderValue(sender, Spk);
    SpkText->setText(percentText(value));
    file->setInteger(SettingsKey::spkVolume, value);
    setVolume(static_cast<float>(value) / 100.0f);
}

void AppDelegate::MicGainChanged(QObject* sender)
{
    const int value = sliderValue(sender, Mic);
    MicText->setText(percentText(value));
    file->setInteger(SettingsKey::micGain, value);
    setMicGain(static_cast<float>(value) / 100.0f);
}

void AppDelegate::setVolume(float scalar)
{
    if (!setDefaultDeviceVolume(m_ports.audio, AudioScope::Output, scalar))
        return;
    file->setInteger(SettingsKey::spkVolume, percentOf(scalar));
    file->setBool(SettingsKey::spkMute, scalar == 0.0f);
}

void AppDelegate::setMicGain(float scalar)
{
    if (!setDefaultDeviceVolume(m_ports.audio, AudioScope::Input, scalar))
        return;
    file->setInteger(SettingsKey::micGain, percentOf(scalar));
    file->setBool(SettingsKey::micMute, scalar == 0.0f);
}

// Any thread. The queued call is dropped if the controller is gone by then.
void AppDelegate::VolumeChanged(float scalar)
{
    QMetaObject::invokeMethod(this, [this, scalar] {
        showOutsideVolume(Spk, SpkText, *file, SettingsKey::spkVolume, scalar);
    }, Qt::QueuedConnection);
}

// Any thread.
void AppDelegate::MicChanged(float scalar)
{
    QMetaObject::invokeMethod(this, [this, scalar] {
        showOutsideVolume(Mic, MicText, *file, SettingsKey::micGain, scalar);
    }, Qt::QueuedConnection);
}

// The audio system's thread. Registrations are removed before the controller
// goes (m_volumeListeners), so clientData outlives every call. A volume that
// cannot be read is not forwarded.
int AppDelegate::OutputVolumeListener(AudioObjectID device, AudioScope scope, void* clientData)
{
    if (!clientData)
        return 0;
    auto* self = static_cast<AppDelegate*>(clientData);
    float scalar = 0.0f;
    if (self->m_ports.audio->volumeScalar(device, scope, scalar) == AudioStatus::Ok)
        self->VolumeChanged(scalar);
    return 0;
}

// The audio system's thread; see OutputVolumeListener.
int AppDelegate::InputVolumeListener(AudioObjectID device, AudioScope scope, void* clientData)
{
    if (!clientData)
        return 0;
    auto* self = static_cast<AppDelegate*>(clientData);
    float scalar = 0.0f;
    if (self->m_ports.audio->volumeScalar(device, scope, scalar) == AudioStatus::Ok)
        self->MicChanged(scalar);
    return 0;
}

bool AppDelegate::addVolumeListeners()
{
    AudioSystem* audio = m_ports.audio;
    if (!audio)
        return false;
    m_volumeListeners.audio = audio;
    m_volumeListeners.clientData = this;

    AudioObjectID output = kAudioObjectUnknown;
    if (audio->defaultDevice(AudioScope::Output, output) != AudioStatus::Ok)
        return false;
    // A link while linked: the listener moves to the current default.
    m_volumeListeners.remove(AudioScope::Output);
    if (audio->addVolumeListener(output, AudioScope::Output, OutputVolumeListener, this) == AudioStatus::Ok)
        m_volumeListeners.output = output;

    AudioObjectID input = kAudioObjectUnknown;
    if (audio->defaultDevice(AudioScope::Input, input) != AudioStatus::Ok)
        return false;
    m_volumeListeners.remove(AudioScope::Input);
    if (audio->addVolumeListener(input, AudioScope::Input, InputVolumeListener, this) == AudioStatus::Ok)
        m_volumeListeners.input = input;
    return true;
}

bool AppDelegate::removeVolumeListeners()
{
    AudioSystem* audio = m_ports.audio;
    bool readable = false;
    AudioObjectID output = kAudioObjectUnknown;
    AudioObjectID input = kAudioObjectUnknown;
    if (audio && audio->defaultDevice(AudioScope::Output, output) == AudioStatus::Ok) {
        audio->removeVolumeListener(output, AudioScope::Output, OutputVolumeListener, this);
        if (audio->defaultDevice(AudioScope::Input, input) == AudioStatus::Ok) {
            audio->removeVolumeListener(input, AudioScope::Input, InputVolumeListener, this);
            readable = true;
        }
    }
    // When the defaults had moved on, the removals above missed: the
    // listeners go from the devices they were added on.
    m_volumeListeners.remove(AudioScope::Output);
    m_volumeListeners.remove(AudioScope::Input);
    return readable;
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
