#pragma once

#include "presets/PresetSound.h"

#include <QObject>
#include <QString>

// What presets and undo act on: the panel's device sound. The panel's
// model implements it. Main thread.
class SoundTarget : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual PresetSound sound() const = 0;
    // Makes `sound` the current one as one change: while linked one record
    // with change code 8, and the stored settings as if set by hand; while
    // unlinked only the settings (the next link sends them). False, with
    // the reason in *why, when it is refused; nothing changes then.
    virtual bool applySound(const PresetSound& sound, QString* why) = 0;
    // Takes a step made by hand back or again: what making it by hand would
    // send (one record of the changed control's code when only one control
    // differs). The same as applySound unless the target knows better.
    virtual bool restoreSound(const PresetSound& sound, QString* why) { return applySound(sound, why); }

signals:
    // The sound changed, however it was changed. `stepEnded` is false
    // while a step goes on (a slider being dragged, a reset between its
    // stages) and true when it is over: undo takes each step whole.
    void soundChanged(const PresetSound& sound, bool stepEnded);
    // The sound changed without the user (a scene began or ended): no step
    // to undo; the next step starts from it.
    void soundReplaced(const PresetSound& sound);
};
