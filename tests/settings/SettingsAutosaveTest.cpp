// Settings are saved once after each burst of changes, on real files.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "settings/SettingsAutosave.h"

using namespace std::chrono_literals;

TEST(SettingsAutosave, OneSaveAfterEachBurstOfChangesAndNoneForAWriteThatChangesNothing)
{
    QTemporaryDir dir;
    const SettingsStore store(dir.filePath(QStringLiteral("quorel-panel.conf")), QString());
    SettingsDictionary settings;
    settings.setInteger(SettingsKey::spkVolume, 10);
    SettingsAutosave autosave(store, 1000ms);
    autosave.watch(settings);
    QSignalSpy saved(&autosave, &SettingsAutosave::saved);

    // A drag: a step every 50 ms for a second, then rest (each step well
    // within the delay, even on a loaded machine).
    for (int step = 11; step <= 30; ++step) {
        settings.setInteger(SettingsKey::spkVolume, step);
        QTest::qWait(50);
    }
    EXPECT_TRUE(saved.isEmpty()) << "nothing is saved while the changes go on";
    ASSERT_TRUE(saved.wait(3000));
    QTest::qWait(500);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(saved.first().first().toBool());
    EXPECT_EQ(store.load()->integerValue(SettingsKey::spkVolume), 30);

    // Writing what is already there is no change.
    settings.setInteger(SettingsKey::spkVolume, 30);
    EXPECT_FALSE(autosave.pending());

    // A copy is not watched; the original still is.
    SettingsDictionary copy = settings;
    copy.setBool(SettingsKey::mixer, true);
    EXPECT_FALSE(autosave.pending());
    settings.setBool(SettingsKey::mixer, true);
    EXPECT_TRUE(autosave.pending());

    // Cancelled (as the shut-down does before its own save): nothing more.
    autosave.cancel();
    QTest::qWait(500);
    EXPECT_EQ(saved.size(), 1);
    EXPECT_FALSE(store.load()->boolValue(SettingsKey::mixer));
}

TEST(SettingsAutosave, AFailedSaveIsReported)
{
    QTemporaryDir dir;
    // A folder where the file belongs: the rename over it fails.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("blocked")));
    SettingsDictionary settings;
    SettingsAutosave autosave(SettingsStore(dir.filePath(QStringLiteral("blocked")), QString()), 10ms);
    autosave.watch(settings);
    QSignalSpy saved(&autosave, &SettingsAutosave::saved);
    settings.setInteger(SettingsKey::reverb, 5);
    ASSERT_TRUE(saved.wait(3000));
    EXPECT_FALSE(saved.first().first().toBool());
}
