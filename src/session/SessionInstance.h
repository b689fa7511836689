#pragma once

#include <QDBusConnection>
#include <QString>

#include <memory>

class QLockFile;

// One panel per user session. The panel owns the well-known name
// com.quorel.panel on the session bus (the name its desktop entry is
// activated under); where there is no session bus, a lock file in
// $XDG_RUNTIME_DIR stands in. Main thread, at start-up, before anything
// else of the panel exists.
class SessionInstance {
public:
    static const QString kBusName;

    enum class Claim {
        Claimed,        // this process is the session's panel
        AlreadyRunning, // another panel holds the name or the lock
    };

    // Connects to the session bus (DBUS_SESSION_BUS_ADDRESS or the
    // desktop's default); the connection may be unusable.
    SessionInstance();
    // On a given connection (a disconnected one means no bus).
    explicit SessionInstance(QDBusConnection connection);
    ~SessionInstance();

    QDBusConnection connection() const { return m_connection; }
    bool hasBus() const { return m_connection.isConnected(); }

    // Takes the name, or the lock file without a bus. A lock that cannot be
    // made at all (no writable runtime directory) is logged and the panel
    // runs anyway: a second panel is better than none.
    Claim claim();

    // Asks the panel that holds the name to show its window; false (logged)
    // when it does not answer or there is no bus to ask over.
    bool raiseRunning();

    // Where the lock file lives (for messages and tests).
    static QString lockFilePath();

private:
    QDBusConnection m_connection;
    std::unique_ptr<QLockFile> m_lock;
};
