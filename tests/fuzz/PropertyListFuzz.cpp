// The property-list text the settings are kept in: a dictionary read from
// any text holds only the thirteen keys, gives settings within their
// controls' ranges, and reads back the same once written (indented, and on
// one line as the settings file keeps it).
#include "settings/PropertyList.h"

#include "model/PanelSettings.h"

#include "FuzzCheck.h"
#include "SettingsChecks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    quietQtLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray xml(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    QStringList dropped;
    const std::optional<SettingsDictionary> dictionary = PropertyList::read(xml, &error, &dropped);
    if (!dictionary) {
        FUZZ_CHECK(!error.isEmpty());
        FUZZ_CHECK(dropped.isEmpty());
        return 0;
    }
    checkStoredSettings(*dictionary);
    for (const bool indent : {true, false}) {
        const std::optional<SettingsDictionary> again = PropertyList::read(PropertyList::write(*dictionary, indent));
        FUZZ_CHECK(again && *again == *dictionary);
    }
    return 0;
}
