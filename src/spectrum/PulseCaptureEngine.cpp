#include "spectrum/PulseCaptureEngine.h"

#include "spectrum/SpectrumLog.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <optional>

namespace {

constexpr std::int32_t kBytesPerSample = 2;
// The bound of a connection of the engine's own: the server's silence past
// it counts as an outage.
constexpr std::chrono::milliseconds kOwnBound{2000};

} // namespace

PulseCaptureEngine::PulseCaptureEngine()
    : m_ownConnection(true)
{
}

PulseCaptureEngine::PulseCaptureEngine(std::shared_ptr<PulseConnection> shared)
    : m_connection(std::move(shared))
    , m_ownConnection(false)
{
}

PulseCaptureEngine::~PulseCaptureEngine()
{
    stop();
}

std::unique_ptr<CaptureEngine> PulseCaptureEngine::create()
{
    return std::make_unique<PulseCaptureEngine>();
}

CaptureEngineFactory PulseCaptureEngine::factory(std::shared_ptr<PulseConnection> shared)
{
    return [shared = std::move(shared)]() -> std::unique_ptr<CaptureEngine> {
        return std::make_unique<PulseCaptureEngine>(shared);
    };
}

// The tap is read by callbacks, which run with the loop's lock held; so
// while we hold it no handler call is in progress.
void PulseCaptureEngine::installTap(std::int32_t bufferSize, const CaptureFormat& format, TapHandler handler)
{
    std::optional<PulseLoopLock> guard;
    if (m_connection && m_connection->loop())
        guard.emplace(m_connection->loop());
    m_bufferSize = bufferSize;
    m_format = format;
    m_handler = std::move(handler);
}

void PulseCaptureEngine::removeTap()
{
    std::optional<PulseLoopLock> guard;
    if (m_connection && m_connection->loop())
        guard.emplace(m_connection->loop());
    m_handler = nullptr;
}

bool PulseCaptureEngine::start()
{
    if (m_started)
        return true;
    if (m_ownConnection)
        m_connection = std::make_shared<PulseConnection>(kOwnBound, std::chrono::milliseconds(kRetryIntervalMs),
                                                         "quorel-capture");
    if (!m_connection || !m_connection->loop()) {
        qCWarning(lcSpectrum) << "spectrum: cannot create the sound server's event loop";
        return false;
    }
    {
        const PulseLoopLock guard(m_connection->loop());
        m_started = true;
        m_connection->addObserver(this);
        if (m_connection->isConnected())
            openStream(m_connection->context());
    }
    if (m_ownConnection && !m_connection->start()) {
        qCWarning(lcSpectrum) << "spectrum: cannot start the sound server's event loop";
        stop();
        return false;
    }
    return true;
}

void PulseCaptureEngine::stop()
{
    if (!m_connection)
        return;
    if (m_connection->loop()) {
        const PulseLoopLock guard(m_connection->loop());
        m_connection->removeObserver(this);
        closeStream();
        m_started = false;
    }
    if (m_ownConnection)
        m_connection.reset();
}

bool PulseCaptureEngine::running() const
{
    if (!m_connection || !m_connection->loop())
        return false;
    const PulseLoopLock guard(m_connection->loop());
    return m_stream && pa_stream_get_state(m_stream.get()) == PA_STREAM_READY;
}

// ---- Loop thread, or loop locked ----

// A renewed connection replaces the one the stream is on: it moves along.
void PulseCaptureEngine::connectionReady(pa_context* context, Ready)
{
    openStream(context);
}

void PulseCaptureEngine::connectionLost(int error)
{
    closeStream();
    fail("lost the sound server", error);
}

void PulseCaptureEngine::connectionFailed(int error)
{
    fail("cannot connect to the sound server", error);
}

// A stream that failed while the server stayed is made again when an input
// or the defaults change.
void PulseCaptureEngine::serverEvent(pa_subscription_event_type_t type, std::uint32_t)
{
    const unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    if (m_stream || !m_connection->isConnected()
        || (facility != PA_SUBSCRIPTION_EVENT_SOURCE && facility != PA_SUBSCRIPTION_EVENT_SERVER))
        return;
    openStream(m_connection->context());
}

void PulseCaptureEngine::openStream(pa_context* context)
{
    closeStream();
    const pa_sample_spec spec{PA_SAMPLE_S16LE, static_cast<std::uint32_t>(m_format.sampleRate),
                              static_cast<std::uint8_t>(m_format.channels)};
    m_stream.reset(pa_stream_new(context, "Spectrum", &spec, nullptr));
    if (!m_stream) {
        fail("cannot create the capture stream", pa_context_errno(context));
        return;
    }
    pa_stream_set_state_callback(m_stream.get(), streamStateThunk, this);
    pa_stream_set_read_callback(m_stream.get(), readThunk, this);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(-1);
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(m_bufferSize * m_format.channels * kBytesPerSample);
    // No device: the record stream follows the system's default input.
    if (pa_stream_connect_record(m_stream.get(), nullptr, &attr, PA_STREAM_ADJUST_LATENCY) < 0) {
        fail("cannot start capturing the default input", pa_context_errno(context));
        closeStream();
    }
}

void PulseCaptureEngine::closeStream()
{
    if (m_streamUp)
        m_connection->expectTraffic(false);
    m_streamUp = false;
    m_stream.reset();
}

// Logs the first failure of an outage; what comes back makes it good.
void PulseCaptureEngine::fail(const char* what, int error)
{
    if (m_outage)
        return;
    // A connection dropped for its silence ends without an error of its own.
    qCWarning(lcSpectrum, "spectrum: %s: %s; trying again until it works", what,
              error == PA_OK ? "it stopped answering" : pa_strerror(error));
    m_outage = true;
}

void PulseCaptureEngine::onStreamState(pa_stream* stream)
{
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY) {
        if (m_outage)
            qCInfo(lcSpectrum) << "spectrum: capturing the default input again";
        m_outage = false;
        if (!m_streamUp)
            m_connection->expectTraffic(true);
        m_streamUp = true;
    } else if (!PA_STREAM_IS_GOOD(state)) {
        fail("capture stream failed", pa_context_errno(pa_stream_get_context(stream)));
        closeStream();
    }
}

// Hands the tap buffers of at most the requested size; holes in the stream
// are skipped.
void PulseCaptureEngine::deliver(pa_stream* stream)
{
    m_connection->heard();
    const auto frameBytes = static_cast<std::size_t>(m_format.channels * kBytesPerSample);
    const auto maxFrames = static_cast<std::size_t>(std::max(m_bufferSize, 1));
    while (pa_stream_readable_size(stream) > 0) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0) {
            qCWarning(lcSpectrum) << "spectrum: cannot read captured audio:"
                                  << pa_strerror(pa_context_errno(pa_stream_get_context(stream)));
            return;
        }
        if (bytes == 0)
            return;
        if (data && m_handler) {
            const auto* samples = static_cast<const std::int16_t*>(data);
            std::size_t frames = bytes / frameBytes;
            while (frames > 0) {
                const std::size_t n = std::min(frames, maxFrames);
                const CaptureBuffer buffer{samples, static_cast<std::int32_t>(n)};
                m_handler(&buffer);
                samples += n * static_cast<std::size_t>(m_format.channels);
                frames -= n;
            }
        }
        pa_stream_drop(stream);
    }
}

// ---- Trampolines (the connection's loop thread, loop lock held) ----

void PulseCaptureEngine::streamStateThunk(pa_stream* stream, void* self)
{
    static_cast<PulseCaptureEngine*>(self)->onStreamState(stream);
}

void PulseCaptureEngine::readThunk(pa_stream* stream, size_t, void* self)
{
    static_cast<PulseCaptureEngine*>(self)->deliver(stream);
}
