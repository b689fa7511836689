// The per-user settings file as it may be found on disk: the INI file
// QSettings reads, its "plist" value (quoted, escaped, @ByteArray or
// @Variant) and the property list inside it. Whatever it holds, the load
// gives a dictionary the model takes, or the defaults.
#include "settings/PropertyList.h"
#include "settings/SettingsStore.h"

#include "FuzzCheck.h"
#include "SettingsChecks.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

QTemporaryDir* folder = nullptr;
// The defaults every damaged file falls back on.
SettingsDictionary* defaults = nullptr;

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    quietQtLogs();
    folder = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/quorel-fuzz-settings-XXXXXX"));
    FUZZ_CHECK(folder->isValid());
    QFile file(folder->filePath(QStringLiteral("defaults.plist")));
    FUZZ_CHECK(file.open(QIODevice::WriteOnly));
    defaults = new SettingsDictionary;
    defaults->setInteger(SettingsKey::spkVolume, 42);
    file.write(PropertyList::write(*defaults));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A new name each time: QSettings caches a file it has read by name,
    // and the cached copy of a rewritten file could hide the new bytes.
    static quint64 count = 0;
    const QString path = folder->filePath(QStringLiteral("settings-%1.conf").arg(++count));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size))
                   == static_cast<qint64>(size));
    }
    const std::optional<SettingsDictionary> loaded =
        SettingsStore(path, folder->filePath(QStringLiteral("defaults.plist"))).load();
    QFile::remove(path);
    FUZZ_CHECK(loaded);
    checkStoredSettings(*loaded);
    return 0;
}
