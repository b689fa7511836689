#include "transport/GstPlayer.h"

#include <QFileInfo>

namespace {

// playbin's GstPlayFlags: audio with software volume, nothing else, so a
// file with pictures or subtitles never opens a window.
constexpr guint kPlayFlagAudio = 1u << 1;
constexpr guint kPlayFlagSoftVolume = 1u << 4;

QString displayName(const QUrl& location)
{
    return location.toDisplayString(QUrl::PreferLocalFile);
}

} // namespace

std::unique_ptr<GstPlayer> GstPlayer::create(const QUrl& location, QString* error, int prerollTimeoutMs)
{
    ensureGstInitialized();
    auto refuse = [error](const QString& reason) {
        if (error)
            *error = reason;
        return std::unique_ptr<GstPlayer>();
    };
    if (location.isLocalFile() && QFileInfo(location.toLocalFile()).isDir())
        return refuse(QStringLiteral("it is a directory"));

    GstPipelineOwner pipeline(gst_element_factory_make("playbin", nullptr));
    GstElement* sink = gst_element_factory_make("pulsesink", nullptr);
    GstElement* videoSink = gst_element_factory_make("fakesink", nullptr);
    if (!pipeline || !sink || !videoSink) {
        if (sink)
            gst_object_unref(gst_object_ref_sink(sink));
        if (videoSink)
            gst_object_unref(gst_object_ref_sink(videoSink));
        return refuse(QStringLiteral("the GStreamer playbin, pulsesink or fakesink element is missing"));
    }
    g_object_set(sink, "client-name", "quorel-panel", nullptr);
    const QByteArray uri = location.toEncoded();
    g_object_set(pipeline.get(), "uri", uri.constData(), "audio-sink", sink, "video-sink", videoSink, "flags",
                 kPlayFlagAudio | kPlayFlagSoftVolume, nullptr);

    // Pre-roll now, so a location that cannot be played is known before
    // anything changes in the window.
    const GstBusPtr bus = pipeline.bus();
    if (gst_element_set_state(pipeline.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        const GstMessagePtr message(gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR));
        return refuse(message ? gstErrorText(message.get()) : QStringLiteral("the pipeline cannot start"));
    }
    const GstMessagePtr message(gst_bus_timed_pop_filtered(
        bus.get(), GstClockTime(prerollTimeoutMs) * GST_MSECOND,
        GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE)));
    if (!message)
        return refuse(QStringLiteral("it did not open within %1 ms").arg(prerollTimeoutMs));
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR)
        return refuse(gstErrorText(message.get()));
    gint audioStreams = 0;
    g_object_get(pipeline.get(), "n-audio", &audioStreams, nullptr);
    if (audioStreams < 1)
        return refuse(QStringLiteral("it has no audio stream"));

    return std::unique_ptr<GstPlayer>(new GstPlayer(std::move(pipeline), location));
}

GstPlayer::GstPlayer(GstPipelineOwner pipeline, QUrl location)
    : m_pipeline(std::move(pipeline))
    , m_location(std::move(location))
{
    gst_bus_set_sync_handler(m_pipeline.bus().get(), &GstPlayer::onBusMessage, this, nullptr);
}

// The pipeline goes to NULL first, which joins its streaming threads;
// anything they queued for this object is dropped with it.
GstPlayer::~GstPlayer() = default;

void GstPlayer::setDelegate(AudioPlayerDelegate* delegate)
{
    m_delegate = delegate;
}

bool GstPlayer::setState(GstState state)
{
    if (gst_element_set_state(m_pipeline.get(), state) != GST_STATE_CHANGE_FAILURE)
        return true;
    qCWarning(lcTransport, "cannot set \"%s\" to %s", qUtf8Printable(displayName(m_location)),
              gst_element_state_get_name(state));
    return false;
}

bool GstPlayer::play()
{
    m_stopped = false;
    m_playing = setState(GST_STATE_PLAYING);
    return m_playing;
}

void GstPlayer::pause()
{
    if (m_stopped)
        return;
    setState(GST_STATE_PAUSED);
    m_playing = false;
}

void GstPlayer::stop()
{
    if (m_stopped)
        return;
    m_lastPosition = currentTime();
    m_stopped = true;
    m_playing = false;
    setState(GST_STATE_NULL);
}

bool GstPlayer::isPlaying() const
{
    return m_playing;
}

double GstPlayer::currentTime() const
{
    if (m_stopped)
        return m_lastPosition;
    // A query can fail for a moment (while the sink changes state); the
    // clock then keeps the last position rather than falling back to zero.
    gint64 position = 0;
    if (gst_element_query_position(m_pipeline.get(), GST_FORMAT_TIME, &position) && position >= 0)
        m_lastPosition = double(position) / double(GST_SECOND);
    return m_lastPosition;
}

GstBusSyncReply GstPlayer::onBusMessage(GstBus*, GstMessage* message, gpointer self)
{
    auto* player = static_cast<GstPlayer*>(self);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        QMetaObject::invokeMethod(player, [player] { player->endOfStream(); }, Qt::QueuedConnection);
        break;
    case GST_MESSAGE_ERROR: {
        const QString error = gstErrorText(message);
        QMetaObject::invokeMethod(player, [player, error] { player->failed(error); }, Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
    gst_message_unref(message);
    return GST_BUS_DROP;
}

void GstPlayer::endOfStream()
{
    if (m_stopped)
        return;
    stop();
    if (m_delegate)
        m_delegate->audioPlayerDidFinishPlaying(this, true);
}

void GstPlayer::failed(const QString& error)
{
    if (m_stopped)
        return;
    qCWarning(lcTransport, "playing \"%s\" failed: %s", qUtf8Printable(displayName(m_location)),
              qUtf8Printable(error));
    stop();
    if (m_delegate)
        m_delegate->audioPlayerDecodeErrorDidOccur(this, error);
}
