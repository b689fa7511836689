#pragma once

#include "presets/PresetSound.h"

#include <QString>

#include <deque>
#include <optional>

// Undo and redo of the device's sound, step by step, without widgets: each
// step is the sound before and after it, with the preset that was active
// on either side. At most 100 steps are kept, the oldest going first.
// Recording a step after an undo drops what could have been redone.
class SoundHistory {
public:
    static constexpr std::size_t MaxSteps = 100;

    struct Side {
        PresetSound sound;
        QString activePreset;
        bool operator==(const Side&) const = default;
    };

    // A step that changed nothing is not kept.
    void record(const Side& before, const Side& after);

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    std::size_t size() const { return m_steps.size(); }

    // The side to go back or forward to, or nothing at either end. The
    // caller applies it; when that fails it calls the other one to stay in
    // step.
    std::optional<Side> undo();
    std::optional<Side> redo();

    void clear();

private:
    struct Step {
        Side before;
        Side after;
    };
    std::deque<Step> m_steps;
    // Steps [0, m_done) are done; the rest can be redone.
    std::size_t m_done = 0;
};
