#pragma once

#include <QElapsedTimer>
#include <QTimer>

// Helpers for tests that drive a private sound server (PulseDaemon).

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>

#include <cmath>
#include <condition_variable>
#include <csignal>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "PulseDaemon.h"
#include "audio/AudioSystem.h"

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

// The id of the first device whose name in `scope` is `name`.
inline AudioObjectID findByName(AudioSystem& system, AudioScope scope, const std::string& name)
{
    std::uint32_t count = 64;
    std::vector<AudioObjectID> list(count);
    if (system.deviceList(list.data(), count) != AudioStatus::Ok)
        return kAudioObjectUnknown;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string found;
        if (system.deviceName(list[i], scope, found) == AudioStatus::Ok && found == name)
            return list[i];
    }
    return kAudioObjectUnknown;
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
