#pragma once

#include <memory>

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

// Owners of libpulse handles. The threaded main loop owner stops the loop
// thread before freeing it; the context owner disconnects before dropping
// its reference.
struct PulseMainloopDeleter {
    void operator()(pa_threaded_mainloop* loop) const
    {
        pa_threaded_mainloop_stop(loop);
        pa_threaded_mainloop_free(loop);
    }
};
using PulseMainloopPtr = std::unique_ptr<pa_threaded_mainloop, PulseMainloopDeleter>;

struct PulseContextDeleter {
    void operator()(pa_context* context) const
    {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_set_subscribe_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
};
using PulseContextPtr = std::unique_ptr<pa_context, PulseContextDeleter>;

struct PulseOperationDeleter {
    void operator()(pa_operation* operation) const { pa_operation_unref(operation); }
};
using PulseOperationPtr = std::unique_ptr<pa_operation, PulseOperationDeleter>;
