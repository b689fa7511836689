#include "scenes/SceneController.h"

#include "model/PanelModel.h"
#include "presets/PresetStore.h"
#include "scenes/SceneStore.h"
#include "scenes/ScenesLog.h"

#include <algorithm>

namespace {

constexpr qsizetype kRecentApplications = 20;

bool matches(const Scene& scene, const RecordingStream& stream)
{
    return scene.application.compare(stream.application, Qt::CaseInsensitive) == 0
           || scene.application.compare(stream.binary, Qt::CaseInsensitive) == 0;
}

} // namespace

SceneController::SceneController(PanelModel& model, const PresetStore& presets, SceneStore& store,
                                 RecordingStreams& streams, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_presets(presets)
    , m_store(store)
{
    connect(&streams, &RecordingStreams::streamsChanged, this, &SceneController::streamsChanged);
    connect(&model, &PanelModel::applied, this, &SceneController::applied);
    connect(&model, &PanelModel::linkChanged, this, &SceneController::update);
    connect(&store, &SceneStore::changed, this, &SceneController::update);
    connect(&presets, &PresetStore::changed, this, &SceneController::update);
}

void SceneController::streamsChanged(const QList<RecordingStream>& streams)
{
    QHash<std::uint32_t, quint64> opened;
    for (const RecordingStream& stream : streams) {
        opened.insert(stream.id, m_opened.value(stream.id, 0));
        if (opened[stream.id] != 0)
            continue;
        opened[stream.id] = ++m_openCount;
        const QString name = stream.application.isEmpty() ? stream.binary : stream.application;
        if (name.isEmpty())
            continue;
        m_recent.removeAll(name);
        m_recent.prepend(name);
        if (m_recent.size() > kRecentApplications)
            m_recent.removeLast();
    }
    m_streams = streams;
    m_opened = opened;
    update();
}

// The user's own changes; the server's volumes and the load are not theirs.
void SceneController::applied(const SettingsChange& change)
{
    if (m_applying || !m_before || !change.changed)
        return;
    switch (change.origin) {
    case ChangeOrigin::Control:
    case ChangeOrigin::Remote:
    case ChangeOrigin::Preset:
    case ChangeOrigin::History:
    case ChangeOrigin::StageReset:
        m_changedByHand = true;
        break;
    case ChangeOrigin::Stored:
    case ChangeOrigin::Server:
    case ChangeOrigin::Scene:
        break;
    }
}

quint64 SceneController::newestStream(const Scene& scene) const
{
    quint64 newest = 0;
    for (const RecordingStream& stream : m_streams) {
        if (matches(scene, stream))
            newest = std::max(newest, m_opened.value(stream.id));
    }
    return newest;
}

void SceneController::update()
{
    const bool following = m_model.link().linked && m_store.enabled();
    const Scene* winner = nullptr;
    quint64 winnerStream = 0;
    QStringList missing;
    const QList<Scene> scenes = m_store.scenes();
    for (const Scene& scene : scenes) {
        const quint64 newest = following ? newestStream(scene) : 0;
        if (newest == 0)
            continue;
        if (!m_presets.find(scene.preset)) {
            missing << scene.application;
            if (!m_toldMissing.contains(scene.application)) {
                tell(QStringLiteral("the scene for %1 names the preset %2, which does not exist; nothing is changed")
                         .arg(scene.application, scene.preset),
                     tr("Scene for %1: there is no preset \"%2\"; nothing changed").arg(scene.application, scene.preset));
            }
            continue;
        }
        if (newest > winnerStream) {
            winner = &scene;
            winnerStream = newest;
        }
    }
    m_toldMissing = missing;

    if (!winner) {
        if (!m_active.isEmpty())
            end(m_active);
        return;
    }
    const Scene* active = m_active.isEmpty() ? nullptr : m_store.find(m_active);
    if (active && active->application == winner->application) {
        // Another preset for the scene in force.
        if (!m_changedByHand && PresetSound::of(m_model.sound()) != m_presets.find(winner->preset)->sound)
            start(*winner);
        return;
    }
    // A scene whose stream opened since the one in force applies its preset
    // in any case; one that is back because the newer one ended does so
    // only while the user has not changed the sound meanwhile.
    const bool returning = m_before && (!active || newestStream(*active) == 0);
    if (!m_before) {
        m_before = PresetSound::of(m_model.sound());
        m_changedByHand = false;
    }
    if (returning && m_changedByHand) {
        m_active = winner->application;
        emit activeSceneChanged(m_active);
        return;
    }
    start(*winner);
}

bool SceneController::apply(const PresetSound& sound, QString* why)
{
    m_applying = true;
    const bool done = m_model.apply(SettingsBatch::ofSound(sound.values()), ChangeOrigin::Scene, why);
    m_applying = false;
    return done;
}

void SceneController::start(const Scene& scene)
{
    m_active = scene.application;
    QString why;
    const bool applied = apply(m_presets.find(scene.preset)->sound, &why);
    if (!applied) {
        tell(QStringLiteral("the scene for %1 could not apply the preset %2: %3").arg(scene.application, scene.preset, why),
             tr("Scene for %1: the preset %2 could not be applied: %3").arg(scene.application, scene.preset, why));
    } else {
        tell(QStringLiteral("scene for %1: the preset %2").arg(scene.application, scene.preset),
             tr("Scene for %1: preset %2").arg(scene.application, scene.preset));
    }
    emit activeSceneChanged(m_active);
    // The desktop hears of a scene only when its sound is on.
    if (applied)
        emit sceneStarted(scene.application, scene.preset);
}

void SceneController::end(QString application)
{
    const PresetSound before = *m_before;
    const bool keep = m_changedByHand;
    m_before.reset();
    m_changedByHand = false;
    m_active.clear();
    QString why;
    if (keep) {
        tell(QStringLiteral("the scene for %1 ended; the settings changed by hand during it are kept").arg(application),
             tr("Scene for %1 ended; your changes during it are kept").arg(application));
    } else if (!apply(before, &why)) {
        tell(QStringLiteral("the scene for %1 ended, but the settings from before could not come back: %2")
                 .arg(application, why),
             tr("Scene for %1 ended, but your settings could not come back: %2").arg(application, why));
    } else {
        tell(QStringLiteral("the scene for %1 ended; the settings from before are back").arg(application),
             tr("Scene for %1 ended; your settings are back").arg(application));
    }
    emit activeSceneChanged(m_active);
    emit sceneEnded(application);
}

void SceneController::tell(const QString& logged, const QString& shown)
{
    qCInfo(lcScenes).noquote() << logged;
    emit message(shown);
}
