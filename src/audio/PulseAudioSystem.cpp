#include "audio/PulseAudioSystem.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcPulseAudio, "quorel.audio.pulse")

PulseAudioSystem::PulseAudioSystem(std::chrono::milliseconds timeout, std::chrono::milliseconds reconnectInterval)
    : m_connection(std::make_shared<PulseConnection>(timeout, reconnectInterval, "quorel-audio"))
    , m_runner(std::make_unique<PulseRequestRunner>(*m_connection))
{
    PulseConnection& connection = *m_connection;
    m_follower = std::make_unique<PulseDefaultFollower>(
        connection, [this](AudioScope scope, const PulseFollowedDefault& followed) {
            m_writer->defaultChanged(scope, followed);
        });
    m_requests = std::make_unique<PulseDeviceRequests>(
        connection, *m_runner, [this] { m_follower->suspectStale(); },
        [this](AudioScope scope, const std::string& serverName) {
            return m_follower->freshlyRead(scope, serverName);
        });
    m_writer = std::make_unique<PulseVolumeWriter>(connection, *m_runner, m_setScalars,
                                                   [this](AudioSystemEvent event) { announce(event); });
    m_watch = std::make_unique<PulseVolumeWatch>(connection, m_setScalars);
    if (!connection.loop())
        return;
    {
        // The follower first, so that what the others hear of finds the
        // defaults already asked for; the announcements last.
        PulseLoopLock lock(connection.loop());
        connection.addObserver(m_follower.get());
        connection.addObserver(m_writer.get());
        connection.addObserver(m_watch.get());
        connection.addObserver(this);
    }
    if (!connection.start())
        return;
    // Let the first attempt settle so the first request finds the server.
    connection.waitForFirstAttempt(timeout);
}

// The connection stops first: no callback reaches the parts afterwards,
// also when a capture still holds it.
PulseAudioSystem::~PulseAudioSystem()
{
    m_connection->stop();
    m_runner->dropAll();
    for (PulseConnection::Observer* observer : std::initializer_list<PulseConnection::Observer*>{
             m_follower.get(), m_writer.get(), m_watch.get(), this})
        m_connection->removeObserver(observer);
}

bool PulseAudioSystem::isConnected() const
{
    return m_connection->isConnected();
}

bool PulseAudioSystem::waitForConnection(std::chrono::milliseconds timeout)
{
    return m_connection->waitForConnection(timeout);
}

// ---- Announcements (loop thread) ----

void PulseAudioSystem::connectionReady(pa_context*, Ready how)
{
    if (how == Ready::Again)
        announce(AudioSystemEvent::Reconnected);
}

void PulseAudioSystem::connectionLost(int)
{
    announce(AudioSystemEvent::Lost);
}

void PulseAudioSystem::serverEvent(pa_subscription_event_type_t type, std::uint32_t)
{
    const unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    if ((type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_NEW
        && (facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SOURCE))
        announce(AudioSystemEvent::DeviceAdded);
}

void PulseAudioSystem::announce(AudioSystemEvent event)
{
    if (m_eventProc)
        m_eventProc(event, m_eventClientData);
}

void PulseAudioSystem::setEventListener(AudioSystemEventProc proc, void* clientData)
{
    if (!m_connection->loop())
        return;
    PulseLoopLock lock(m_connection->loop());
    m_eventProc = proc;
    m_eventClientData = clientData;
}

// ---- The port, handed to the parts ----

bool PulseAudioSystem::hasMainVolume(AudioObjectID device, AudioScope scope)
{
    return m_requests->hasMainVolume(device, scope);
}

int PulseAudioSystem::sendDefaultVolume(AudioScope scope, float scalar)
{
    return m_writer->sendDefaultVolume(scope, scalar);
}

void PulseAudioSystem::requestDevices(AudioDevicesDone done)
{
    m_requests->requestDevices(std::move(done));
}

void PulseAudioSystem::requestDefaultDevice(AudioScope scope, AudioObjectID device, AudioDone done)
{
    m_requests->requestDefaultDevice(scope, device, std::move(done));
}

void PulseAudioSystem::requestVolumeScalar(AudioObjectID device, AudioScope scope, float scalar, AudioDone done)
{
    m_writer->requestVolumeScalar(device, scope, scalar, std::move(done));
}

int PulseAudioSystem::addVolumeListener(AudioObjectID device, AudioScope scope, AudioVolumeListenerProc proc,
                                        void* clientData)
{
    if (!m_connection->loop())
        return AudioStatus::NotConnected;
    PulseLoopLock lock(m_connection->loop());
    return m_watch->add(device, scope, proc, clientData);
}

int PulseAudioSystem::removeVolumeListener(AudioObjectID device, AudioScope scope, AudioVolumeListenerProc proc,
                                           void* clientData)
{
    if (!m_connection->loop())
        return AudioStatus::NotRegistered;
    PulseLoopLock lock(m_connection->loop());
    return m_watch->remove(device, scope, proc, clientData);
}

AudioObjectID PulseAudioSystem::followedDefault(AudioScope scope) const
{
    if (!m_connection->loop())
        return kAudioObjectUnknown;
    PulseLoopLock lock(m_connection->loop());
    return m_follower->followed(scope).id;
}
