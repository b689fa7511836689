#pragma once

#include <cstdint>

// Four-character format code of MPEG-4 AAC ('aac ').
inline constexpr std::uint32_t kAudioFormatMPEG4AAC = 0x61616320;

// What a recording is made of; built anew for every recording.
struct RecorderSettings {
    std::uint32_t formatID = kAudioFormatMPEG4AAC;
    int sampleRate = 48000;
    int numberOfChannels = 2;
};

// Records the default input into one file. Created by a TransportFactory,
// which gives no recorder at all when the file or the input cannot be set
// up. Used on the main thread only.
class AudioRecorder {
public:
    virtual ~AudioRecorder() = default;

    // Starts recording, or resumes after pause(); false (and logged) on failure.
    virtual bool record() = 0;
    // Holds the recording; the file gets neither a gap nor the paused input.
    virtual void pause() = 0;
    // Ends the recording and closes a complete file. Idempotent.
    virtual void stop() = 0;
    // True while input is being written (not while paused or stopped).
    virtual bool isRecording() const = 0;
    // The recorded time in seconds, pauses excluded.
    virtual double currentTime() const = 0;
};
