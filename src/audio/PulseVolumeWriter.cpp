#include "audio/PulseVolumeWriter.h"

#include <QLoggingCategory>

#include <pulse/error.h>

Q_DECLARE_LOGGING_CATEGORY(lcPulseAudio)

namespace {

// The loudest channel gets the value and the others keep their share.
pa_cvolume scaled(pa_cvolume volume, pa_volume_t raw)
{
    pa_cvolume_scale(&volume, raw);
    return volume;
}

bool refuseBadValue(float scalar, AudioScope scope, const char* which)
{
    if (isAudioVolume(scalar))
        return false;
    qCWarning(lcPulseAudio, "refusing to set the %s volume of %s to %g", pulseScopeName(scope), which,
              static_cast<double>(scalar));
    return true;
}

} // namespace

PulseVolumeWriter::PulseVolumeWriter(PulseConnection& connection, PulseRequestRunner& runner,
                                     PulseSetScalars& setScalars, Announce announce)
    : m_connection(connection)
    , m_runner(runner)
    , m_setScalars(setScalars)
    , m_announce(std::move(announce))
{
    m_sentBound.setSingleShot(true);
    QObject::connect(&m_sentBound, &QTimer::timeout, runner.mainThread(), [this] { onSentBound(); });
}

PulseVolumeWriter::~PulseVolumeWriter() = default;

void PulseVolumeWriter::defaultChanged(AudioScope scope, const PulseFollowedDefault& followed)
{
    m_defaults[scope] = followed;
}

// Volumes the connection carried are not answered any more: none is
// outstanding, and the next server starts afresh.
void PulseVolumeWriter::connectionLost(int)
{
    m_refused.clear();
    m_answered = m_sent.load();
}

int PulseVolumeWriter::sendDefaultVolume(AudioScope scope, float scalar)
{
    if (refuseBadValue(scalar, scope, "the default device"))
        return AudioStatus::BadValue;
    if (!m_connection.loop())
        return AudioStatus::NotConnected;
    PulseLoopLock lock(m_connection.loop());
    if (!m_connection.isConnected())
        return AudioStatus::NotConnected;
    const PulseFollowedDefault& followed = m_defaults[scope];
    if (followed.id == kAudioObjectUnknown)
        return AudioStatus::NoSuchDevice;
    if (!pa_cvolume_valid(&followed.volume) || followed.volume.channels == 0)
        return AudioStatus::NoMainVolume;
    const pa_volume_t raw = pulseRawVolume(scalar);
    const pa_cvolume volume = scaled(followed.volume, raw);
    // Recorded before the server can report the change back.
    m_setScalars.remember({scope, followed.serverName}, raw, scalar);
    pa_context* context = m_connection.context();
    const std::uint32_t index = pulseid::indexOf(followed.id);
    PulseOperationPtr operation(
        scope == AudioScope::Output
            ? pa_context_set_sink_volume_by_index(context, index, &volume, sinkVolumeSentThunk, this)
            : pa_context_set_source_volume_by_index(context, index, &volume, sourceVolumeSentThunk, this));
    if (!operation) {
        qCWarning(lcPulseAudio, "cannot send the %s volume of %s: %s", pulseScopeName(scope),
                  followed.serverName.c_str(), pa_strerror(pa_context_errno(context)));
        return AudioStatus::ServerError;
    }
    ++m_sent;
    if (!m_sentBound.isActive()) {
        m_sentAtBound = m_sent;
        m_sentBound.start(m_connection.bound());
    }
    return AudioStatus::Ok;
}

// Main thread: the bound of the volumes sent has passed.
void PulseVolumeWriter::onSentBound()
{
    if (m_answered < m_sentAtBound) {
        qCWarning(lcPulseAudio, "send a volume: the sound server did not answer within %lld ms",
                  static_cast<long long>(m_connection.bound().count()));
        PulseLoopLock lock(m_connection.loop());
        m_connection.dropUnanswering();
    } else if (m_answered < m_sent) {
        m_sentAtBound = m_sent;
        m_sentBound.start(m_connection.bound());
    }
}

void PulseVolumeWriter::requestVolumeScalar(AudioObjectID device, AudioScope scope, float scalar, AudioDone done)
{
    if (refuseBadValue(scalar, scope, std::to_string(device).c_str()))
        return m_runner.later([done = std::move(done)] { done(AudioStatus::BadValue); });
    m_runner.sendQuery(device, scope, "set a volume",
                       [this, device, scope, scalar, done = std::move(done)](int status,
                                                                             const PulseDeviceInfo& info) mutable {
        if (status != AudioStatus::Ok)
            return done(status);
        if (!info.hasMainVolume())
            return done(AudioStatus::NoMainVolume);
        const pa_volume_t raw = pulseRawVolume(scalar);
        const pa_cvolume volume = scaled(info.volume, raw);
        const PulseDeviceKey key{scope, info.serverName};
        const std::uint32_t index = pulseid::indexOf(device);
        m_runner.send([this, key, raw, scalar, volume, index, scope](pa_context* context, PulseRequest& r) {
            // Recorded before the server can report the change back.
            m_setScalars.remember(key, raw, scalar);
            return scope == AudioScope::Output
                ? pa_context_set_sink_volume_by_index(context, index, &volume, PulseRequest::success, &r)
                : pa_context_set_source_volume_by_index(context, index, &volume, PulseRequest::success, &r);
        }, "set a volume", [this, scope, key, done = std::move(done)](int sent, PulseRequest& r) {
            if (sent != AudioStatus::Ok)
                return done(sent);
            {
                PulseLoopLock lock(m_connection.loop());
                settle(scope, r.failed);
            }
            if (r.failed) {
                qCWarning(lcPulseAudio, "the sound server refused the %s volume of %s", pulseScopeName(scope),
                          key.second.c_str());
                return done(AudioStatus::ServerError);
            }
            done(AudioStatus::Ok);
        });
    });
}

// The caller knows this outcome; volumes sent later are told against it.
void PulseVolumeWriter::settle(AudioScope scope, bool refused)
{
    m_refused[scope] = refused;
}

// Loop thread: the server's answer to a volume sent without waiting. Only a
// change is logged and announced, so a drag against a refusing server says
// it once.
void PulseVolumeWriter::onVolumeSent(AudioScope scope, bool ok)
{
    ++m_answered;
    // A connection that went down fails what it carried; the next one starts afresh.
    if (!m_connection.isConnected())
        return;
    bool& refused = m_refused[scope];
    if (refused == !ok)
        return;
    refused = !ok;
    const bool output = scope == AudioScope::Output;
    if (refused) {
        qCWarning(lcPulseAudio, "the sound server refused the %s volume of %s: %s", pulseScopeName(scope),
                  m_defaults[scope].serverName.c_str(), pa_strerror(pa_context_errno(m_connection.context())));
        m_announce(output ? AudioSystemEvent::OutputVolumeRefused : AudioSystemEvent::InputVolumeRefused);
    } else {
        qCInfo(lcPulseAudio, "the sound server takes the %s volume again", pulseScopeName(scope));
        m_announce(output ? AudioSystemEvent::OutputVolumeTaken : AudioSystemEvent::InputVolumeTaken);
    }
}

// ---- Trampolines (loop thread) ----

void PulseVolumeWriter::sinkVolumeSentThunk(pa_context*, int ok, void* self)
{
    static_cast<PulseVolumeWriter*>(self)->onVolumeSent(AudioScope::Output, ok != 0);
}

void PulseVolumeWriter::sourceVolumeSentThunk(pa_context*, int ok, void* self)
{
    static_cast<PulseVolumeWriter*>(self)->onVolumeSent(AudioScope::Input, ok != 0);
}
