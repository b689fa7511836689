#include "base/WorkQueue.h"

#include <QThread>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace work_queue_detail {

QObject* mainThreadMailbox()
{
    static QObject* const mailbox = new QObject;
    return mailbox;
}

} // namespace work_queue_detail

// Threads of the group's queues still running jobs or waiting for them.
struct WorkQueueGroup::Live {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
};

WorkQueueGroup::WorkQueueGroup()
    : m_live(std::make_shared<Live>())
{
}

bool WorkQueueGroup::waitForAll(std::chrono::milliseconds bound) const
{
    std::unique_lock lock(m_live->mutex);
    return m_live->changed.wait_for(lock, bound, [this] { return m_live->count == 0; });
}

struct WorkQueue::State {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::function<void()>> jobs;
    bool running = false;
    bool closed = false;
    // Held by the thread too: a group may go before a queue's last job.
    std::shared_ptr<WorkQueueGroup::Live> group;

    // The queue's own thread: runs jobs until the queue is closed and empty.
    void run()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [this] { return closed || !jobs.empty(); });
                if (jobs.empty())
                    break;
                job = std::move(jobs.front());
                jobs.pop_front();
                running = true;
            }
            job();
            // What the job holds goes before anyone hears it has run.
            job = nullptr;
            std::lock_guard lock(mutex);
            running = false;
            changed.notify_all();
        }
        if (group) {
            std::lock_guard lock(group->mutex);
            --group->count;
            group->changed.notify_all();
        }
    }
};

WorkQueue::WorkQueue(const QString& name)
    : WorkQueue(name, nullptr)
{
}

WorkQueue::WorkQueue(const QString& name, WorkQueueGroup& group)
    : WorkQueue(name, group.m_live)
{
}

WorkQueue::WorkQueue(const QString& name, std::shared_ptr<WorkQueueGroup::Live> group)
    : m_state(std::make_shared<State>())
{
    if (group) {
        std::lock_guard lock(group->mutex);
        ++group->count;
    }
    m_state->group = std::move(group);
    QThread* thread = QThread::create([state = m_state] { state->run(); });
    thread->setObjectName(name);
    // The thread object goes with the thread, on the thread that made it.
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

WorkQueue::~WorkQueue()
{
    std::lock_guard lock(m_state->mutex);
    m_state->closed = true;
    m_state->changed.notify_all();
}

void WorkQueue::post(std::function<void()> job)
{
    std::lock_guard lock(m_state->mutex);
    m_state->jobs.push_back(std::move(job));
    m_state->changed.notify_all();
}

void WorkQueue::waitUntilIdle()
{
    std::unique_lock lock(m_state->mutex);
    m_state->changed.wait(lock, [this] { return m_state->jobs.empty() && !m_state->running; });
}

bool WorkQueue::waitUntilIdle(std::chrono::milliseconds bound)
{
    std::unique_lock lock(m_state->mutex);
    return m_state->changed.wait_for(lock, bound, [this] { return m_state->jobs.empty() && !m_state->running; });
}
