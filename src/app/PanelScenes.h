#pragma once

#include "scenes/SceneController.h"

#include <QObject>

class AppDelegate;
class MessageBand;
class PresetStore;
class RecordingStreams;
class SceneStore;

// The scenes in the panel: the recording streams follow the linked
// device's input (none while unlinked), and what the scenes say shows in
// the window's message band. Main thread.
class PanelScenes : public QObject {
    Q_OBJECT

public:
    PanelScenes(AppDelegate& delegate, RecordingStreams& streams, const PresetStore& presets, SceneStore& store,
                MessageBand* band, QObject* parent = nullptr);

    SceneController& controller() { return m_controller; }

private:
    SceneController m_controller;
};
