#pragma once

#include "spectrum/CaptureEngine.h"

#include "audio/PulseConnection.h"
#include "audio/PulseHandles.h"

#include <memory>

// Captures the default input through a libpulse record stream (s16le,
// 48000 Hz, stereo, fragments of the tap's buffer size) on a PulseConnection:
// the panel's one connection, shared with the audio system, or one of its
// own. Works against PulseAudio and PipeWire. The tap handler runs on the
// connection's loop thread.
//
// start() never waits for the server: the stream comes up on the loop's
// thread once the connection is ready. Whenever the server goes and comes
// back, the connection is made again and with it the stream, on the default
// input of then; a stream that fails while the server stays is made again
// when the server tells of a changed input or default. An outage is logged
// once, and its end once. While the stream is up, its audio tells the
// connection that the server answers.
class PulseCaptureEngine final : public CaptureEngine, private PulseConnection::Observer {
public:
    // How often a connection of the engine's own looks for the server.
    static constexpr int kRetryIntervalMs = 250;

    // On a connection of its own, made by start().
    PulseCaptureEngine();
    // On `shared`, which is started by its owner.
    explicit PulseCaptureEngine(std::shared_ptr<PulseConnection> shared);
    ~PulseCaptureEngine() override;
    PulseCaptureEngine(const PulseCaptureEngine&) = delete;
    PulseCaptureEngine& operator=(const PulseCaptureEngine&) = delete;

    void installTap(std::int32_t bufferSize, const CaptureFormat& format, TapHandler handler) override;
    void removeTap() override;
    // False (logged) only when the event loop cannot be made.
    bool start() override;
    void stop() override;

    // True while the record stream is up (any thread but the loop's).
    bool running() const;

    static std::unique_ptr<CaptureEngine> create();
    // Engines on the panel's shared connection.
    static CaptureEngineFactory factory(std::shared_ptr<PulseConnection> shared);

private:
    // Loop thread, or loop locked.
    void connectionReady(pa_context* context, Ready how) override;
    void connectionLost(int error) override;
    void connectionFailed(int error) override;
    void serverEvent(pa_subscription_event_type_t type, std::uint32_t index) override;
    void openStream(pa_context* context);
    void closeStream();
    void fail(const char* what, int error);
    void onStreamState(pa_stream* stream);
    void deliver(pa_stream* stream);

    static void streamStateThunk(pa_stream* stream, void* self);
    static void readThunk(pa_stream* stream, size_t bytes, void* self);

    std::shared_ptr<PulseConnection> m_connection;
    const bool m_ownConnection;
    // Guarded by the connection's loop lock while started.
    bool m_started = false;
    PulseStreamPtr m_stream;
    bool m_streamUp = false;
    bool m_outage = false;
    std::int32_t m_bufferSize = 0;
    CaptureFormat m_format;
    TapHandler m_handler;
};
