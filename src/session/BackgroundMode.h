#pragma once

#include "session/Autostart.h"
#include "session/PanelState.h"

#include <QObject>
#include <QString>

#include <functional>

class PanelPort;
class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

// Running without the window: the tray icon with the link state and its menu
// (show the panel, Monitor and Denoise, "Check microphone", the Presets
// submenu, "Scenes…", "Keep running when the window is closed", "Start at
// login", "Diagnostics…", Quit), and what closing the window does. With "keep
// running" off (the default) closing quits as it always has; with it on,
// closing only hides the window and the panel goes on linking the device
// whenever it is plugged in. Where there is no tray, "Check microphone", the
// presets, "Scenes…", the two options, "Diagnostics…" and Quit are in the
// window's context menu (they are there in any case). "Start at login" turns
// "keep running" on with it. Main thread.
class BackgroundMode : public QObject {
    Q_OBJECT

public:
    struct Config {
        // Where the options are kept (not the device settings' store).
        QString optionsFile = defaultOptionsFile();
        Autostart autostart{Autostart::defaultConfigHome()};
        // What the autostart entry starts.
        QString program = Autostart::programForEntry();
        // Ends the panel the way closing the window does.
        std::function<void()> quit;
        // Opens the diagnostics over the window; without it there is no
        // "Diagnostics…" entry.
        std::function<void()> diagnose;
        // Starts the microphone check, or stops the one that runs; says
        // whether one runs afterwards. Without it there is no "Check
        // microphone" entry.
        std::function<bool()> checkMicrophone;
        // Opens the scenes' dialog over the window; without it there is no
        // "Scenes…" entry.
        std::function<void()> editScenes;
    };

    BackgroundMode(QWidget* window, PanelPort& port, Config config, QObject* parent = nullptr);
    ~BackgroundMode() override;

    static QString defaultOptionsFile();

    bool keepRunning() const;
    // Null where the desktop shows no tray.
    QSystemTrayIcon* trayIcon() const { return m_tray; }
    QMenu* menu() const { return m_menu; }
    QAction* showAction() const { return m_show; }
    QAction* monitorAction() const { return m_monitor; }
    QAction* denoiseAction() const { return m_denoise; }
    // One checkable action per preset; the active one is checked.
    QMenu* presetsMenu() const { return m_presets; }
    QAction* keepRunningAction() const { return m_keepRunningAction; }
    QAction* startAtLoginAction() const { return m_startAtLogin; }
    // Null without Config::diagnose.
    QAction* diagnosticsAction() const { return m_diagnostics; }
    // Null without Config::editScenes.
    QAction* scenesAction() const { return m_scenes; }
    QAction* quitAction() const { return m_quit; }
    // Checked while a check runs; null without Config::checkMicrophone.
    QAction* micCheckAction() const { return m_micCheck; }

signals:
    // An option could not be changed; the text says why, in the user's
    // language (also shown to the user, and logged in English).
    void failed(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readOptions();
    void refresh();
    void setKeepRunning(bool on);
    void setStartAtLogin(bool on);
    void setSwitch(QAction* action, PanelSetting setting);
    void refreshPresets();
    void applyPreset(const QString& name);
    void report(const QString& logged, const QString& shown);

    QWidget* m_window;
    PanelPort& m_port;
    Config m_config;
    QMenu* m_menu = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QAction* m_show = nullptr;
    QAction* m_monitor = nullptr;
    QAction* m_denoise = nullptr;
    QAction* m_micCheck = nullptr;
    QMenu* m_presets = nullptr;
    // What the presets submenu was last built from.
    QStringList m_presetNames;
    QString m_activePreset;
    bool m_presetModified = false;
    // The option as stored; the menu item only shows it.
    bool m_keepRunning = false;
    QAction* m_keepRunningAction = nullptr;
    QAction* m_startAtLogin = nullptr;
    QAction* m_diagnostics = nullptr;
    QAction* m_scenes = nullptr;
    QAction* m_quit = nullptr;
};
