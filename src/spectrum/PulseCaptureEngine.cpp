#include "spectrum/PulseCaptureEngine.h"

#include "spectrum/SpectrumLog.h"

#include "audio/PulseHandles.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <optional>

namespace {

constexpr std::int32_t kBytesPerSample = 2;

// Waits on the loop (its lock held) until ready(); false once failed().
template <typename Ready, typename Failed>
bool waitFor(pa_threaded_mainloop* loop, Ready ready, Failed failed)
{
    while (!ready()) {
        if (failed())
            return false;
        pa_threaded_mainloop_wait(loop);
    }
    return true;
}

} // namespace

// One connection to the sound server with its record stream. Teardown takes
// the stream down before the context, both under the loop's lock, and stops
// the loop's thread last.
struct PulseCaptureEngine::Session {
    explicit Session(PulseCaptureEngine& owner) : engine(owner) {}
    ~Session()
    {
        if (loop) {
            {
                const PulseLoopLock guard(loop.get());
                stream.reset();
                context.reset();
            }
            loop.reset();
        }
    }

    // libpulse thread, loop lock held.
    static void onContextState(pa_context*, void* self)
    {
        pa_threaded_mainloop_signal(static_cast<Session*>(self)->loop.get(), 0);
    }
    // libpulse thread, loop lock held.
    static void onStreamState(pa_stream* stream, void* self)
    {
        auto* session = static_cast<Session*>(self);
        if (session->ready && pa_stream_get_state(stream) == PA_STREAM_FAILED) {
            qCWarning(lcSpectrum) << "spectrum: capture stream failed:"
                                  << pa_strerror(pa_context_errno(session->context.get()));
        }
        pa_threaded_mainloop_signal(session->loop.get(), 0);
    }
    // libpulse thread, loop lock held: hands what was captured to the tap.
    static void onRead(pa_stream* stream, size_t, void* self)
    {
        static_cast<Session*>(self)->engine.deliver(stream);
    }

    PulseCaptureEngine& engine;
    PulseMainloopPtr loop;
    PulseContextPtr context;
    PulseStreamPtr stream;
    bool ready = false;
};

PulseCaptureEngine::PulseCaptureEngine() = default;

PulseCaptureEngine::~PulseCaptureEngine()
{
    stop();
}

std::unique_ptr<CaptureEngine> PulseCaptureEngine::create()
{
    return std::make_unique<PulseCaptureEngine>();
}

// The tap is read by callbacks, which run with the loop's lock held; so
// while we hold it no handler call is in progress.
void PulseCaptureEngine::installTap(std::int32_t bufferSize, const CaptureFormat& format, TapHandler handler)
{
    std::optional<PulseLoopLock> guard;
    if (m_session)
        guard.emplace(m_session->loop.get());
    m_bufferSize = bufferSize;
    m_format = format;
    m_handler = std::move(handler);
}

void PulseCaptureEngine::removeTap()
{
    std::optional<PulseLoopLock> guard;
    if (m_session)
        guard.emplace(m_session->loop.get());
    m_handler = nullptr;
}

bool PulseCaptureEngine::start()
{
    if (m_session)
        return true;
    auto session = std::make_unique<Session>(*this);
    session->loop.reset(pa_threaded_mainloop_new());
    if (!session->loop) {
        qCWarning(lcSpectrum) << "spectrum: cannot create the sound server's event loop";
        return false;
    }
    pa_threaded_mainloop* loop = session->loop.get();
    const PulseLoopLock guard(loop);

    session->context.reset(pa_context_new(pa_threaded_mainloop_get_api(loop), "quorel-panel"));
    if (!session->context) {
        qCWarning(lcSpectrum) << "spectrum: cannot create a sound server context";
        return false;
    }
    pa_context* context = session->context.get();
    pa_context_set_state_callback(context, &Session::onContextState, session.get());
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0
        || pa_threaded_mainloop_start(loop) < 0) {
        qCWarning(lcSpectrum) << "spectrum: cannot connect to the sound server:"
                              << pa_strerror(pa_context_errno(context));
        return false;
    }
    if (!waitFor(
            loop, [context] { return pa_context_get_state(context) == PA_CONTEXT_READY; },
            [context] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context)); })) {
        qCWarning(lcSpectrum) << "spectrum: cannot connect to the sound server:"
                              << pa_strerror(pa_context_errno(context));
        return false;
    }

    const pa_sample_spec spec{PA_SAMPLE_S16LE, static_cast<std::uint32_t>(m_format.sampleRate),
                              static_cast<std::uint8_t>(m_format.channels)};
    session->stream.reset(pa_stream_new(context, "Spectrum", &spec, nullptr));
    if (!session->stream) {
        qCWarning(lcSpectrum) << "spectrum: cannot create the capture stream:"
                              << pa_strerror(pa_context_errno(context));
        return false;
    }
    pa_stream* stream = session->stream.get();
    pa_stream_set_state_callback(stream, &Session::onStreamState, session.get());
    pa_stream_set_read_callback(stream, &Session::onRead, session.get());
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(-1);
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(m_bufferSize * m_format.channels * kBytesPerSample);
    // No device: the record stream follows the system's default input.
    if (pa_stream_connect_record(stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY) < 0) {
        qCWarning(lcSpectrum) << "spectrum: cannot start capturing the default input:"
                              << pa_strerror(pa_context_errno(context));
        return false;
    }
    if (!waitFor(
            loop, [stream] { return pa_stream_get_state(stream) == PA_STREAM_READY; },
            [stream] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(stream)); })) {
        qCWarning(lcSpectrum) << "spectrum: cannot start capturing the default input:"
                              << pa_strerror(pa_context_errno(context));
        return false;
    }
    session->ready = true;
    m_session = std::move(session);
    return true;
}

void PulseCaptureEngine::stop()
{
    m_session.reset();
}

bool PulseCaptureEngine::running() const
{
    if (!m_session)
        return false;
    const PulseLoopLock guard(m_session->loop.get());
    return pa_stream_get_state(m_session->stream.get()) == PA_STREAM_READY;
}

// libpulse thread, loop lock held. Hands the tap buffers of at most the
// requested size; holes in the stream are skipped.
void PulseCaptureEngine::deliver(pa_stream* stream)
{
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
