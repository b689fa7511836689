#pragma once

#include <memory>

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

// Owners of libpulse handles. The threaded main loop owner stops the loop
// thread before freeing it; the context and stream owners clear their
// callbacks and disconnect before dropping their reference.
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

struct PulseStreamDeleter {
    void operator()(pa_stream* stream) const
    {
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_read_callback(stream, nullptr, nullptr);
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
};
using PulseStreamPtr = std::unique_ptr<pa_stream, PulseStreamDeleter>;

// Holds the threaded main loop's lock for a scope. Never on the loop's own
// thread, which already holds it while running callbacks.
class PulseLoopLock {
public:
    explicit PulseLoopLock(pa_threaded_mainloop* loop)
        : m_loop(loop)
    {
        pa_threaded_mainloop_lock(m_loop);
    }
    ~PulseLoopLock() { pa_threaded_mainloop_unlock(m_loop); }
    PulseLoopLock(const PulseLoopLock&) = delete;
    PulseLoopLock& operator=(const PulseLoopLock&) = delete;

private:
    pa_threaded_mainloop* m_loop;
};
