#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// What the spectrum display captures: the system's default input.
struct CaptureFormat {
    double sampleRate = 48000.0;
    std::int32_t channels = 2;
    // Samples are signed 16-bit, interleaved, first channel first.
};

// One captured buffer, valid only during the tap handler's call.
struct CaptureBuffer {
    const std::int16_t* int16ChannelData = nullptr;  // frameLength * channels samples
    std::int32_t frameLength = 0;
};

// Port to the platform's capture: a tap receives every captured buffer on
// the engine's own capture thread until it is removed.
class CaptureEngine {
public:
    // Runs on the engine's capture thread, never on the main thread.
    using TapHandler = std::function<void(const CaptureBuffer* buffer)>;

    virtual ~CaptureEngine() = default;

    // Main thread. bufferSize is the requested number of frames per buffer;
    // buffers handed to the tap never hold more.
    virtual void installTap(std::int32_t bufferSize, const CaptureFormat& format,
                            TapHandler handler) = 0;
    // Main thread. Once it returns, the handler is not running and is never
    // called again.
    virtual void removeTap() = 0;
    // Main thread. Starts capture; false (logged) when it cannot.
    virtual bool start() = 0;
    // Main thread. Ends capture and releases the platform's resources.
    virtual void stop() = 0;
};

using CaptureEngineFactory = std::function<std::unique_ptr<CaptureEngine>()>;
