#pragma once

#include "audio/PulseHandles.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include <pulse/introspect.h>
#include <pulse/mainloop-api.h>
#include <pulse/subscribe.h>

// One connection to the sound server (PulseAudio or pipewire-pulse) for the
// whole panel: the threaded main loop, the libpulse context, its reconnect,
// and the subscription to the server's events. The volume side and the
// spectrum's capture both work on it; they are its observers.
//
// When the connection drops (or the server leaves a request or the capture
// unanswered past the bound) it tries again every reconnect interval; the
// observers hear it lost and, once back, ready again. A connection opened
// to take the current one's place (a witness's that reads newer defaults)
// is handed over quietly: the observers hear "renewed". The one it replaced
// is kept while up, to go back to when the new one is refused what the old
// one still carries out.
//
// While linked the server's silence is noticed with little of its own: a
// capture stream that is up delivers audio many times a second, so none for
// twice the bound makes the connection ask for the server's information
// once, and no answer within the bound counts as the server gone. Twice,
// since a source nothing plays into may deliver in chunks of up to two
// seconds (PulseAudio's null sink does); the question tells a slow source
// from a server that stopped. Without a capture the question is asked every
// few seconds while someone keeps watch.
//
// Everything but construction, start() and the waits runs on the loop's
// thread or with its lock held (PulseLoopLock on loop()).
class PulseConnection {
public:
    // Called on the loop's thread (or by a caller holding the loop lock).
    class Observer {
    public:
        enum class Ready { First, Again, Renewed };
        virtual ~Observer() = default;
        virtual void connectionReady(pa_context* context, Ready how)
        {
            static_cast<void>(context);
            static_cast<void>(how);
        }
        // The connection that was up is gone.
        virtual void connectionLost(int error) { static_cast<void>(error); }
        // An attempt to connect failed while there was no connection.
        virtual void connectionFailed(int error) { static_cast<void>(error); }
        virtual void serverEvent(pa_subscription_event_type_t type, std::uint32_t index)
        {
            static_cast<void>(type);
            static_cast<void>(index);
        }
    };

    static constexpr std::chrono::milliseconds kKeepWatchInterval{5000};

    PulseConnection(std::chrono::milliseconds bound, std::chrono::milliseconds reconnectInterval,
                    const char* threadName);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Connects and starts the loop's thread; never waits for the server.
    // False (logged) when the loop cannot run.
    bool start();
    // Stops the loop's thread; nothing is called back afterwards.
    void stop();

    // Null when the loop could not be made.
    pa_threaded_mainloop* loop() const { return m_loop.get(); }
    std::chrono::milliseconds bound() const { return m_bound; }

    // Any thread.
    bool isConnected() const { return m_connected.load(); }
    // Main thread: waits at most `timeout` for the connection to be up, or
    // for the first attempt to settle either way.
    bool waitForConnection(std::chrono::milliseconds timeout);
    void waitForFirstAttempt(std::chrono::milliseconds timeout);

    // ---- Loop locked ----
    // The current context; null while there is none.
    pa_context* context() const { return m_context.get(); }
    void addObserver(Observer* observer);
    void removeObserver(Observer* observer);
    // A new, unconnected context of the panel.
    PulseContextPtr newContext();
    // A ready connection takes the current one's place.
    void takeOver(PulseContextPtr fresh);
    // The connection the current one replaced takes its place back, if it
    // is still up: the current one goes. The observers hear "renewed", as
    // at a take-over. False when there is none to go back to.
    bool backToReplaced();
    // The server left something unanswered past the bound: the connection
    // counts as gone, and is made again once the server answers.
    void dropUnanswering();
    // A stream that delivers all the time is up (or down again); while one
    // is, its silence past twice the bound makes the server be asked.
    void expectTraffic(bool up);
    // Such a stream delivered.
    void heard();
    // Whether the server's silence should be noticed while no stream is up.
    void keepWatch(bool on);

private:
    void connect();
    void onContextState(pa_context* context);
    void onUnavailable(int error);
    void follow(Observer::Ready how);
    void scheduleReconnect();
    void onAttemptDue();
    void countAttempt();
    void armSilence();
    void onSilenceDue();
    std::chrono::milliseconds silenceBound() const { return 2 * m_bound; }
    void updateKeepWatch();
    void ask();
    void onAnswerDue();
    void stopWatching();
    void freeTimer(pa_time_event*& timer);
    pa_time_event* newTimer(std::chrono::milliseconds after, pa_time_event_cb_t callback);
    std::vector<Observer*> observersNow() const { return m_observers; }

    static void contextStateThunk(pa_context* context, void* self);
    static void subscribeThunk(pa_context* context, pa_subscription_event_type_t type, std::uint32_t index,
                               void* self);
    static void reconnectThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when, void* self);
    static void silenceThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when, void* self);
    static void keepWatchThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when, void* self);
    static void attemptDueThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when, void* self);
    static void answerDueThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when, void* self);
    static void serverInfoThunk(pa_context* context, const pa_server_info* info, void* self);

    const std::chrono::milliseconds m_bound;
    const std::chrono::milliseconds m_reconnectInterval;
    PulseMainloopPtr m_loop;
    bool m_running = false;
    // Guarded by the loop's lock.
    PulseContextPtr m_context;
    // The connection a take-over replaced: it answers what it still
    // carries, and goes at the next take-over or with the connection, or
    // takes the current one's place back.
    PulseContextPtr m_retired;
    pa_time_event* m_reconnect = nullptr;
    // An attempt the server accepted but has not answered; each one given up
    // doubles the next one's bound, so a slow server still gets through.
    pa_time_event* m_attemptDue = nullptr;
    int m_attemptsGivenUp = 0;
    std::vector<Observer*> m_observers;
    bool m_everConnected = false;
    bool m_outageReported = false;
    int m_streams = 0;
    pa_time_event* m_silence = nullptr;
    std::chrono::steady_clock::time_point m_lastHeard;
    bool m_keepWatch = false;
    pa_time_event* m_keepWatchTimer = nullptr;
    // The question that checks the server answers, and when it is due.
    PulseOperationPtr m_ask;
    pa_time_event* m_answerDue = nullptr;
    std::atomic<bool> m_connected{false};
    std::mutex m_stateMutex;
    std::condition_variable m_stateChanged;
    int m_attempts = 0; // guarded by m_stateMutex
};
