#include "presets/FactoryPresets.h"

#include "presets/PresetsLog.h"
#include "settings/PropertyList.h"
#include "settings/SettingsStore.h"

#include <QFile>

namespace {

// "Flat" is whatever a first run starts with, so the two never disagree.
PresetSound firstRunSound()
{
    QFile file(SettingsStore::defaultDefaultsFile);
    QString error = QStringLiteral("not readable");
    std::optional<SettingsDictionary> defaults;
    if (file.open(QIODevice::ReadOnly))
        defaults = PropertyList::read(file.readAll(), &error);
    if (!defaults) {
        qCWarning(lcPresets).noquote() << "\"Flat\" cannot read the first-run defaults (" + error
                                              + "); it is every effect off and the equaliser level";
        return {};
    }
    return PresetSound::fromSettings(*defaults);
}

Preset make(const char* name, bool monitor, bool denoise, std::array<int, 5> stages, int reverb)
{
    // The mixer routes sound rather than shaping it: no factory preset turns it on.
    return Preset{QString::fromLatin1(name), PresetSound{monitor, denoise, stages, reverb, false}, true};
}

} // namespace

const QList<Preset>& FactoryPresets::all()
{
    static const QList<Preset> presets{
        Preset{QStringLiteral("Flat"), firstRunSound(), true},
        // Calls and meetings: the noise gate on, the low rumble of desks and
        // fans cut, the speech band lifted for clarity, no room added.
        make("Voice", false, true, {-8, -3, 3, 5, 1}, 0),
        // A spoken recording heard on headphones: denoise on, warmth kept,
        // the boxy low mids cut, presence up and sibilance held back, a
        // touch of room so the voice is not dry.
        make("Podcast", true, true, {3, -4, 2, 4, -2}, 8),
        // Singing or an instrument: denoise off (it eats sustained notes and
        // quiet tails), a gentle smile curve and a hall-like reverb, heard
        // live in the headphones.
        make("Music", true, false, {5, 2, -2, 2, 5}, 30),
    };
    return presets;
}

const Preset* FactoryPresets::find(const QString& name)
{
    for (const Preset& preset : all()) {
        if (preset.name.compare(name, Qt::CaseInsensitive) == 0)
            return &preset;
    }
    return nullptr;
}
