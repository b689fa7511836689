#pragma once

// Told by UsbHID when the device's HID interface comes and goes, and when
// the device stops or starts taking reports. All calls arrive on the main
// thread.
class UsbHIDDelegate {
public:
    virtual ~UsbHIDDelegate() = default;

    // A matching device has arrived; also sent once for each matching device
    // already attached when the transport was created, after its creator has
    // returned to the event loop.
    virtual void usbhidDidMatch() = 0;
    // A matching device has gone.
    virtual void usbhidDidRemove() = 0;
    // UsbHID::fault() changed. When it went back to None the device has
    // missed reports or is out of step: it needs the full record again.
    virtual void usbhidDidChangeFault() {}
    // Reports gave way to newer ones while the device was behind, and it
    // has now taken all that waited: it may have missed a change of a
    // setting the last one does not name, so it needs the full record.
    virtual void usbhidDidDropReports() {}
};
