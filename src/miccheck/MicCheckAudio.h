#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// What the microphone check asks of the sound server: a stretch of the
// default input recorded into memory, and samples played to the default
// output. Mono, signed 16-bit, 48000 Hz. Calls are made on the main thread
// and never wait on the server; the listener hears back on the main thread.
class MicCheckAudio {
public:
    static constexpr int kSampleRate = 48000;

    enum class Failure {
        Unavailable,    // no connection to the sound server
        RecordRefused,  // the server refused or ended the record stream
        PlaybackRefused, // the same for the playback stream
        ServerLost,     // the server went (or stopped answering) meanwhile
    };

    class Listener {
    public:
        virtual ~Listener() = default;
        // The peak of the latest stretch (0..1) and the frames recorded or
        // played so far.
        virtual void micCheckProgress(float peak, std::int64_t frames) = 0;
        virtual void micCheckRecorded(std::vector<std::int16_t> samples) = 0;
        // Everything played has been heard.
        virtual void micCheckPlayed() = 0;
        // `detail` is the server's own words, if any.
        virtual void micCheckFailed(Failure failure, const QString& detail) = 0;
    };

    virtual ~MicCheckAudio() = default;

    virtual void setListener(Listener* listener) = 0;
    // Records `frames` from the default input; false when there is no
    // server to ask.
    virtual bool record(std::int64_t frames) = 0;
    virtual bool play(std::vector<std::int16_t> samples) = 0;
    // Ends what runs; once it returns, nothing of it is heard again.
    virtual void stop() = 0;
};
