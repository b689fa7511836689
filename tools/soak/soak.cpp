// quorel-soak: the real panel under long use against the simulated device.
// Cycles of a suspend and resume (logind stood in), a sound-server restart,
// an unplug and replug, and a burst of changes from the session bus; after
// each, the device must hold the panel's state (its last record rebuilt
// from the panel's bus properties) and be the default output and input.
// Prints per kind the time until that holds (median and 95th percentile),
// the cycles where it never did (losses), and the panel's resident memory
// from the first cycle to the last. Runs under umockdev-wrapper; the sound
// server is chosen by QUOREL_TEST_SOUND_SERVER like the tests'.
#include "MockLogind.h"
#include "PrivateSessionBus.h"
#include "PulseDaemon.h"
#include "SimulatedDevice.h"

#include "device/ControlPanelInfo.h"
#include "model/PanelSettings.h"
#include "session/PanelState.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <map>
#include <vector>

namespace {

const QString kService = QStringLiteral("com.quorel.panel");
const QString kPath = QStringLiteral("/com/quorel/panel");
const QString kInterface = QStringLiteral("com.quorel.panel.Control");
constexpr int kBoundMs = 20000;

QString pactl(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral("pactl"), arguments);
    tool.waitForFinished(5000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

long residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

class Soak {
public:
    explicit Soak(QString panelBinary)
        : m_panelBinary(std::move(panelBinary))
    {
        QObject::connect(&m_device, &SimulatedDevice::reportReceived,
                         [this](const QByteArray& record) { m_lastRecord = record; ++m_records; });
    }

    ~Soak()
    {
        if (m_panel.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(m_panel.processId()), SIGTERM);
            m_panel.waitForFinished(15000);
        }
    }

    // Empty when the panel runs linked; otherwise why not.
    QString start()
    {
        if (!m_daemon.start())
            return QStringLiteral("the sound server did not start");
        if (!m_logind.start() || !m_bus.start() || !m_home.isValid())
            return QStringLiteral("the private buses did not start");
        if (!m_device.plug())
            return QStringLiteral("the simulated device did not plug in");
        QProcessEnvironment env = m_bus.environment();
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_logind.systemBusAddress());
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        m_panel.setProcessEnvironment(env);
        m_panel.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_panel.start(m_panelBinary, {QStringLiteral("--hidden")});
        if (!m_panel.waitForStarted(5000))
            return QStringLiteral("the panel did not start");
        m_session = m_bus.connect(QStringLiteral("soak"));
        if (waitUntilHeld() < 0)
            return QStringLiteral("the panel did not link");
        return {};
    }

    // One cycle of `kind`; the time in ms until the device held the panel's
    // state again, or -1.
    double cycle(const QString& kind, int number)
    {
        QElapsedTimer since;
        if (kind == QLatin1String("resume")) {
            // The server chose other defaults while the system slept.
            pactl({QStringLiteral("set-default-sink"), QStringLiteral("builtin_out")});
            pactl({QStringLiteral("set-default-source"), QStringLiteral("builtin_in")});
            const int before = m_records;
            m_logind.emitPrepareForSleep(true);
            since.start();
            m_logind.emitPrepareForSleep(false);
            return waitUntilHeld(before, since);
        }
        if (kind == QLatin1String("restart")) {
            m_daemon.stop(true);
            if (!m_daemon.start() || !m_device.restoreSound())
                return -1;
            since.start();
            return waitUntilHeld(-1, since);
        }
        if (kind == QLatin1String("replug")) {
            m_device.unplug();
            const int before = m_records;
            if (!m_device.plug())
                return -1;
            since.start();
            return waitUntilHeld(before, since);
        }
        // A burst: every stage and the reverb, as fast as the bus takes them.
        since.start();
        for (int i = 0; i < 20; ++i) {
            const int value = (number * 7 + i) % 31 - 15;
            call(QStringLiteral("SetStage"), {1 + i % 5, value});
            call(QStringLiteral("SetReverb"), {(number * 13 + i) % 101});
        }
        return waitUntilHeld(-1, since);
    }

    qint64 pid() const { return m_panel.processId(); }

    // What the device and the server hold now, for a cycle that failed.
    QString describe()
    {
        const std::optional<PanelState> now = state();
        return QStringLiteral("panel %1; last record %2; default sink %3, source %4")
            .arg(now ? now->statusLines().join(QLatin1Char(' ')) : QStringLiteral("not answering"),
                 QString::fromLatin1(m_lastRecord.toHex(' ')), pactl({QStringLiteral("get-default-sink")}),
                 pactl({QStringLiteral("get-default-source")}));
    }

private:
    void call(const QString& method, const QVariantList& arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
        message.setArguments(arguments);
        m_session.call(message, QDBus::Block, 5000);
    }

    std::optional<PanelState> state()
    {
        QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("GetAll"));
        get << kInterface;
        const QDBusMessage reply = m_session.call(get, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        return PanelState::fromProperties(qdbus_cast<QVariantMap>(reply.arguments().first()));
    }

    // The device's last record carries the panel's settings, and it is the
    // default output and input.
    bool held()
    {
        const std::optional<PanelState> now = state();
        if (!now || !now->linked || m_lastRecord.size() != 16)
            return false;
        PanelSettings settings;
        for (const SettingRow& row : settingRows())
            settings.setValue(row.setting, now->value(row.setting));
        const ControlPanelReport expected = controlPanelReport(rebuildControlPanelInfo(settings.recordValues(), 0));
        for (std::size_t i = 1; i < expected.size(); ++i) {
            if (static_cast<std::uint8_t>(m_lastRecord.at(static_cast<qsizetype>(i))) != expected[i])
                return false;
        }
        return pactl({QStringLiteral("get-default-sink")}) == QLatin1String("quorel_sim_out")
            && pactl({QStringLiteral("get-default-source")}) == QLatin1String("quorel_sim_in");
    }

    // Waits (up to the bound) for a record after `recordsBefore` (-1: any)
    // and the state held; the time since `since`, or -1.
    double waitUntilHeld(int recordsBefore = -1, QElapsedTimer since = {})
    {
        if (!since.isValid())
            since.start();
        const QDeadlineTimer bound(kBoundMs);
        while (!bound.hasExpired()) {
            if (m_records > recordsBefore && held())
                return static_cast<double>(since.nsecsElapsed()) / 1e6;
            QTest::qWait(20);
        }
        return -1;
    }

    QString m_panelBinary;
    PulseDaemon m_daemon{PulseDaemon::builtinScript()};
    MockLogind m_logind;
    PrivateSessionBus m_bus;
    SimulatedDevice m_device;
    QTemporaryDir m_home;
    QProcess m_panel;
    QDBusConnection m_session{QString()};
    QByteArray m_lastRecord;
    int m_records = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // quorel-soak [cycles] [--only=kind,...] [--panel=PATH]
    int cycles = 20;
    QString panel = QStringLiteral(QUOREL_PANEL_BINARY);
    QStringList kinds{QStringLiteral("resume"), QStringLiteral("restart"), QStringLiteral("replug"),
                      QStringLiteral("burst")};
    for (const QString& argument : app.arguments().mid(1)) {
        if (argument.startsWith(QLatin1String("--only=")))
            kinds = argument.mid(7).split(QLatin1Char(','), Qt::SkipEmptyParts);
        else if (argument.startsWith(QLatin1String("--panel=")))
            panel = argument.mid(8);
        else
            cycles = std::max(1, argument.toInt());
    }
    const QStringList known{QStringLiteral("resume"), QStringLiteral("restart"), QStringLiteral("replug"),
                            QStringLiteral("burst")};
    for (const QString& kind : kinds) {
        if (!known.contains(kind)) {
            std::fprintf(stderr, "soak: no cycle \"%s\"; the kinds are %s\n", qPrintable(kind),
                         qPrintable(known.join(QLatin1Char(','))));
            return 2;
        }
    }

    Soak soak(panel);
    if (const QString why = soak.start(); !why.isEmpty()) {
        std::fprintf(stderr, "soak: %s\n", qPrintable(why));
        return 2;
    }
    std::map<QString, std::vector<double>> times;
    std::map<QString, int> losses;
    const long linkedKiB = residentKiB(soak.pid());
    // Growth is counted from the end of the first round, once every kind
    // has run (caches filled, the spectrum's capture made anew).
    long firstKiB = linkedKiB;
    long lastKiB = linkedKiB;
    for (int n = 0; n < cycles; ++n) {
        const QString& kind = kinds[n % kinds.size()];
        const double ms = soak.cycle(kind, n);
        if (ms < 0) {
            ++losses[kind];
            std::fprintf(stderr, "soak: cycle %d (%s): the device did not hold the panel's state within %d ms: %s\n",
                         n, qPrintable(kind), kBoundMs, qPrintable(soak.describe()));
        } else {
            times[kind].push_back(ms);
        }
        lastKiB = residentKiB(soak.pid());
        if ((n + 1) % 50 == 0)
            std::fprintf(stderr, "soak: %d cycles, %ld KiB resident\n", n + 1, lastKiB);
        if (n + 1 == kinds.size())
            firstKiB = lastKiB;
    }

    int lost = 0;
    std::printf("%-8s %6s %10s %10s %6s\n", "kind", "cycles", "median ms", "p95 ms", "lost");
    for (const QString& kind : kinds) {
        const std::vector<double>& t = times[kind];
        std::printf("%-8s %6zu %10.0f %10.0f %6d\n", qPrintable(kind), t.size() + losses[kind], percentile(t, 0.5),
                    percentile(t, 0.95), losses[kind]);
        lost += losses[kind];
    }
    std::printf("resident memory: %ld KiB after the link, %ld KiB after the first round, %ld KiB after %d cycles "
                "(%+ld KiB since the first round)\n",
                linkedKiB, firstKiB, lastKiB, cycles, lastKiB - firstKiB);
    return lost == 0 ? 0 : 1;
}
