#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <array>
#include <chrono>
#include <optional>

class PanelModel;
class QDBusPendingCallWatcher;
class QTimer;
class QWidget;
struct LinkState;
struct PanelFaults;

// While the window is hidden (in the tray or minimised), tells the desktop
// what the user would otherwise see in it: the device linked or unlinked,
// the device or the sound server not answering, a scene started. Through
// org.freedesktop.Notifications on the session bus, with the panel's icon
// and name. Each kind shows one notice at a time: a new one replaces the
// last of its kind, and one comes at most every `spacing`, later ones
// waiting for the spacing to end (only the newest is shown then). Without a
// notification service nothing else changes: the failure is logged once
// until a notice gets through again. Main thread.
class DesktopNotices final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kSpacing{5000};

    DesktopNotices(PanelModel& model, QWidget* window, QDBusConnection bus,
                   std::chrono::milliseconds spacing = kSpacing, QObject* parent = nullptr);
    ~DesktopNotices() override;

public slots:
    // A scene of `app` started with `preset`.
    void sceneStarted(const QString& app, const QString& preset);

private:
    enum Kind { Link, Fault, Scene, KindCount };
    struct Notice {
        QString summary;
        QString body;
    };
    struct Slot {
        // The server's id of the last notice shown; 0 for none.
        uint id = 0;
        std::optional<Notice> waiting;
        QTimer* spacing = nullptr;
    };

    void onLinkChanged(const LinkState& link);
    void onFaultsChanged(const PanelFaults& faults);
    bool windowHidden() const;
    void notify(Kind kind, const QString& summary, const QString& body);
    void send(Kind kind, const Notice& notice);
    void onReply(Kind kind, QDBusPendingCallWatcher* watcher);

    QWidget* m_window;
    QDBusConnection m_bus;
    std::array<Slot, KindCount> m_slots;
    bool m_linked = false;
    bool m_responding = true;
    bool m_serverAway = false;
    bool m_failureLogged = false;
};
