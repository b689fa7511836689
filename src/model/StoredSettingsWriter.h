#pragma once

#include "model/PanelModel.h"

#include <QObject>

class SettingsDictionary;

// Keeps the stored settings as the model holds them: each change of the
// model's settings, whatever made it (a control, the bus, a preset, the
// sound server), writes the keys of the fields it touched and no others,
// so the dictionary's listeners (the automatic save) hear of real changes
// only. The mute flags are the sound server's side: they are written where
// the server takes a volume, and by storeAll(). A scene's sound is not the
// user's: the keys it changed keep the user's values until a change by
// hand (anything but the server's and the load) makes the sound as it then
// is theirs, and even the shut-down's save leaves them. Main thread.
class StoredSettingsWriter final : public QObject {
    Q_OBJECT

public:
    // Both must outlive the writer.
    StoredSettingsWriter(const PanelModel& model, SettingsDictionary& file, QObject* parent = nullptr);

    // Writes every value as the model holds it, the mute flags left as
    // they are (a load, which the model may have bounded).
    void storeValues();
    // Writes every key, the mute flags as the volumes at 0 (the shut-down's
    // last save).
    void storeAll();

private:
    void applied(const SettingsChange& change);

    const PanelModel& m_model;
    SettingsDictionary& m_file;
    // What a scene changed and the file does not hold yet.
    PanelFields m_sceneFields;
};
