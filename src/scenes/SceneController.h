#pragma once

#include "audio/RecordingStreams.h"
#include "presets/PresetSound.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class PanelModel;
class PresetStore;
class SceneStore;
struct Scene;
struct SettingsChange;

// Follows the streams recording from the linked device's input and makes a
// scene's preset the device's sound while its application records: the
// first stream of a scene applies its preset as one change (one full
// record, as choosing the preset does); when the last one closes the sound
// from before the first scene comes back, unless the user changed a
// setting by hand meanwhile. Of several scenes recording at once the one
// whose stream opened last wins; when it ends the one it followed comes
// back with its preset (again unless changed by hand). Main thread.
class SceneController : public QObject {
    Q_OBJECT

public:
    SceneController(PanelModel& model, const PresetStore& presets, SceneStore& store, RecordingStreams& streams,
                    QObject* parent = nullptr);

    SceneStore& store() const { return m_store; }
    // The application of the scene in force, as its scene names it; empty
    // when none is.
    QString activeScene() const { return m_active; }
    // The applications seen recording from the device since the panel
    // started, the latest first.
    QStringList recentApplications() const { return m_recent; }

signals:
    void sceneStarted(const QString& application, const QString& preset);
    void sceneEnded(const QString& application);
    void activeSceneChanged(const QString& application);
    // What the user is told of a scene starting, ending or failing, in
    // their language (also logged).
    void message(const QString& text);

private:
    void streamsChanged(const QList<RecordingStream>& streams);
    void applied(const SettingsChange& change);
    // Finds the scene in force and goes to it.
    void update();
    // The newest stream of the application, 0 for none.
    quint64 newestStream(const Scene& scene) const;
    bool apply(const PresetSound& sound, QString* why);
    void start(const Scene& scene);
    // By value: the name is often m_active, which ending clears.
    void end(QString application);
    void tell(const QString& logged, const QString& shown);

    PanelModel& m_model;
    const PresetStore& m_presets;
    SceneStore& m_store;
    QList<RecordingStream> m_streams;
    // Each stream's place in the order streams opened, counted from 1.
    QHash<std::uint32_t, quint64> m_opened;
    quint64 m_openCount = 0;
    QStringList m_recent;
    // The scenes whose stream is up but whose preset is gone, told once.
    QStringList m_toldMissing;
    QString m_active;
    // The sound from before the first scene, while one is in force.
    std::optional<PresetSound> m_before;
    bool m_changedByHand = false;
    bool m_applying = false;
};
