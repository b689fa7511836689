#include "transport/GstRecorder.h"

#include "transport/FileKind.h"
#include "transport/GstSupport.h"
#include "transport/RecordingFile.h"

#include <gst/app/gstappsink.h>

#include <QDir>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// Every AAC frame carries 1024 samples per channel; an ADTS file has no
// index, so the written time is counted in frames.
constexpr quint64 kSamplesPerAacFrame = 1024;

GstElement* make(const char* factory, const char* name, QString* missing)
{
    GstElement* element = gst_element_factory_make(factory, name);
    if (!element && missing->isEmpty())
        *missing = QString::fromLatin1(factory);
    return element;
}

} // namespace

// What the front object, the recorder's queue and the streaming threads
// share. The pipeline is built and torn down on the queue's thread only.
struct GstRecorder::Session {
    Session(QString recordingPath, const RecorderSettings& settings, GstRecorder* recorder)
        : path(std::move(recordingPath))
        , sampleRate(settings.sampleRate)
        , channels(settings.numberOfChannels)
        , front(recorder)
    {
    }

    const QString path;
    const int sampleRate;
    const int channels;

    // Queue thread.
    GstPipelineOwner pipeline;
    GstPadPtr encoderInput;
    // The sink's streaming thread while the pipeline runs; the queue
    // thread before and after.
    RecordingFile file;

    std::atomic<bool> gateOpen{true};
    std::atomic<bool> writing{true}; // false once a frame could not be written
    std::atomic<bool> failedOnce{false};
    std::atomic<quint64> framesWritten{0};
    std::mutex eosMutex;
    std::condition_variable eosArrived;
    bool endOfStream = false; // guarded by eosMutex

    // The sound server's thread of the source only: the input the
    // recording started on.
    QByteArray input;

    // Source streaming thread only.
    bool dropped = false;
    GstClockTime offset = 0;
    GstClockTime nextTimestamp = GST_CLOCK_TIME_NONE;

    const MainThreadLink<GstRecorder> front;

    // Any thread: the first failure is logged and reported; those that
    // follow it (the streaming thread giving up, for one) add nothing.
    void fail(const QString& error)
    {
        if (failedOnce.exchange(true))
            return;
        gateOpen = false; // what comes after the failure (another input) is not the recording
        qCWarning(lcTransport, "recording into \"%s\" failed: %s", qUtf8Printable(path), qUtf8Printable(error));
        front.post([error](GstRecorder* recorder) { recorder->failed(error); });
    }

    QString start();
    void finish();
    double seconds() const { return double(framesWritten * kSamplesPerAacFrame) / double(sampleRate); }

    // Source streaming thread.
    static GstPadProbeReturn onRawBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    // Sink streaming thread (the queue thread while finishing).
    static GstFlowReturn onSample(GstAppSink* sink, gpointer self);
    static void onEndOfStream(GstAppSink* sink, gpointer self);
    // Whichever thread posts the message.
    static GstBusSyncReply onBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    // The sound server's thread of the source.
    static void onInputChanged(GObject* source, GParamSpec* property, gpointer self);
};

// Queue thread: builds the pipeline, opens the input and then the file,
// and starts. Empty when recording runs, else the reason.
QString GstRecorder::Session::start()
{
    ensureGstInitialized();
    pipeline = GstPipelineOwner(gst_pipeline_new("recorder"));
    QString missing;
    GstElement* source = make("pulsesrc", "source", &missing);
    GstElement* convert = make("audioconvert", nullptr, &missing);
    GstElement* resample = make("audioresample", nullptr, &missing);
    GstElement* rawCaps = make("capsfilter", "raw", &missing);
    GstElement* encoder = make("avenc_aac", "encoder", &missing);
    GstElement* parser = make("aacparse", nullptr, &missing);
    GstElement* adtsCaps = make("capsfilter", "adts", &missing);
    GstElement* sink = make("appsink", "file", &missing);
    GstElement* elements[] = {source, convert, resample, rawCaps, encoder, parser, adtsCaps, sink};
    if (!missing.isEmpty()) {
        for (GstElement* element : elements)
            if (element)
                gst_object_unref(gst_object_ref_sink(element));
        return QStringLiteral("the GStreamer element %1 is missing").arg(missing);
    }
    for (GstElement* element : elements)
        gst_bin_add(GST_BIN(pipeline.get()), element);

    g_object_set(source, "client-name", "quorel-panel", nullptr);
    g_signal_connect(source, "notify::current-device", G_CALLBACK(&Session::onInputChanged), this);
    GstCaps* raw = gst_caps_new_simple("audio/x-raw", "rate", G_TYPE_INT, sampleRate, "channels", G_TYPE_INT,
                                       channels, nullptr);
    g_object_set(rawCaps, "caps", raw, nullptr);
    gst_caps_unref(raw);
    // Without the ADTS caps aacparse gives raw AAC, which nothing can open.
    GstCaps* adts = gst_caps_new_simple("audio/mpeg", "mpegversion", G_TYPE_INT, 4, "stream-format",
                                        G_TYPE_STRING, "adts", nullptr);
    g_object_set(adtsCaps, "caps", adts, nullptr);
    gst_caps_unref(adts);
    // The file is written as frames come, not in step with the clock.
    g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);

    if (!gst_element_link_many(source, convert, resample, rawCaps, encoder, parser, adtsCaps, sink, nullptr))
        return QStringLiteral(QT_TRANSLATE_NOOP("Transport", "the recording pipeline cannot be linked"));

    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &Session::onSample;
    callbacks.eos = &Session::onEndOfStream;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
    const GstPadPtr gatePad(gst_element_get_static_pad(rawCaps, "src"));
    gst_pad_add_probe(gatePad.get(), GST_PAD_PROBE_TYPE_BUFFER, &Session::onRawBuffer, this, nullptr);
    encoderInput.reset(gst_element_get_static_pad(encoder, "sink"));
    gst_bus_set_sync_handler(pipeline.bus().get(), &Session::onBusMessage, this, nullptr);

    // The input is opened first, so an input that cannot be opened leaves a
    // file the user chose to replace as it was.
    if (gst_element_set_state(source, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE)
        return QStringLiteral(QT_TRANSLATE_NOOP("Transport", "the input cannot be opened"));
    QString error;
    if (!file.open(path, &error))
        return error;
    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        return QStringLiteral(QT_TRANSLATE_NOOP("Transport", "the input cannot be started"));
    return {};
}

// Queue thread: lets the encoder's last frames reach the file and closes
// it. The gate is closed and the end of stream goes straight into the
// encoder, so a source that stalled or failed cannot hold the file back;
// it is a serialized event, ordered after any buffer in flight.
void GstRecorder::Session::finish()
{
    gateOpen = false;
    // A recording whose start failed has no file to finish.
    if (!file.isOpen()) {
        pipeline.reset();
        front.post([](GstRecorder* recorder) { recorder->finished({}); });
        return;
    }
    QString problem;
    if (pipeline) {
        if (encoderInput)
            gst_pad_send_event(encoderInput.get(), gst_event_new_eos());
        std::unique_lock lock(eosMutex);
        if (!eosArrived.wait_for(lock, std::chrono::milliseconds(kDrainTimeoutMs), [this] { return endOfStream; }))
            problem = QStringLiteral("its last frames did not arrive within %1 ms; the end may be missing")
                          .arg(kDrainTimeoutMs);
    }
    encoderInput.reset();
    pipeline.reset();
    QString closeError;
    if (!file.close(&closeError) && problem.isEmpty())
        problem = QStringLiteral("closing it failed: %1").arg(closeError);

    if (problem.isEmpty())
        qCInfo(lcTransport, "recording into \"%s\" finished: %.1f s written", qUtf8Printable(path), seconds());
    else
        qCWarning(lcTransport, "recording into \"%s\" finished with %.1f s written, but %s", qUtf8Printable(path),
                  seconds(), qUtf8Printable(problem));
    front.post([problem](GstRecorder* recorder) { recorder->finished(problem); });
}

GstPadProbeReturn GstRecorder::Session::onRawBuffer(GstPad*, GstPadProbeInfo* info, gpointer self)
{
    auto* session = static_cast<Session*>(self);
    if (!session->gateOpen) {
        session->dropped = true;
        return GST_PAD_PROBE_DROP;
    }
    GstBuffer* buffer = gst_buffer_make_writable(gst_pad_probe_info_get_buffer(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    const GstClockTime timestamp = GST_BUFFER_PTS(buffer);
    if (!GST_CLOCK_TIME_IS_VALID(timestamp))
        return GST_PAD_PROBE_OK;
    // After a pause the first buffer continues where the last one ended.
    if (session->dropped && GST_CLOCK_TIME_IS_VALID(session->nextTimestamp)
        && timestamp >= session->offset + session->nextTimestamp)
        session->offset = timestamp - session->nextTimestamp;
    session->dropped = false;
    GST_BUFFER_PTS(buffer) = timestamp - session->offset;
    GST_BUFFER_FLAG_UNSET(buffer, GST_BUFFER_FLAG_DISCONT);
    if (GST_BUFFER_DURATION_IS_VALID(buffer))
        session->nextTimestamp = GST_BUFFER_PTS(buffer) + GST_BUFFER_DURATION(buffer);
    return GST_PAD_PROBE_OK;
}

// Each sample is one whole ADTS frame (aacparse frames the stream). It
// counts once it is in the file.
GstFlowReturn GstRecorder::Session::onSample(GstAppSink* sink, gpointer self)
{
    auto* session = static_cast<Session*>(self);
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (!sample)
        return GST_FLOW_OK;
    GstMapInfo map;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (session->writing && buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        QString error;
        if (session->file.append(map.data, map.size, &error)) {
            ++session->framesWritten;
        } else {
            session->writing = false;
            session->fail(QStringLiteral("cannot write the file: %1").arg(error));
        }
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    // Frames that can no longer be written are dropped, not refused: the
    // pipeline keeps running until it is stopped.
    return GST_FLOW_OK;
}

void GstRecorder::Session::onEndOfStream(GstAppSink*, gpointer self)
{
    auto* session = static_cast<Session*>(self);
    std::lock_guard lock(session->eosMutex);
    session->endOfStream = true;
    session->eosArrived.notify_all();
}

// The first notification names the input the stream connected to. When
// that input goes (unplugged, its profile switched off) the server moves
// the stream to another one rather than ending it: recording on from
// another microphone would fail silently, so it is a failure.
void GstRecorder::Session::onInputChanged(GObject* source, GParamSpec*, gpointer self)
{
    auto* session = static_cast<Session*>(self);
    gchar* name = nullptr;
    g_object_get(source, "current-device", &name, nullptr);
    const QByteArray device(name ? name : "");
    g_free(name);
    if (device.isEmpty() || device == session->input)
        return;
    if (session->input.isEmpty()) {
        session->input = device;
        return;
    }
    session->fail(QStringLiteral("its input \"%1\" went away (the sound server moved it to \"%2\")")
                      .arg(QString::fromUtf8(session->input), QString::fromUtf8(device)));
}

GstBusSyncReply GstRecorder::Session::onBusMessage(GstBus*, GstMessage* message, gpointer self)
{
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
        static_cast<Session*>(self)->fail(gstErrorText(message));
    gst_message_unref(message);
    return GST_BUS_DROP;
}

// ---- Front object (main thread) ---------------------------------------------

std::unique_ptr<GstRecorder> GstRecorder::create(const QString& path, const RecorderSettings& settings,
                                                 QString* error)
{
    auto refuse = [error](const QString& reason) {
        if (error)
            *error = reason;
        return std::unique_ptr<GstRecorder>();
    };
    if (settings.formatID != kAudioFormatMPEG4AAC)
        return refuse(QStringLiteral(QT_TRANSLATE_NOOP("Transport", "only AAC recordings are supported")));
    if (settings.sampleRate <= 0 || settings.numberOfChannels <= 0)
        return refuse(
            QStringLiteral(QT_TRANSLATE_NOOP("Transport", "the sample rate and channel count must be positive")));
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir())
        return refuse(QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder)));
    if (const QString reason = nonRegularFileReason(path); !reason.isEmpty())
        return refuse(reason);
    return std::unique_ptr<GstRecorder>(new GstRecorder(path, settings));
}

GstRecorder::GstRecorder(const QString& path, const RecorderSettings& settings)
    : m_session(std::make_shared<Session>(path, settings, this))
    , m_queue(QStringLiteral("gst recorder"), transportWork())
{
}

// Finishing goes on without this object; only its reports are dropped.
GstRecorder::~GstRecorder()
{
    stop();
}

void GstRecorder::setDelegate(AudioRecorderDelegate* delegate)
{
    m_delegate = delegate;
}

bool GstRecorder::record()
{
    if (m_stopped || m_failureReported) {
        qCWarning(lcTransport, "recording into \"%s\" cannot resume: it has %s", qUtf8Printable(m_session->path),
                  m_stopped ? "been stopped" : "failed");
        return false;
    }
    if (!m_started) {
        m_started = true;
        m_queue.post([session = m_session] {
            if (const QString error = session->start(); !error.isEmpty()) {
                session->encoderInput.reset();
                session->pipeline.reset();
                session->fail(error);
            }
        });
    }
    m_session->gateOpen = true;
    m_recording = true;
    return true;
}

void GstRecorder::pause()
{
    m_session->gateOpen = false;
    m_recording = false;
}

void GstRecorder::stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_recording = false;
    m_session->gateOpen = false;
    if (m_started)
        m_queue.post([session = m_session] { session->finish(); });
}

bool GstRecorder::isRecording() const
{
    return m_recording;
}

double GstRecorder::currentTime() const
{
    return m_session->seconds();
}

void GstRecorder::failed(const QString& error)
{
    if (m_failureReported)
        return;
    m_failureReported = true;
    m_recording = false;
    if (m_delegate && !m_stopped)
        m_delegate->audioRecorderEncodeErrorDidOccur(this, error);
}

void GstRecorder::finished(const QString& error)
{
    if (m_delegate)
        m_delegate->audioRecorderDidFinishRecording(this, error.isEmpty(), error);
}
