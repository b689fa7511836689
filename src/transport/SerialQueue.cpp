#include "transport/SerialQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// Threads of all queues still running jobs or waiting for them.
struct LiveThreads {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
};

LiveThreads& liveThreads()
{
    static auto* live = new LiveThreads; // never destroyed: detached threads may outlive main()
    return *live;
}

} // namespace

struct SerialQueue::State {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<std::function<void()>> jobs;
    bool closed = false;

    // The queue's own thread: runs jobs until the queue is closed and empty.
    void run()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex);
                posted.wait(lock, [this] { return closed || !jobs.empty(); });
                if (jobs.empty())
                    break;
                job = std::move(jobs.front());
                jobs.pop_front();
            }
            job();
        }
        LiveThreads& live = liveThreads();
        std::lock_guard lock(live.mutex);
        --live.count;
        live.changed.notify_all();
    }
};

SerialQueue::SerialQueue()
    : m_state(std::make_shared<State>())
{
    LiveThreads& live = liveThreads();
    {
        std::lock_guard lock(live.mutex);
        ++live.count;
    }
    std::thread([state = m_state] { state->run(); }).detach();
}

SerialQueue::~SerialQueue()
{
    std::lock_guard lock(m_state->mutex);
    m_state->closed = true;
    m_state->posted.notify_all();
}

void SerialQueue::post(std::function<void()> job)
{
    std::lock_guard lock(m_state->mutex);
    m_state->jobs.push_back(std::move(job));
    m_state->posted.notify_all();
}

bool SerialQueue::waitForAll(std::chrono::milliseconds bound)
{
    LiveThreads& live = liveThreads();
    std::unique_lock lock(live.mutex);
    return live.changed.wait_for(lock, bound, [&] { return live.count == 0; });
}
