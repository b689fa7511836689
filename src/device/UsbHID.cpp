#include "device/UsbHID.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QCoreApplication>
#include <QLoggingCategory>

#include "device/DeviceAccess.h"
#include "device/HidReportWriter.h"
#include "device/UdevHidManager.h"
#include "device/UsbHIDDelegate.h"

Q_LOGGING_CATEGORY(lcUsbHID, "quorel.device.usbhid")

std::unique_ptr<UsbHID> UsbHID::create()
{
    return create(std::make_unique<UdevHidManager>());
}

std::unique_ptr<UsbHID> UsbHID::create(std::unique_ptr<HidManager> manager)
{
    std::unique_ptr<UsbHID> usb(new UsbHID(std::move(manager)));
    usb->m_find = false;

    if (usb->m_managerRef->open() != 0) {
        qCWarning(lcUsbHID, "open device failed");
        return nullptr;
    }

    usb->m_managerRef->setDeviceMatching(HidMatching{VendorID, ProductID});

    // The manager dies with the transport, so its callbacks never outlive
    // the object they point at.
    UsbHID* self = usb.get();
    usb->m_managerRef->registerDeviceMatchingCallback([self](const QString& name) { self->deviceMatched(name); });
    usb->m_managerRef->registerDeviceRemovalCallback([self](const QString& name) { self->deviceRemoved(name); });
    usb->m_managerRef->registerDeviceChangedCallback([self](const QString& name) { self->deviceChanged(name); });

    if (usb->m_managerRef->copyDevices().empty())
        qCInfo(lcUsbHID, "there is no HID Device");

    return usb;
}

UsbHID::UsbHID(std::unique_ptr<HidManager> manager)
    : m_managerRef(std::move(manager))
{
    m_responseTimer.setSingleShot(true);
    QObject::connect(&m_responseTimer, &QTimer::timeout, [this] { responseOverdue(); });
}

// Reports still waiting get a short while to reach the device, so the last
// change before a quit is not lost. The writer closes the device on its own
// thread once it has let go of it; one stuck in the kernel is not waited for.
UsbHID::~UsbHID()
{
    m_responseTimer.stop();
    if (m_writer && m_pending > 0 && !m_writer->flush(ShutdownFlushBound)) {
        qCWarning(lcUsbHID).noquote() << "the device" << m_deviceRef->name() << "did not take the last settings within"
                                      << ShutdownFlushBound.count() << "ms of shutting down";
    }
    m_writer.reset();
    m_deviceRef.reset();
    if (m_managerRef && m_managerRef->close() == 0)
        m_managerRef.reset();
}

void UsbHID::connectHID()
{
    const auto devices = m_managerRef->copyDevices();
    // The node the panel follows; before any arrival was told, the first.
    std::shared_ptr<HidDevice> chosen;
    for (const auto& device : devices) {
        if (device->name() == m_node)
            chosen = device;
    }
    if (!chosen && m_node.isEmpty() && !devices.empty())
        chosen = devices.front();

    // Results still on their way from the previous device's writer are
    // dropped with it.
    m_writer.reset();
    m_responseTimer.stop();
    m_pending = 0;
    m_droppedReports = false;
    m_hasLastReport = false;
    m_deviceRef = std::move(chosen);
    if (m_deviceRef)
        m_writer = std::make_unique<HidReportWriter>(m_deviceRef, [this](int error) { reportWritten(error); });
    setFault(Fault::None, 0);
}

void UsbHID::senddata(std::span<const std::uint8_t, 16> data)
{
    if (!m_deviceRef)
        return;
    std::copy(data.begin(), data.end(), m_lastReport.begin());
    m_hasLastReport = true;
    if (!m_writer->enqueue(0, data)) {
        // The oldest waiting report made room; its answer never comes.
        --m_pending;
        if (!m_droppedReports) {
            qCInfo(lcUsbHID).noquote() << "the device" << m_deviceRef->name()
                                       << "is behind; older waiting reports give way to newer ones";
        }
        m_droppedReports = true;
    }
    ++m_pending;
    if (!m_responseTimer.isActive())
        m_responseTimer.start(ResponseBound);
}

// Main thread, from the writer: one report has been written or refused.
void UsbHID::reportWritten(int error)
{
    if (m_pending > 0)
        --m_pending;
    if (m_pending > 0)
        m_responseTimer.start(ResponseBound);
    else
        m_responseTimer.stop();

    if (error == 0) {
        const bool recovering = m_fault != Fault::None;
        const bool dropped = m_pending == 0 && m_droppedReports;
        if (m_pending == 0)
            m_droppedReports = false;
        setFault(Fault::None, 0);
        // A device that recovers gets everything anyway (see
        // usbhidDidChangeFault); one that only fell behind is told here.
        if (dropped && !recovering && m_delegate) {
            qCInfo(lcUsbHID).noquote() << "the device" << m_deviceRef->name()
                                       << "has caught up after reports gave way; it needs all settings again";
            m_delegate->usbhidDidDropReports();
        }
        return;
    }
    qCWarning(lcUsbHID, "send data failed");
    qCInfo(lcUsbHID).noquote() << "the device" << m_deviceRef->name() << "refused a report:" << std::strerror(error);
    setFault(error == EACCES || error == EPERM ? Fault::NoPermission : Fault::WriteFailed, error);
}

// Main thread, from the response timer: a report has waited too long.
void UsbHID::responseOverdue()
{
    if (m_pending == 0 || !m_deviceRef)
        return;
    if (m_fault != Fault::NotAnswering) {
        qCWarning(lcUsbHID).noquote() << "the device" << m_deviceRef->name() << "is not responding: a report has waited"
                                      << ResponseBound.count() << "ms";
    }
    setFault(Fault::NotAnswering, 0);
}

void UsbHID::setFault(Fault fault, int error)
{
    if (fault == m_fault && error == m_faultError)
        return;
    const bool recovered = fault == Fault::None;
    if (recovered && m_deviceRef)
        qCInfo(lcUsbHID).noquote() << "the device" << m_deviceRef->name() << "takes reports again";
    m_fault = fault;
    m_faultError = error;
    if (m_delegate)
        m_delegate->usbhidDidChangeFault();
}

QString UsbHID::faultDescription() const
{
    switch (m_fault) {
    case Fault::None:
        break;
    case Fault::NoPermission:
        return QCoreApplication::translate("UsbHID", "The panel may not write to the device (%1). %2")
            .arg(QString::fromLocal8Bit(std::strerror(m_faultError)),
                 DeviceAccess::permissionFix(DeviceAccess::detectInstall()));
    case Fault::NotAnswering:
        return QCoreApplication::translate("UsbHID", "The device is not answering. Your settings go to it as soon "
                                                     "as it takes them again; if it stays silent, plug it in again.");
    case Fault::WriteFailed:
        return QCoreApplication::translate("UsbHID", "The device refused a setting (%1). It gets all settings again "
                                                     "once it takes one; if it keeps refusing, plug it in again.")
            .arg(QString::fromLocal8Bit(std::strerror(m_faultError)));
    }
    return {};
}

bool UsbHID::isPresent(const QString& name) const
{
    return std::find(m_nodes.begin(), m_nodes.end(), name) != m_nodes.end();
}

// Main thread: the manager delivers its notifications there. The panel
// follows one node: a further one arriving while it is attached is only
// noted.
void UsbHID::deviceMatched(const QString& name)
{
    if (!isPresent(name))
        m_nodes.push_back(name);
    if (!m_node.isEmpty() && m_node != name && isPresent(m_node)) {
        qCInfo(lcUsbHID).noquote() << "another matching device" << name << "arrived; the panel stays with" << m_node;
        return;
    }
    m_node = name;
    m_find = true;
    if (m_delegate)
        m_delegate->usbhidDidMatch();
}

// Main thread: the manager delivers its notifications there. Only the
// followed node's removal is the device leaving; then a node still attached
// is announced as arriving, to be linked in its turn.
void UsbHID::deviceRemoved(const QString& name)
{
    std::erase(m_nodes, name);
    if (name != m_node) {
        qCInfo(lcUsbHID).noquote() << "another matching device" << name << "left; the panel stays with" << m_node;
        return;
    }
    m_find = false;
    if (m_delegate)
        m_delegate->usbhidDidRemove();
    if (m_nodes.empty())
        return;
    m_node = m_nodes.back();
    qCInfo(lcUsbHID).noquote() << "the matching device" << m_node << "is still attached; following it";
    m_find = true;
    if (m_delegate)
        m_delegate->usbhidDidMatch();
}

// Main thread: the manager delivers its notifications there. A device that
// refused reports is tried again with the last one.
void UsbHID::deviceChanged(const QString& name)
{
    if (name != m_node || !m_find || !m_hasLastReport
        || (m_fault != Fault::NoPermission && m_fault != Fault::WriteFailed))
        return;
    qCInfo(lcUsbHID) << "the device was announced again; trying it once more";
    const std::array<std::uint8_t, 16> report = m_lastReport;
    senddata(report);
}
