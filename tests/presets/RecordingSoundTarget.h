#pragma once

#include "presets/SoundTarget.h"

#include <QList>

#include <initializer_list>

// The panel's sound as the model keeps it: applySound is one change (one
// code-8 record), announced as an ended step; by-hand changes are steps
// the test drives.
class RecordingSoundTarget final : public SoundTarget {
public:
    PresetSound current;
    QList<PresetSound> applied;
    // The changes given as steps made by hand (also in `applied`).
    QList<PresetSound> restored;
    QString refusal;

    PresetSound sound() const override { return current; }
    bool applySound(const PresetSound& sound, QString* why) override
    {
        if (!refusal.isEmpty()) {
            *why = refusal;
            return false;
        }
        applied.append(sound);
        current = sound;
        emit soundChanged(sound, true);
        return true;
    }

    bool restoreSound(const PresetSound& sound, QString* why) override
    {
        restored.append(sound);
        return applySound(sound, why);
    }

    // A slider dragged through `values` of stage `stage`, released at the last.
    void drag(int stage, std::initializer_list<int> values)
    {
        for (auto it = values.begin(); it != values.end(); ++it) {
            current.stages[static_cast<std::size_t>(stage - 1)] = *it;
            emit soundChanged(current, it + 1 == values.end());
        }
    }
    // A slider moved and still held.
    void hold(int stage, int value)
    {
        current.stages[static_cast<std::size_t>(stage - 1)] = value;
        emit soundChanged(current, false);
    }
    // The reset button: five stage changes, one step.
    void resetStages()
    {
        for (int n = 0; n < 5; ++n) {
            current.stages[static_cast<std::size_t>(n)] = 0;
            emit soundChanged(current, n == 4);
        }
    }
    void toggleDenoise()
    {
        current.denoise = !current.denoise;
        emit soundChanged(current, true);
    }
};
