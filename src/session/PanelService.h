#pragma once

#include "session/PanelState.h"
#include "session/SceneMap.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QPointer>
#include <QVariantMap>

class PanelPort;

// The running panel on the session bus: the com.quorel.panel.Control
// interface (state, change signals, setters) and org.freedesktop.Application
// (a launcher or a second start brings the window to the front), both at
// /com/quorel/panel. The adaptors are generated from the XML beside this
// file; they read the properties and call the slots below. Main thread.
//
// The object is registered before the panel claims its bus name, so a
// second start that finds the name always finds the object; until the
// controller's port is attached the setters refuse and a raise is held.
class PanelService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(bool Linked READ linked)
    Q_PROPERTY(bool DevicePresent READ devicePresent)
    Q_PROPERTY(bool NotResponding READ notResponding)
    Q_PROPERTY(bool SoundServerAnswering READ soundServerAnswering)
    Q_PROPERTY(int Speaker READ speaker)
    Q_PROPERTY(int Mic READ mic)
    Q_PROPERTY(bool Monitor READ monitor)
    Q_PROPERTY(bool Denoise READ denoise)
    Q_PROPERTY(int Stage1 READ stage1)
    Q_PROPERTY(int Stage2 READ stage2)
    Q_PROPERTY(int Stage3 READ stage3)
    Q_PROPERTY(int Stage4 READ stage4)
    Q_PROPERTY(int Stage5 READ stage5)
    Q_PROPERTY(int Reverb READ reverb)
    Q_PROPERTY(bool Mixer READ mixer)
    Q_PROPERTY(QString TransportState READ transportState)
    Q_PROPERTY(QStringList Presets READ presets)
    Q_PROPERTY(QString ActivePreset READ activePreset)
    Q_PROPERTY(bool PresetModified READ presetModified)
    Q_PROPERTY(QString ActiveScene READ activeScene)

public:
    static const QString kObjectPath;
    static const QString kInterface;
    // The errors the interface replies with.
    static const QString kNotLinkedError;
    static const QString kOutOfRangeError;
    static const QString kUnknownPresetError;
    static const QString kInvalidNameError;
    static const QString kFailedError;
    static const QString kUnknownSceneError;

    explicit PanelService(QObject* parent = nullptr);

    // False (logged) when the object cannot be registered.
    bool registerOn(QDBusConnection connection);
    // Attaches the controller's side; a raise asked for before runs now.
    void setPort(PanelPort* port);

    bool linked() const { return current().linked; }
    bool devicePresent() const { return current().devicePresent; }
    bool notResponding() const { return current().notResponding; }
    bool soundServerAnswering() const { return current().soundServerAnswering; }
    int speaker() const { return current().value(PanelSetting::Speaker); }
    int mic() const { return current().value(PanelSetting::Mic); }
    bool monitor() const { return current().value(PanelSetting::Monitor) != 0; }
    bool denoise() const { return current().value(PanelSetting::Denoise) != 0; }
    int stage1() const { return current().value(PanelSetting::Stage1); }
    int stage2() const { return current().value(PanelSetting::Stage2); }
    int stage3() const { return current().value(PanelSetting::Stage3); }
    int stage4() const { return current().value(PanelSetting::Stage4); }
    int stage5() const { return current().value(PanelSetting::Stage5); }
    int reverb() const { return current().value(PanelSetting::Reverb); }
    bool mixer() const { return current().value(PanelSetting::Mixer) != 0; }
    QString transportState() const { return current().transport; }
    QStringList presets() const { return current().presets; }
    QString activePreset() const { return current().activePreset; }
    bool presetModified() const { return current().presetModified; }
    QString activeScene() const { return current().activeScene; }

public slots:
    // com.quorel.panel.Control
    void SetSpeaker(int percent);
    void SetMic(int percent);
    void SetMonitor(bool on);
    void SetDenoise(bool on);
    void SetStage(int stage, int value);
    void SetReverb(int value);
    void SetMixer(bool on);
    void ApplyPreset(const QString& name);
    void SavePreset(const QString& name);
    SceneMap Scenes();
    void AddScene(const QString& application, const QString& preset);
    void RemoveScene(const QString& application);

    // org.freedesktop.Application
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& actionName, const QVariantList& parameter, const QVariantMap& platformData);

private:
    PanelState current() const;
    void apply(PanelSetting setting, int value);
    // False (with an error reply sent) while the port offers no presets.
    bool presetsAvailable();
    // False (with an error reply sent) while the port follows no scenes.
    bool scenesAvailable();
    void announceChanges();

    QDBusConnection m_connection{QString()};
    QPointer<PanelPort> m_port;
    PanelState m_announced;
    bool m_raiseHeld = false;
};
