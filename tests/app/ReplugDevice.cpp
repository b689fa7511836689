// GLib names a struct member "signals", which Qt defines as a macro: GLib first.
#include <umockdev.h>

#include "ReplugDevice.h"

#include "PulseDaemon.h"

#include <QSocketNotifier>

#include <unistd.h>

namespace {

constexpr int kReportSize = 17;
const QString kProperties = QStringLiteral(
    "'device.description=\"Quorel IIS Audio\" device.product.name=\"Quorel IIS Audio\"'");

} // namespace

ReplugDevice::ReplugDevice(PulseDaemon& daemon, QObject* parent)
    : QObject(parent)
    , m_daemon(daemon)
    , m_testbed(umockdev_testbed_new())
{
}

ReplugDevice::~ReplugDevice()
{
    unplug();
    g_object_unref(m_testbed);
}

bool ReplugDevice::plug()
{
    if (m_fd >= 0)
        return true;
    QString module;
    if (m_daemon.pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                        QStringLiteral("sink_name=quorel_sim_out"), QStringLiteral("rate=48000"),
                        QStringLiteral("sink_properties=") + kProperties},
                       &module) != 0)
        return false;
    m_modules.append(module.trimmed());
    if (m_daemon.pactl({QStringLiteral("load-module"), QStringLiteral("module-remap-source"),
                        QStringLiteral("master=quorel_sim_out.monitor"), QStringLiteral("source_name=quorel_sim_in"),
                        QStringLiteral("rate=48000"), QStringLiteral("source_properties=") + kProperties},
                       &module) != 0)
        return false;
    m_modules.append(module.trimmed());

    const int n = m_plugs++;
    m_hidPath = QByteArrayLiteral("/sys/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.3/0003:0A12:1243.")
                + QByteArray::number(10 + n);
    m_hidrawPath = m_hidPath + "/hidraw/hidraw" + QByteArray::number(n);
    const QByteArray description = "P: " + m_hidPath.mid(4) + "\nE: SUBSYSTEM=hid\nE: DRIVER=hid-generic\n"
                                   "E: HID_ID=0003:00000A12:00001243\nE: HID_NAME=Quorel IIS Audio\n\n"
                                   "P: " + m_hidrawPath.mid(4) + "\nN: hidraw" + QByteArray::number(n)
                                   + "\nE: SUBSYSTEM=hidraw\nE: DEVNAME=/dev/hidraw" + QByteArray::number(n)
                                   + "\nE: MAJOR=242\nE: MINOR=" + QByteArray::number(n) + "\n";
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(m_testbed, description.constData(), &error)) {
        g_clear_error(&error);
        return false;
    }
    m_fd = umockdev_testbed_get_dev_fd(m_testbed, ("/dev/hidraw" + QByteArray::number(n)).constData());
    if (m_fd < 0)
        return false;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ReplugDevice::onReadable);
    umockdev_testbed_uevent(m_testbed, m_hidPath.constData(), "add");
    umockdev_testbed_uevent(m_testbed, m_hidrawPath.constData(), "add");
    return true;
}

void ReplugDevice::unplug()
{
    if (m_fd >= 0) {
        m_notifier.reset();
        umockdev_testbed_uevent(m_testbed, m_hidrawPath.constData(), "remove");
        umockdev_testbed_uevent(m_testbed, m_hidPath.constData(), "remove");
        umockdev_testbed_remove_device(m_testbed, m_hidrawPath.constData());
        umockdev_testbed_remove_device(m_testbed, m_hidPath.constData());
        m_fd = -1;
    }
    m_pending.clear();
    while (!m_modules.isEmpty())
        m_daemon.pactl({QStringLiteral("unload-module"), m_modules.takeLast()});
}

// Main thread: the notifier lives on it.
void ReplugDevice::onReadable()
{
    char buffer[256];
    const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
    if (n <= 0)
        return;
    m_pending.append(buffer, static_cast<qsizetype>(n));
    while (m_pending.size() >= kReportSize) {
        emit reportReceived(m_pending.mid(1, kReportSize - 1));
        m_pending.remove(0, kReportSize);
    }
}
