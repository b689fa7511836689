#include "power/LogindPowerEvents.h"

#include <QDBusError>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcPower, "quorel.power")

LogindPowerEvents::LogindPowerEvents(QDBusConnection bus, QObject* parent)
    : PowerEvents(parent)
{
    if (!bus.isConnected()) {
        qCInfo(lcPower).noquote() << "no system bus:" << bus.lastError().message()
                                  << "- a resume from suspend goes unnoticed";
        return;
    }
    m_watching = bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                             QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                             this, SLOT(prepareForSleep(bool)));
    if (!m_watching)
        qCWarning(lcPower).noquote() << "cannot follow logind's sleep signal:" << bus.lastError().message();
}

void LogindPowerEvents::prepareForSleep(bool start)
{
    if (start) {
        qCInfo(lcPower) << "the system is going to sleep";
        return;
    }
    qCInfo(lcPower) << "the system has resumed";
    emit resumed();
}
