#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QSocketNotifier;
typedef struct _UMockdevTestbed UMockdevTestbed;

// Makes the panel believe a Quorel IIS Audio is attached: a HID node with the
// device's vendor and product ids in a umockdev testbed, and a sink and a
// source named "Quorel IIS Audio" in the sound server. Every report the
// panel writes to the node arrives as reportReceived().
//
// The testbed only works inside umockdev's preload: the process (and the
// panel it starts) must run under umockdev-wrapper.
class SimulatedDevice : public QObject {
    Q_OBJECT
public:
    explicit SimulatedDevice(QObject* parent = nullptr);
    ~SimulatedDevice() override;

    // The sound server to load the audio devices into is the one PULSE_SERVER
    // (or the user's session) names; when none answers, a private server is
    // started and PULSE_SERVER exported for children. False when neither works.
    bool startSound();
    bool plug();
    void unplug();
    bool isPlugged() const { return m_fd >= 0; }
    // A stalled device takes no reports: the panel's writes wait, as they
    // do on a device that stops answering. False when not plugged in.
    bool setStalled(bool stalled);
    bool isStalled() const { return m_stalled; }
    // Loads the device's sink and source again, into a sound server that
    // restarted without them. False when not plugged in or it fails.
    bool restoreSound();

    // The node of the current (or last) plug-in, e.g. "/dev/hidraw250".
    QString hidrawNode() const { return m_node; }

    // One line naming every field of a 16-byte record.
    static QString describe(const QByteArray& record);

signals:
    // The 16 bytes after the report id; main thread.
    void reportReceived(const QByteArray& record);
    void malformedReport(const QByteArray& bytes);

private:
    void onReadable();
    bool loadAudioDevices();
    void unloadAudioDevices();
    int pactl(const QStringList& args, QString* output = nullptr) const;

    UMockdevTestbed* m_testbed = nullptr;
    int m_plugs = 0;
    QByteArray m_hidPath;
    QByteArray m_hidrawPath;
    QString m_node;
    bool m_nodeAdded = false;
    int m_fd = -1;
    bool m_stalled = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_pending;
    QStringList m_modules;
    std::unique_ptr<class PulseDaemon> m_privateServer;
};
