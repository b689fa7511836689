#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include <QString>
#include <QTimer>

#include "device/HidManager.h"

class HidReportWriter;
class UsbHIDDelegate;

// The panel's link to the device's control interface: watches for the
// device's HID interface, tells its delegate when it arrives or leaves and
// sends the 16-byte control-panel record as an output report. Write-only.
// Lives on the main thread; the reports are written on a thread of their
// own, so a device that stops taking them never holds the window.
class UsbHID {
public:
    static constexpr std::uint16_t VendorID = 0x0A12;
    static constexpr std::uint16_t ProductID = 0x1243;
    // A report the device has not taken within this time makes it "not
    // answering".
    static constexpr std::chrono::milliseconds ResponseBound{1000};
    // How long destruction lets reports still waiting reach the device.
    static constexpr std::chrono::milliseconds ShutdownFlushBound{300};

    // Why the chosen device is not taking reports.
    enum class Fault {
        None,
        NoPermission, // the node may not be opened (no udev rule applied)
        NotAnswering, // a report has waited longer than ResponseBound
        WriteFailed,  // the last report was refused (faultError() says how)
    };

    // A transport watching through `manager`, or null (after logging
    // "open device failed") when the manager cannot be opened.
    static std::unique_ptr<UsbHID> create(std::unique_ptr<HidManager> manager);
    // The same on this system's HID manager (udev and hidraw).
    static std::unique_ptr<UsbHID> create();

    ~UsbHID();
    UsbHID(const UsbHID&) = delete;
    UsbHID& operator=(const UsbHID&) = delete;

    // Chooses the followed node (see node()) from the current matching set,
    // or, before any arrival was told, the set's first device; or none. A
    // new choice starts without a fault.
    void connectHID();
    // Queues the 16 bytes as one output report with report ID 0 for the
    // chosen device and returns at once; does nothing without one. Does not
    // look at `find`. A report that fails logs "send data failed".
    void senddata(std::span<const std::uint8_t, 16> data);

    // The followed node is attached.
    bool find() const { return m_find; }
    void setFind(bool find) { m_find = find; }

    // Not owned: the delegate (the controller) outlives the transport.
    UsbHIDDelegate* delegate() const { return m_delegate; }
    void setDelegate(UsbHIDDelegate* delegate) { m_delegate = delegate; }

    // The chosen device, or null.
    const std::shared_ptr<HidDevice>& deviceRef() const { return m_deviceRef; }
    // The node the transport follows: the first to arrive, until it leaves
    // (then one still attached). Arrivals and removals of other matching
    // nodes are not passed on. Empty before any arrival.
    const QString& node() const { return m_node; }

    // The chosen device's state: a fault is set by a failed or overdue
    // report and cleared by the next report the device takes.
    Fault fault() const { return m_fault; }
    // The errno value behind NoPermission and WriteFailed, else 0.
    int faultError() const { return m_faultError; }
    bool responding() const { return m_fault == Fault::None; }
    // For the user: what is wrong and what to do about it; empty without a
    // fault.
    QString faultDescription() const;
    // Reports queued and not yet answered by the writer.
    int pendingReports() const { return m_pending; }

private:
    explicit UsbHID(std::unique_ptr<HidManager> manager);

    // Main thread, from the manager.
    void deviceMatched(const QString& name);
    void deviceRemoved(const QString& name);
    void deviceChanged(const QString& name);
    bool isPresent(const QString& name) const;
    // Main thread, from the writer and the response timer.
    void reportWritten(int error);
    void responseOverdue();
    void setFault(Fault fault, int error);

    std::unique_ptr<HidManager> m_managerRef;
    std::shared_ptr<HidDevice> m_deviceRef;
    std::unique_ptr<HidReportWriter> m_writer;
    bool m_find = false;
    UsbHIDDelegate* m_delegate = nullptr;
    // The matching nodes attached, in the order they arrived.
    std::vector<QString> m_nodes;
    QString m_node;

    Fault m_fault = Fault::None;
    int m_faultError = 0;
    int m_pending = 0;
    // Reports have been dropped since the queue last ran empty.
    bool m_droppedReports = false;
    // The last report queued: sent again when the device is announced anew
    // while it refuses reports (its access rules may have been fixed).
    std::array<std::uint8_t, 16> m_lastReport{};
    bool m_hasLastReport = false;
    // Runs while a report is with the writer; restarted by every answer.
    QTimer m_responseTimer;
};
