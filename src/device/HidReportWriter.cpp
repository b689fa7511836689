#include "device/HidReportWriter.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include <sys/eventfd.h>
#include <unistd.h>

#include <QLoggingCategory>
#include <QSocketNotifier>

#include "device/HidManager.h"

Q_LOGGING_CATEGORY(lcHidWriter, "quorel.device.writer", QtInfoMsg)

namespace {

// How long destruction waits for the writer thread before leaving it.
constexpr std::chrono::milliseconds kJoinBound{200};

}

struct HidReportWriter::Shared {
    std::shared_ptr<HidDevice> device;
    // Readable once the writer is being destroyed: ends a wait on the device.
    int cancelFd = -1;

    // Readable while results wait for the main thread.
    int resultFd = -1;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Report> queue;
    std::deque<int> results;
    // The writer thread is opening or writing.
    bool busy = false;
    bool stopping = false;
    bool finished = false;

    ~Shared()
    {
        for (const int fd : {cancelFd, resultFd}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
};

HidReportWriter::HidReportWriter(std::shared_ptr<HidDevice> device, std::function<void(int error)> written)
    : m_shared(std::make_shared<Shared>())
    , m_written(std::move(written))
{
    m_shared->device = std::move(device);
    m_shared->cancelFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_shared->cancelFd < 0)
        qCWarning(lcHidWriter) << "no cancel descriptor for the device writer; a stalled device may be left writing";
    // Results come back through a descriptor the main loop watches, not a
    // posted event, so every hand-over goes through the shared mutex.
    m_shared->resultFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_shared->resultFd < 0) {
        qCWarning(lcHidWriter) << "no result descriptor for the device writer; its answers are lost";
    } else {
        m_results = std::make_unique<QSocketNotifier>(m_shared->resultFd, QSocketNotifier::Read);
        QObject::connect(m_results.get(), &QSocketNotifier::activated, [this] { deliverResults(); });
    }
    m_thread = std::thread(&HidReportWriter::run, m_shared);
}

HidReportWriter::~HidReportWriter()
{
    m_results.reset();
    std::unique_lock lock(m_shared->mutex);
    m_shared->stopping = true;
    m_shared->queue.clear();
    if (m_shared->cancelFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_shared->cancelFd, &one, sizeof one);
    }
    m_shared->changed.notify_all();
    const bool finished = m_shared->changed.wait_for(lock, kJoinBound, [this] { return m_shared->finished; });
    lock.unlock();
    if (finished) {
        m_thread.join();
    } else {
        qCWarning(lcHidWriter).noquote() << "the device" << m_shared->device->name()
                                         << "is still busy opening or writing; not waiting for it";
        m_thread.detach();
    }
}

bool HidReportWriter::enqueue(std::uint8_t reportId, std::span<const std::uint8_t> payload)
{
    Report report{reportId, std::vector<std::uint8_t>(payload.begin(), payload.end())};
    std::lock_guard lock(m_shared->mutex);
    bool kept = true;
    if (m_shared->queue.size() >= QueueLimit) {
        m_shared->queue.pop_front();
        kept = false;
    }
    m_shared->queue.push_back(std::move(report));
    m_shared->changed.notify_all();
    return kept;
}

bool HidReportWriter::flush(std::chrono::milliseconds bound)
{
    std::unique_lock lock(m_shared->mutex);
    return m_shared->changed.wait_for(lock, bound, [this] {
        return m_shared->finished || (m_shared->queue.empty() && !m_shared->busy);
    });
}

// Main thread, from the result descriptor.
void HidReportWriter::deliverResults()
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(m_shared->resultFd, &count, sizeof count);
    std::deque<int> results;
    {
        std::lock_guard lock(m_shared->mutex);
        results.swap(m_shared->results);
    }
    for (const int error : results)
        m_written(error);
}

// Writer thread. Holds its own reference to the shared state, so a thread
// left behind by the destructor still finds it.
void HidReportWriter::run(std::shared_ptr<Shared> shared)
{
    for (;;) {
        Report report;
        {
            std::unique_lock lock(shared->mutex);
            shared->changed.wait(lock, [&] { return shared->stopping || !shared->queue.empty(); });
            if (shared->stopping)
                break;
            report = std::move(shared->queue.front());
            shared->queue.pop_front();
            shared->busy = true;
        }

        const int error = shared->device->setOutputReport(report.id, report.payload, shared->cancelFd);

        std::lock_guard lock(shared->mutex);
        shared->busy = false;
        shared->changed.notify_all();
        if (shared->stopping)
            break;
        shared->results.push_back(error);
        if (shared->resultFd >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t n = ::write(shared->resultFd, &one, sizeof one);
        }
    }

    shared->device->close();
    std::lock_guard lock(shared->mutex);
    shared->finished = true;
    shared->changed.notify_all();
}
