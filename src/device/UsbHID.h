#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "device/HidManager.h"

class UsbHIDDelegate;

// The panel's link to the device's control interface: watches for the
// device's HID interface, tells its delegate when it arrives or leaves and
// sends the 16-byte control-panel record as an output report. Write-only.
// Lives on the main thread.
class UsbHID {
public:
    static constexpr std::uint16_t VendorID = 0x0A12;
    static constexpr std::uint16_t ProductID = 0x1243;

    // A transport watching through `manager`, or null (after logging
    // "open device failed") when the manager cannot be opened.
    static std::unique_ptr<UsbHID> create(std::unique_ptr<HidManager> manager);
    // The same on this system's HID manager (udev and hidraw).
    static std::unique_ptr<UsbHID> create();

    ~UsbHID();
    UsbHID(const UsbHID&) = delete;
    UsbHID& operator=(const UsbHID&) = delete;

    // Chooses the first device of the current matching set, or none.
    void connectHID();
    // Sends the 16 bytes as one output report with report ID 0 to the chosen
    // device; does nothing without one. Does not look at `find`.
    void senddata(std::span<const std::uint8_t, 16> data);

    bool find() const { return m_find; }
    void setFind(bool find) { m_find = find; }

    // Not owned: the delegate (the controller) outlives the transport.
    UsbHIDDelegate* delegate() const { return m_delegate; }
    void setDelegate(UsbHIDDelegate* delegate) { m_delegate = delegate; }

    // The chosen device, or null.
    const std::shared_ptr<HidDevice>& deviceRef() const { return m_deviceRef; }

private:
    explicit UsbHID(std::unique_ptr<HidManager> manager);

    // Main thread, from the manager.
    void deviceMatched();
    void deviceRemoved();

    std::unique_ptr<HidManager> m_managerRef;
    std::shared_ptr<HidDevice> m_deviceRef;
    bool m_find = false;
    UsbHIDDelegate* m_delegate = nullptr;
};
