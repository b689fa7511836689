#pragma once

#include "presets/Preset.h"

#include <QList>

// The presets that come with the panel, read-only, in the order they are
// offered: "Flat" (the first-run defaults of Config.plist), "Voice",
// "Podcast" and "Music". The README says what each one is for.
namespace FactoryPresets {

const QList<Preset>& all();
// The factory preset of that name (exact, or in another case), or null.
const Preset* find(const QString& name);

}
