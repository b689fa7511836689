#pragma once

#include "app/AppDelegate.h"
#include "session/PanelPort.h"

#include <QPointer>
#include <QTimer>

class PresetController;

// The controller as the session interface and the tray see it. A setting
// from outside goes the way of a click: the window's control takes the
// value, then the control's own handler runs, so the device gets the same
// record, the settings the same value and the window shows it. Refused
// while the device is not linked, as the controls are disabled then.
//
// The state is read from the controls themselves. It changes through the
// sliders (also moved by the system's mixer), the controller's link
// signal, and the user's presses and keys on the other controls; each of
// these schedules one stateMayHaveChanged() for the next turn of the loop.
// Main thread.
class PanelRemote final : public PanelPort {
    Q_OBJECT

public:
    PanelRemote(AppDelegate& controller, const AppDelegateOutlets& outlets, QObject* parent = nullptr);

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scheduleAnnouncement();
    // Stage1..Stage5 by index 0..4.
    SpkMicSliderAction* stageSlider(int index) const;

    AppDelegate& m_controller;
    AppDelegateOutlets m_outlets;
    QTimer m_announce;
    QPointer<PresetController> m_presets;
};
