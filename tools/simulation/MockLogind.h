#pragma once

#include "PrivateSessionBus.h"

#include <QProcess>
#include <QString>

// logind stood in by python3-dbusmock's "logind" template, on a private bus
// of its own that the panel takes for the system bus through
// DBUS_SYSTEM_BUS_ADDRESS (systemBusAddress()). Ended with the object.
class MockLogind {
public:
    MockLogind() = default;
    ~MockLogind();
    MockLogind(const MockLogind&) = delete;
    MockLogind& operator=(const MockLogind&) = delete;

    // Starts the bus and the mock and waits until logind's name is taken.
    bool start();
    QString systemBusAddress() const { return m_bus.address(); }
    // Emits org.freedesktop.login1.Manager.PrepareForSleep(start), as logind
    // does before a suspend (true) and after the resume (false).
    bool emitPrepareForSleep(bool start);

private:
    PrivateSessionBus m_bus;
    QProcess m_mock;
    QString m_connectionName;
};
