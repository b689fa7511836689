// The user's presets store as it may be found on disk (edited by hand,
// cut short): every preset kept is valid and named once, and writing the
// store reads back the same.
#include "presets/PresetFormat.h"

#include "FuzzCheck.h"

#include <QSet>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    quietQtLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString why;
    const std::optional<PresetFormat::Store> store = PresetFormat::readStore(text, &why);
    if (!store) {
        FUZZ_CHECK(!why.isEmpty());
        return 0;
    }
    QSet<QString> names;
    for (const Preset& preset : store->presets) {
        QString nameWhy;
        FUZZ_CHECK(PresetFormat::validName(preset.name, &nameWhy));
        FUZZ_CHECK(preset.sound.inRange());
        FUZZ_CHECK(!preset.factory);
        FUZZ_CHECK(!names.contains(preset.name));
        names.insert(preset.name);
    }
    for (const QString& damage : store->damaged)
        FUZZ_CHECK(!damage.isEmpty());

    const std::optional<PresetFormat::Store> again =
        PresetFormat::readStore(PresetFormat::writeStore(store->presets, store->active), &why);
    FUZZ_CHECK(again);
    FUZZ_CHECK(again->presets == store->presets);
    FUZZ_CHECK(again->active == store->active);
    FUZZ_CHECK(again->damaged.isEmpty());
    return 0;
}
