#include "transport/GstRecorder.h"

#include <chrono>

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

std::unique_ptr<GstRecorder> GstRecorder::create(const QString& path, const RecorderSettings& settings,
                                                 QString* error)
{
    ensureGstInitialized();
    auto refuse = [error](const QString& reason) {
        if (error)
            *error = reason;
        return std::unique_ptr<GstRecorder>();
    };
    if (settings.formatID != kAudioFormatMPEG4AAC)
        return refuse(QStringLiteral("only AAC recordings are supported"));
    if (settings.sampleRate <= 0 || settings.numberOfChannels <= 0)
        return refuse(QStringLiteral("the sample rate and channel count must be positive"));

    GstPipelineOwner pipeline(gst_pipeline_new("recorder"));
    QString missing;
    GstElement* source = make("pulsesrc", "source", &missing);
    GstElement* convert = make("audioconvert", nullptr, &missing);
    GstElement* resample = make("audioresample", nullptr, &missing);
    GstElement* rawCaps = make("capsfilter", "raw", &missing);
    GstElement* encoder = make("avenc_aac", "encoder", &missing);
    GstElement* parser = make("aacparse", nullptr, &missing);
    GstElement* adtsCaps = make("capsfilter", "adts", &missing);
    GstElement* sink = make("filesink", "file", &missing);
    GstElement* elements[] = {source, convert, resample, rawCaps, encoder, parser, adtsCaps, sink};
    if (!missing.isEmpty()) {
        for (GstElement* element : elements)
            if (element)
                gst_object_unref(gst_object_ref_sink(element));
        return refuse(QStringLiteral("the GStreamer element %1 is missing").arg(missing));
    }
    for (GstElement* element : elements)
        gst_bin_add(GST_BIN(pipeline.get()), element);

    g_object_set(source, "client-name", "quorel-panel", nullptr);
    GstCaps* raw = gst_caps_new_simple("audio/x-raw", "rate", G_TYPE_INT, settings.sampleRate, "channels",
                                       G_TYPE_INT, settings.numberOfChannels, nullptr);
    g_object_set(rawCaps, "caps", raw, nullptr);
    gst_caps_unref(raw);
    // Without the ADTS caps aacparse writes raw AAC, which nothing can open.
    GstCaps* adts = gst_caps_new_simple("audio/mpeg", "mpegversion", G_TYPE_INT, 4, "stream-format",
                                        G_TYPE_STRING, "adts", nullptr);
    g_object_set(adtsCaps, "caps", adts, nullptr);
    gst_caps_unref(adts);
    const QByteArray location = path.toLocal8Bit();
    g_object_set(sink, "location", location.constData(), nullptr);

    if (!gst_element_link_many(source, convert, resample, rawCaps, encoder, parser, adtsCaps, sink, nullptr))
        return refuse(QStringLiteral("the recording pipeline cannot be linked"));

    // The input is opened on its own first: the file sink truncates its file
    // as soon as the pipeline leaves NULL, so an input that cannot be opened
    // must be known before a file the user chose to replace is emptied.
    if (gst_element_set_state(source, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
        const GstMessagePtr message(gst_bus_pop_filtered(pipeline.bus().get(), GST_MESSAGE_ERROR));
        return refuse(message ? gstErrorText(message.get()) : QStringLiteral("the input cannot be opened"));
    }
    // PAUSED creates the file; a live source does not pre-roll, so this
    // answers at once.
    if (gst_element_set_state(pipeline.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        const GstMessagePtr message(gst_bus_pop_filtered(pipeline.bus().get(), GST_MESSAGE_ERROR));
        return refuse(message ? gstErrorText(message.get()) : QStringLiteral("the pipeline cannot start"));
    }

    std::unique_ptr<GstRecorder> recorder(new GstRecorder(std::move(pipeline), path, settings.sampleRate));
    const GstPadPtr gatePad(gst_element_get_static_pad(rawCaps, "src"));
    const GstPadPtr filePad(gst_element_get_static_pad(sink, "sink"));
    recorder->attach(gatePad.get(), filePad.get());
    recorder->m_encoderInput.reset(gst_element_get_static_pad(encoder, "sink"));
    return recorder;
}

GstRecorder::GstRecorder(GstPipelineOwner pipeline, QString path, int sampleRate)
    : m_pipeline(std::move(pipeline))
    , m_path(std::move(path))
    , m_sampleRate(sampleRate)
{
}

void GstRecorder::attach(GstPad* gatePad, GstPad* filePad)
{
    gst_pad_add_probe(gatePad, GST_PAD_PROBE_TYPE_BUFFER, &GstRecorder::onRawBuffer, this, nullptr);
    gst_pad_add_probe(filePad, GST_PAD_PROBE_TYPE_BUFFER, &GstRecorder::onEncodedBuffer, this, nullptr);
    gst_bus_set_sync_handler(m_pipeline.bus().get(), &GstRecorder::onBusMessage, this, nullptr);
}

GstRecorder::~GstRecorder()
{
    stop();
}

bool GstRecorder::record()
{
    // A failed pipeline records nothing more; its error was logged when it came.
    if (m_stopped || m_failureReported)
        return false;
    if (!m_started) {
        if (gst_element_set_state(m_pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            qCWarning(lcTransport, "cannot start recording into \"%s\"", qUtf8Printable(m_path));
            return false;
        }
        m_started = true;
    }
    m_gateOpen = true;
    m_recording = true;
    return true;
}

void GstRecorder::pause()
{
    m_gateOpen = false;
    m_recording = false;
}

void GstRecorder::stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_recording = false;
    // Nothing more passes the gate; the end of stream then goes straight
    // into the encoder, so a source that stalled or failed cannot hold the
    // file back. It is a serialized event: the pad's stream lock orders it
    // after any buffer in flight.
    m_gateOpen = false;
    if (m_started) {
        gst_pad_send_event(m_encoderInput.get(), gst_event_new_eos());
        if (!waitForEndOfStream(kDrainTimeoutMs))
            qCWarning(lcTransport, "recording \"%s\" did not finish within %d ms; the end may be missing",
                      qUtf8Printable(m_path), kDrainTimeoutMs);
    }
    m_encoderInput.reset();
    m_pipeline.reset();
}

bool GstRecorder::waitForEndOfStream(int timeoutMs)
{
    std::unique_lock lock(m_eosMutex);
    return m_eosArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_endOfStream; });
}

bool GstRecorder::isRecording() const
{
    return m_recording;
}

double GstRecorder::currentTime() const
{
    return double(m_framesWritten * kSamplesPerAacFrame) / double(m_sampleRate);
}

GstPadProbeReturn GstRecorder::onRawBuffer(GstPad*, GstPadProbeInfo* info, gpointer self)
{
    auto* recorder = static_cast<GstRecorder*>(self);
    if (!recorder->m_gateOpen) {
        recorder->m_dropped = true;
        return GST_PAD_PROBE_DROP;
    }
    GstBuffer* buffer = gst_buffer_make_writable(gst_pad_probe_info_get_buffer(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    const GstClockTime timestamp = GST_BUFFER_PTS(buffer);
    if (!GST_CLOCK_TIME_IS_VALID(timestamp))
        return GST_PAD_PROBE_OK;
    // After a pause the first buffer continues where the last one ended.
    if (recorder->m_dropped && GST_CLOCK_TIME_IS_VALID(recorder->m_nextTimestamp)
        && timestamp >= recorder->m_offset + recorder->m_nextTimestamp)
        recorder->m_offset = timestamp - recorder->m_nextTimestamp;
    recorder->m_dropped = false;
    GST_BUFFER_PTS(buffer) = timestamp - recorder->m_offset;
    GST_BUFFER_FLAG_UNSET(buffer, GST_BUFFER_FLAG_DISCONT);
    if (GST_BUFFER_DURATION_IS_VALID(buffer))
        recorder->m_nextTimestamp = GST_BUFFER_PTS(buffer) + GST_BUFFER_DURATION(buffer);
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn GstRecorder::onEncodedBuffer(GstPad*, GstPadProbeInfo*, gpointer self)
{
    ++static_cast<GstRecorder*>(self)->m_framesWritten;
    return GST_PAD_PROBE_OK;
}

GstBusSyncReply GstRecorder::onBusMessage(GstBus*, GstMessage* message, gpointer self)
{
    auto* recorder = static_cast<GstRecorder*>(self);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS: {
        std::lock_guard lock(recorder->m_eosMutex);
        recorder->m_endOfStream = true;
        recorder->m_eosArrived.notify_all();
        break;
    }
    case GST_MESSAGE_ERROR: {
        const QString error = gstErrorText(message);
        QMetaObject::invokeMethod(recorder, [recorder, error] { recorder->failed(error); },
                                  Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
    gst_message_unref(message);
    return GST_BUS_DROP;
}

// The first error says what happened; the ones that follow it (the
// streaming thread giving up, for one) add nothing.
void GstRecorder::failed(const QString& error)
{
    if (m_failureReported)
        return;
    m_failureReported = true;
    qCWarning(lcTransport, "recording into \"%s\" failed: %s", qUtf8Printable(m_path), qUtf8Printable(error));
    m_recording = false;
}
