// The settings checks on real files: first run, a saved file, a damaged
// one, one with a value of the wrong kind, one the user may not read, and a
// folder the user may not write into.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "WithoutFileAccessOverride.h"
#include "doctor/SettingsChecks.h"
#include "settings/PropertyList.h"
#include "settings/SettingsStore.h"

namespace {

using Outcome = DoctorCheck::Outcome;

class SettingsChecksTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(home.isValid()); }

    std::vector<DoctorCheck> run()
    {
        std::vector<DoctorCheck> checks = SettingsChecks(file).run();
        EXPECT_EQ(checks.size(), 2U);
        EXPECT_EQ(checks.at(0).id, QStringLiteral("settings.file"));
        EXPECT_EQ(checks.at(1).id, QStringLiteral("settings.folder"));
        return checks;
    }

    void writeFile(const QByteArray& text)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text);
    }

    QTemporaryDir home;
    QString folder = home.filePath(QStringLiteral("quorel-panel"));
    QString file = folder + QStringLiteral("/quorel-panel.conf");
};

} // namespace

TEST_F(SettingsChecksTest, AFirstRunAndASavedFilePassAndTheCheckCreatesNothing)
{
    std::vector<DoctorCheck> checks = run();
    EXPECT_EQ(checks[0].outcome, Outcome::Pass);
    EXPECT_TRUE(checks[0].detail.contains(QStringLiteral("not there yet")));
    // The folder is made by the first save: its parent must take it.
    EXPECT_EQ(checks[1].outcome, Outcome::Pass);
    EXPECT_EQ(checks[1].detail, home.path());
    EXPECT_FALSE(QFileInfo::exists(folder));

    SettingsDictionary settings;
    settings.setInteger(SettingsKey::reverb, 40);
    ASSERT_TRUE(SettingsStore(file, SettingsStore::defaultDefaultsFile).save(settings));
    checks = run();
    EXPECT_EQ(checks[0].outcome, Outcome::Pass) << checks[0].cause.toStdString();
    EXPECT_EQ(checks[0].detail, file);
    EXPECT_EQ(checks[1].detail, folder);
}

TEST_F(SettingsChecksTest, DamagedSettingsFailAndAWrongKindOfValueWarns)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    writeFile("[General]\nplist=\"<plist><dict><key>reverb</key>\"\n");
    std::vector<DoctorCheck> checks = run();
    EXPECT_EQ(checks[0].outcome, Outcome::Fail);
    EXPECT_TRUE(checks[0].cause.contains(QStringLiteral("damaged"))) << checks[0].cause.toStdString();
    EXPECT_TRUE(checks[0].fix.contains(QStringLiteral("delete ") + file));

    // One value of the wrong kind reads as 0; the rest stand.
    SettingsDictionary settings;
    settings.setInteger(SettingsKey::reverb, 40);
    QByteArray text = PropertyList::write(settings, false);
    text.replace("<integer>40</integer>", "<string>loud</string>");
    ASSERT_TRUE(text.contains("loud"));
    QSettings(file, QSettings::IniFormat).setValue(QStringLiteral("plist"), QString::fromUtf8(text));
    checks = run();
    EXPECT_EQ(checks[0].outcome, Outcome::Warn) << checks[0].cause.toStdString();
    EXPECT_TRUE(checks[0].cause.contains(QStringLiteral("reverb"))) << checks[0].cause.toStdString();

    writeFile(QByteArray(SettingsStore::MaxFileSize + 1, ';'));
    EXPECT_EQ(run()[0].outcome, Outcome::Fail);
}

TEST_F(SettingsChecksTest, AFileTheUserMayNotReadAndAFolderTheUserMayNotWriteFailWithTheirFix)
{
    SettingsDictionary settings;
    ASSERT_TRUE(SettingsStore(file, SettingsStore::defaultDefaultsFile).save(settings));
    ASSERT_TRUE(QFile(file).setPermissions({}));
    ASSERT_TRUE(QFile(folder).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    WithoutFileAccessOverride asUser;
    const std::vector<DoctorCheck> checks = run();
    EXPECT_EQ(checks[0].outcome, Outcome::Fail);
    EXPECT_TRUE(checks[0].cause.contains(QStringLiteral("cannot be read"))) << checks[0].cause.toStdString();
    EXPECT_TRUE(checks[0].fix.contains(QStringLiteral("chown"))) << checks[0].fix.toStdString();
    EXPECT_EQ(checks[1].outcome, Outcome::Fail);
    EXPECT_TRUE(checks[1].cause.contains(folder)) << checks[1].cause.toStdString();
    EXPECT_TRUE(checks[1].fix.contains(QStringLiteral("chown -R"))) << checks[1].fix.toStdString();
}
