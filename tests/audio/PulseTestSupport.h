#pragma once

#include <QElapsedTimer>
#include <QTimer>

// Helpers for tests that drive a private sound server (PulseDaemon).

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <QThread>

#include <cmath>
#include <condition_variable>
#include <csignal>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "PulseDaemon.h"
#include "audio/AudioSystem.h"
#include "audio/PulseConnection.h"

#include <pulse/context.h>

namespace pulsetest {

// Raw volume of every channel of a sink or source, as pactl shows it.
inline std::vector<unsigned> channelVolumes(const PulseDaemon& daemon, const QString& kind, const QString& name)
{
    QString out;
    daemon.pactl({QStringLiteral("get-%1-volume").arg(kind), name}, &out);
    std::vector<unsigned> volumes;
    static const QRegularExpression channel(QStringLiteral(":\\s*(\\d+)\\s*/"));
    auto it = channel.globalMatch(out.section(QLatin1Char('\n'), 0, 0));
    while (it.hasNext())
        volumes.push_back(it.next().captured(1).toUInt());
    return volumes;
}

inline QString pactlText(const PulseDaemon& daemon, const QStringList& args)
{
    QString out;
    daemon.pactl(args, &out);
    return out.trimmed();
}

// The answer of a request that answers later, spinning the event loop for
// it at most `timeoutMs`: -1 when none came in time, -2 when it came within
// the request, which the port rules out.
inline int answerOf(const std::function<void(AudioDone)>& request, int timeoutMs = 10000)
{
    // Shared with the answer, which may come after the wait gave up.
    const auto status = std::make_shared<int>(-1);
    request([status](int answered) { *status = answered; });
    if (*status != -1)
        return -2;
    static_cast<void>(QTest::qWaitFor([&] { return *status != -1; }, timeoutMs));
    return *status;
}

inline int setDefault(AudioSystem& system, AudioScope scope, AudioObjectID device, int timeoutMs = 10000)
{
    return answerOf([&](AudioDone done) { system.requestDefaultDevice(scope, device, std::move(done)); },
                    timeoutMs);
}

inline int setVolume(AudioSystem& system, AudioObjectID device, AudioScope scope, float scalar)
{
    return answerOf([&](AudioDone done) { system.requestVolumeScalar(device, scope, scalar, std::move(done)); });
}

// The list with every device's names, as the link asks for it.
struct Listed {
    int status = -1; // as answerOf()
    std::vector<AudioDeviceNames> devices;
};

inline Listed listDevices(AudioSystem& system)
{
    const auto listed = std::make_shared<Listed>();
    system.requestDevices([listed](int status, std::vector<AudioDeviceNames> devices) {
        listed->devices = std::move(devices);
        listed->status = status;
    });
    if (listed->status != -1)
        return Listed{-2, {}};
    static_cast<void>(QTest::qWaitFor([&] { return listed->status != -1; }, 10000));
    return *listed;
}

// The id of the first device whose name in `scope` is `name`.
inline AudioObjectID findByName(AudioSystem& system, AudioScope scope, const std::string& name)
{
    for (const AudioDeviceNames& device : listDevices(system).devices)
        if ((scope == AudioScope::Output ? device.outputName : device.inputName) == name)
            return device.id;
    return kAudioObjectUnknown;
}

// Makes a new connection to `server` take the shared one's place, as the
// defaults witness hands one over; false when it was not up within 5 s.
inline bool replaceWithNewConnection(PulseConnection& connection, const QString& server)
{
    PulseContextPtr fresh;
    // The lock is held until the context is gone, also when this fails.
    const auto locked = [&](auto&& work) {
        PulseLoopLock lock(connection.loop());
        return work();
    };
    const bool connecting = locked([&] {
        // libpulse reads the server's address as the context is made.
        const QByteArray ours = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", server.toUtf8());
        fresh = connection.newContext();
        qputenv("PULSE_SERVER", ours);
        return fresh && pa_context_connect(fresh.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
    });
    const auto state = [&] { return locked([&] { return pa_context_get_state(fresh.get()); }); };
    const bool ready = connecting && QTest::qWaitFor([&] {
        const pa_context_state_t now = state();
        return now == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(now);
    }, 5000) && state() == PA_CONTEXT_READY;
    return locked([&] {
        if (ready)
            connection.takeOver(std::move(fresh));
        fresh.reset();
        return ready;
    });
}

// Records every call of a volume listener, with the value that came with it.
class ListenerLog {
public:
    struct Call {
        AudioObjectID device;
        AudioScope scope;
        float scalar;
        std::thread::id thread;
    };

    static int proc(AudioObjectID device, AudioScope scope, float scalar, void* clientData)
    {
        auto* log = static_cast<ListenerLog*>(clientData);
        {
            std::lock_guard<std::mutex> lock(log->m_mutex);
            log->m_calls.push_back(Call{device, scope, scalar, std::this_thread::get_id()});
        }
        log->m_changed.notify_all();
        return 0;
    }

    // Waits until a call satisfies `match`; true when one did in time.
    bool waitFor(const std::function<bool(const Call&)>& match, int timeoutMs = 5000)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            for (const Call& call : m_calls)
                if (match(call))
                    return true;
            return false;
        });
    }

    // Outside changes arrive in the server's units, so near is enough.
    bool waitForScalar(float scalar, int timeoutMs = 5000)
    {
        return waitFor([scalar](const Call& c) { return std::fabs(c.scalar - scalar) < 1e-4f; }, timeoutMs);
    }

    std::vector<Call> calls() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }

    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Call> m_calls;
};

// Measures how long the main thread's event loop waits past each tick of a
// 10 ms timer, from construction on, on anything but a processor: the time
// it spent running (its own work) and waiting for a processor (a loaded
// machine) are taken off, both read from /proc/thread-self/schedstat. What
// is left is the thread sleeping where it should have run the timer: a wait
// on the sound server shows in full.
class LoopLateness {
public:
    LoopLateness()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            const qint64 notWaiting = runningOrQueuedNs();
            m_worstNs = std::max(m_worstNs, now - m_lastNs - 10'000'000 - (notWaiting - m_lastNotWaitingNs));
            m_lastNs = now;
            m_lastNotWaitingNs = notWaiting;
        });
        m_lastNotWaitingNs = runningOrQueuedNs();
        m_clock.start();
        m_timer.start();
    }
    qint64 worstMs() const { return m_worstNs / 1'000'000; }

private:
    // Main thread: how long it has run and waited for a processor so far.
    static qint64 runningOrQueuedNs()
    {
        std::ifstream stat("/proc/thread-self/schedstat");
        long long running = 0;
        long long queued = 0;
        stat >> running >> queued;
        return running + queued;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_lastNotWaitingNs = 0;
    qint64 m_worstNs = 0;
};

} // namespace pulsetest
