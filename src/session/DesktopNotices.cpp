#include "session/DesktopNotices.h"

#include "model/PanelModel.h"
#include "session/SessionLog.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kIcon = QStringLiteral("com.quorel.panel");

} // namespace

DesktopNotices::DesktopNotices(PanelModel& model, QWidget* window, QDBusConnection bus,
                               std::chrono::milliseconds spacing, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_bus(std::move(bus))
    , m_linked(model.link().linked)
    , m_responding(model.link().responding)
    , m_serverAway(model.faults().soundServerOutage || model.faults().awaitingSoundServer)
{
    for (int kind = 0; kind < KindCount; ++kind) {
        Slot& slot = m_slots[kind];
        slot.spacing = new QTimer(this);
        slot.spacing->setSingleShot(true);
        slot.spacing->setInterval(spacing);
        connect(slot.spacing, &QTimer::timeout, this, [this, kind] {
            Slot& due = m_slots[kind];
            if (due.waiting) {
                const Notice notice = *due.waiting;
                due.waiting.reset();
                send(static_cast<Kind>(kind), notice);
            }
        });
    }
    connect(&model, &PanelModel::linkChanged, this, &DesktopNotices::onLinkChanged);
    connect(&model, &PanelModel::faultsChanged, this, &DesktopNotices::onFaultsChanged);
}

DesktopNotices::~DesktopNotices() = default;

void DesktopNotices::sceneStarted(const QString& app, const QString& preset)
{
    notify(Scene, tr("Scene started"), tr("%1 started a scene with the preset \"%2\".").arg(app, preset));
}

// What changed is told whether or not the window shows it, so a notice
// never repeats what was already so when the window was hidden.
void DesktopNotices::onLinkChanged(const LinkState& link)
{
    if (link.linked != m_linked) {
        m_linked = link.linked;
        if (link.linked)
            notify(Link, tr("Device linked"), tr("The Quorel IIS Audio is linked and is the system's sound device."));
        else
            notify(Link, tr("Device unlinked"), tr("The Quorel IIS Audio is no longer linked."));
    }
    if (link.responding != m_responding) {
        m_responding = link.responding;
        if (!link.responding && link.devicePresent)
            notify(Fault, tr("Device not answering"), tr("The Quorel IIS Audio does not respond."));
    }
}

void DesktopNotices::onFaultsChanged(const PanelFaults& faults)
{
    const bool away = faults.soundServerOutage || faults.awaitingSoundServer;
    if (away == m_serverAway)
        return;
    m_serverAway = away;
    if (away)
        notify(Fault, tr("Sound server not answering"),
               tr("The sound server does not answer; the panel links the device again once it does."));
}

bool DesktopNotices::windowHidden() const
{
    return !m_window->isVisible() || m_window->isMinimized();
}

void DesktopNotices::notify(Kind kind, const QString& summary, const QString& body)
{
    if (!windowHidden())
        return;
    Slot& slot = m_slots[kind];
    if (slot.spacing->isActive()) {
        slot.waiting = Notice{summary, body};
        return;
    }
    send(kind, Notice{summary, body});
}

void DesktopNotices::send(Kind kind, const Notice& notice)
{
    Slot& slot = m_slots[kind];
    slot.spacing->start();
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName()}};
    call << QGuiApplication::applicationDisplayName() << slot.id << kIcon << notice.summary << notice.body
         << QStringList() << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, kind](QDBusPendingCallWatcher* finished) { onReply(kind, finished); });
}

void DesktopNotices::onReply(Kind kind, QDBusPendingCallWatcher* watcher)
{
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
        if (!m_failureLogged)
            qCInfo(lcSession).noquote() << "desktop notices are not shown:" << reply.error().message();
        m_failureLogged = true;
        return;
    }
    m_failureLogged = false;
    m_slots[kind].id = reply.value();
}
