#include "spectrum/PulseCaptureEngine.h"

#include "spectrum/SpectrumLog.h"

#include "audio/PulseHandles.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <optional>

namespace {

constexpr std::int32_t kBytesPerSample = 2;

} // namespace

// One capture session: the loop, and the connection with its record stream,
// made anew on each retry. Everything but construction and teardown runs on
// the loop's thread with its lock held. Teardown takes the stream down before
// the context, both under the loop's lock, and stops the loop's thread last.
struct PulseCaptureEngine::Session {
    explicit Session(PulseCaptureEngine& owner) : engine(owner) {}
    ~Session()
    {
        if (!loop)
            return;
        {
            const PulseLoopLock guard(loop.get());
            if (retry) {
                api()->time_free(retry);
                retry = nullptr;
            }
            stream.reset();
            context.reset();
        }
        loop.reset();
    }

    pa_mainloop_api* api() const { return pa_threaded_mainloop_get_api(loop.get()); }

    // Loop lock held: a new connection; the rest follows from its states.
    void connect()
    {
        stream.reset();
        context.reset(pa_context_new(api(), "quorel-panel"));
        if (!context) {
            fail("cannot create a sound server context", PA_ERR_INTERNAL);
            return;
        }
        pa_context_set_state_callback(context.get(), &Session::onContextState, this);
        // No autospawn: the desktop session owns the server; we wait for it.
        if (pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            fail("cannot connect to the sound server", pa_context_errno(context.get()));
    }

    // Loop thread: the connection is up; capture the default input.
    void openStream()
    {
        const CaptureFormat& format = engine.m_format;
        const pa_sample_spec spec{PA_SAMPLE_S16LE, static_cast<std::uint32_t>(format.sampleRate),
                                  static_cast<std::uint8_t>(format.channels)};
        stream.reset(pa_stream_new(context.get(), "Spectrum", &spec, nullptr));
        if (!stream) {
            fail("cannot create the capture stream", pa_context_errno(context.get()));
            return;
        }
        pa_stream_set_state_callback(stream.get(), &Session::onStreamState, this);
        pa_stream_set_read_callback(stream.get(), &Session::onRead, this);
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.tlength = static_cast<std::uint32_t>(-1);
        attr.prebuf = static_cast<std::uint32_t>(-1);
        attr.minreq = static_cast<std::uint32_t>(-1);
        attr.fragsize = static_cast<std::uint32_t>(engine.m_bufferSize * format.channels * kBytesPerSample);
        // No device: the record stream follows the system's default input.
        if (pa_stream_connect_record(stream.get(), nullptr, &attr, PA_STREAM_ADJUST_LATENCY) < 0)
            fail("cannot start capturing the default input", pa_context_errno(context.get()));
    }

    // Loop thread: logs the first failure of an outage and tries again later.
    void fail(const char* what, int error)
    {
        if (!outage) {
            qCWarning(lcSpectrum, "spectrum: %s: %s; trying again until it works", what, pa_strerror(error));
            outage = true;
        }
        if (retry)
            return;
        timeval when{};
        pa_gettimeofday(&when);
        pa_timeval_add(&when, static_cast<pa_usec_t>(kRetryIntervalMs) * PA_USEC_PER_MSEC);
        retry = api()->time_new(api(), &when, &Session::onRetry, this);
    }

    // libpulse thread, loop lock held.
    static void onContextState(pa_context* context, void* self)
    {
        auto* session = static_cast<Session*>(self);
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY)
            session->openStream();
        else if (!PA_CONTEXT_IS_GOOD(state))
            session->fail("lost the sound server", pa_context_errno(context));
    }
    // libpulse thread, loop lock held.
    static void onStreamState(pa_stream* stream, void* self)
    {
        auto* session = static_cast<Session*>(self);
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_READY) {
            if (session->outage)
                qCInfo(lcSpectrum) << "spectrum: capturing the default input again";
            session->outage = false;
        } else if (!PA_STREAM_IS_GOOD(state)) {
            session->fail("capture stream failed", pa_context_errno(pa_stream_get_context(stream)));
        }
    }
    // libpulse thread, loop lock held: hands what was captured to the tap.
    static void onRead(pa_stream* stream, size_t, void* self)
    {
        static_cast<Session*>(self)->engine.deliver(stream);
    }
    // libpulse thread, loop lock held. A failed handle cannot be reused: the
    // connection is made anew.
    static void onRetry(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self)
    {
        auto* session = static_cast<Session*>(self);
        api->time_free(event);
        session->retry = nullptr;
        session->connect();
    }

    PulseCaptureEngine& engine;
    PulseMainloopPtr loop;
    PulseContextPtr context;
    PulseStreamPtr stream;
    pa_time_event* retry = nullptr;
    bool outage = false;
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
    pa_threaded_mainloop_set_name(session->loop.get(), "quorel-capture");
    {
        const PulseLoopLock guard(session->loop.get());
        session->connect();
    }
    if (pa_threaded_mainloop_start(session->loop.get()) < 0) {
        qCWarning(lcSpectrum) << "spectrum: cannot start the sound server's event loop";
        return false;
    }
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
    return m_session->stream && pa_stream_get_state(m_session->stream.get()) == PA_STREAM_READY;
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
