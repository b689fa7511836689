#include "doctor/SessionChecks.h"

#include "session/SessionInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

#include <utility>

namespace {

// Bus calls of the checks wait no longer than this.
constexpr int kCallTimeoutMs = 3000;

const QString kBusTitle = QStringLiteral("Session bus");
const QString kPanelTitle = QStringLiteral("Panel running in this session");
const QString kTrayTitle = QStringLiteral("Tray host");
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
            QStringLiteral("session.bus"), kBusTitle,
            QStringLiteral("there is no session bus (%1), so scripts cannot reach the panel and a second start "
                           "is not caught")
                .arg(bus.lastError().message()),
            QStringLiteral("Start the panel inside a desktop session, or under 'dbus-run-session -- quorel-panel'.")));
    } else {
        checks.push_back(DoctorCheck::pass(QStringLiteral("session.bus"), kBusTitle, bus.baseService()));
    }

    if (!bus.isConnected()) {
        checks.push_back(
            DoctorCheck::skip(QStringLiteral("session.panel"), kPanelTitle, QStringLiteral("no session bus")));
    } else {
        const QDBusReply<QString> owner = bus.interface()->serviceOwner(SessionInstance::kBusName);
        if (!owner.isValid()) {
            checks.push_back(
                DoctorCheck::pass(QStringLiteral("session.panel"), kPanelTitle,
                                  QStringLiteral("no other panel holds %1").arg(SessionInstance::kBusName)));
        } else if (owner.value() == bus.baseService()) {
            checks.push_back(DoctorCheck::pass(QStringLiteral("session.panel"), kPanelTitle,
                                               QStringLiteral("this panel holds %1").arg(SessionInstance::kBusName)));
        } else {
            const QDBusReply<uint> pid = bus.interface()->servicePid(SessionInstance::kBusName);
            checks.push_back(DoctorCheck::warn(
                QStringLiteral("session.panel"), kPanelTitle,
                QStringLiteral("another panel (process %1) holds %2, so starting the panel again only brings that "
                               "one's window up")
                    .arg(pid.isValid() ? QString::number(pid.value()) : QStringLiteral("unknown"),
                         SessionInstance::kBusName),
                QStringLiteral("Use that panel (it may be running in the background, in the tray), or quit it from "
                               "its menu before starting another.")));
        }
    }

    const std::optional<bool> tray = m_config.trayFromQt ? m_config.trayFromQt
                                     : bus.isConnected() ? std::optional(trayOnBus(bus))
                                                         : std::nullopt;
    if (!tray) {
        checks.push_back(
            DoctorCheck::skip(QStringLiteral("session.tray"), kTrayTitle, QStringLiteral("no session bus")));
    } else if (*tray) {
        checks.push_back(
            DoctorCheck::pass(QStringLiteral("session.tray"), kTrayTitle, QStringLiteral("the desktop shows a tray")));
    } else {
        checks.push_back(DoctorCheck::warn(
            QStringLiteral("session.tray"), kTrayTitle,
            QStringLiteral("the desktop shows no tray (no host registered with %1)").arg(kWatcher),
            QStringLiteral("On GNOME install and enable the AppIndicator extension ('sudo apt-get install "
                           "gnome-shell-extension-appindicator'); until then the background options are in the "
                           "window's right-click menu.")));
    }
    return checks;
}
