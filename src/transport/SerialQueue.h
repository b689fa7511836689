#pragma once

#include <chrono>
#include <functional>
#include <memory>

// Runs the jobs posted to it one after another on a thread of its own, so
// the calls that may block (GStreamer state changes, opening and draining
// files, a server that does not answer) never hold the main thread. Jobs
// run in the order they were posted.
//
// Dropping the queue does not wait: the jobs already posted still run and
// the thread then ends by itself. waitForAll() is the one place that waits
// for them, at shut-down, so a recording being finished is not cut off.
class SerialQueue {
public:
    SerialQueue();
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    void post(std::function<void()> job);

    // Waits until every queue's jobs in the process have run, or `bound`
    // passed; false when some were still running. Main thread, at shut-down.
    static bool waitForAll(std::chrono::milliseconds bound);

private:
    struct State;
    std::shared_ptr<State> m_state;
};
