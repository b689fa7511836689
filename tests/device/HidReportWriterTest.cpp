// The device writer on its own: order, results on the main thread, and a
// destruction that neither waits on a stuck device nor leaves it unsafe.
// Also runs under ThreadSanitizer (scripts/test).
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTest>
#include <gtest/gtest.h>

#include "FakeHidManager.h"
#include "device/HidReportWriter.h"

namespace {

// A device whose writes hang, ignoring the cancel descriptor (as a write
// stuck in the kernel does), until the test lets them go.
class StuckDevice final : public HidDevice {
public:
    QString name() const override { return QStringLiteral("/dev/hidraw-stuck"); }
    int setOutputReport(std::uint8_t, std::span<const std::uint8_t>, int) override
    {
        std::unique_lock lock(m_mutex);
        m_entered = true;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_released; });
        ++written;
        return 0;
    }
    int close() override
    {
        ++closed;
        return 0;
    }

    void waitEntered()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_entered; });
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

    std::atomic<int> closed = 0;
    std::atomic<int> written = 0;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_entered = false;
    bool m_released = false;
};

}

TEST(HidReportWriter, WritesInOrderAndAnswersEachOnTheMainThread)
{
    auto device = std::make_shared<FakeHidDevice>();
    std::vector<int> results;
    bool onMainThread = true;
    {
        HidReportWriter writer(device, [&](int error) {
            results.push_back(error);
            onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
        });
        // Queued in three bursts, the middle one refused; each burst is
        // answered before the device changes, however slow the writer is.
        const auto burst = [&](int from, int to, int failWith) {
            device->failWith = failWith;
            for (int n = from; n < to; ++n) {
                const std::uint8_t payload[2] = {static_cast<std::uint8_t>(n), 0};
                writer.enqueue(0, payload);
            }
            return QTest::qWaitFor([&] { return results.size() == static_cast<std::size_t>(to); }, 5000);
        };
        ASSERT_TRUE(burst(0, 10, 0));
        ASSERT_TRUE(burst(10, 12, EPIPE));
        ASSERT_TRUE(burst(12, 20, 0));
    }
    EXPECT_TRUE(onMainThread);
    EXPECT_EQ(device->closeCount(), 1) << "the writer closes the device when it goes";
    std::vector<int> expectedResults(20, 0);
    expectedResults[10] = expectedResults[11] = EPIPE;
    EXPECT_EQ(results, expectedResults) << "one answer a report, in order; a refused report stops none after it";
    const auto reports = device->reports();
    ASSERT_EQ(reports.size(), 18U);
    for (std::size_t i = 1; i < reports.size(); ++i)
        EXPECT_LT(reports[i - 1][1], reports[i][1]) << "in the order queued";
    EXPECT_EQ(reports.back()[1], 19);
}

TEST(HidReportWriter, DestructionDoesNotWaitOnAStuckWriteAndDropsItsAnswer)
{
    auto device = std::make_shared<StuckDevice>();
    int answers = 0;
    QElapsedTimer destruction;
    {
        HidReportWriter writer(device, [&](int) { ++answers; });
        const std::uint8_t payload[1] = {1};
        writer.enqueue(0, payload);
        writer.enqueue(0, payload);
        device->waitEntered();
        destruction.start();
    }
    EXPECT_LT(destruction.elapsed(), 2000);

    // The write comes back after the writer is gone: nothing reaches the
    // dead callback, the waiting report is not written, the device closes.
    device->release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return device->closed == 1; }, 3000));
    QTest::qWait(50);
    EXPECT_EQ(answers, 0);
}

// At shut-down the reports still queued get a while to reach the device:
// a device holding them makes the flush give up at its bound, one that takes
// them is waited for until the last is written.
TEST(HidReportWriter, FlushWaitsForEveryQueuedReportWithinItsBound)
{
    auto device = std::make_shared<StuckDevice>();
    HidReportWriter writer(device, [](int) {});
    const std::uint8_t payload[2] = {1, 2};
    for (int n = 0; n < 3; ++n)
        writer.enqueue(0, payload);
    device->waitEntered();
    EXPECT_FALSE(writer.flush(std::chrono::milliseconds(20))) << "the device holds the first report";
    device->release();
    EXPECT_TRUE(writer.flush(std::chrono::seconds(10)));
    EXPECT_EQ(device->written, 3);
}
