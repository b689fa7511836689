#pragma once

#include "app/AppDelegate.h"
#include "session/PanelPort.h"

#include <QPointer>
#include <QTimer>

class PresetController;
class SceneController;
class QWidget;

// The panel as the session interface and the tray see it: the state is the
// model, and a setting from outside is one change of it (ChangeOrigin::Remote),
// which the model's writers store, send to the device and show as they do a
// control's. Refused while the device is not linked, as the controls are
// disabled then. Main thread.
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

    // Scenes once their controller is attached; until then there are none.
    void setScenes(SceneController* scenes);
    bool scenesAvailable() const override;
    SceneMap scenes() const override;
    QString activeScene() const override;
    bool addScene(const QString& application, const QString& preset, QString* why) override;
    bool removeScene(const QString& application, QString* why) override;

private:
    void scheduleAnnouncement();

    AppDelegate& m_controller;
    QPointer<QWidget> m_window;
    QTimer m_announce;
    QPointer<PresetController> m_presets;
    QPointer<SceneController> m_scenes;
};
