#include "device/UdevHidManager.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <libudev.h>
#include <poll.h>
#include <unistd.h>

#include <QByteArray>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include "device/DeviceAccess.h"

// Details of failed opens and writes are debug lines: the transport logs the
// failure itself. QT_LOGGING_RULES="quorel.device.udev.debug=true" shows them.
Q_LOGGING_CATEGORY(lcUdev, "quorel.device.udev", QtInfoMsg)

namespace {

constexpr const char* kSubsystem = "hidraw";

// How long closing waits for an access check's open before leaving it.
constexpr std::chrono::milliseconds kAccessCheckBound{200};

struct EnumerateDeleter {
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
};

// Logs, once per run, why a node the user may not open needs the udev rule
// and what fixes it for the way the panel was installed. Any thread.
void logPermissionHint(const std::string& node, int error, std::atomic<bool>& logged)
{
    if ((error != EACCES && error != EPERM) || logged.exchange(true))
        return;
    qCWarning(lcUdev).noquote().nospace() << "no permission to open " << QString::fromStdString(node) << ": "
                                          << DeviceAccess::permissionFixForLog(DeviceAccess::detectInstall());
}

// A hidraw node, opened on the first report and reopened after a failure
// (the node may have come back as another device). Opened and written to
// off the main thread only: opening can resume a suspended device or wait
// on a stalled one.
class HidrawDevice final : public HidDevice {
public:
    HidrawDevice(std::string node, std::shared_ptr<std::atomic<bool>> permissionHintLogged)
        : m_node(std::move(node))
        , m_permissionHintLogged(std::move(permissionHintLogged))
    {
    }
    ~HidrawDevice() override { close(); }

    QString name() const override { return QString::fromStdString(m_node); }

    // 0 or an errno value; a refusal logs the hint on the udev rule.
    int open()
    {
        if (m_fd >= 0)
            return 0;
        m_fd = ::open(m_node.c_str(), O_RDWR | O_CLOEXEC);
        if (m_fd >= 0)
            return 0;
        const int error = errno;
        qCDebug(lcUdev).noquote().nospace() << "cannot open " << name() << ": " << std::strerror(error);
        logPermissionHint(m_node, error, *m_permissionHintLogged);
        return error;
    }

    int setOutputReport(std::uint8_t reportId, std::span<const std::uint8_t> payload, int cancelFd) override
    {
        if (const int error = open(); error != 0)
            return error;

        // hidraw takes the report ID as the first byte, 0 for unnumbered
        // reports, and sends the whole buffer as one report.
        std::vector<std::uint8_t> report;
        report.reserve(payload.size() + 1);
        report.push_back(reportId);
        report.insert(report.end(), payload.begin(), payload.end());

        const int error = writeAll(report, cancelFd);
        if (error == 0 || error == ECANCELED)
            return error;
        qCDebug(lcUdev).noquote().nospace() << "writing a report to " << name() << " failed: " << std::strerror(error);
        close();
        return error;
    }

    int close() override
    {
        if (m_fd < 0)
            return 0;
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    // Waits until the node takes a report (or the wait is cancelled), then
    // writes it. A hidraw node takes a report whole; a node that takes part
    // of it (a terminal standing in for one) gets the rest once it is ready.
    int writeAll(const std::vector<std::uint8_t>& report, int cancelFd)
    {
        std::size_t done = 0;
        while (done < report.size()) {
            pollfd fds[2] = {{m_fd, POLLOUT, 0}, {cancelFd, POLLIN, 0}};
            if (::poll(fds, cancelFd >= 0 ? 2 : 1, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            if (fds[1].revents & POLLIN)
                return ECANCELED;
            if (fds[0].revents & POLLNVAL)
                return EBADF;
            if (!(fds[0].revents & (POLLOUT | POLLERR | POLLHUP)))
                continue;
            // Ready, or failed: the write says which.
            const ssize_t written = ::write(m_fd, report.data() + done, report.size() - done);
            if (written > 0)
                done += static_cast<std::size_t>(written);
            else if (written == 0)
                return EIO;
            else if (errno != EINTR && errno != EAGAIN)
                return errno;
        }
        return 0;
    }

    std::string m_node;
    std::shared_ptr<std::atomic<bool>> m_permissionHintLogged;
    int m_fd = -1;
};

// HID_ID reads "<bus>:<vendor>:<product>" in hexadecimal, e.g.
// "0003:00000A12:00001243".
bool parseHidId(const char* hidId, unsigned& vendor, unsigned& product)
{
    if (!hidId)
        return false;
    const QList<QByteArray> parts = QByteArray(hidId).split(':');
    if (parts.size() != 3)
        return false;
    bool vendorOk = false;
    bool productOk = false;
    vendor = parts[1].toUInt(&vendorOk, 16);
    product = parts[2].toUInt(&productOk, 16);
    return vendorOk && productOk;
}

}

void UdevHidManager::UdevDeleter::operator()(udev* u) const { udev_unref(u); }
void UdevHidManager::MonitorDeleter::operator()(udev_monitor* m) const { udev_monitor_unref(m); }
void UdevHidManager::DeviceDeleter::operator()(udev_device* d) const { udev_device_unref(d); }

UdevHidManager::UdevHidManager() = default;

UdevHidManager::~UdevHidManager()
{
    close();
}

int UdevHidManager::open()
{
    m_udev.reset(udev_new());
    if (!m_udev) {
        const int error = errno ? errno : ENOMEM;
        qCDebug(lcUdev) << "udev_new failed:" << std::strerror(error);
        return error;
    }

    m_monitor.reset(udev_monitor_new_from_netlink(m_udev.get(), "udev"));
    if (!m_monitor) {
        const int error = errno ? errno : EIO;
        qCDebug(lcUdev) << "cannot create a udev monitor:" << std::strerror(error);
        return error;
    }
    int result = udev_monitor_filter_add_match_subsystem_devtype(m_monitor.get(), kSubsystem, nullptr);
    if (result >= 0)
        result = udev_monitor_enable_receiving(m_monitor.get());
    if (result < 0) {
        qCDebug(lcUdev) << "cannot listen to udev events:" << std::strerror(-result);
        return -result;
    }

    // Level-triggered: one event is taken per activation, and the notifier
    // fires again while more are queued.
    m_notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_monitor.get()), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { monitorReadable(); });

    // Devices already attached are reported once control is back in the
    // event loop, so the creator can finish wiring first.
    QMetaObject::invokeMethod(this, [this] { reportPresentDevices(); }, Qt::QueuedConnection);
    return 0;
}

void UdevHidManager::setDeviceMatching(const HidMatching& matching)
{
    m_matching = matching;
}

void UdevHidManager::registerDeviceMatchingCallback(DeviceCallback callback)
{
    m_matched = std::move(callback);
}

void UdevHidManager::registerDeviceRemovalCallback(DeviceCallback callback)
{
    m_removed = std::move(callback);
}

void UdevHidManager::registerDeviceChangedCallback(DeviceCallback callback)
{
    m_changed = std::move(callback);
}

std::vector<std::shared_ptr<HidDevice>> UdevHidManager::copyDevices()
{
    std::vector<std::shared_ptr<HidDevice>> devices;
    for (const Node& node : enumerateMatching())
        devices.push_back(std::make_shared<HidrawDevice>(node.devnode, m_permissionHintLogged));
    return devices;
}

int UdevHidManager::close()
{
    // A check whose open waits on the device is left to end on its own.
    for (const auto& [id, check] : m_accessChecks) {
        if (!check.queue->waitUntilIdle(kAccessCheckBound))
            qCWarning(lcUdev).noquote() << "the device" << QString::fromStdString(check.devnode)
                                        << "is still busy opening or writing; not waiting for it";
    }
    m_accessChecks.clear();
    m_notifier.reset();
    m_monitor.reset();
    m_udev.reset();
    m_present.clear();
    return 0;
}

bool UdevHidManager::matches(udev_device* device) const
{
    // The hidraw node's own properties do not name the device; its parent
    // hid device's HID_ID does.
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr);
    if (!hid)
        return false;
    unsigned vendor = 0;
    unsigned product = 0;
    if (!parseHidId(udev_device_get_property_value(hid, "HID_ID"), vendor, product))
        return false;
    return vendor == m_matching.vendorId && product == m_matching.productId;
}

std::vector<UdevHidManager::Node> UdevHidManager::enumerateMatching() const
{
    std::vector<Node> nodes;
    if (!m_udev)
        return nodes;
    std::unique_ptr<udev_enumerate, EnumerateDeleter> enumerate(udev_enumerate_new(m_udev.get()));
    if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), kSubsystem) < 0
        || udev_enumerate_scan_devices(enumerate.get()) < 0) {
        qCWarning(lcUdev) << "cannot enumerate" << kSubsystem << "devices";
        return nodes;
    }

    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get()))
    {
        DevicePtr device(udev_device_new_from_syspath(m_udev.get(), udev_list_entry_get_name(entry)));
        if (!device || !matches(device.get()))
            continue;
        const char* devnode = udev_device_get_devnode(device.get());
        if (devnode)
            nodes.push_back({udev_device_get_syspath(device.get()), devnode});
    }
    return nodes;
}

// Main thread, queued from open().
void UdevHidManager::reportPresentDevices()
{
    for (const Node& node : enumerateMatching()) {
        // The monitor may have reported it in the meantime.
        if (!m_present.emplace(node.syspath, node.devnode).second)
            continue;
        checkAccess(node.devnode);
        if (m_matched)
            m_matched(QString::fromStdString(node.devnode));
    }
}

// Main thread: the notifier's activation.
void UdevHidManager::monitorReadable()
{
    if (!m_monitor)
        return;
    DevicePtr device(udev_monitor_receive_device(m_monitor.get()));
    if (!device)
        return;
    const char* action = udev_device_get_action(device.get());
    if (!action)
        return;
    if (std::strcmp(action, "add") == 0 || std::strcmp(action, "change") == 0)
        deviceAdded(device.get(), std::strcmp(action, "change") == 0);
    else if (std::strcmp(action, "remove") == 0)
        deviceRemoved(device.get());
}

void UdevHidManager::deviceAdded(udev_device* device, bool change)
{
    const char* syspath = udev_device_get_syspath(device);
    const char* devnode = udev_device_get_devnode(device);
    if (!syspath || !devnode)
        return;
    // A "change" of a node already reported: udev has re-applied its rules
    // (e.g. the package's trigger), so access may now be granted.
    if (const auto known = m_present.find(syspath); known != m_present.end()) {
        if (change && m_changed)
            m_changed(QString::fromStdString(known->second));
        return;
    }
    if (!matches(device))
        return;
    m_present.emplace(syspath, devnode);
    checkAccess(devnode);
    if (m_matched)
        m_matched(QString::fromUtf8(devnode));
}

// A missing udev rule shows as soon as the device is found, not only at the
// first setting sent: the node is opened once, on a thread of its own (the
// device logs a refusal), and closed again there.
void UdevHidManager::checkAccess(const std::string& devnode)
{
    const std::uint64_t id = ++m_accessChecksStarted;
    auto queue = std::make_unique<WorkQueue>(QStringLiteral("hidraw access"));
    queue->ask(
        this,
        // The check's thread.
        [devnode, hintLogged = m_permissionHintLogged] {
            HidrawDevice node(devnode, hintLogged);
            node.open();
        },
        // Main thread: the check has opened the node or been refused.
        [id](UdevHidManager* manager) { manager->m_accessChecks.erase(id); });
    m_accessChecks.emplace(id, AccessCheck{devnode, std::move(queue)});
}

void UdevHidManager::deviceRemoved(udev_device* device)
{
    const char* syspath = udev_device_get_syspath(device);
    const auto known = syspath ? m_present.find(syspath) : m_present.end();
    if (known == m_present.end())
        return;
    const QString name = QString::fromStdString(known->second);
    m_present.erase(known);
    if (m_removed)
        m_removed(name);
}
