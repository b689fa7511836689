#include "audio/PulseRequestRunner.h"

#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>

#include <pulse/error.h>

Q_DECLARE_LOGGING_CATEGORY(lcPulseAudio)

void PulseRequest::sinkInfo(pa_context*, const pa_sink_info* info, int eol, void* self)
{
    auto* request = static_cast<PulseRequest*>(self);
    if (eol < 0)
        request->failed = true;
    else if (eol == 0 && info)
        request->devices.push_back(PulseDeviceInfo::of(*info));
}

void PulseRequest::sourceInfo(pa_context*, const pa_source_info* info, int eol, void* self)
{
    auto* request = static_cast<PulseRequest*>(self);
    if (eol < 0) {
        request->failed = true;
    } else if (eol == 0 && info) {
        PulseDeviceInfo device = PulseDeviceInfo::of(*info);
        if (!(device.monitor && request->skipMonitors))
            request->devices.push_back(std::move(device));
    }
}

void PulseRequest::serverInfo(pa_context*, const pa_server_info* info, void* self)
{
    auto* request = static_cast<PulseRequest*>(self);
    if (!info) {
        request->failed = true;
        return;
    }
    request->defaultSink = info->default_sink_name ? info->default_sink_name : "";
    request->defaultSource = info->default_source_name ? info->default_source_name : "";
}

void PulseRequest::success(pa_context* context, int ok, void* self)
{
    auto* request = static_cast<PulseRequest*>(self);
    request->failed = !ok;
    if (!ok)
        request->error = pa_context_errno(context);
}

namespace {

// Loop thread, or the main thread cancelling with the loop locked: a
// waited-for request ended.
void waitedEnded(pa_operation* operation, void* self)
{
    const pa_operation_state_t state = pa_operation_get_state(operation);
    if (state == PA_OPERATION_RUNNING)
        return;
    auto* request = static_cast<PulseRequest*>(self);
    {
        std::lock_guard<std::mutex> lock(request->mutex);
        request->done = true;
        request->cancelled = state == PA_OPERATION_CANCELLED;
    }
    request->finished.notify_all();
}

} // namespace

// One request sent without waiting: its operation, the answer collected on
// the loop's thread, and the timer that bounds it.
struct PulseRequestRunner::Pending {
    PulseRequest answer;
    PulseOperationPtr operation;
    QTimer bound;
    Answered answered;
    const char* what = "";
    PulseRequestRunner* runner = nullptr;
    std::weak_ptr<Pending> self;

    // Loop thread: the operation ended; its answer goes to the main thread
    // (dropped if the request has ended by its bound meanwhile).
    static void ended(pa_operation* operation, void* data)
    {
        const pa_operation_state_t state = pa_operation_get_state(operation);
        if (state == PA_OPERATION_RUNNING)
            return;
        auto* pending = static_cast<Pending*>(data);
        pending->answer.cancelled = state == PA_OPERATION_CANCELLED;
        PulseRequestRunner* runner = pending->runner;
        QMetaObject::invokeMethod(runner->m_mainThread.get(), [runner, weak = pending->self] {
            if (const std::shared_ptr<Pending> request = weak.lock())
                runner->finish(request, request->answer.cancelled ? AudioStatus::NotConnected : AudioStatus::Ok);
        }, Qt::QueuedConnection);
    }
};

PulseRequestRunner::PulseRequestRunner(PulseConnection& connection)
    : m_connection(connection)
    , m_mainThread(std::make_unique<QObject>())
{
}

PulseRequestRunner::~PulseRequestRunner() = default;

void PulseRequestRunner::dropAll()
{
    for (const auto& pending : m_pending) {
        if (pending->operation) {
            pa_operation_set_state_callback(pending->operation.get(), nullptr, nullptr);
            pa_operation_cancel(pending->operation.get());
        }
        pending->operation.reset();
    }
    m_pending.clear();
}

int PulseRequestRunner::run(PulseRequest& request, const Start& start, const char* what)
{
    pa_threaded_mainloop* loop = m_connection.loop();
    if (!loop)
        return AudioStatus::NotConnected;
    if (pa_threaded_mainloop_in_thread(loop)) {
        qCWarning(lcPulseAudio, "%s: cannot wait for the sound server on its own thread", what);
        return AudioStatus::WrongThread;
    }
    PulseOperationPtr operation;
    {
        PulseLoopLock lock(loop);
        // The outage itself has been logged once.
        if (!m_connection.isConnected())
            return AudioStatus::NotConnected;
        operation.reset(start(m_connection.context(), request));
        if (!operation) {
            qCWarning(lcPulseAudio, "%s: %s", what, pa_strerror(pa_context_errno(m_connection.context())));
            return AudioStatus::ServerError;
        }
        pa_operation_set_state_callback(operation.get(), waitedEnded, &request);
    }
    {
        std::unique_lock<std::mutex> lock(request.mutex);
        request.finished.wait_for(lock, m_connection.bound(), [&request] { return request.done; });
    }
    bool answered = false;
    {
        PulseLoopLock lock(loop);
        pa_operation_set_state_callback(operation.get(), nullptr, nullptr);
        // Past this point no callback can reach `request` any more.
        if (pa_operation_get_state(operation.get()) == PA_OPERATION_RUNNING)
            pa_operation_cancel(operation.get());
        operation.reset();
        {
            std::lock_guard<std::mutex> requestLock(request.mutex);
            answered = request.done;
        }
        if (!answered) {
            qCWarning(lcPulseAudio, "%s: the sound server did not answer within %lld ms", what,
                      static_cast<long long>(m_connection.bound().count()));
            m_connection.dropUnanswering();
        }
    }
    if (!answered)
        return AudioStatus::Timeout;
    std::lock_guard<std::mutex> lock(request.mutex);
    if (request.cancelled) {
        qCWarning(lcPulseAudio, "%s: the sound server went away", what);
        return AudioStatus::NotConnected;
    }
    return AudioStatus::Ok;
}

void PulseRequestRunner::send(const Start& start, const char* what, Answered answered)
{
    auto pending = std::make_shared<Pending>();
    pending->self = pending;
    pending->what = what;
    pending->runner = this;
    pending->answered = std::move(answered);
    int status = AudioStatus::Ok;
    if (!m_connection.loop()) {
        status = AudioStatus::NotConnected;
    } else {
        PulseLoopLock lock(m_connection.loop());
        // The outage itself has been logged once.
        if (!m_connection.isConnected()) {
            status = AudioStatus::NotConnected;
        } else {
            pending->operation.reset(start(m_connection.context(), pending->answer));
            if (!pending->operation) {
                qCWarning(lcPulseAudio, "%s: %s", what, pa_strerror(pa_context_errno(m_connection.context())));
                status = AudioStatus::ServerError;
            } else {
                pa_operation_set_state_callback(pending->operation.get(), Pending::ended, pending.get());
            }
        }
    }
    m_pending.push_back(pending);
    if (status != AudioStatus::Ok)
        return later([this, pending, status] { finish(pending, status); });
    pending->bound.setSingleShot(true);
    // The request owns its timer, so the timer's slot must not own the
    // request: every answered request would stay alive with it.
    QObject::connect(&pending->bound, &QTimer::timeout, m_mainThread.get(), [this, weak = pending->self] {
        if (const std::shared_ptr<Pending> request = weak.lock())
            finish(request, AudioStatus::Timeout);
    });
    pending->bound.start(m_connection.bound());
}

void PulseRequestRunner::later(std::function<void()> work)
{
    QMetaObject::invokeMethod(m_mainThread.get(), std::move(work), Qt::QueuedConnection);
}

// The request's one answer.
void PulseRequestRunner::finish(const std::shared_ptr<Pending>& pending, int answered)
{
    const auto found = std::find(m_pending.begin(), m_pending.end(), pending);
    if (found == m_pending.end())
        return;
    m_pending.erase(found);
    int status = answered;
    pending->bound.stop();
    if (pending->operation) {
        PulseLoopLock lock(m_connection.loop());
        // A main thread held up past the bound may find the answer in
        // already, its hand-over still queued behind the timer.
        const pa_operation_state_t state = pa_operation_get_state(pending->operation.get());
        if (status == AudioStatus::Timeout && state != PA_OPERATION_RUNNING)
            status = state == PA_OPERATION_DONE ? AudioStatus::Ok : AudioStatus::NotConnected;
        pa_operation_set_state_callback(pending->operation.get(), nullptr, nullptr);
        if (pa_operation_get_state(pending->operation.get()) == PA_OPERATION_RUNNING)
            pa_operation_cancel(pending->operation.get());
        pending->operation.reset();
        if (status == AudioStatus::Timeout) {
            qCWarning(lcPulseAudio, "%s: the sound server did not answer within %lld ms", pending->what,
                      static_cast<long long>(m_connection.bound().count()));
            m_connection.dropUnanswering();
        }
    }
    if (status == AudioStatus::NotConnected && pending->answer.cancelled)
        qCWarning(lcPulseAudio, "%s: the sound server went away", pending->what);
    pending->answered(status, pending->answer);
}

void PulseRequestRunner::sendQuery(AudioObjectID device, AudioScope scope, const char* what,
                                   std::function<void(int status, const PulseDeviceInfo& info)> answered)
{
    if (!pulseid::fits(device, scope))
        return later([answered = std::move(answered)] { answered(AudioStatus::NoSuchDevice, PulseDeviceInfo{}); });
    const std::uint32_t index = pulseid::indexOf(device);
    send([index, scope](pa_context* context, PulseRequest& r) {
        return scope == AudioScope::Output
            ? pa_context_get_sink_info_by_index(context, index, PulseRequest::sinkInfo, &r)
            : pa_context_get_source_info_by_index(context, index, PulseRequest::sourceInfo, &r);
    }, what, [answered = std::move(answered)](int status, PulseRequest& r) {
        if (status == AudioStatus::Ok && (r.failed || r.devices.empty()))
            status = AudioStatus::NoSuchDevice;
        answered(status, status == AudioStatus::Ok ? r.devices.front() : PulseDeviceInfo{});
    });
}
