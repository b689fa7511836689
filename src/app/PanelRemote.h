#pragma once

#include "app/AppDelegate.h"
#include "session/PanelPort.h"

#include <QPointer>
#include <QTimer>

class PresetController;
class QWidget;

// The controller as the session interface and the tray see it: the state is
// the controller's model, and a setting from outside goes through the same
// change operation as the window's control, so the device gets the same
// record, the settings the same value, and the window shows it. Refused
// while the device is not linked, as the controls are disabled then.
// Main thread.
class PanelRemote final : public PanelPort {
    Q_OBJECT

public:
    // `window` is only shown and raised.
    PanelRemote(AppDelegate& controller, QWidget* window, QObject* parent = nullptr);

    PanelState state() const override;
    bool set(PanelSetting setting, int value, QString* why) override;
    void showWindow() override;

    // Presets go to the controller once it is attached; until then there
    // are none.
    void setPresets(PresetController* presets);
    QStringList presets() const override;
    QString activePreset() const override;
    bool activePresetModified() const override;
    bool applyPreset(const QString& name, QString* why) override;
    bool savePreset(const QString& name, QString* why) override;

private:
    void scheduleAnnouncement();

    AppDelegate& m_controller;
    QPointer<QWidget> m_window;
    QTimer m_announce;
    QPointer<PresetController> m_presets;
};
