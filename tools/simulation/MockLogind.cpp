#include "MockLogind.h"

#include "HelperProcess.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QThread>

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");

} // namespace

MockLogind::~MockLogind()
{
    endHelperProcess(m_mock);
    if (!m_connectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_connectionName);
}

bool MockLogind::start()
{
    if (!m_bus.start())
        return false;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_bus.address());
    m_mock.setProcessEnvironment(env);
    m_mock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The system's interpreter, which the Debian package installs into.
    m_mock.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                                             QStringLiteral("--system"), QStringLiteral("--template"),
                                             QStringLiteral("logind")});
    if (!m_mock.waitForStarted(5000))
        return false;

    m_connectionName = QStringLiteral("mock-logind-%1").arg(reinterpret_cast<quintptr>(this));
    const QDBusConnection bus = m_bus.connect(m_connectionName);
    if (!bus.isConnected())
        return false;
    // A generous bound: python starts slowly on a loaded machine.
    const QDeadlineTimer deadline(std::chrono::seconds(30));
    while (!bus.interface()->isServiceRegistered(kLogind)) {
        if (deadline.hasExpired() || m_mock.state() == QProcess::NotRunning)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    return true;
}

bool MockLogind::emitPrepareForSleep(bool start)
{
    QDBusMessage emitSignal = QDBusMessage::createMethodCall(kLogind, kLogindPath,
                                                             QStringLiteral("org.freedesktop.DBus.Mock"),
                                                             QStringLiteral("EmitSignal"));
    emitSignal << QStringLiteral("org.freedesktop.login1.Manager") << QStringLiteral("PrepareForSleep")
               << QStringLiteral("b") << QVariantList{start};
    const QDBusMessage reply = QDBusConnection(m_connectionName).call(emitSignal, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage;
}
