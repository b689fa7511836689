// The settings store: first-run defaults, the stored set, damaged data and
// saving, on real files.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <functional>
#include <future>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "LogCapture.h"
#include "settings/PropertyList.h"
#include "settings/SettingsStore.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    // Its folder does not exist yet, as on a first run.
    QString settingsFile() const { return path(QStringLiteral("config/quorel-panel/quorel-panel.conf")); }

    void writeFile(const QString& file, const QByteArray& bytes) const
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    QByteArray readFile(const QString& file) const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // A defaults file with every key set to something not 0.
    QString nonZeroDefaults() const
    {
        SettingsDictionary defaults;
        for (const QString& key : SettingsKey::all())
            defaults.setInteger(key, 9);
        defaults.setInteger(SettingsKey::reverb, 60);
        const QString file = path(QStringLiteral("Config.plist"));
        writeFile(file, PropertyList::write(defaults));
        return file;
    }

    QTemporaryDir m_dir;
};

}

TEST(SettingsDictionary, ViewsOfPresentAndAbsentValues)
{
    SettingsDictionary file;
    EXPECT_EQ(file.integerValue(SettingsKey::reverb), 0);
    EXPECT_FALSE(file.boolValue(SettingsKey::monitor));

    file.setBool(SettingsKey::monitor, true);
    file.setInteger(SettingsKey::stage1, -15);
    file.setInteger(SettingsKey::spkVolume, 0);
    EXPECT_EQ(file.integerValue(SettingsKey::monitor), 1);
    EXPECT_TRUE(file.boolValue(SettingsKey::stage1));
    EXPECT_FALSE(file.boolValue(SettingsKey::spkVolume));

    // A write replaces the value and its kind.
    file.setInteger(SettingsKey::monitor, 0);
    EXPECT_FALSE(file.boolValue(SettingsKey::monitor));
    EXPECT_EQ(SettingsKey::all().size(), 13);
    EXPECT_EQ(SettingsKey::stage(3), QStringLiteral("stage3"));
}

TEST_F(SettingsStoreTest, FirstRunTakesTheShippedDefaultsThenOnlyTheStoredSet)
{
    const SettingsStore firstRun(settingsFile(), SettingsStore::defaultDefaultsFile);
    const auto defaults = firstRun.load();
    ASSERT_TRUE(defaults);
    for (const QString& key : SettingsKey::all())
        EXPECT_TRUE(defaults->contains(key)) << key.toStdString();
    // Within the controls' ranges.
    EXPECT_GE(defaults->integerValue(SettingsKey::spkVolume), 0);
    EXPECT_LE(defaults->integerValue(SettingsKey::spkVolume), 100);
    EXPECT_LE(defaults->integerValue(SettingsKey::reverb), 100);
    EXPECT_FALSE(QFile::exists(settingsFile())) << "loading must not write";

    SettingsDictionary changed = *defaults;
    changed.setInteger(SettingsKey::spkVolume, 37);
    changed.setInteger(SettingsKey::stage1, -15);
    changed.setBool(SettingsKey::spkMute, true);
    ASSERT_TRUE(firstRun.save(changed));

    // Later runs read the stored set even when the defaults say otherwise.
    const SettingsStore nextRun(settingsFile(), nonZeroDefaults());
    const auto loaded = nextRun.load();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, changed);
    EXPECT_EQ(loaded->integerValue(SettingsKey::stage1), -15);
    EXPECT_EQ(loaded->integerValue(SettingsKey::spkVolume), 37);
    EXPECT_EQ(loaded->integerValue(SettingsKey::spkMute), 1);

    // Kept as property-list text a person can read in the settings file.
    const QByteArray conf = readFile(settingsFile());
    EXPECT_TRUE(conf.contains("plist=")) << conf.constData();
    EXPECT_TRUE(conf.contains("<key>stage1</key><integer>-15</integer>")) << conf.constData();
}

TEST_F(SettingsStoreTest, AStoredSetWithoutAKeyReadsZeroWhateverTheDefaults)
{
    SettingsDictionary partial;
    partial.setInteger(SettingsKey::spkVolume, 80);
    ASSERT_TRUE(SettingsStore(settingsFile(), QString()).save(partial));

    const auto loaded = SettingsStore(settingsFile(), nonZeroDefaults()).load();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->integerValue(SettingsKey::spkVolume), 80);
    EXPECT_EQ(loaded->integerValue(SettingsKey::reverb), 0);
    EXPECT_FALSE(loaded->boolValue(SettingsKey::monitor));
}

TEST_F(SettingsStoreTest, DamagedStoredDataFallsBackToTheDefaultsAndIsLeftAlone)
{
    const QString defaultsFile = nonZeroDefaults();
    const auto defaults = SettingsStore(QString(), defaultsFile).load();
    ASSERT_TRUE(defaults);

    const QByteArray damaged[] = {
        // Not a property list at all, or cut short.
        "[General]\nplist=garbage\n",
        "[General]\nplist=\"<?xml version=\\\"1.0\\\"?><plist version=\\\"1.0\\\"><dict><key>reverb</key>\"\n",
        // A root that is not a dictionary.
        "[General]\nplist=\"<plist version=\\\"1.0\\\"><array><integer>1</integer></array></plist>\"\n",
        // Not text: a list (unquoted commas) and a number.
        "[General]\nplist=<plist>,<dict/>,</plist>\n",
        "[General]\nplist=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n",
        // A streamed list claiming a billion elements, among its key's values
        // and spelled with escapes: decoding it would reserve gigabytes.
        "[General]\nplist=@Variant(\\0\\0\\0\\t\\x3d\\0\\0\\0\\n)\n",
        "[General]\nplist=text, \"\\x40Variant(\\0\\0\\0\\t=@\\0\\0\\0\\n)\"\n",
    };
    for (const QByteArray& contents : damaged) {
        writeFile(settingsFile(), contents);
        LogCapture log;
        const auto loaded = SettingsStore(settingsFile(), defaultsFile).load();
        ASSERT_TRUE(loaded) << contents.constData();
        EXPECT_EQ(*loaded, *defaults) << contents.constData();
        EXPECT_EQ(log.count(QStringLiteral("damaged")), 1) << contents.constData();
        EXPECT_EQ(readFile(settingsFile()), contents) << "a load never rewrites the file";
    }

    // The next save replaces the damage, and says nothing of it.
    SettingsDictionary good;
    good.setInteger(SettingsKey::micGain, 12);
    LogCapture log;
    ASSERT_TRUE(SettingsStore(settingsFile(), defaultsFile).save(good));
    EXPECT_EQ(log.count(QStringLiteral("cannot save")), 0);
    EXPECT_EQ(SettingsStore(settingsFile(), defaultsFile).load(), good);
}

// A hand-edited file with one value of the wrong kind keeps the other
// twelve; the next save writes the thirteenth afresh.
TEST_F(SettingsStoreTest, OneWrongValueCostsOnlyItsOwnKey)
{
    SettingsDictionary all;
    int n = 0;
    for (const QString& key : SettingsKey::all())
        all.setInteger(key, ++n);
    const QByteArray good = PropertyList::write(all, false);
    for (const QString& key : SettingsKey::all()) {
        QByteArray edited = good;
        const QByteArray entry = "<key>" + key.toUtf8() + "</key><integer>";
        const qsizetype at = edited.indexOf(entry);
        ASSERT_GE(at, 0);
        const qsizetype end = edited.indexOf("</integer>", at);
        edited.replace(at, end + 10 - at, "<key>" + key.toUtf8() + "</key><string>loud</string>");
        QSettings(settingsFile(), QSettings::IniFormat).setValue(QStringLiteral("plist"), QString::fromUtf8(edited));

        LogCapture log;
        const auto loaded = SettingsStore(settingsFile(), nonZeroDefaults()).load();
        ASSERT_TRUE(loaded) << key.toStdString();
        EXPECT_EQ(loaded->values().size(), 12) << key.toStdString();
        EXPECT_EQ(loaded->integerValue(key), 0) << key.toStdString();
        for (const QString& other : SettingsKey::all()) {
            if (other != key) {
                EXPECT_EQ(loaded->integerValue(other), all.integerValue(other)) << other.toStdString();
            }
        }
        EXPECT_EQ(log.count(QStringLiteral("\"%1\"").arg(key)), 1) << "the log names the key";
    }
}

// Only a regular file of a sane size is read; anything else is left alone,
// at load and at save: the panel runs on the defaults and keeps no change.
TEST_F(SettingsStoreTest, AFifoOrAHugeFileAtTheSettingsPathIsNeitherReadNorReplaced)
{
    const QString defaultsFile = nonZeroDefaults();
    const auto defaults = SettingsStore(QString(), defaultsFile).load();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settingsFile()).path()));
    const SettingsStore store(settingsFile(), defaultsFile);
    SettingsDictionary saved;
    saved.setInteger(SettingsKey::reverb, 33);

    struct Case {
        const char* name;
        std::function<void(const QString&)> make;
        const char* logged;
    };
    const Case cases[] = {
        {"FIFO", [](const QString& file) { ASSERT_EQ(mkfifo(QFile::encodeName(file).constData(), 0600), 0); },
         "not a regular file"},
        {"200 MB sparse file", [](const QString& file) {
             QFile sparse(file);
             ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(200 << 20));
         }, "damaged"},
    };
    for (const Case& c : cases) {
        QFile::remove(settingsFile());
        c.make(settingsFile());
        struct stat before {};
        ASSERT_EQ(stat(QFile::encodeName(settingsFile()).constData(), &before), 0);
        LogCapture log;
        EXPECT_EQ(store.load(), defaults) << c.name << ": no writer ever opens the FIFO, so a read would hang";
        EXPECT_EQ(log.count(QLatin1String(c.logged)), 1) << c.name;
        EXPECT_FALSE(store.save(saved)) << c.name;
        EXPECT_EQ(log.count(QStringLiteral("it is kept")), 1) << c.name;
        struct stat after {};
        ASSERT_EQ(stat(QFile::encodeName(settingsFile()).constData(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << c.name;
        EXPECT_EQ(after.st_size, before.st_size) << c.name;
    }
}

TEST_F(SettingsStoreTest, NothingToLoadWithoutAStoredSetOrDefaults)
{
    EXPECT_FALSE(SettingsStore(settingsFile(), path(QStringLiteral("missing.plist"))).load());

    const QString badDefaults = path(QStringLiteral("bad.plist"));
    writeFile(badDefaults, "<plist><array/></plist>");
    LogCapture log;
    EXPECT_FALSE(SettingsStore(settingsFile(), badDefaults).load());
    EXPECT_EQ(log.count(QStringLiteral("not a dictionary")), 1);
}

TEST_F(SettingsStoreTest, SaveReplacesTheFileWholeAndReportsFailure)
{
    SettingsDictionary first;
    first.setInteger(SettingsKey::reverb, 10);
    const SettingsStore store(settingsFile(), QString());
    ASSERT_TRUE(store.save(first));
    struct stat before {};
    ASSERT_EQ(stat(settingsFile().toLocal8Bit().constData(), &before), 0);

    // A new file is renamed over the old one, so a crash mid-save leaves
    // the previous file whole.
    SettingsDictionary second;
    second.setInteger(SettingsKey::reverb, 20);
    ASSERT_TRUE(store.save(second));
    struct stat after {};
    ASSERT_EQ(stat(settingsFile().toLocal8Bit().constData(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(store.load(), second);

    // Where no file can be written the save says so.
    const QString blocked = path(QStringLiteral("blocked"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    LogCapture log;
    EXPECT_FALSE(SettingsStore(blocked, QString()).save(second));
    EXPECT_EQ(log.count(QStringLiteral("cannot save the settings")), 1);
}

// Finding the user's store opens nothing: a FIFO there held the start
// (and the doctor) before any guard could refuse it.
TEST(SettingsStoreLocation, TheUsersStoreIsNamedAfterTheProgramAndFoundWithoutOpeningIt)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const QString file = config.filePath(QStringLiteral("quorel-panel/quorel-panel.conf"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
    ASSERT_EQ(mkfifo(QFile::encodeName(file).constData(), 0600), 0);

    auto found = std::async(std::launch::async, [] {
        const SettingsStore store;
        return std::make_pair(store.settingsFile(), store.load().has_value());
    });
    if (found.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "held by the FIFO";
        // A writer that comes and goes lets the blocked reader see the end.
        ::close(::open(QFile::encodeName(file).constData(), O_WRONLY));
    }
    const auto [path, loaded] = found.get();
    EXPECT_EQ(path, file);
    EXPECT_TRUE(loaded) << "the shipped defaults";
}
