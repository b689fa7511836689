// GLib names a struct member "signals", which Qt defines as a macro; the
// unity build may have read Qt's headers (the moc files) before this one.
#pragma push_macro("signals")
#undef signals
#include <umockdev.h>
#pragma pop_macro("signals")

#include "SimulatedDevice.h"

#include "PulseDaemon.h"

#include <QProcess>
#include <QSocketNotifier>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Each plug-in is a fresh USB interface with its own hidraw node, as the
// kernel numbers them anew too (and umockdev cannot bring back a node it has
// handed out). The numbers start far from the ones real devices get, so a
// write that ever missed the testbed could not reach a real HID device.
constexpr int kFirstNode = 250;

QByteArray interfacePath(int plug)
{
    return QByteArrayLiteral("/sys/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.3/0003:0A12:1243.")
        + QByteArray::number(0x10 + plug, 16).toUpper().rightJustified(4, '0');
}

// The HID function of the interface and its hidraw node, as udev describes them.
QByteArray udevDescription(const QByteArray& hidPath, const QByteArray& hidrawPath, int node)
{
    const QByteArray n = QByteArray::number(node);
    return "P: " + hidPath.mid(4) + "\n"
           "E: SUBSYSTEM=hid\n"
           "E: DRIVER=hid-generic\n"
           "E: HID_ID=0003:00000A12:00001243\n"
           "E: HID_NAME=Quorel IIS Audio\n"
           "\n"
           "P: " + hidrawPath.mid(4) + "\n"
           "N: hidraw" + n + "\n"
           "E: SUBSYSTEM=hidraw\n"
           "E: DEVNAME=/dev/hidraw" + n + "\n"
           "E: MAJOR=242\n"
           "E: MINOR=" + n + "\n";
}

constexpr int kReportSize = 17;  // report id 0 + the 16-byte record

const QString kSinkName = QStringLiteral("quorel_sim_out");
const QString kSourceName = QStringLiteral("quorel_sim_in");
// Kept running: PipeWire 1.4 takes no volume on a null sink (or a source
// remapped from its monitor) that has never run.
const QString kProperties = QStringLiteral(
    "'device.description=\"Quorel IIS Audio\" device.product.name=\"Quorel IIS Audio\" "
    "node.always-process=true'");

}

SimulatedDevice::SimulatedDevice(QObject* parent)
    : QObject(parent)
    , m_testbed(umockdev_testbed_new())
{
}

SimulatedDevice::~SimulatedDevice()
{
    unplug();
    g_object_unref(m_testbed);
}

int SimulatedDevice::pactl(const QStringList& args, QString* output) const
{
    if (m_privateServer)
        return m_privateServer->pactl(args, output);
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("pactl"), args);
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(1000);
        return -1;
    }
    if (output)
        *output = QString::fromUtf8(p.readAll()).trimmed();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

bool SimulatedDevice::startSound()
{
    if (pactl({QStringLiteral("info")}) == 0)
        return true;
    // No server answers: bring up a private one with nothing but its socket;
    // the device's sink and source are loaded into it like into any other.
    m_privateServer = std::make_unique<PulseDaemon>(QString());
    if (m_privateServer->start())
        return true;
    m_privateServer.reset();
    return false;
}

bool SimulatedDevice::loadAudioDevices()
{
    QString sink;
    QString source;
    if (pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
               QStringLiteral("sink_name=") + kSinkName, QStringLiteral("rate=48000"),
               QStringLiteral("sink_properties=") + kProperties},
              &sink) != 0)
        return false;
    m_modules.append(sink);
    if (pactl({QStringLiteral("load-module"), QStringLiteral("module-remap-source"),
               QStringLiteral("master=%1.monitor").arg(kSinkName),
               QStringLiteral("source_name=") + kSourceName, QStringLiteral("rate=48000"),
               QStringLiteral("source_properties=") + kProperties},
              &source) != 0)
        return false;
    m_modules.append(source);
    return true;
}

void SimulatedDevice::unloadAudioDevices()
{
    // The source remaps the sink's monitor, so it goes first.
    while (!m_modules.isEmpty())
        pactl({QStringLiteral("unload-module"), m_modules.takeLast()});
}

bool SimulatedDevice::plug()
{
    if (isPlugged())
        return true;
    if (!loadAudioDevices()) {
        unloadAudioDevices();
        return false;
    }
    const int node = kFirstNode + m_plugs;
    m_hidPath = interfacePath(m_plugs);
    m_hidrawPath = m_hidPath + "/hidraw/hidraw" + QByteArray::number(node);
    ++m_plugs;
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(m_testbed, udevDescription(m_hidPath, m_hidrawPath, node).constData(), &error)) {
        qWarning("simulated device: %s", error ? error->message : "cannot add the HID node");
        g_clear_error(&error);
        unloadAudioDevices();
        return false;
    }
    m_nodeAdded = true;
    m_node = QStringLiteral("/dev/hidraw%1").arg(node);
    m_fd = umockdev_testbed_get_dev_fd(m_testbed, m_node.toLatin1().constData());
    if (m_fd < 0) {
        unplug();
        return false;
    }
    // The device's end is read only when it signals: a panel that opens the
    // node without writing (to check its access) must not leave that read
    // waiting.
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SimulatedDevice::onReadable);
    umockdev_testbed_uevent(m_testbed, m_hidPath.constData(), "add");
    umockdev_testbed_uevent(m_testbed, m_hidrawPath.constData(), "add");
    return true;
}

void SimulatedDevice::unplug()
{
    if (m_stalled)
        setStalled(false);
    if (m_fd >= 0) {
        m_notifier.reset();
        umockdev_testbed_uevent(m_testbed, m_hidrawPath.constData(), "remove");
        umockdev_testbed_uevent(m_testbed, m_hidPath.constData(), "remove");
        m_fd = -1;
    }
    if (m_nodeAdded) {
        umockdev_testbed_remove_device(m_testbed, m_hidrawPath.constData());
        umockdev_testbed_remove_device(m_testbed, m_hidPath.constData());
        m_nodeAdded = false;
    }
    m_pending.clear();
    unloadAudioDevices();
}

bool SimulatedDevice::restoreSound()
{
    if (!isPlugged())
        return false;
    // The restarted server's module ids are new; the old ones are gone with it.
    m_modules.clear();
    return loadAudioDevices();
}

bool SimulatedDevice::setStalled(bool stalled)
{
    if (m_fd < 0)
        return false;
    // The node is the panel's end of a terminal: stopping its output holds
    // every write to it until output is resumed.
    const int node = ::open(m_node.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (node < 0)
        return false;
    const bool done = ::tcflow(node, stalled ? TCOOFF : TCOON) == 0;
    ::close(node);
    if (done)
        m_stalled = stalled;
    return done;
}

// Main thread: the notifier lives on it.
void SimulatedDevice::onReadable()
{
    char buffer[256];
    const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
    if (n <= 0)
        return;
    m_pending.append(buffer, static_cast<qsizetype>(n));
    while (m_pending.size() >= kReportSize) {
        const QByteArray report = m_pending.left(kReportSize);
        m_pending.remove(0, kReportSize);
        if (report.at(0) != 0)
            emit malformedReport(report);
        else
            emit reportReceived(report.mid(1));
    }
}

QString SimulatedDevice::describe(const QByteArray& record)
{
    if (record.size() != 16)
        return QStringLiteral("malformed record of %1 bytes: %2")
            .arg(record.size())
            .arg(QString::fromLatin1(record.toHex(' ')));
    auto byte = [&](int i) { return static_cast<unsigned>(static_cast<unsigned char>(record.at(i))); };
    auto stage = [&](int i) { return static_cast<int>(static_cast<signed char>(record.at(i))); };
    static const QHash<unsigned, QString> causes = {
        {2, QStringLiteral("denoise")},   {3, QStringLiteral("monitor/mixer")},
        {4, QStringLiteral("reverb")},    {7, QStringLiteral("equaliser")},
        {8, QStringLiteral("full refresh")},
    };
    const unsigned mixer = byte(5);
    auto onOff = [](bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); };
    return QStringLiteral(
               "changed_type=%1 (%2) sec_ID=0x%3 speaker_volume=%4 mic_gain=%5 denoise=%6 "
               "mixer=%7 monitor=%8 3d=%9 music_gain=%10 verb=%11 backoff=%12 agc=%13 "
               "reverberance=%14 backoff_sensitivity=%15 eq=[%16 %17 %18 %19 %20]  | %21")
        .arg(byte(0))
        .arg(causes.value(byte(0), QStringLiteral("unknown")))
        .arg(byte(1), 2, 16, QLatin1Char('0'))
        .arg(byte(2))
        .arg(byte(3))
        .arg(onOff(byte(4) != 0))
        .arg(onOff(mixer & 0x01))
        .arg(onOff(mixer & 0x02))
        .arg(onOff(mixer & 0x04))
        .arg(mixer >> 4)
        .arg(byte(6))
        .arg(byte(7))
        .arg(byte(8))
        .arg(byte(9))
        .arg(byte(10))
        .arg(stage(11))
        .arg(stage(12))
        .arg(stage(13))
        .arg(stage(14))
        .arg(stage(15))
        .arg(QString::fromLatin1(record.toHex(' ')));
}
