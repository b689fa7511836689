#pragma once

#include "power/PowerEvents.h"

#include <QDBusConnection>

// Power events from logind: org.freedesktop.login1.Manager's
// PrepareForSleep(false) is the resume. Without a bus, or without logind on
// it, nothing is ever told. Main thread.
class LogindPowerEvents final : public PowerEvents {
    Q_OBJECT

public:
    // Watches logind on `bus`; normally the system bus.
    explicit LogindPowerEvents(QDBusConnection bus = QDBusConnection::systemBus(), QObject* parent = nullptr);

    // The bus is connected and the signal subscribed.
    bool watching() const { return m_watching; }

private slots:
    // Main thread: Qt D-Bus delivers the signal in this object's thread.
    void prepareForSleep(bool start);

private:
    bool m_watching = false;
};
