#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <thread>
#include <vector>

class QSocketNotifier;

class HidDevice;

// Writes output reports to one device on a thread of its own (opening it
// with the first), in the order they were queued, so the main thread never
// waits on the device. Each finished write is reported back on the main
// thread.
// Created, used and destroyed on the main thread.
class HidReportWriter {
public:
    // At most this many reports wait; a further one pushes out the oldest.
    // Every record is whole, so the newest carries everything the dropped
    // ones did.
    static constexpr std::size_t QueueLimit = 32;

    // `written` receives each write's result (0 or an errno value) on the
    // main thread, never after the writer is gone.
    HidReportWriter(std::shared_ptr<HidDevice> device, std::function<void(int error)> written);
    // Cancels a write waiting on the device and closes it. An open or a
    // write stuck in the kernel is not waited for beyond a short bound: its
    // thread is left to end on its own, so shutting down never hangs on the
    // device.
    ~HidReportWriter();
    HidReportWriter(const HidReportWriter&) = delete;
    HidReportWriter& operator=(const HidReportWriter&) = delete;

    // Queues one report: `reportId` then `payload`. False when the queue was
    // full and its oldest report was dropped.
    bool enqueue(std::uint8_t reportId, std::span<const std::uint8_t> payload);
    // Waits until every queued report is written or `bound` has passed;
    // true when nothing is left. Their results are not delivered. For the
    // shut-down only: it holds the calling thread.
    bool flush(std::chrono::milliseconds bound);

private:
    struct Shared;
    // A report to write, its ID apart from its payload (the device's write
    // puts them together).
    struct Report {
        std::uint8_t id = 0;
        std::vector<std::uint8_t> payload;
    };
    static void run(std::shared_ptr<Shared> shared);
    void deliverResults();

    std::shared_ptr<Shared> m_shared;
    std::function<void(int)> m_written;
    // Main thread: wakes when the writer has results; gone with the writer,
    // so no result reaches a callback that is gone.
    std::unique_ptr<QSocketNotifier> m_results;
    std::thread m_thread;
};
