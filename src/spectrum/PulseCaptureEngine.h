#pragma once

#include "spectrum/CaptureEngine.h"

#include <memory>

struct pa_stream;

// Captures the default input through a libpulse record stream (s16le,
// 48000 Hz, stereo, fragments of the tap's buffer size) on libpulse's own
// threaded main loop; works against PulseAudio and PipeWire. The tap
// handler runs on that loop's thread.
//
// start() never waits for the server: the connection and the stream come up
// on the loop's thread. Whenever the server is missing or goes away, capture
// is tried again every retry interval until it runs or stop() is called, so
// the spectrum comes back on its own after a server restart. An outage is
// logged once, and its end once.
class PulseCaptureEngine final : public CaptureEngine {
public:
    static constexpr int kRetryIntervalMs = 250;

    PulseCaptureEngine();
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

private:
    struct Session;
    void deliver(pa_stream* stream);

    std::unique_ptr<Session> m_session;
    std::int32_t m_bufferSize = 0;
    CaptureFormat m_format;
    TapHandler m_handler;
};
