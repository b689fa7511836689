#pragma once

#include "audio/PulseConnection.h"
#include "audio/PulseDeviceInfo.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <QObject>

#include <pulse/def.h>

// The answer to one request to the server, collected by its callbacks on
// the loop's thread.
struct PulseRequest {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;      // guarded by mutex
    bool cancelled = false; // guarded by mutex
    bool failed = false;    // the server reported an error for the request
    int error = PA_OK;      // and which, for a request answered with success or failure
    bool skipMonitors = false;
    std::vector<PulseDeviceInfo> devices;
    std::string defaultSink;
    std::string defaultSource;

    // Loop thread, all of them.
    static void sinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* self);
    static void sourceInfo(pa_context* context, const pa_source_info* info, int eol, void* self);
    static void serverInfo(pa_context* context, const pa_server_info* info, void* self);
    static void success(pa_context* context, int ok, void* self);
};

// Sends requests on the connection, each bounded by the connection's bound:
// run() waits for the answer (the blocking queries), send() returns at once
// and hands the answer to the main thread's event loop, or Timeout once the
// bound has passed on a timer. A request left unanswered makes the
// connection count as gone, so the next ones fail at once; the reconnection
// finds the server again once it answers.
//
// Main thread.
class PulseRequestRunner {
public:
    // Starts the request's operation on `context` (loop locked), its answer
    // going into the request.
    using Start = std::function<pa_operation*(pa_context* context, PulseRequest& request)>;
    using Answered = std::function<void(int status, PulseRequest& answer)>;

    explicit PulseRequestRunner(PulseConnection& connection);
    ~PulseRequestRunner();
    PulseRequestRunner(const PulseRequestRunner&) = delete;
    PulseRequestRunner& operator=(const PulseRequestRunner&) = delete;

    int run(PulseRequest& request, const Start& start, const char* what);
    void send(const Start& start, const char* what, Answered answered);
    // One device's information by id, answered later.
    void sendQuery(AudioObjectID device, AudioScope scope, const char* what,
                   std::function<void(int status, const PulseDeviceInfo& info)> answered);
    // Runs `work` on the main thread's next turn, never within the call.
    void later(std::function<void()> work);
    // Ends every request still out, unanswered (loop locked or stopped).
    void dropAll();

    // Lives on the main thread: answers are handed to it, and its timers
    // bound the requests sent.
    QObject* mainThread() const { return m_mainThread.get(); }

private:
    struct Pending;
    void finish(const std::shared_ptr<Pending>& pending, int status);

    PulseConnection& m_connection;
    std::unique_ptr<QObject> m_mainThread;
    std::vector<std::shared_ptr<Pending>> m_pending;
};
