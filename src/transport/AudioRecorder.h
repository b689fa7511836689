#pragma once

#include <QString>

#include <cstdint>

// Four-character format code of MPEG-4 AAC ('aac ').
inline constexpr std::uint32_t kAudioFormatMPEG4AAC = 0x61616320;

// What a recording is made of; built anew for every recording.
struct RecorderSettings {
    std::uint32_t formatID = kAudioFormatMPEG4AAC;
    int sampleRate = 48000;
    int numberOfChannels = 2;
};

class AudioRecorder;

// Told what becomes of a recording. Both calls arrive on the main thread.
class AudioRecorderDelegate {
public:
    virtual ~AudioRecorderDelegate() = default;
    // The recording cannot go on (the input or the sound server went away,
    // the disk is full, the file cannot be written). Nothing more is
    // recorded; stop() still closes the file with what was written.
    virtual void audioRecorderEncodeErrorDidOccur(AudioRecorder* recorder, const QString& error) = 0;
    // stop() has closed the file. Not successful, with the reason, when
    // its end may be missing.
    virtual void audioRecorderDidFinishRecording(AudioRecorder* recorder, bool successfully,
                                                 const QString& error) = 0;
};

// Records the default input into one file. Created by a TransportFactory,
// which gives no recorder at all when the location cannot take a
// recording. Opening the input and the file, and closing them, happen in
// the background: a failure there reaches the delegate. Used on the main
// thread only.
class AudioRecorder {
public:
    virtual ~AudioRecorder() = default;

    // Non-owning; the delegate must outlive the recorder or be reset first.
    virtual void setDelegate(AudioRecorderDelegate* delegate) = 0;
    // Starts recording, or resumes after pause(); false (and logged) when
    // the recorder has already failed or been stopped.
    virtual bool record() = 0;
    // Holds the recording; the file gets neither a gap nor the paused input.
    virtual void pause() = 0;
    // Ends the recording and closes a complete file, without waiting for
    // it; the delegate hears when the file is closed. Idempotent.
    virtual void stop() = 0;
    // True while input is being written (not while paused or stopped).
    virtual bool isRecording() const = 0;
    // The time written to the file, in seconds, pauses excluded.
    virtual double currentTime() const = 0;
};
