#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace work_queue_detail {
// The object on the main thread that answers are posted to. Made by the
// first call, which must be on the main thread; never destroyed, so a
// thread that answers after main() has returned posts to a live object.
QObject* mainThreadMailbox();
}

// The way back from any thread to a QObject on the main thread. Made on the
// main thread, then copied and used on any: post() runs `call(receiver)`
// there, only if the receiver still lives when the call's turn comes.
template <typename Receiver>
class MainThreadLink {
public:
    explicit MainThreadLink(Receiver* receiver)
        : m_receiver(receiver)
        , m_mailbox(work_queue_detail::mainThreadMailbox())
    {
    }

    // Any thread.
    template <typename Call>
    void post(Call call) const
    {
        QMetaObject::invokeMethod(
            m_mailbox,
            [receiver = m_receiver, call = std::move(call)]() mutable {
                if (Receiver* alive = receiver.data())
                    call(alive);
            },
            Qt::QueuedConnection);
    }

private:
    QPointer<Receiver> m_receiver;
    QObject* m_mailbox;
};

// Queues that are waited for together at shut-down (the transport's, so a
// recording being finished is not cut off). Any thread.
class WorkQueueGroup {
public:
    WorkQueueGroup();

    // Waits until every queue of the group has been dropped and has run its
    // jobs, or `bound` passed; false when some were still running.
    bool waitForAll(std::chrono::milliseconds bound) const;

private:
    friend class WorkQueue;
    struct Live;
    std::shared_ptr<Live> m_live;
};

// Runs the jobs posted to it one after another, in the order they were
// posted, on a thread of its own (a QThread: jobs may use Qt's objects that
// need one), so calls that may block (a file flushed to a busy disk, a
// GStreamer state change, a device's node, a server that does not answer)
// never hold the main thread.
//
// Dropping the queue does not wait: the jobs already posted still run and
// the thread then ends by itself. Waiting for them is asked for
// explicitly, at shut-down or by a test.
class WorkQueue {
public:
    // `name` names the thread (for a debugger or `top -H`).
    explicit WorkQueue(const QString& name);
    WorkQueue(const QString& name, WorkQueueGroup& group);
    ~WorkQueue();
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    // Any thread.
    void post(std::function<void()> job);

    // Main thread: runs `job` on the queue and hands what it returns to
    // `answer(receiver, result)` on the main thread (`answer(receiver)`
    // for a job that returns nothing), unless the receiver is gone by then.
    template <typename Receiver, typename Job, typename Answer>
    void ask(Receiver* receiver, Job job, Answer answer)
    {
        post([link = MainThreadLink<Receiver>(receiver), job = std::move(job), answer = std::move(answer)]() mutable {
            if constexpr (std::is_void_v<std::invoke_result_t<Job&>>) {
                job();
                link.post(std::move(answer));
            } else {
                link.post([answer = std::move(answer), result = job()](Receiver* alive) mutable {
                    answer(alive, std::move(result));
                });
            }
        });
    }

    // Blocks until every job posted so far has run (their answers are not
    // delivered yet), or `bound` passed: false when one was still running.
    void waitUntilIdle();
    bool waitUntilIdle(std::chrono::milliseconds bound);

private:
    struct State;
    WorkQueue(const QString& name, std::shared_ptr<WorkQueueGroup::Live> group);

    std::shared_ptr<State> m_state;
};
