#pragma once

#include "transport/AudioRecorder.h"
#include "base/WorkQueue.h"

#include <QObject>
#include <QString>

#include <memory>

// An AudioRecorder writing ADTS AAC from the PulseAudio default source:
// pulsesrc → convert/resample → raw caps → gate → avenc_aac → aacparse →
// ADTS caps → appsink, which writes each frame whole into a RecordingFile.
// Pausing closes the gate and keeps the pipeline running, as a live source
// produces nothing while PAUSED; timestamps are shifted at resume so the
// file has neither gap nor jump.
//
// The pipeline is built, started and finished on the recorder's own
// WorkQueue; the front object lives on the main thread and hears of
// failures and the finished file through a MainThreadLink. Dropping it while
// the file is being finished lets the finishing complete.
class GstRecorder final : public QObject, public AudioRecorder {
    Q_OBJECT

public:
    // Checks the location (its folder exists, it is not a FIFO, a device or
    // a folder); null with the reason in `error` when it cannot take a
    // recording. The input and the file are opened by the first record().
    static std::unique_ptr<GstRecorder> create(const QString& path, const RecorderSettings& settings,
                                               QString* error = nullptr);
    ~GstRecorder() override;

    void setDelegate(AudioRecorderDelegate* delegate) override;
    bool record() override;
    void pause() override;
    void stop() override;
    bool isRecording() const override;
    double currentTime() const override;

    // How long finishing waits for the encoder's last frames to reach the file.
    static constexpr int kDrainTimeoutMs = 3000;

private:
    struct Session;
    GstRecorder(const QString& path, const RecorderSettings& settings);

    // Main thread.
    void failed(const QString& error);
    void finished(const QString& error);

    std::shared_ptr<Session> m_session;
    WorkQueue m_queue;
    AudioRecorderDelegate* m_delegate = nullptr;
    bool m_started = false;
    bool m_recording = false;
    bool m_stopped = false;
    bool m_failureReported = false;
};
