#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include <QString>

// One HID device the manager has matched. Reports go out through it (and
// open it, which can wait on the device) on a writer thread only; name()
// may be read on any thread.
class HidDevice {
public:
    virtual ~HidDevice() = default;

    // Where the device lives (for log lines), e.g. "/dev/hidraw3".
    virtual QString name() const = 0;
    // Sends one output report: `reportId` followed by `payload`, waiting as
    // long as the device takes to accept it, or until `cancelFd` (a
    // descriptor) becomes readable. Returns 0 on success, ECANCELED when
    // cancelled, otherwise an errno value.
    virtual int setOutputReport(std::uint8_t reportId, std::span<const std::uint8_t> payload, int cancelFd) = 0;
    // Releases the device. Returns 0 on success, otherwise an errno value.
    virtual int close() = 0;
};

struct HidMatching {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// The platform's HID manager: finds the devices meeting the matching
// criteria, reports their arrival and removal, hands out devices to send to.
// Everything, callbacks included, runs on the main thread.
class HidManager {
public:
    // Receives the device's name (HidDevice::name()), which tells the
    // devices apart.
    using DeviceCallback = std::function<void(const QString& name)>;

    virtual ~HidManager() = default;

    // Starts watching. Returns 0 on success, otherwise an errno value.
    virtual int open() = 0;
    virtual void setDeviceMatching(const HidMatching& matching) = 0;
    // Called once per matching device that is present or arrives. Devices
    // present when watching starts are reported after control returns to the
    // event loop, never from inside open() or these registrations.
    virtual void registerDeviceMatchingCallback(DeviceCallback callback) = 0;
    // Called once per matched device that leaves.
    virtual void registerDeviceRemovalCallback(DeviceCallback callback) = 0;
    // Called when a matched device that stays was announced again, e.g.
    // after its access rules were re-applied. Managers without such news
    // never call it.
    virtual void registerDeviceChangedCallback(DeviceCallback callback) { (void)callback; }
    // The current set of matching devices, in no defined order.
    virtual std::vector<std::shared_ptr<HidDevice>> copyDevices() = 0;
    // Stops watching. Returns 0 on success, otherwise an errno value.
    virtual int close() = 0;
};
