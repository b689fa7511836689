#include "PulseDaemon.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

QString PulseDaemon::defaultScript()
{
    return QStringLiteral(
               "load-module module-null-sink sink_name=quorel_out rate=48000 sink_properties="
               "'device.description=\"Quorel IIS Audio\" device.product.name=\"Quorel IIS Audio\"'\n"
               "load-module module-remap-source master=quorel_out.monitor source_name=quorel_in rate=48000 "
               "source_properties='device.description=\"Quorel IIS Audio\" device.product.name=\"Quorel IIS Audio\"'\n")
        + builtinScript();
}

QString PulseDaemon::builtinScript()
{
    return QStringLiteral(
        "load-module module-null-sink sink_name=builtin_out rate=48000 "
        "sink_properties='device.description=\"Built-in Speaker\"'\n"
        "load-module module-remap-source master=builtin_out.monitor source_name=builtin_in rate=48000 "
        "source_properties='device.description=\"Built-in Microphone\"'\n"
        "set-default-sink builtin_out\n"
        "set-default-source builtin_in\n");
}

PulseDaemon::PulseDaemon(QString script)
    : m_script(std::move(script))
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

PulseDaemon::~PulseDaemon()
{
    stop();
}

QString PulseDaemon::directory() const
{
    return m_dir.path();
}

QString PulseDaemon::server() const
{
    return QStringLiteral("unix:%1/native").arg(m_dir.path());
}

QProcessEnvironment PulseDaemon::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_dir.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), m_dir.path());
    env.insert(QStringLiteral("PULSE_SERVER"), server());
    env.remove(QStringLiteral("DISPLAY"));
    return env;
}

bool PulseDaemon::start()
{
    if (!m_dir.isValid())
        return false;
    const QString scriptPath = m_dir.path() + QStringLiteral("/test.pa");
    QFile file(scriptPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QString head = QStringLiteral(
        "load-module module-native-protocol-unix auth-anonymous=1 socket=%1/native\n").arg(m_dir.path());
    file.write((head + m_script).toUtf8());
    file.close();

    m_process.setProcessEnvironment(environment());
    m_process.setWorkingDirectory(m_dir.path());
    m_process.start(QStringLiteral("pulseaudio"),
                    {QStringLiteral("-n"), QStringLiteral("-F"), scriptPath,
                     QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                     QStringLiteral("--disallow-exit"), QStringLiteral("--use-pid-file=no"),
                     QStringLiteral("--log-target=stderr")});
    if (!m_process.waitForStarted(5000))
        return false;
    qputenv("PULSE_SERVER", server().toUtf8());

    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (m_process.state() != QProcess::Running)
            return false;
        if (pactl({QStringLiteral("info")}) == 0)
            return true;
        QThread::msleep(50);
    }
    return false;
}

void PulseDaemon::stop(bool crash)
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    if (crash)
        m_process.kill();
    else
        m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool PulseDaemon::running() const
{
    return m_process.state() == QProcess::Running;
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
