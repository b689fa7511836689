#include "session/SessionInstance.h"

#include "session/PanelService.h"
#include "session/SessionLog.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <utility>

const QString SessionInstance::kBusName = QStringLiteral("com.quorel.panel");

namespace {

// The bus call that raises the other panel must not hold a start-up for long.
constexpr int kRaiseTimeoutMs = 3000;

} // namespace

SessionInstance::SessionInstance()
    : SessionInstance(QDBusConnection::sessionBus())
{
}

SessionInstance::SessionInstance(QDBusConnection connection)
    : m_connection(std::move(connection))
{
}

SessionInstance::~SessionInstance() = default;

QString SessionInstance::lockFilePath()
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(dir).filePath(QStringLiteral("quorel-panel.lock"));
}

SessionInstance::Claim SessionInstance::claim()
{
    if (hasBus()) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            m_connection.interface()->registerService(kBusName, QDBusConnectionInterface::DontQueueService,
                                                      QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
            return Claim::Claimed;
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceNotRegistered)
            return Claim::AlreadyRunning;
        qCWarning(lcSession) << "cannot take the name" << kBusName << "on the session bus:" << reply.error().message()
                             << "- using the lock file";
    }

    m_lock = std::make_unique<QLockFile>(lockFilePath());
    // The panel holds the lock for its whole run: it never goes stale while
    // the process lives, and a dead holder's lock is taken over at once.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Claim::Claimed;
    if (m_lock->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        m_lock->getLockInfo(&pid, nullptr, nullptr);
        qCInfo(lcSession) << "another panel runs in this session (process" << pid << ", lock" << lockFilePath()
                          << ")";
        return Claim::AlreadyRunning;
    }
    qCWarning(lcSession) << "cannot make the lock file" << lockFilePath()
                         << "- starting without a guard against a second panel";
    m_lock.reset();
    return Claim::Claimed;
}

bool SessionInstance::raiseRunning()
{
    if (!hasBus()) {
        qCInfo(lcSession) << "without a session bus the running panel cannot be brought to the front";
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kBusName, PanelService::kObjectPath,
                                                       QStringLiteral("org.freedesktop.Application"),
                                                       QStringLiteral("Activate"));
    // The launcher's focus token, so the other panel's window may take the focus.
    const std::pair<const char*, QString> tokens[] = {{"XDG_ACTIVATION_TOKEN", QStringLiteral("activation-token")},
                                                      {"DESKTOP_STARTUP_ID", QStringLiteral("desktop-startup-id")}};
    QVariantMap platformData;
    for (const auto& [variable, key] : tokens) {
        if (qEnvironmentVariableIsSet(variable))
            platformData.insert(key, qEnvironmentVariable(variable));
    }
    call << platformData;
    call.setAutoStartService(false);
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, kRaiseTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        qCWarning(lcSession) << "the running panel did not come to the front:" << reply.errorMessage();
        return false;
    }
    qCInfo(lcSession) << "the panel already runs in this session; brought its window to the front";
    return true;
}
