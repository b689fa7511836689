#include "device/UsbHID.h"

#include <QLoggingCategory>

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
    usb->m_managerRef->registerDeviceMatchingCallback([self] { self->deviceMatched(); });
    usb->m_managerRef->registerDeviceRemovalCallback([self] { self->deviceRemoved(); });

    if (usb->m_managerRef->copyDevices().empty())
        qCInfo(lcUsbHID, "there is no HID Device");

    return usb;
}

UsbHID::UsbHID(std::unique_ptr<HidManager> manager)
    : m_managerRef(std::move(manager))
{
}

UsbHID::~UsbHID()
{
    if (m_deviceRef && m_deviceRef->close() == 0)
        m_deviceRef.reset();
    if (m_managerRef && m_managerRef->close() == 0)
        m_managerRef.reset();
}

void UsbHID::connectHID()
{
    const auto devices = m_managerRef->copyDevices();
    m_deviceRef = devices.empty() ? nullptr : devices.front();
}

void UsbHID::senddata(std::span<const std::uint8_t, 16> data)
{
    if (!m_deviceRef)
        return;
    if (m_deviceRef->setOutputReport(0, data) != 0)
        qCWarning(lcUsbHID, "send data failed");
}

// Main thread: the manager delivers its notifications there.
void UsbHID::deviceMatched()
{
    m_find = true;
    if (m_delegate)
        m_delegate->usbhidDidMatch();
}

// Main thread: the manager delivers its notifications there.
void UsbHID::deviceRemoved()
{
    m_find = false;
    if (m_delegate)
        m_delegate->usbhidDidRemove();
}
