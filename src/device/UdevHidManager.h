#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QObject>

#include "base/WorkQueue.h"
#include "device/HidManager.h"

struct udev;
struct udev_device;
struct udev_monitor;
class QSocketNotifier;

// The HID manager on Linux: enumerates and monitors the `hidraw` subsystem
// through libudev. A node matches when its parent `hid` device's HID_ID
// carries the wanted vendor and product. The monitor's descriptor sits on a
// QSocketNotifier, so every callback runs on the main thread; nodes are
// opened on threads of their own only.
class UdevHidManager final : public QObject, public HidManager {
    Q_OBJECT
public:
    UdevHidManager();
    ~UdevHidManager() override;

    int open() override;
    void setDeviceMatching(const HidMatching& matching) override;
    void registerDeviceMatchingCallback(DeviceCallback callback) override;
    void registerDeviceRemovalCallback(DeviceCallback callback) override;
    void registerDeviceChangedCallback(DeviceCallback callback) override;
    std::vector<std::shared_ptr<HidDevice>> copyDevices() override;
    int close() override;

private:
    struct UdevDeleter { void operator()(udev* u) const; };
    struct MonitorDeleter { void operator()(udev_monitor* m) const; };
    struct DeviceDeleter { void operator()(udev_device* d) const; };
    using DevicePtr = std::unique_ptr<udev_device, DeviceDeleter>;

    struct Node {
        std::string syspath;
        std::string devnode;
    };

    bool matches(udev_device* device) const;
    std::vector<Node> enumerateMatching() const;
    void reportPresentDevices();
    void monitorReadable();
    void deviceAdded(udev_device* device, bool change);
    void deviceRemoved(udev_device* device);
    void checkAccess(const std::string& devnode);

    std::unique_ptr<udev, UdevDeleter> m_udev;
    std::unique_ptr<udev_monitor, MonitorDeleter> m_monitor;
    std::unique_ptr<QSocketNotifier> m_notifier;
    HidMatching m_matching;
    DeviceCallback m_matched;
    DeviceCallback m_removed;
    DeviceCallback m_changed;
    // syspath -> device node of every node reported as matched, so a removal
    // is recognised even when the leaving node's properties are gone.
    std::map<std::string, std::string> m_present;
    // Shared with the devices handed out, which fail on the writer thread:
    // the hint on how to grant access is logged once, not on every send.
    std::shared_ptr<std::atomic<bool>> m_permissionHintLogged = std::make_shared<std::atomic<bool>>(false);
    // The queues opening newly found nodes, by check number; each goes once
    // it has answered.
    struct AccessCheck {
        std::string devnode;
        std::unique_ptr<WorkQueue> queue;
    };
    std::map<std::uint64_t, AccessCheck> m_accessChecks;
    std::uint64_t m_accessChecksStarted = 0;
};
