#pragma once

#include "spectrum/CaptureEngine.h"

#include <memory>

struct pa_stream;

// Captures the default input through a libpulse record stream (s16le,
// 48000 Hz, stereo, fragments of the tap's buffer size) on libpulse's own
// threaded main loop; works against PulseAudio and PipeWire. The tap
// handler runs on that loop's thread.
class PulseCaptureEngine final : public CaptureEngine {
public:
    PulseCaptureEngine();
    ~PulseCaptureEngine() override;
    PulseCaptureEngine(const PulseCaptureEngine&) = delete;
    PulseCaptureEngine& operator=(const PulseCaptureEngine&) = delete;

    void installTap(std::int32_t bufferSize, const CaptureFormat& format, TapHandler handler) override;
    void removeTap() override;
    bool start() override;
    void stop() override;

    // True between a successful start() and stop() while the stream is up.
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
