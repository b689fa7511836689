#include "PrivateSessionBus.h"

#include "HelperProcess.h"

#include <QDir>

PrivateSessionBus::PrivateSessionBus() = default;

PrivateSessionBus::~PrivateSessionBus()
{
    endHelperProcess(m_daemon);
}

bool PrivateSessionBus::start()
{
    // What the bus starts on demand (the accessibility bus launcher) keeps
    // its sockets in the runtime directory, else in the user's cache that
    // every test shares; each bus gets one of its own.
    if (!m_runtime.isValid())
        return false;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    m_daemon.setProcessEnvironment(env);
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                    QStringLiteral("--print-address=1"),
                    QStringLiteral("--address=unix:tmpdir=%1").arg(QDir::tempPath())});
    if (!m_daemon.waitForStarted(5000))
        return false;
    while (!m_daemon.canReadLine()) {
        if (!m_daemon.waitForReadyRead(10000))
            return false;
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    return !m_address.isEmpty();
}

QDBusConnection PrivateSessionBus::connect(const QString& name) const
{
    return QDBusConnection::connectToBus(m_address, name);
}

QProcessEnvironment PrivateSessionBus::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    return env;
}
