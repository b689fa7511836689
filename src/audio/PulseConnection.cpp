#include "audio/PulseConnection.h"

#include <QLoggingCategory>

#include <algorithm>

#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/proplist.h>
#include <pulse/timeval.h>

Q_DECLARE_LOGGING_CATEGORY(lcPulseAudio)

PulseConnection::PulseConnection(std::chrono::milliseconds bound, std::chrono::milliseconds reconnectInterval,
                                 const char* threadName)
    : m_bound(bound)
    , m_reconnectInterval(reconnectInterval)
    , m_loop(pa_threaded_mainloop_new())
{
    if (!m_loop) {
        qCWarning(lcPulseAudio, "cannot create the sound server main loop; system audio is unavailable");
        return;
    }
    pa_threaded_mainloop_set_name(m_loop.get(), threadName);
}

PulseConnection::~PulseConnection()
{
    if (!m_loop)
        return;
    stop();
    // The loop's thread has ended: nothing else touches the handles now.
    freeTimer(m_reconnect);
    freeTimer(m_attemptDue);
    stopWatching();
    m_retired.reset();
    m_context.reset();
}

bool PulseConnection::start()
{
    if (!m_loop)
        return false;
    if (m_running)
        return true;
    {
        PulseLoopLock lock(m_loop.get());
        connect();
    }
    if (pa_threaded_mainloop_start(m_loop.get()) < 0) {
        qCWarning(lcPulseAudio, "cannot start the sound server main loop; system audio is unavailable");
        PulseLoopLock lock(m_loop.get());
        freeTimer(m_reconnect);
        m_context.reset();
        return false;
    }
    m_running = true;
    return true;
}

void PulseConnection::stop()
{
    if (m_loop && m_running)
        pa_threaded_mainloop_stop(m_loop.get());
    m_running = false;
}

bool PulseConnection::waitForConnection(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_stateMutex);
    return m_stateChanged.wait_for(lock, timeout, [this] { return m_connected.load(); });
}

void PulseConnection::waitForFirstAttempt(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_stateMutex);
    m_stateChanged.wait_for(lock, timeout, [this] { return m_attempts > 0; });
}

void PulseConnection::addObserver(Observer* observer)
{
    if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void PulseConnection::removeObserver(Observer* observer)
{
    std::erase(m_observers, observer);
}

PulseContextPtr PulseConnection::newContext()
{
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "quorel-panel");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "quorel-panel");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "quorel-panel");
    PulseContextPtr context(pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_loop.get()),
                                                         "quorel-panel", properties));
    pa_proplist_free(properties);
    return context;
}

void PulseConnection::connect()
{
    freeTimer(m_attemptDue);
    m_context.reset();
    m_context = newContext();
    if (!m_context) {
        qCWarning(lcPulseAudio, "cannot create a sound server context");
        scheduleReconnect();
        return;
    }
    pa_context_set_state_callback(m_context.get(), contextStateThunk, this);
    // No autospawn: the desktop session owns the sound server; we wait for it.
    if (pa_context_connect(m_context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        if (!m_reconnect)
            onUnavailable(pa_context_errno(m_context.get()));
        return;
    }
    // libpulse itself waits 30 s for a server that took the connection but
    // does not answer it; a fresh connection gets through sooner.
    const pa_context_state_t state = pa_context_get_state(m_context.get());
    if (state != PA_CONTEXT_READY && PA_CONTEXT_IS_GOOD(state))
        m_attemptDue = newTimer(m_bound * (1 << std::min(m_attemptsGivenUp, 4)), attemptDueThunk);
}

void PulseConnection::onAttemptDue()
{
    if (!m_context || pa_context_get_state(m_context.get()) == PA_CONTEXT_READY)
        return;
    if (m_attemptsGivenUp++ == 0)
        qCWarning(lcPulseAudio, "the sound server took the connection but did not answer within %lld ms; trying again",
                  static_cast<long long>(m_bound.count()));
    // Runs the state callback at once, which schedules the next attempt.
    pa_context_disconnect(m_context.get());
}

void PulseConnection::scheduleReconnect()
{
    if (!m_reconnect)
        m_reconnect = newTimer(m_reconnectInterval, reconnectThunk);
}

void PulseConnection::onContextState(pa_context* context)
{
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state))
        freeTimer(m_attemptDue);
    if (state == PA_CONTEXT_READY) {
        m_attemptsGivenUp = 0;
        m_connected = true;
        m_outageReported = false;
        qCInfo(lcPulseAudio, "connected to the sound server %s", pa_context_get_server(context));
        const bool again = m_everConnected;
        m_everConnected = true;
        follow(again ? Observer::Ready::Again : Observer::Ready::First);
    } else if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
        onUnavailable(pa_context_errno(context));
        return;
    } else {
        return;
    }
    countAttempt();
}

// Subscribes to the current connection's events and lets every observer
// read again what it follows.
void PulseConnection::follow(Observer::Ready how)
{
    pa_context* context = m_context.get();
    pa_context_set_subscribe_callback(context, subscribeThunk, this);
    PulseOperationPtr subscribe(pa_context_subscribe(
        context,
        static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE
                                            | PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_CLIENT
                                            | PA_SUBSCRIPTION_MASK_CARD | PA_SUBSCRIPTION_MASK_SOURCE_OUTPUT),
        nullptr, nullptr));
    if (!subscribe)
        qCWarning(lcPulseAudio, "cannot follow the sound server's devices: %s",
                  pa_strerror(pa_context_errno(context)));
    for (Observer* observer : observersNow())
        observer->connectionReady(context, how);
    updateKeepWatch();
}

void PulseConnection::onUnavailable(int error)
{
    const bool wasConnected = m_connected.exchange(false);
    stopWatching();
    const char* reason = error == PA_OK ? "it stopped answering" : pa_strerror(error);
    if (wasConnected)
        qCWarning(lcPulseAudio, "lost the sound server (%s); reconnecting in the background", reason);
    else if (!m_outageReported)
        qCWarning(lcPulseAudio, "no sound server (%s); system audio is unavailable until one starts", reason);
    m_outageReported = true;
    for (Observer* observer : observersNow()) {
        if (wasConnected)
            observer->connectionLost(error);
        else
            observer->connectionFailed(error);
    }
    // A failed context cannot be reused; the timer makes a new one.
    scheduleReconnect();
    countAttempt();
}

void PulseConnection::countAttempt()
{
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        ++m_attempts;
    }
    m_stateChanged.notify_all();
}

void PulseConnection::takeOver(PulseContextPtr fresh)
{
    if (!m_connected || !fresh)
        return;
    pa_context_set_state_callback(m_context.get(), nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context.get(), nullptr, nullptr);
    m_retired = std::move(m_context);
    m_context = std::move(fresh);
    pa_context_set_state_callback(m_context.get(), contextStateThunk, this);
    follow(Observer::Ready::Renewed);
}

// PipeWire's PulseAudio server (0.3.65) has refused a new default, for as
// long as the connection lived, to a connection made while its session
// manager did not answer, and refuses it to a client the session manager
// lets read only; the connection such a one replaced may still get it. The
// refusing one goes only after the observers have moved along, so that
// nothing of theirs (the capture's stream) fails with it.
bool PulseConnection::backToReplaced()
{
    if (!m_connected || !m_retired || pa_context_get_state(m_retired.get()) != PA_CONTEXT_READY)
        return false;
    const PulseContextPtr refusing = std::move(m_context);
    pa_context_set_state_callback(refusing.get(), nullptr, nullptr);
    pa_context_set_subscribe_callback(refusing.get(), nullptr, nullptr);
    m_context = std::move(m_retired);
    pa_context_set_state_callback(m_context.get(), contextStateThunk, this);
    follow(Observer::Ready::Renewed);
    return true;
}

// Disconnecting runs the context's state callback at once: the observers
// hear the loss within this call.
void PulseConnection::dropUnanswering()
{
    if (m_connected)
        pa_context_disconnect(m_context.get());
}

void PulseConnection::expectTraffic(bool up)
{
    m_streams = std::max(0, m_streams + (up ? 1 : -1));
    if (m_streams == 0)
        freeTimer(m_silence);
    else if (up && m_connected && !m_ask)
        armSilence();
    updateKeepWatch();
}

// Only noted: restarting the silence timer on every delivery would wake
// the loop's thread once more each time (libpulse writes to its wake-up
// descriptor); the timer looks at the note when it runs out instead.
void PulseConnection::heard()
{
    m_lastHeard = std::chrono::steady_clock::now();
}

void PulseConnection::armSilence()
{
    if (m_silence)
        return;
    m_lastHeard = std::chrono::steady_clock::now();
    m_silence = newTimer(silenceBound(), silenceThunk);
}

// Silent for the whole bound, the server is asked; else the timer runs
// on until the bound after the last delivery.
void PulseConnection::onSilenceDue()
{
    const auto quiet = std::chrono::steady_clock::now() - m_lastHeard;
    if (quiet < silenceBound()) {
        m_silence = newTimer(std::chrono::ceil<std::chrono::milliseconds>(silenceBound() - quiet), silenceThunk);
        return;
    }
    ask();
}

void PulseConnection::keepWatch(bool on)
{
    m_keepWatch = on;
    updateKeepWatch();
}

// The server is asked every interval while no stream shows that it answers.
void PulseConnection::updateKeepWatch()
{
    const bool wanted = m_keepWatch && m_connected && m_streams == 0;
    if (wanted && !m_keepWatchTimer && !m_ask)
        m_keepWatchTimer = newTimer(kKeepWatchInterval, keepWatchThunk);
    else if (!wanted)
        freeTimer(m_keepWatchTimer);
}

void PulseConnection::ask()
{
    if (m_ask || !m_connected)
        return;
    m_ask.reset(pa_context_get_server_info(m_context.get(), serverInfoThunk, nullptr));
    if (m_ask)
        m_answerDue = newTimer(m_bound, answerDueThunk);
}

// The question's bound has passed: unanswered, the server counts as gone;
// answered, the watch goes on.
void PulseConnection::onAnswerDue()
{
    const bool unanswered = pa_operation_get_state(m_ask.get()) == PA_OPERATION_RUNNING;
    if (unanswered)
        pa_operation_cancel(m_ask.get());
    m_ask.reset();
    if (unanswered) {
        qCWarning(lcPulseAudio, "the sound server did not answer within %lld ms",
                  static_cast<long long>(m_bound.count()));
        return dropUnanswering();
    }
    if (m_streams > 0)
        armSilence();
    updateKeepWatch();
}

void PulseConnection::stopWatching()
{
    freeTimer(m_silence);
    freeTimer(m_keepWatchTimer);
    freeTimer(m_answerDue);
    if (m_ask && pa_operation_get_state(m_ask.get()) == PA_OPERATION_RUNNING)
        pa_operation_cancel(m_ask.get());
    m_ask.reset();
}

pa_time_event* PulseConnection::newTimer(std::chrono::milliseconds after, pa_time_event_cb_t callback)
{
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(std::max<long long>(after.count(), 0)) * PA_USEC_PER_MSEC);
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop.get());
    return api->time_new(api, &when, callback, this);
}

void PulseConnection::freeTimer(pa_time_event*& timer)
{
    if (!timer)
        return;
    pa_threaded_mainloop_get_api(m_loop.get())->time_free(timer);
    timer = nullptr;
}

// ---- Trampolines (loop thread) ----

void PulseConnection::contextStateThunk(pa_context* context, void* self)
{
    static_cast<PulseConnection*>(self)->onContextState(context);
}

void PulseConnection::subscribeThunk(pa_context*, pa_subscription_event_type_t type, std::uint32_t index,
                                     void* self)
{
    for (Observer* observer : static_cast<PulseConnection*>(self)->observersNow())
        observer->serverEvent(type, index);
}

void PulseConnection::reconnectThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self)
{
    auto* connection = static_cast<PulseConnection*>(self);
    api->time_free(event);
    connection->m_reconnect = nullptr;
    connection->connect();
}

void PulseConnection::silenceThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self)
{
    auto* connection = static_cast<PulseConnection*>(self);
    api->time_free(event);
    connection->m_silence = nullptr;
    connection->onSilenceDue();
}

void PulseConnection::keepWatchThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self)
{
    auto* connection = static_cast<PulseConnection*>(self);
    api->time_free(event);
    connection->m_keepWatchTimer = nullptr;
    connection->ask();
}

void PulseConnection::attemptDueThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self)
{
    auto* connection = static_cast<PulseConnection*>(self);
    api->time_free(event);
    connection->m_attemptDue = nullptr;
    connection->onAttemptDue();
}

void PulseConnection::answerDueThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self)
{
    auto* connection = static_cast<PulseConnection*>(self);
    api->time_free(event);
    connection->m_answerDue = nullptr;
    connection->onAnswerDue();
}

// The answer itself says enough: the server is there.
void PulseConnection::serverInfoThunk(pa_context*, const pa_server_info*, void*)
{
}
