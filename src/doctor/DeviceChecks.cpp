#include "doctor/DeviceChecks.h"

#include "device/DeviceAccess.h"
#include "device/UsbHID.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <libudev.h>
#include <unistd.h>

namespace {

struct UdevUnref {
    void operator()(udev* u) const { udev_unref(u); }
};
struct EnumerateUnref {
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
};
struct DeviceUnref {
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
using DevicePtr = std::unique_ptr<udev_device, DeviceUnref>;

constexpr unsigned kUsbBus = 0x0003;

// HID_ID reads "<bus>:<vendor>:<product>" in hexadecimal.
bool isQuorelOnUsb(const char* hidId)
{
    if (!hidId)
        return false;
    const QList<QByteArray> parts = QByteArray(hidId).split(':');
    if (parts.size() != 3)
        return false;
    bool ok[3] = {};
    const unsigned bus = parts[0].toUInt(&ok[0], 16);
    const unsigned vendor = parts[1].toUInt(&ok[1], 16);
    const unsigned product = parts[2].toUInt(&ok[2], 16);
    return ok[0] && ok[1] && ok[2] && bus == kUsbBus && vendor == UsbHID::VendorID && product == UsbHID::ProductID;
}

struct Found {
    QString hidSyspath; // the device's HID interface, empty when absent
    QString node;       // its hidraw node, empty when it has none
};

// The first HID interface with the device's ids and its hidraw node.
Found findDevice(QString* error)
{
    Found found;
    std::unique_ptr<udev, UdevUnref> context(udev_new());
    std::unique_ptr<udev_enumerate, EnumerateUnref> enumerate(context ? udev_enumerate_new(context.get()) : nullptr);
    if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), "hidraw") < 0
        || udev_enumerate_scan_devices(enumerate.get()) < 0) {
        *error = DeviceChecks::tr("cannot read the hidraw devices from udev");
        return found;
    }
    for (udev_list_entry* entry = udev_enumerate_get_list_entry(enumerate.get()); entry;
         entry = udev_list_entry_get_next(entry)) {
        DevicePtr hidraw(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!hidraw)
            continue;
        // Owned by the hidraw device.
        udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidraw.get(), "hid", nullptr);
        if (!hid || !isQuorelOnUsb(udev_device_get_property_value(hid, "HID_ID")))
            continue;
        found.hidSyspath = QString::fromUtf8(udev_device_get_syspath(hid));
        const char* node = udev_device_get_devnode(hidraw.get());
        found.node = node ? QString::fromUtf8(node) : QString();
        if (!found.node.isEmpty())
            return found;
    }
    if (!found.hidSyspath.isEmpty())
        return found;

    // A HID interface with the ids but no hidraw node at all.
    std::unique_ptr<udev_enumerate, EnumerateUnref> hids(udev_enumerate_new(context.get()));
    if (hids && udev_enumerate_add_match_subsystem(hids.get(), "hid") >= 0
        && udev_enumerate_scan_devices(hids.get()) >= 0) {
        for (udev_list_entry* entry = udev_enumerate_get_list_entry(hids.get()); entry;
             entry = udev_list_entry_get_next(entry)) {
            DevicePtr hid(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
            if (hid && isQuorelOnUsb(udev_device_get_property_value(hid.get(), "HID_ID"))) {
                found.hidSyspath = QString::fromUtf8(udev_device_get_syspath(hid.get()));
                break;
            }
        }
    }
    return found;
}

QString usbTitle()
{
    return DeviceChecks::tr("Quorel IIS Audio on USB");
}

QString nodeTitle()
{
    return DeviceChecks::tr("HID node");
}

QString ruleTitle()
{
    return DeviceChecks::tr("udev rule installed");
}

QString accessTitle()
{
    return DeviceChecks::tr("udev rule applied (HID node writable)");
}

} // namespace

DeviceChecks::Config DeviceChecks::defaultConfig()
{
    return {DeviceAccess::udevRuleDirs(),
            QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString(),
            DeviceAccess::PackageList};
}

DeviceChecks::DeviceChecks(Config config)
    : m_config(std::move(config))
{
}

std::vector<DoctorCheck> DeviceChecks::run()
{
    std::vector<DoctorCheck> checks;
    QString error;
    const Found device = findDevice(&error);
    if (!error.isEmpty()) {
        checks.push_back(DoctorCheck::fail(QStringLiteral("device.usb"), usbTitle(), error,
                                           tr("Check that /sys is mounted and systemd-udevd runs.")));
    } else if (device.hidSyspath.isEmpty()) {
        checks.push_back(
            DoctorCheck::fail(QStringLiteral("device.usb"), usbTitle(),
                              tr("no USB HID device with the ids 0a12:1243 is attached"),
                              tr("Plug the device in (directly, or through a powered hub) and check that 'lsusb' lists "
                                 "0a12:1243.")));
    } else {
        checks.push_back(DoctorCheck::pass(QStringLiteral("device.usb"), usbTitle(), device.hidSyspath));
    }

    if (device.hidSyspath.isEmpty()) {
        checks.push_back(DoctorCheck::skip(QStringLiteral("device.node"), nodeTitle(), tr("no device")));
    } else if (device.node.isEmpty() || !QFileInfo::exists(device.node)) {
        checks.push_back(DoctorCheck::fail(
            QStringLiteral("device.node"), nodeTitle(), tr("the device's HID interface has no hidraw node"),
            tr("Load the kernel's hidraw support ('sudo modprobe hidraw') and plug the device in again.")));
    } else {
        checks.push_back(DoctorCheck::pass(QStringLiteral("device.node"), nodeTitle(), device.node));
    }

    const DeviceAccess::Install install = DeviceAccess::detectInstall(m_config.ruleDirs, m_config.program,
                                                                      m_config.packageList);
    const bool nodePresent = !device.node.isEmpty() && QFileInfo::exists(device.node);
    // Opened for writing as the panel opens it, and closed at once: nothing
    // is sent. Non-blocking, so a stalled device cannot hold the check.
    int openError = 0;
    if (nodePresent) {
        const int fd = ::open(QFile::encodeName(device.node).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        openError = fd < 0 ? errno : 0;
        if (fd >= 0)
            ::close(fd);
    }

    QString rule;
    for (const QString& dir : m_config.ruleDirs) {
        if (rule.isEmpty() && QFileInfo::exists(QDir(dir).filePath(DeviceAccess::RuleName)))
            rule = QDir(dir).filePath(DeviceAccess::RuleName);
    }
    if (!rule.isEmpty()) {
        checks.push_back(DoctorCheck::pass(QStringLiteral("device.rule"), ruleTitle(), rule));
    } else if (nodePresent && openError == 0) {
        // Access comes from elsewhere (a group, a hand-made change): the
        // panel works now, but may not on the next plug-in or account.
        checks.push_back(DoctorCheck::warn(
            QStringLiteral("device.rule"), ruleTitle(),
            tr("%1 is in none of udev's folders (%2): this user may write to %3 now, but access given outside the "
               "rule can be gone after the device is plugged in again or the computer restarts, and other accounts "
               "may not have it")
                .arg(DeviceAccess::RuleName, m_config.ruleDirs.join(QStringLiteral(", ")), device.node),
            DeviceAccess::permissionFix(install)));
    } else {
        checks.push_back(
            DoctorCheck::fail(QStringLiteral("device.rule"), ruleTitle(),
                              tr("%1 is in none of udev's folders (%2)")
                                  .arg(DeviceAccess::RuleName, m_config.ruleDirs.join(QStringLiteral(", "))),
                              DeviceAccess::permissionFix(install)));
    }

    if (!nodePresent) {
        checks.push_back(DoctorCheck::skip(QStringLiteral("device.access"), accessTitle(), tr("no HID node")));
        return checks;
    }
    if (openError == 0) {
        checks.push_back(DoctorCheck::pass(QStringLiteral("device.access"), accessTitle(),
                                           tr("this user may write to %1").arg(device.node)));
    } else if (openError == EACCES || openError == EPERM) {
        checks.push_back(DoctorCheck::fail(
            QStringLiteral("device.access"), accessTitle(),
            tr("this user may not write to %1 (%2)").arg(device.node, QString::fromLocal8Bit(std::strerror(openError))),
            DeviceAccess::permissionFix(install)));
    } else {
        checks.push_back(DoctorCheck::fail(
            QStringLiteral("device.access"), accessTitle(),
            tr("%1 cannot be opened (%2)").arg(device.node, QString::fromLocal8Bit(std::strerror(openError))),
            tr("Plug the device in again; if that does not help, try another USB port.")));
    }
    return checks;
}
