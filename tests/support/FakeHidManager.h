#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include <QObject>

#include "device/HidManager.h"

// A device handed out by FakeHidManager: keeps every report it was sent and
// fails on demand. Reports arrive on the transport's writer thread.
class FakeHidDevice final : public HidDevice {
public:
    explicit FakeHidDevice(QString name = QStringLiteral("/dev/hidraw-fake"));

    QString name() const override { return m_name; }
    int setOutputReport(std::uint8_t reportId, std::span<const std::uint8_t> payload, int cancelFd) override;
    int close() override;

    // Each report as sent: the report ID, then the payload.
    std::vector<std::vector<std::uint8_t>> reports() const;
    int closeCount() const { return m_closeCount; }
    // An errno value every later send fails with; 0 lets them through.
    std::atomic<int> failWith = 0;

private:
    QString m_name;
    mutable std::mutex m_mutex;
    std::vector<std::vector<std::uint8_t>> m_reports;
    std::atomic<int> m_closeCount = 0;
};

// A HID manager for what a udev testbed cannot stage: a manager that will not
// open, several matching devices at once, the order of close calls.
// Main thread only.
class FakeHidManager final : public HidManager {
public:
    // What the test keeps after handing the manager over.
    struct Control {
        int openResult = 0;
        bool opened = false;
        bool closed = false;
        HidMatching matching;
        // The matching devices attached now.
        std::vector<std::shared_ptr<FakeHidDevice>> devices;
        // Names of the calls in the order they came ("open", "close", ...).
        std::vector<std::string> calls;
        DeviceCallback matched;
        DeviceCallback removed;

        // Attaches `device` and reports its arrival at once.
        void plug(const std::shared_ptr<FakeHidDevice>& device);
        // Detaches `device` and reports its removal at once.
        void unplug(const std::shared_ptr<FakeHidDevice>& device);
    };

    explicit FakeHidManager(std::shared_ptr<Control> control);

    int open() override;
    void setDeviceMatching(const HidMatching& matching) override;
    void registerDeviceMatchingCallback(DeviceCallback callback) override;
    void registerDeviceRemovalCallback(DeviceCallback callback) override;
    std::vector<std::shared_ptr<HidDevice>> copyDevices() override;
    int close() override;

private:
    std::shared_ptr<Control> m_control;
    // Context of the queued report of devices attached at open(): dropped
    // with the manager.
    QObject m_context;
};
