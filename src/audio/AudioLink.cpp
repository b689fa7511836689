#include "audio/AudioLink.h"

#include "audio/AudioDevice.h"

#include <QLoggingCategory>
#include <QPointer>

Q_LOGGING_CATEGORY(lcAudioLink, "quorel.audio.link")

QString AudioLink::describe(Step step)
{
    return step == Step::FindDevice
        ? QStringLiteral("the device's audio endpoint \"Quorel IIS Audio\" was not found")
        : QStringLiteral("the device could not be made the default output and input");
}

AudioLink::AudioLink(AudioSystem& system, QObject* parent)
    : QObject(parent)
    , m_system(system)
{
    m_serverLook.setInterval(kServerLookMs);
    connect(&m_serverLook, &QTimer::timeout, this, [this] {
        if (!m_system.isConnected())
            return;
        qCInfo(lcAudioLink) << "the sound server answers again; linking the device's audio from the start";
        m_serverLook.stop();
        setWaiting(false);
        listDevices();
    });
}

template <typename... Args>
auto AudioLink::current(std::function<void(Args...)> next)
{
    // The audio system outlives the link: an answer after it has gone is
    // dropped.
    return [self = QPointer<AudioLink>(this), generation = m_generation, next = std::move(next)](Args... args) {
        if (self && generation == self->m_generation && self->m_running)
            next(std::forward<Args>(args)...);
    };
}

void AudioLink::start(float outputVolume, float inputVolume)
{
    cancel();
    m_running = true;
    m_outputVolume = outputVolume;
    m_inputVolume = inputVolume;
    listDevices();
}

void AudioLink::cancel()
{
    ++m_generation;
    m_running = false;
    m_serverLook.stop();
    setWaiting(false);
}

void AudioLink::listDevices()
{
    m_system.requestDevices(current(std::function([this](int status, std::vector<AudioDeviceNames> devices) {
        if (stopped(status, Step::FindDevice))
            return;
        AudioDevice device;
        if (!device.FindQuorelDevice(devices))
            return finish(false, Step::FindDevice);
        m_output = device.outputID();
        m_input = device.inputID();
        makeDefault(AudioScope::Output);
    })));
}

// The output first; a failed input leaves the output switched.
void AudioLink::makeDefault(AudioScope scope)
{
    const AudioObjectID device = scope == AudioScope::Output ? m_output : m_input;
    m_system.requestDefaultDevice(scope, device, current(std::function([this, scope](int status) {
        if (stopped(status, Step::MakeDefault))
            return;
        if (scope == AudioScope::Output)
            makeDefault(AudioScope::Input);
        else
            setVolume(AudioScope::Output);
    })));
}

// The volumes go to the devices just made the defaults, whatever the server
// reports a moment later.
void AudioLink::setVolume(AudioScope scope)
{
    const bool output = scope == AudioScope::Output;
    const float scalar = output ? m_outputVolume : m_inputVolume;
    m_system.requestVolumeScalar(output ? m_output : m_input, scope, scalar,
                                 current(std::function([this, scope, scalar, output](int status) {
        if (audioServerUnavailable(status)) {
            stopped(status, Step::FindDevice);
            return;
        }
        emit volumeAnswered(scope, scalar, status);
        if (output)
            setVolume(AudioScope::Input);
        else
            finish(true);
    })));
}

bool AudioLink::stopped(int status, Step step)
{
    if (status == AudioStatus::Ok)
        return false;
    if (audioServerUnavailable(status)) {
        qCWarning(lcAudioLink) << "the sound server does not answer; the device's audio is linked once it does";
        setWaiting(true);
        m_serverLook.start();
        return true;
    }
    finish(false, step);
    return true;
}

void AudioLink::finish(bool ok, Step step)
{
    m_running = false;
    ++m_generation;
    if (ok)
        emit linked(m_output, m_input);
    else
        emit failed(step);
}

void AudioLink::setWaiting(bool waiting)
{
    if (m_waiting == waiting)
        return;
    m_waiting = waiting;
    emit waitingChanged(waiting);
}
