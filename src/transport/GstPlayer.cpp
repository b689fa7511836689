#include "transport/GstPlayer.h"

#include "transport/FileKind.h"
#include "transport/GstSupport.h"

#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

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

// What the front object, the player's queue and the streaming threads share.
struct GstPlayer::Session {
    Session(QUrl url, int timeoutMs, GstPlayer* player)
        : location(std::move(url))
        , prerollTimeoutMs(timeoutMs)
        , front(player)
    {
    }

    const QUrl location;
    const int prerollTimeoutMs;

    // Created and torn down on the queue thread; the main thread takes a
    // reference under the mutex to ask for the position.
    std::mutex pipelineMutex;
    GstPipelineOwner pipeline;

    // The state the front object asked for last; the queue applies it.
    std::atomic<GstState> target{GST_STATE_PAUSED};

    // Pre-roll: ASYNC_DONE, an error, or the front object giving up.
    std::mutex prerollMutex;
    std::condition_variable prerollChanged;
    bool prerolled = false;      // guarded by prerollMutex
    std::atomic<bool> failedOnce{false};

    const MainThreadLink<GstPlayer> front;

    void open();
    void apply();
    void wakePreroll()
    {
        std::lock_guard lock(prerollMutex);
        prerollChanged.notify_all();
    }
    // Any thread: the first failure is logged and reported.
    void fail(const QString& error)
    {
        if (failedOnce.exchange(true))
            return;
        qCWarning(lcTransport, "playing \"%s\" failed: %s", qUtf8Printable(displayName(location)),
                  qUtf8Printable(error));
        front.post([error](GstPlayer* player) { player->failed(error); });
        wakePreroll();
    }
    GstElementPtr pipelineRef()
    {
        std::lock_guard lock(pipelineMutex);
        return GstElementPtr(pipeline ? GST_ELEMENT(gst_object_ref(pipeline.get())) : nullptr);
    }
    void tearDown()
    {
        GstPipelineOwner gone;
        {
            std::lock_guard lock(pipelineMutex);
            gone = std::move(pipeline);
        }
        // `gone` goes to NULL here, outside the lock: the streaming threads
        // may take a while to stop.
    }

    // Whichever thread posts the message (streaming threads mostly).
    static GstBusSyncReply onBusMessage(GstBus* bus, GstMessage* message, gpointer self);
};

// Queue thread: builds the pipeline and pre-rolls it (bounded), so a
// location that cannot be played is known before it is asked to play.
void GstPlayer::Session::open()
{
    ensureGstInitialized();
    auto refuse = [this](const QString& reason) {
        fail(reason);
        tearDown();
    };
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    GstElement* sink = gst_element_factory_make("pulsesink", nullptr);
    GstElement* videoSink = gst_element_factory_make("fakesink", nullptr);
    if (!playbin || !sink || !videoSink) {
        for (GstElement* element : {playbin, sink, videoSink})
            if (element)
                gst_object_unref(gst_object_ref_sink(element));
        return refuse(QStringLiteral(
            QT_TRANSLATE_NOOP("Transport", "the GStreamer playbin, pulsesink or fakesink element is missing")));
    }
    g_object_set(sink, "client-name", "quorel-panel", nullptr);
    const QByteArray uri = location.toEncoded();
    g_object_set(playbin, "uri", uri.constData(), "audio-sink", sink, "video-sink", videoSink, "flags",
                 kPlayFlagAudio | kPlayFlagSoftVolume, nullptr);
    {
        std::lock_guard lock(pipelineMutex);
        pipeline = GstPipelineOwner(playbin);
    }
    gst_bus_set_sync_handler(pipeline.bus().get(), &Session::onBusMessage, this, nullptr);

    if (gst_element_set_state(playbin, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE)
        return refuse(QStringLiteral(QT_TRANSLATE_NOOP("Transport", "it cannot be opened")));
    bool done = false;
    {
        std::unique_lock lock(prerollMutex);
        done = prerollChanged.wait_for(lock, std::chrono::milliseconds(prerollTimeoutMs), [this] {
            return prerolled || failedOnce || target == GST_STATE_NULL;
        });
    }
    if (failedOnce)
        return tearDown();
    if (!done)
        return refuse(QStringLiteral("it did not open within %1 ms").arg(prerollTimeoutMs));
    if (target == GST_STATE_NULL)
        return apply();
    gint audioStreams = 0;
    g_object_get(playbin, "n-audio", &audioStreams, nullptr);
    if (audioStreams < 1)
        return refuse(QStringLiteral(QT_TRANSLATE_NOOP("Transport", "it has no audio stream")));
    apply();
}

// Queue thread: brings an opened pipeline to the state asked for last. A
// failed one is only ever stopped, which releases the output.
void GstPlayer::Session::apply()
{
    const GstState state = target;
    if (!pipeline || (failedOnce && state != GST_STATE_NULL))
        return;
    if (gst_element_set_state(pipeline.get(), state) == GST_STATE_CHANGE_FAILURE)
        fail(QStringLiteral("the audio output refused to go to %1").arg(gst_element_state_get_name(state)));
}

GstBusSyncReply GstPlayer::Session::onBusMessage(GstBus*, GstMessage* message, gpointer self)
{
    auto* session = static_cast<Session*>(self);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ASYNC_DONE: {
        std::lock_guard lock(session->prerollMutex);
        session->prerolled = true;
        session->prerollChanged.notify_all();
        break;
    }
    case GST_MESSAGE_EOS:
        session->front.post([](GstPlayer* player) { player->endOfStream(); });
        break;
    case GST_MESSAGE_ERROR:
        session->fail(gstErrorText(message));
        break;
    default:
        break;
    }
    gst_message_unref(message);
    return GST_BUS_DROP;
}

// ---- Front object (main thread) ---------------------------------------------

std::unique_ptr<GstPlayer> GstPlayer::create(const QUrl& location, QString* error, int prerollTimeoutMs)
{
    auto refuse = [error](const QString& reason) {
        if (error)
            *error = reason;
        return std::unique_ptr<GstPlayer>();
    };
    if (location.isLocalFile()) {
        const QString path = location.toLocalFile();
        if (!QFileInfo::exists(path))
            return refuse(QStringLiteral(QT_TRANSLATE_NOOP("Transport", "it does not exist")));
        if (const QString reason = nonRegularFileReason(path); !reason.isEmpty())
            return refuse(reason);
    }
    return std::unique_ptr<GstPlayer>(new GstPlayer(location, prerollTimeoutMs));
}

GstPlayer::GstPlayer(const QUrl& location, int prerollTimeoutMs)
    : m_session(std::make_shared<Session>(location, prerollTimeoutMs, this))
    , m_queue(QStringLiteral("gst player"), transportWork())
{
}

// The pipeline is torn down on the queue, after whatever it still does;
// the calls still coming to this object are dropped.
GstPlayer::~GstPlayer()
{
    m_session->target = GST_STATE_NULL;
    m_session->wakePreroll();
    m_queue.post([session = m_session] { session->tearDown(); });
}

void GstPlayer::setDelegate(AudioPlayerDelegate* delegate)
{
    m_delegate = delegate;
}

bool GstPlayer::play()
{
    if (m_failed)
        return false;
    m_stopped = false;
    m_playing = true;
    m_session->target = GST_STATE_PLAYING;
    if (!m_opening) {
        m_opening = true;
        m_queue.post([session = m_session] { session->open(); });
    } else {
        m_queue.post([session = m_session] { session->apply(); });
    }
    return true;
}

void GstPlayer::pause()
{
    if (m_stopped)
        return;
    m_playing = false;
    m_session->target = GST_STATE_PAUSED;
    m_queue.post([session = m_session] { session->apply(); });
}

void GstPlayer::stop()
{
    if (m_stopped)
        return;
    m_lastPosition = currentTime();
    m_stopped = true;
    m_playing = false;
    m_session->target = GST_STATE_NULL;
    m_session->wakePreroll();
    m_queue.post([session = m_session] { session->apply(); });
}

bool GstPlayer::isPlaying() const
{
    return m_playing;
}

double GstPlayer::currentTime() const
{
    if (m_stopped)
        return m_lastPosition;
    // A query can fail for a moment (while opening, or while the sink
    // changes state); the clock then keeps the last position rather than
    // falling back to zero.
    gint64 position = 0;
    const GstElementPtr pipeline = m_session->pipelineRef();
    if (pipeline && gst_element_query_position(pipeline.get(), GST_FORMAT_TIME, &position) && position >= 0)
        m_lastPosition = double(position) / double(GST_SECOND);
    return m_lastPosition;
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
    if (m_failed)
        return;
    m_failed = true;
    const bool wasStopped = m_stopped;
    stop();
    if (m_delegate && !wasStopped)
        m_delegate->audioPlayerDecodeErrorDidOccur(this, error);
}
