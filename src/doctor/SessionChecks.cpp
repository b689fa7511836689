#include "doctor/SessionChecks.h"

#include "session/SessionInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

#include <utility>

namespace {

// Bus calls of the checks wait no longer than this.
constexpr int kCallTimeoutMs = 3000;

QString busTitle()
{
    return SessionChecks::tr("Session bus");
}

QString panelTitle()
{
    return SessionChecks::tr("Panel running in this session");
}

QString trayTitle()
{
    return SessionChecks::tr("Tray host");
}

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// Whether a StatusNotifierWatcher runs and a host (the tray) has registered
// with it.
bool trayOnBus(const QDBusConnection& connection)
{
    if (!connection.interface()->isServiceRegistered(kWatcher))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kWatcher, QStringLiteral("/StatusNotifierWatcher"),
                                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("Get"));
    call << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    call.setAutoStartService(false);
    const QDBusMessage reply = connection.call(call, QDBus::Block, kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
           && qdbus_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
}

} // namespace

SessionChecks::SessionChecks(Config config)
    : m_config(std::move(config))
{
}

std::vector<DoctorCheck> SessionChecks::run()
{
    std::vector<DoctorCheck> checks;
    const QDBusConnection& bus = m_config.connection;
    if (!bus.isConnected()) {
        checks.push_back(DoctorCheck::warn(
            QStringLiteral("session.bus"), busTitle(),
            tr("there is no session bus (%1), so scripts cannot reach the panel and a second start "
               "is not caught")
                .arg(bus.lastError().message()),
            tr("Start the panel inside a desktop session, or under 'dbus-run-session -- quorel-panel'.")));
    } else {
        checks.push_back(DoctorCheck::pass(QStringLiteral("session.bus"), busTitle(), bus.baseService()));
    }

    if (!bus.isConnected()) {
        checks.push_back(DoctorCheck::skip(QStringLiteral("session.panel"), panelTitle(), tr("no session bus")));
    } else {
        const QDBusReply<QString> owner = bus.interface()->serviceOwner(SessionInstance::kBusName);
        if (!owner.isValid()) {
            checks.push_back(DoctorCheck::pass(QStringLiteral("session.panel"), panelTitle(),
                                               tr("no other panel holds %1").arg(SessionInstance::kBusName)));
        } else if (owner.value() == bus.baseService()) {
            checks.push_back(DoctorCheck::pass(QStringLiteral("session.panel"), panelTitle(),
                                               tr("this panel holds %1").arg(SessionInstance::kBusName)));
        } else {
            const QDBusReply<uint> pid = bus.interface()->servicePid(SessionInstance::kBusName);
            checks.push_back(DoctorCheck::warn(
                QStringLiteral("session.panel"), panelTitle(),
                tr("another panel (process %1) holds %2, so starting the panel again only brings that "
                   "one's window up")
                    .arg(pid.isValid() ? QString::number(pid.value()) : QStringLiteral("unknown"),
                         SessionInstance::kBusName),
                tr("Use that panel (it may be running in the background, in the tray), or quit it from "
                   "its menu before starting another.")));
        }
    }

    const std::optional<bool> tray = m_config.trayFromQt ? m_config.trayFromQt
                                     : bus.isConnected() ? std::optional(trayOnBus(bus))
                                                         : std::nullopt;
    if (!tray) {
        checks.push_back(DoctorCheck::skip(QStringLiteral("session.tray"), trayTitle(), tr("no session bus")));
    } else if (*tray) {
        checks.push_back(
            DoctorCheck::pass(QStringLiteral("session.tray"), trayTitle(), tr("the desktop shows a tray")));
    } else {
        checks.push_back(
            DoctorCheck::warn(QStringLiteral("session.tray"), trayTitle(),
                              tr("the desktop shows no tray (no host registered with %1)").arg(kWatcher),
                              tr("On GNOME install and enable the AppIndicator extension ('sudo apt-get install "
                                 "gnome-shell-extension-appindicator'); until then the background options are in the "
                                 "window's right-click menu.")));
    }
    return checks;
}
