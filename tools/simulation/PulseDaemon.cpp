#include "PulseDaemon.h"

#include "HelperProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <csignal>
#include <cstring>

#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kStartBoundMs = 15000;

// Runs in the child between fork and exec: the server goes when the test
// process goes, however that ends (a crash or ctest's timeout included),
// and it hears SIGTERM whatever the test's thread had blocked.
void dieWithParent()
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGTERM, SIG_DFL);
}

// Whether a client can connect to the unix socket at `path` right now.
bool accepts(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (name.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

} // namespace

PulseDaemon::Kind PulseDaemon::kindFromEnvironment()
{
    return qEnvironmentVariable("QUOREL_TEST_SOUND_SERVER").compare(QStringLiteral("pipewire"), Qt::CaseInsensitive) == 0
        ? Kind::PipeWire
        : Kind::PulseAudio;
}

QString PulseDaemon::defaultScript()
{
    return QStringLiteral(
               "load-module module-null-sink sink_name=quorel_out rate=48000 sink_properties="
               "'device.description=\"Quorel IIS Audio\" device.product.name=\"Quorel IIS Audio\" node.always-process=true'\n"
               "load-module module-remap-source master=quorel_out.monitor source_name=quorel_in rate=48000 "
               "source_properties='device.description=\"Quorel IIS Audio\" device.product.name=\"Quorel IIS Audio\" node.always-process=true'\n")
        + builtinScript();
}

QString PulseDaemon::builtinScript()
{
    return QStringLiteral(
        "load-module module-null-sink sink_name=builtin_out rate=48000 "
        "sink_properties='device.description=\"Built-in Speaker\" node.always-process=true'\n"
        "load-module module-remap-source master=builtin_out.monitor source_name=builtin_in rate=48000 "
        "source_properties='device.description=\"Built-in Microphone\" node.always-process=true'\n"
        "set-default-sink builtin_out\n"
        "set-default-source builtin_in\n");
}

PulseDaemon::PulseDaemon(QString script, Kind kind)
    : m_kind(kind)
    , m_script(std::move(script))
{
}

PulseDaemon::~PulseDaemon()
{
    stop();
    if (m_bus)
        end(*m_bus, false);
}

QString PulseDaemon::kindName() const
{
    return m_kind == Kind::PipeWire ? QStringLiteral("PipeWire") : QStringLiteral("PulseAudio");
}

QString PulseDaemon::directory() const
{
    return m_dir.path();
}

QString PulseDaemon::server() const
{
    return m_kind == Kind::PipeWire ? QStringLiteral("unix:%1/pulse/native").arg(m_dir.path())
                                    : QStringLiteral("unix:%1/native").arg(m_dir.path());
}

QString PulseDaemon::restrictedServer() const
{
    return m_kind == Kind::PipeWire ? QStringLiteral("unix:%1/pulse/restricted").arg(m_dir.path()) : QString();
}

QProcessEnvironment PulseDaemon::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_dir.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), m_dir.path() + QStringLiteral("/state"));
    env.insert(QStringLiteral("PULSE_SERVER"), server());
    env.remove(QStringLiteral("DISPLAY"));
    if (m_kind == Kind::PulseAudio)
        env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), m_dir.path());
    else
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=%1/bus").arg(m_dir.path()));
    return env;
}

// The servers themselves see no device testbed (umockdev's preload would
// hand them the test's fake udev) and no other PipeWire.
QProcessEnvironment PulseDaemon::serverEnvironment() const
{
    QProcessEnvironment env = environment();
    for (const char* name : {"LD_PRELOAD", "UMOCKDEV_DIR", "PIPEWIRE_REMOTE", "PIPEWIRE_RUNTIME_DIR"})
        env.remove(QString::fromLatin1(name));
    env.remove(QStringLiteral("PULSE_SERVER"));
    return env;
}

std::unique_ptr<QProcess> PulseDaemon::launch(const QString& program, const QStringList& args,
                                              const QString& logName)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(serverEnvironment());
    process->setWorkingDirectory(m_dir.path());
    // To a file: a pipe nobody reads would fill and stall the server.
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(m_dir.filePath(logName), QIODevice::Append);
    process->setChildProcessModifier(dieWithParent);
    process->start(program, args);
    if (!process->waitForStarted(5000)) {
        qWarning("test sound server: cannot start %s: %s", qPrintable(program), qPrintable(process->errorString()));
        return nullptr;
    }
    return process;
}

bool PulseDaemon::start()
{
    if (!m_dir.isValid())
        return false;
    if (running())
        return true;
    const bool started = m_kind == Kind::PipeWire ? startPipeWire() : startPulseAudio();
    if (!started) {
        logFailure("did not come up");
        stop(true);
    }
    return started;
}

bool PulseDaemon::startPulseAudio()
{
    const QString scriptPath = m_dir.path() + QStringLiteral("/test.pa");
    QFile file(scriptPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QString head = QStringLiteral(
        "load-module module-native-protocol-unix auth-anonymous=1 socket=%1/native\n").arg(m_dir.path());
    file.write((head + m_script).toUtf8());
    file.close();

    auto daemon = launch(QStringLiteral("pulseaudio"),
                         {QStringLiteral("-n"), QStringLiteral("-F"), scriptPath,
                          QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                          QStringLiteral("--disallow-exit"), QStringLiteral("--use-pid-file=no"),
                          QStringLiteral("--log-target=stderr")},
                         QStringLiteral("pulseaudio.log"));
    if (!daemon)
        return false;
    m_processes.push_back(std::move(daemon));
    qputenv("PULSE_SERVER", server().toUtf8());
    return waitUntilAnswering(*m_processes.back());
}

// The stack as a desktop session runs it, without systemd: WirePlumber
// needs a session bus, and the PulseAudio server comes last.
bool PulseDaemon::startPipeWire()
{
    ::chmod(QFile::encodeName(m_dir.path()).constData(), 0700);
    QDir().mkpath(m_dir.path() + QStringLiteral("/config"));
    QDir().mkpath(m_dir.path() + QStringLiteral("/state"));
    // A second socket whose clients the session manager lets read only.
    const QString pulseConf = m_dir.path() + QStringLiteral("/config/pipewire/pipewire-pulse.conf.d");
    QDir().mkpath(pulseConf);
    QFile conf(pulseConf + QStringLiteral("/sockets.conf"));
    if (!conf.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    conf.write("pulse.properties = {\n"
               "    server.address = [ \"unix:native\" { address = \"unix:restricted\" client.access = \"restricted\" } ]\n"
               "}\n");
    conf.close();
    if (!m_bus || m_bus->state() != QProcess::Running) {
        const QString address = QStringLiteral("unix:path=%1/bus").arg(m_dir.path());
        m_bus = launch(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                        QStringLiteral("--address=") + address},
                       QStringLiteral("dbus.log"));
        if (!m_bus)
            return false;
        const QDeadlineTimer busDeadline(5000);
        while (!QFile::exists(m_dir.path() + QStringLiteral("/bus")) && !busDeadline.hasExpired())
            QThread::msleep(10);
    }
    // WirePlumber gives up when PipeWire does not answer yet: it starts once
    // PipeWire's socket accepts (sockets left by a killed stack go first).
    const QString socket = m_dir.path() + QStringLiteral("/pipewire-0");
    for (const QString& stale : {socket, socket + QStringLiteral(".lock"), m_dir.path() + QStringLiteral("/pulse/native")})
        QFile::remove(stale);
    for (const char* program : {"pipewire", "wireplumber", "pipewire-pulse"}) {
        const QString name = QString::fromLatin1(program);
        auto process = launch(name, {}, name + QStringLiteral(".log"));
        if (!process)
            return false;
        m_processes.push_back(std::move(process));
        if (name == QStringLiteral("pipewire")) {
            const QDeadlineTimer deadline(kStartBoundMs);
            while (!accepts(socket)) {
                if (deadline.hasExpired() || m_processes.back()->state() != QProcess::Running)
                    return false;
                QThread::msleep(10);
            }
        }
    }
    qputenv("PULSE_SERVER", server().toUtf8());
    return waitUntilAnswering(*m_processes.back()) && runScriptThroughPactl();
}

bool PulseDaemon::waitUntilAnswering(const QProcess& server)
{
    const QDeadlineTimer deadline(kStartBoundMs);
    while (!deadline.hasExpired()) {
        if (server.state() != QProcess::Running)
            return false;
        if (pactl({QStringLiteral("info")}) == 0)
            return true;
        QThread::msleep(50);
    }
    return false;
}

// Each script line as the pactl command of the same name; a module's
// arguments stay one string, quotes and all, as in the script. Defaults are
// waited for: PipeWire's session manager publishes them a moment later.
bool PulseDaemon::runScriptThroughPactl()
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    const QStringList lines = m_script.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QStringList args;
        if (line.startsWith(QStringLiteral("load-module "))) {
            const QStringList parts = line.split(space);
            args = {parts.at(0), parts.at(1)};
            const QString rest = line.section(space, 2);
            if (!rest.isEmpty())
                args.append(rest);
        } else {
            args = line.split(space);
        }
        const bool setsDefault = args.size() == 2 && args.at(0).startsWith(QStringLiteral("set-default-"));
        // PipeWire answers a load before the new device is listed, so a
        // default set right after may not find it yet.
        const QDeadlineTimer listed(kStartBoundMs);
        int status = 0;
        while ((status = pactl(args)) != 0 && setsDefault && !listed.hasExpired())
            QThread::msleep(20);
        if (status != 0) {
            qWarning("test sound server: \"%s\" failed", qPrintable(line));
            return false;
        }
        if (setsDefault) {
            const QStringList get{QStringLiteral("get-default-") + args.at(0).mid(12)};
            const QDeadlineTimer deadline(kStartBoundMs);
            QString current;
            while ((pactl(get, &current), current.trimmed() != args.at(1))) {
                if (deadline.hasExpired()) {
                    qWarning("test sound server: the default is still %s after \"%s\"", qPrintable(current.trimmed()),
                             qPrintable(line));
                    return false;
                }
                QThread::msleep(20);
            }
        }
    }
    return true;
}

void PulseDaemon::logFailure(const char* what) const
{
    qWarning("test sound server (%s) %s; its logs:", qPrintable(kindName()), what);
    const QStringList logs = QDir(m_dir.path()).entryList({QStringLiteral("*.log")}, QDir::Files);
    for (const QString& name : logs) {
        QFile log(m_dir.filePath(name));
        if (log.open(QIODevice::ReadOnly))
            qWarning("--- %s\n%s", qPrintable(name), log.readAll().right(4000).constData());
    }
}

void PulseDaemon::end(QProcess& process, bool crash)
{
    if (crash && process.state() != QProcess::NotRunning)
        process.kill();
    endHelperProcess(process, std::chrono::seconds(2));
}

void PulseDaemon::stop(bool crash)
{
    // The server first, so clients see it go before what it stands on.
    while (!m_processes.empty()) {
        end(*m_processes.back(), crash);
        m_processes.pop_back();
    }
}

bool PulseDaemon::running() const
{
    return !m_processes.empty() && m_processes.back()->state() == QProcess::Running;
}

pid_t PulseDaemon::serverPid() const
{
    return running() ? static_cast<pid_t>(m_processes.back()->processId()) : -1;
}

pid_t PulseDaemon::sessionManagerPid() const
{
    // Started second, after PipeWire itself.
    if (m_kind != Kind::PipeWire || m_processes.size() < 2 || m_processes[1]->state() != QProcess::Running)
        return -1;
    return static_cast<pid_t>(m_processes[1]->processId());
}

int PulseDaemon::pactl(const QStringList& args, QString* output) const
{
    return run(QStringLiteral("pactl"), args, 10000, output);
}

int PulseDaemon::run(const QString& program, const QStringList& args, int timeoutMs, QString* output) const
{
    QProcess p;
    p.setProcessEnvironment(environment());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setChildProcessModifier(dieWithParent);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return -1;
    }
    if (output)
        *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
