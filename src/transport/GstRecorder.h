#pragma once

#include "transport/AudioRecorder.h"
#include "transport/GstSupport.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

// An AudioRecorder writing ADTS AAC from the PulseAudio default source:
// pulsesrc → convert/resample → raw caps → gate → avenc_aac → aacparse →
// ADTS caps → filesink. Pausing closes the gate and keeps the pipeline
// running, as a live source produces nothing while PAUSED; timestamps
// are shifted at resume so the file has neither gap nor jump.
// Main thread, except where a member says otherwise.
class GstRecorder final : public QObject, public AudioRecorder {
    Q_OBJECT

public:
    // Opens the input and the file (bounded); null with the reason in
    // `error` when either cannot be set up.
    static std::unique_ptr<GstRecorder> create(const QString& path, const RecorderSettings& settings,
                                               QString* error = nullptr);
    ~GstRecorder() override;

    bool record() override;
    void pause() override;
    void stop() override;
    bool isRecording() const override;
    double currentTime() const override;

    // How long stop() waits for the end of stream to reach the file.
    static constexpr int kDrainTimeoutMs = 3000;

private:
    GstRecorder(GstPipelineOwner pipeline, QString path, int sampleRate);
    void attach(GstPad* gatePad, GstPad* filePad);

    // Streaming thread of the source.
    static GstPadProbeReturn onRawBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    // Streaming thread of the encoder.
    static GstPadProbeReturn onEncodedBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    // Whichever thread posts the message.
    static GstBusSyncReply onBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    // Main thread.
    void failed(const QString& error);
    // True once the end of stream reached the file.
    bool waitForEndOfStream(int timeoutMs);

    GstPipelineOwner m_pipeline;
    GstPadPtr m_encoderInput;
    QString m_path;
    int m_sampleRate;
    bool m_started = false;
    bool m_recording = false;
    bool m_stopped = false;
    bool m_failureReported = false;

    // Shared with the streaming threads.
    std::atomic<bool> m_gateOpen{true};
    std::atomic<quint64> m_framesWritten{0};
    std::mutex m_eosMutex;
    std::condition_variable m_eosArrived;
    bool m_endOfStream = false; // guarded by m_eosMutex

    // Source streaming thread only.
    bool m_dropped = false;
    GstClockTime m_offset = 0;
    GstClockTime m_nextTimestamp = GST_CLOCK_TIME_NONE;
};
