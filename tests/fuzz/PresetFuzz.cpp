// A shared preset (.qpreset) as it comes from another machine: whatever
// read() takes is a valid preset, and writing it reads back the same.
#include "presets/PresetFormat.h"

#include "FuzzCheck.h"

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
    const std::optional<Preset> preset = PresetFormat::read(text, &why);
    if (!preset) {
        FUZZ_CHECK(!why.isEmpty());
        return 0;
    }
    QString nameWhy;
    FUZZ_CHECK(PresetFormat::validName(preset->name, &nameWhy));
    FUZZ_CHECK(preset->sound.inRange());
    FUZZ_CHECK(!preset->factory);

    const std::optional<Preset> again = PresetFormat::read(PresetFormat::write(*preset), &why);
    FUZZ_CHECK(again && *again == *preset);
    return 0;
}
