#pragma once

#include "model/PanelModel.h"
#include "settings/SettingsDictionary.h"

#include "FuzzCheck.h"

// What any loaded dictionary promises: only the thirteen keys, and
// settings that the model takes whole as the load at start-up.
inline void checkStoredSettings(const SettingsDictionary& dictionary)
{
    for (const QString& key : dictionary.values().keys())
        FUZZ_CHECK(SettingsKey::all().contains(key));
    const PanelSettings settings = PanelSettings::fromDictionary(dictionary);
    FUZZ_CHECK(settings == settings.bounded());
    PanelModel model;
    FUZZ_CHECK(model.apply(SettingsBatch::ofAll(settings), ChangeOrigin::Stored));
    FUZZ_CHECK(model.settings() == settings);
}
