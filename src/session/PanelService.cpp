#include "session/PanelService.h"

#include "presets/PresetStore.h"
#include "scenes/SceneStore.h"
#include "session/PanelPort.h"
#include "session/SessionLog.h"
#include "controladaptor.h"
#include "applicationadaptor.h"

#include <QDBusMessage>

const QString PanelService::kObjectPath = QStringLiteral("/com/quorel/panel");
const QString PanelService::kInterface = QStringLiteral("com.quorel.panel.Control");

const QString PanelService::kNotLinkedError = QStringLiteral("com.quorel.panel.Error.NotLinked");
const QString PanelService::kOutOfRangeError = QStringLiteral("com.quorel.panel.Error.OutOfRange");
const QString PanelService::kUnknownPresetError = QStringLiteral("com.quorel.panel.Error.UnknownPreset");
const QString PanelService::kInvalidNameError = QStringLiteral("com.quorel.panel.Error.InvalidName");
const QString PanelService::kFailedError = QStringLiteral("com.quorel.panel.Error.Failed");
const QString PanelService::kUnknownSceneError = QStringLiteral("com.quorel.panel.Error.UnknownScene");

PanelService::PanelService(QObject* parent)
    : QObject(parent)
{
    registerSceneMap();
    new ControlAdaptor(this);
    new ApplicationAdaptor(this);
}

bool PanelService::registerOn(QDBusConnection connection)
{
    m_connection = connection;
    if (!m_connection.registerObject(kObjectPath, this)) {
        qCWarning(lcSession) << "cannot offer" << kObjectPath << "on the session bus:"
                             << m_connection.lastError().message();
        return false;
    }
    return true;
}

void PanelService::setPort(PanelPort* port)
{
    m_port = port;
    m_announced = current();
    connect(port, &PanelPort::stateMayHaveChanged, this, &PanelService::announceChanges);
    if (m_raiseHeld) {
        m_raiseHeld = false;
        port->showWindow();
    }
}

PanelState PanelService::current() const
{
    if (!m_port)
        return {};
    PanelState state = m_port->state();
    state.presets = m_port->presets();
    state.activePreset = m_port->activePreset();
    state.presetModified = m_port->activePresetModified();
    state.activeScene = m_port->activeScene();
    return state;
}

// Only what differs from the last announcement goes out, in one signal.
void PanelService::announceChanges()
{
    const QVariantMap now = current().properties();
    const QVariantMap before = m_announced.properties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (before.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    if (changed.isEmpty())
        return;
    m_announced = PanelState::fromProperties(now);
    if (!m_connection.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << kInterface << changed << QStringList();
    m_connection.send(signal);
}

void PanelService::apply(PanelSetting setting, int value)
{
    QString why;
    if (!settingInRange(settingRow(setting), value, &why)) {
        sendErrorReply(kOutOfRangeError, why);
        return;
    }
    if (!m_port) {
        sendErrorReply(kNotLinkedError, tr("the panel is still starting"));
        return;
    }
    if (!m_port->set(setting, value, &why)) {
        sendErrorReply(kNotLinkedError, why);
        return;
    }
    // The change is announced as the panel's state tells of it, with any
    // other it brings along.
    qCInfo(lcSession) << "set" << settingRow(setting).name << "to" << value << "from the session bus";
}

void PanelService::SetSpeaker(int percent)
{
    apply(PanelSetting::Speaker, percent);
}

void PanelService::SetMic(int percent)
{
    apply(PanelSetting::Mic, percent);
}

void PanelService::SetMonitor(bool on)
{
    apply(PanelSetting::Monitor, on ? 1 : 0);
}

void PanelService::SetDenoise(bool on)
{
    apply(PanelSetting::Denoise, on ? 1 : 0);
}

void PanelService::SetStage(int stage, int value)
{
    if (stage < 1 || stage > 5) {
        sendErrorReply(kOutOfRangeError, tr("the stages are 1 to 5; %1 is out of range").arg(stage));
        return;
    }
    apply(stageSetting(stage), value);
}

void PanelService::SetReverb(int value)
{
    apply(PanelSetting::Reverb, value);
}

void PanelService::SetMixer(bool on)
{
    apply(PanelSetting::Mixer, on ? 1 : 0);
}

bool PanelService::presetsAvailable()
{
    if (m_port && !m_port->presets().isEmpty())
        return true;
    sendErrorReply(kFailedError, tr("the panel's presets are not available yet"));
    return false;
}

void PanelService::ApplyPreset(const QString& name)
{
    if (!presetsAvailable())
        return;
    if (!m_port->presets().contains(name)) {
        sendErrorReply(kUnknownPresetError,
                       tr("there is no preset \"%1\"; the presets are %2")
                           .arg(name, m_port->presets().join(QStringLiteral(", "))));
        return;
    }
    QString why;
    if (!m_port->applyPreset(name, &why)) {
        sendErrorReply(kFailedError, why);
        return;
    }
    qCInfo(lcSession).noquote() << "applied the preset" << name << "from the session bus";
    announceChanges();
}

void PanelService::SavePreset(const QString& name)
{
    if (!presetsAvailable())
        return;
    QString why;
    if (!PresetStore::checkNewName(name, &why)) {
        sendErrorReply(kInvalidNameError, why);
        return;
    }
    // A name that may be taken, refused all the same (no room for another
    // preset, say).
    if (!m_port->savePreset(name, &why)) {
        sendErrorReply(kFailedError, why);
        return;
    }
    qCInfo(lcSession).noquote() << "saved the preset" << name << "from the session bus";
    announceChanges();
}

bool PanelService::scenesAvailable()
{
    if (m_port && m_port->scenesAvailable())
        return true;
    sendErrorReply(kFailedError, tr("the panel's scenes are not available yet"));
    return false;
}

SceneMap PanelService::Scenes()
{
    return scenesAvailable() ? m_port->scenes() : SceneMap();
}

void PanelService::AddScene(const QString& application, const QString& preset)
{
    if (!scenesAvailable() || !presetsAvailable())
        return;
    QString why;
    if (!SceneStore::validName(application, &why)) {
        sendErrorReply(kInvalidNameError, why);
        return;
    }
    if (!m_port->presets().contains(preset)) {
        sendErrorReply(kUnknownPresetError, tr("there is no preset \"%1\"; the presets are %2")
                                                .arg(preset, m_port->presets().join(QStringLiteral(", "))));
        return;
    }
    if (!m_port->addScene(application, preset, &why)) {
        sendErrorReply(kFailedError, why);
        return;
    }
    qCInfo(lcSession).noquote() << "added the scene for" << application << "from the session bus";
    announceChanges();
}

void PanelService::RemoveScene(const QString& application)
{
    if (!scenesAvailable())
        return;
    QString why;
    if (!m_port->removeScene(application, &why)) {
        sendErrorReply(kUnknownSceneError, why);
        return;
    }
    qCInfo(lcSession).noquote() << "removed the scene for" << application << "from the session bus";
    announceChanges();
}

// A launcher passes the token that lets the window take the focus
// (Wayland's activation token, X11's startup id); Qt reads it from the
// environment when the window is raised.
void PanelService::Activate(const QVariantMap& platformData)
{
    const QString token = platformData.value(QStringLiteral("activation-token")).toString();
    if (!token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    const QString startupId = platformData.value(QStringLiteral("desktop-startup-id")).toString();
    if (!startupId.isEmpty())
        qputenv("DESKTOP_STARTUP_ID", startupId.toUtf8());
    qCInfo(lcSession) << "asked to show the window";
    if (m_port)
        m_port->showWindow();
    else
        m_raiseHeld = true;
}

// The panel opens no files; being asked to is being asked to show up.
void PanelService::Open(const QStringList&, const QVariantMap& platformData)
{
    Activate(platformData);
}

void PanelService::ActivateAction(const QString& actionName, const QVariantList&, const QVariantMap&)
{
    sendErrorReply(QDBusError::NotSupported, tr("the panel has no action \"%1\"").arg(actionName));
}
