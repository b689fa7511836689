#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A session bus of its own for a simulated panel or a test: a dbus-daemon
// on a private socket, ended with the object. Children get it through
// DBUS_SESSION_BUS_ADDRESS (environment()); this process talks to it
// through connect().
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();

    bool start();
    QString address() const { return m_address; }
    // A new connection of this process to the bus, under `name`.
    QDBusConnection connect(const QString& name) const;
    // The system environment with this bus as the session bus.
    QProcessEnvironment environment() const;

private:
    QTemporaryDir m_runtime;
    QProcess m_daemon;
    QString m_address;
};
