#pragma once

#include <QMetaObject>

#include <mutex>

// The way back from a background session (its queue and streaming
// threads) to the front object on the main thread. The front object cuts
// the link before it goes; calls already posted to it are dropped with it.
template <typename Front>
class FrontLink {
public:
    void attach(Front* front)
    {
        std::lock_guard lock(m_mutex);
        m_front = front;
    }
    void detach() { attach(nullptr); }

    // Any thread: runs `call(front)` on the main thread, if there still is
    // a front object.
    template <typename Call>
    void post(Call call)
    {
        std::lock_guard lock(m_mutex);
        if (Front* front = m_front)
            QMetaObject::invokeMethod(front, [front, call] { call(front); }, Qt::QueuedConnection);
    }

private:
    std::mutex m_mutex;
    Front* m_front = nullptr;
};
