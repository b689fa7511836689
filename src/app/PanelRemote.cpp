#include "app/PanelRemote.h"

#include "presets/PresetController.h"
#include "scenes/SceneController.h"
#include "scenes/SceneStore.h"

#include <QWidget>

PanelRemote::PanelRemote(AppDelegate& controller, QWidget* window, QObject* parent)
    : PanelPort(parent)
    , m_controller(controller)
    , m_window(window)
{
    // A burst of changes (a stage reset, a link) is told once.
    m_announce.setSingleShot(true);
    m_announce.setInterval(0);
    connect(&m_announce, &QTimer::timeout, this, &PanelRemote::stateMayHaveChanged);

    const PanelModel& model = controller.model();
    connect(&model, &PanelModel::settingsChanged, this, &PanelRemote::scheduleAnnouncement);
    connect(&model, &PanelModel::linkChanged, this, &PanelRemote::scheduleAnnouncement);
    connect(&model, &PanelModel::faultsChanged, this, &PanelRemote::scheduleAnnouncement);
    connect(&model, &PanelModel::transportStateChanged, this, &PanelRemote::scheduleAnnouncement);
}

void PanelRemote::scheduleAnnouncement()
{
    if (!m_announce.isActive())
        m_announce.start();
}

PanelState PanelRemote::state() const
{
    return panelStateOf(m_controller.model());
}

bool PanelRemote::set(PanelSetting setting, int value, QString* why)
{
    if (!m_controller.linked()) {
        *why = tr("the device is not linked");
        return false;
    }
    return m_controller.model().apply(SettingsBatch::of(setting, value), ChangeOrigin::Remote, why);
}

void PanelRemote::showWindow()
{
    if (!m_window)
        return;
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}

void PanelRemote::setPresets(PresetController* presets)
{
    m_presets = presets;
    connect(presets, &PresetController::stateChanged, this, &PanelRemote::scheduleAnnouncement);
    scheduleAnnouncement();
}

QStringList PanelRemote::presets() const
{
    return m_presets ? m_presets->names() : QStringList();
}

QString PanelRemote::activePreset() const
{
    return m_presets ? m_presets->active() : QString();
}

bool PanelRemote::activePresetModified() const
{
    return m_presets && m_presets->modified();
}

bool PanelRemote::applyPreset(const QString& name, QString* why)
{
    *why = tr("the panel's presets are not available yet");
    return m_presets && m_presets->apply(name, why);
}

bool PanelRemote::savePreset(const QString& name, QString* why)
{
    *why = tr("the panel's presets are not available yet");
    return m_presets && m_presets->saveCurrent(name, why);
}

void PanelRemote::setScenes(SceneController* scenes)
{
    m_scenes = scenes;
    connect(scenes, &SceneController::activeSceneChanged, this, &PanelRemote::scheduleAnnouncement);
    scheduleAnnouncement();
}

bool PanelRemote::scenesAvailable() const
{
    return m_scenes != nullptr;
}

SceneMap PanelRemote::scenes() const
{
    SceneMap map;
    if (m_scenes) {
        for (const Scene& scene : m_scenes->store().scenes())
            map.insert(scene.application, scene.preset);
    }
    return map;
}

QString PanelRemote::activeScene() const
{
    return m_scenes ? m_scenes->activeScene() : QString();
}

bool PanelRemote::addScene(const QString& application, const QString& preset, QString* why)
{
    return m_scenes && m_scenes->store().add({application, preset}, why);
}

bool PanelRemote::removeScene(const QString& application, QString* why)
{
    return m_scenes && m_scenes->store().remove(application, why);
}
