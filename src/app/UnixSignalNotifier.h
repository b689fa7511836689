#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the main thread, so a
// logout, Ctrl-C or a service manager ends the program through its normal
// shut-down. The C handler only writes the signal number into a pipe; the
// read end sits on a QSocketNotifier. One instance at a time; the previous
// dispositions come back when it is destroyed.
class UnixSignalNotifier : public QObject {
    Q_OBJECT

public:
    explicit UnixSignalNotifier(QObject* parent = nullptr);
    ~UnixSignalNotifier() override;

    // False when the pipe or the handlers could not be set up (logged).
    bool isActive() const { return m_active; }

signals:
    // Main thread: one of the three signals arrived.
    void received(int signalNumber);

private:
    static void handle(int signalNumber);
    void readPipe();

    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_active = false;
};
