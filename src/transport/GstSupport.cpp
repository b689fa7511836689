#include "transport/GstSupport.h"

#include <mutex>

Q_LOGGING_CATEGORY(lcTransport, "quorel.transport")

namespace {

void loadTransportElements()
{
    WorkQueue queue(QStringLiteral("gst prepare"), transportWork());
    queue.post([] {
        ensureGstInitialized();
        // Making each element once loads its plugin and sets up its class;
        // encoding a few buffers sets up what the encoder builds on first use.
        for (const char* factory : {"pulsesrc", "appsink", "playbin", "pulsesink", "fakesink"}) {
            if (GstElement* element = gst_element_factory_make(factory, nullptr))
                gst_object_unref(gst_object_ref_sink(element));
        }
        GError* error = nullptr;
        GstPipelineOwner encoder(gst_parse_launch(
            "audiotestsrc num-buffers=4 ! audioconvert ! audioresample ! audio/x-raw,rate=48000,channels=2 ! "
            "avenc_aac ! aacparse ! audio/mpeg,stream-format=adts ! fakesink",
            &error));
        g_clear_error(&error);
        if (!encoder)
            return;
        gst_element_set_state(encoder.get(), GST_STATE_PLAYING);
        const GstMessagePtr done(gst_bus_timed_pop_filtered(encoder.bus().get(), 5 * GST_SECOND,
                                                            GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    });
}

} // namespace

void ensureGstInitialized()
{
    static std::once_flag once;
    std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

WorkQueueGroup& transportWork()
{
    static WorkQueueGroup group;
    return group;
}

void prepareGstreamer()
{
    static std::once_flag once;
    std::call_once(once, loadTransportElements);
}

QString gstErrorText(GstMessage* error)
{
    GError* gerror = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(error, &gerror, &debug);
    QString text = gerror ? QString::fromUtf8(gerror->message) : QStringLiteral("unknown error");
    if (GST_MESSAGE_SRC(error))
        text += QStringLiteral(" (%1)").arg(QString::fromUtf8(GST_OBJECT_NAME(GST_MESSAGE_SRC(error))));
    g_clear_error(&gerror);
    g_free(debug);
    return text;
}

void GstPipelineOwner::reset()
{
    if (!m_pipeline)
        return;
    gst_element_set_state(m_pipeline.get(), GST_STATE_NULL);
    if (GstBusPtr b = bus())
        gst_bus_set_sync_handler(b.get(), nullptr, nullptr, nullptr);
    m_pipeline.reset();
}
