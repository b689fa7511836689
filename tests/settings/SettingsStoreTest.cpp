// The settings store: first-run defaults, the stored set, damaged data and
// saving, on real files.
#include <sys/stat.h>

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
        // Wrong kinds of value.
        "[General]\nplist=\"<plist><dict><key>reverb</key><string>40</string></dict></plist>\"\n",
        "[General]\nplist=\"<plist><dict><key>mixer</key><dict/></dict></plist>\"\n",
        "[General]\nplist=\"<plist><dict><key>stage2</key><integer>99999999999</integer></dict></plist>\"\n",
        // Not text: a list (unquoted commas) and a number.
        "[General]\nplist=<plist>,<dict/>,</plist>\n",
        "[General]\nplist=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n",
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

    // The next save replaces the damage.
    SettingsDictionary good;
    good.setInteger(SettingsKey::micGain, 12);
    ASSERT_TRUE(SettingsStore(settingsFile(), defaultsFile).save(good));
    EXPECT_EQ(SettingsStore(settingsFile(), defaultsFile).load(), good);
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

TEST(SettingsStoreLocation, TheUsersStoreIsNamedAfterTheProgram)
{
    EXPECT_TRUE(SettingsStore::defaultSettingsFile().endsWith(QStringLiteral("/quorel-panel/quorel-panel.conf")))
        << SettingsStore::defaultSettingsFile().toStdString();
}
