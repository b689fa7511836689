#pragma once

#include "base/WorkQueue.h"

#include <gst/gst.h>

#include <QLoggingCategory>
#include <QString>

#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcTransport)

// Initialises GStreamer once per process; safe from any number of callers.
// It reads the plugin registry, so the main thread leaves it to the
// transport's queues.
void ensureGstInitialized();

// Initialises GStreamer and loads the elements the recorder and player use
// in the background, so the first recording after launch starts as soon
// as later ones do. Returns at once; only the first call in a process does
// anything.
void prepareGstreamer();

// The queues of the players, the recorders and the preparation: at
// shut-down a recording being finished is waited for, within a bound.
WorkQueueGroup& transportWork();

struct GstObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
struct GstMessageUnref {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};

using GstElementPtr = std::unique_ptr<GstElement, GstObjectUnref>;
using GstBusPtr = std::unique_ptr<GstBus, GstObjectUnref>;
using GstPadPtr = std::unique_ptr<GstPad, GstObjectUnref>;
using GstMessagePtr = std::unique_ptr<GstMessage, GstMessageUnref>;

// The text of an error message, with the element that raised it.
QString gstErrorText(GstMessage* error);

// A pipeline that is set to NULL before it is released, so no streaming
// thread outlives its owner.
class GstPipelineOwner {
public:
    GstPipelineOwner() = default;
    explicit GstPipelineOwner(GstElement* pipeline) : m_pipeline(pipeline) {}
    ~GstPipelineOwner() { reset(); }
    GstPipelineOwner(GstPipelineOwner&& other) noexcept : m_pipeline(std::move(other.m_pipeline)) {}
    GstPipelineOwner& operator=(GstPipelineOwner&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_pipeline = std::move(other.m_pipeline);
        }
        return *this;
    }
    GstPipelineOwner(const GstPipelineOwner&) = delete;
    GstPipelineOwner& operator=(const GstPipelineOwner&) = delete;

    GstElement* get() const { return m_pipeline.get(); }
    explicit operator bool() const { return m_pipeline != nullptr; }
    GstBusPtr bus() const { return GstBusPtr(gst_element_get_bus(m_pipeline.get())); }
    void reset();

private:
    GstElementPtr m_pipeline;
};
