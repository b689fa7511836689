#include "miccheck/PulseMicCheckAudio.h"

#include "miccheck/MicCheckLog.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::size_t kBytesPerSample = sizeof(std::int16_t);
// The level is told about twenty times a second; a playback buffer of that
// length keeps what is shown close to what is heard.
constexpr std::uint32_t kChunkBytes = MicCheckAudio::kSampleRate / 20 * kBytesPerSample;

float peakOf(const std::int16_t* samples, std::size_t count)
{
    int peak = 0;
    for (std::size_t i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    return static_cast<float>(peak) / 32768.0F;
}

QString serverError(pa_stream* stream)
{
    return QString::fromUtf8(pa_strerror(pa_context_errno(pa_stream_get_context(stream))));
}

} // namespace

PulseMicCheckAudio::PulseMicCheckAudio(std::shared_ptr<PulseConnection> connection, QObject* parent)
    : QObject(parent)
    , m_connection(std::move(connection))
    , m_link(this)
{
    if (m_connection->loop()) {
        const PulseLoopLock guard(m_connection->loop());
        m_connection->addObserver(this);
    }
}

PulseMicCheckAudio::~PulseMicCheckAudio()
{
    if (!m_connection->loop())
        return;
    const PulseLoopLock guard(m_connection->loop());
    m_connection->removeObserver(this);
    closeStream();
}

bool PulseMicCheckAudio::record(std::int64_t frames)
{
    if (!m_connection->loop())
        return false;
    const PulseLoopLock guard(m_connection->loop());
    closeStream();
    ++m_run;
    m_samples.clear();
    m_samples.reserve(static_cast<std::size_t>(frames));
    m_wanted = static_cast<std::size_t>(frames);
    return openStream(Mode::Recording);
}

bool PulseMicCheckAudio::play(std::vector<std::int16_t> samples)
{
    if (!m_connection->loop())
        return false;
    const PulseLoopLock guard(m_connection->loop());
    closeStream();
    ++m_run;
    m_samples = std::move(samples);
    m_played = 0;
    return openStream(Mode::Playing);
}

void PulseMicCheckAudio::stop()
{
    if (!m_connection->loop())
        return;
    const PulseLoopLock guard(m_connection->loop());
    closeStream();
    ++m_run;
    m_samples = {};
}

// ---- Loop thread, or loop locked ----

void PulseMicCheckAudio::connectionLost(int)
{
    if (m_mode != Mode::Idle)
        fail(Failure::ServerLost, QString());
}

void PulseMicCheckAudio::closeStream()
{
    m_mode = Mode::Idle;
    if (m_drain) {
        pa_operation_cancel(m_drain.get());
        m_drain.reset();
    }
    m_stream.reset();
}

// No device: the streams take the system's defaults, which are the linked
// device's.
bool PulseMicCheckAudio::openStream(Mode mode)
{
    pa_context* context = m_connection->isConnected() ? m_connection->context() : nullptr;
    if (!context)
        return false;
    const pa_sample_spec spec{PA_SAMPLE_S16LE, kSampleRate, 1};
    m_stream.reset(pa_stream_new(context, mode == Mode::Recording ? "Microphone check" : "Microphone check playback",
                                 &spec, nullptr));
    if (!m_stream) {
        qCWarning(lcMicCheck) << "cannot create a stream:" << pa_strerror(pa_context_errno(context));
        return false;
    }
    m_mode = mode;
    pa_stream_set_state_callback(m_stream.get(), streamStateThunk, this);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(-1);
    attr.tlength = mode == Mode::Playing ? kChunkBytes : static_cast<std::uint32_t>(-1);
    attr.fragsize = kChunkBytes;
    int connected = 0;
    if (mode == Mode::Recording) {
        pa_stream_set_read_callback(m_stream.get(), readThunk, this);
        connected = pa_stream_connect_record(m_stream.get(), nullptr, &attr, PA_STREAM_ADJUST_LATENCY);
    } else {
        pa_stream_set_write_callback(m_stream.get(), writeThunk, this);
        connected = pa_stream_connect_playback(m_stream.get(), nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                               nullptr);
    }
    if (connected < 0) {
        qCWarning(lcMicCheck) << "cannot connect a stream:" << pa_strerror(pa_context_errno(context));
        closeStream();
        return false;
    }
    return true;
}

void PulseMicCheckAudio::onStreamState(pa_stream* stream)
{
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        return;
    fail(m_mode == Mode::Recording ? Failure::RecordRefused : Failure::PlaybackRefused, serverError(stream));
}

void PulseMicCheckAudio::onReadable(pa_stream* stream)
{
    float peak = 0.0F;
    while (m_mode == Mode::Recording && pa_stream_readable_size(stream) > 0) {
        const void* data = nullptr;
        std::size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0) {
            fail(Failure::RecordRefused, serverError(stream));
            return;
        }
        if (bytes == 0)
            break;
        const std::size_t count = std::min(bytes / kBytesPerSample, m_wanted - m_samples.size());
        if (data) {
            const auto* samples = static_cast<const std::int16_t*>(data);
            m_samples.insert(m_samples.end(), samples, samples + count);
            peak = std::max(peak, peakOf(samples, count));
        } else {
            // A hole: silence in its place keeps the take's length.
            m_samples.insert(m_samples.end(), count, 0);
        }
        pa_stream_drop(stream);
    }
    const auto frames = static_cast<std::int64_t>(m_samples.size());
    post([peak, frames](Listener* listener) { listener->micCheckProgress(peak, frames); });
    if (m_samples.size() < m_wanted)
        return;
    post([samples = std::move(m_samples)](Listener* listener) mutable {
        listener->micCheckRecorded(std::move(samples));
    });
    m_samples = {};
    closeStream();
}

void PulseMicCheckAudio::onWritable(pa_stream* stream, std::size_t bytes)
{
    if (m_mode != Mode::Playing || m_drain)
        return;
    const std::size_t count = std::min(bytes / kBytesPerSample, m_samples.size() - m_played);
    const std::int16_t* from = m_samples.data() + m_played;
    if (count > 0 && pa_stream_write(stream, from, count * kBytesPerSample, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
        fail(Failure::PlaybackRefused, serverError(stream));
        return;
    }
    m_played += count;
    const float peak = peakOf(from, count);
    const auto frames = static_cast<std::int64_t>(m_played);
    post([peak, frames](Listener* listener) { listener->micCheckProgress(peak, frames); });
    if (m_played < m_samples.size())
        return;
    m_drain.reset(pa_stream_drain(stream, drainThunk, this));
    if (!m_drain)
        fail(Failure::PlaybackRefused, serverError(stream));
}

void PulseMicCheckAudio::onDrained(bool ok)
{
    m_drain.reset();
    if (!ok) {
        fail(Failure::PlaybackRefused, serverError(m_stream.get()));
        return;
    }
    post([](Listener* listener) { listener->micCheckPlayed(); });
    m_samples = {};
    closeStream();
}

// The check logs it, with the server's words.
void PulseMicCheckAudio::fail(Failure failure, const QString& detail)
{
    post([failure, detail](Listener* listener) { listener->micCheckFailed(failure, detail); });
    m_samples = {};
    closeStream();
}

template <typename Call>
void PulseMicCheckAudio::post(Call call)
{
    m_link.post([run = m_run, call = std::move(call)](PulseMicCheckAudio* self) mutable {
        // The main thread alone changes the run, so it reads it unlocked.
        if (self->m_run == run && self->m_listener)
            call(self->m_listener);
    });
}

// ---- Trampolines (the connection's loop thread, loop lock held) ----

void PulseMicCheckAudio::streamStateThunk(pa_stream* stream, void* self)
{
    static_cast<PulseMicCheckAudio*>(self)->onStreamState(stream);
}

void PulseMicCheckAudio::readThunk(pa_stream* stream, std::size_t, void* self)
{
    static_cast<PulseMicCheckAudio*>(self)->onReadable(stream);
}

void PulseMicCheckAudio::writeThunk(pa_stream* stream, std::size_t bytes, void* self)
{
    static_cast<PulseMicCheckAudio*>(self)->onWritable(stream, bytes);
}

void PulseMicCheckAudio::drainThunk(pa_stream*, int success, void* self)
{
    static_cast<PulseMicCheckAudio*>(self)->onDrained(success != 0);
}
