#pragma once

#include "presets/PresetSound.h"

#include <QString>

// A named sound. Factory presets come with the program and are read-only;
// the user's live in the preset store.
struct Preset {
    QString name;
    PresetSound sound;
    bool factory = false;

    bool operator==(const Preset&) const = default;
};
