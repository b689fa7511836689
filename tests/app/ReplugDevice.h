#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <memory>

class PulseDaemon;
class QSocketNotifier;
typedef struct _UMockdevTestbed UMockdevTestbed;

// A Quorel IIS Audio that can be unplugged and plugged in again within one
// testbed: each plug-in is a fresh USB interface with its own hidraw node
// (umockdev cannot bring back a node it has handed out), plus the device's
// sink and source in the private sound server. Records the panel writes
// arrive as reportReceived(). Needs umockdev-wrapper.
class ReplugDevice : public QObject {
    Q_OBJECT
public:
    explicit ReplugDevice(PulseDaemon& daemon, QObject* parent = nullptr);
    ~ReplugDevice() override;

    bool plug();
    void unplug();

signals:
    // The 16 bytes after the report id.
    void reportReceived(const QByteArray& record);

private:
    void onReadable();

    PulseDaemon& m_daemon;
    UMockdevTestbed* m_testbed = nullptr;
    int m_plugs = 0;
    int m_fd = -1;
    QByteArray m_hidPath;
    QByteArray m_hidrawPath;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_pending;
    QStringList m_modules;
};
