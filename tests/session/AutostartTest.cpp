// The "Start at login" entry on disk: written where the desktop looks,
// valid for desktop-file-validate even for awkward program paths, removed
// again; and the lock that stands in for the bus name.
#include "session/Autostart.h"
#include "session/SessionInstance.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// desktop-file-validate's verdict; its complaints in *output.
bool validates(const QString& path, QString* output)
{
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(QStringLiteral("desktop-file-validate"), {path});
    if (!validate.waitForFinished(10000))
        return false;
    *output = QString::fromUtf8(validate.readAll());
    return validate.exitStatus() == QProcess::NormalExit && validate.exitCode() == 0;
}

TEST(AutostartTest, EnableWritesAValidEntryStartingHiddenAndDisableRemovesIt)
{
    QTemporaryDir config;
    Autostart autostart(config.path());
    EXPECT_FALSE(autostart.isEnabled());
    EXPECT_EQ(autostart.entryPath(), config.filePath(QStringLiteral("autostart/com.quorel.panel.desktop")));

    AutostartError why;
    ASSERT_TRUE(autostart.enable(QStringLiteral("quorel-panel"), &why)) << qPrintable(why.logged);
    EXPECT_TRUE(autostart.isEnabled());
    QFile entry(autostart.entryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("\nExec=quorel-panel --hidden\n"));
    QString complaints;
    EXPECT_TRUE(validates(autostart.entryPath(), &complaints)) << qPrintable(complaints);

    ASSERT_TRUE(autostart.disable(&why)) << qPrintable(why.logged);
    EXPECT_FALSE(autostart.isEnabled());
    EXPECT_TRUE(autostart.disable(&why)) << "removing an absent entry is no failure";
}

TEST(AutostartTest, AProgramPathWithSpacesQuotesAndPercentIsQuotedAsTheExecKeyRequires)
{
    QTemporaryDir config;
    Autostart autostart(config.path());
    AutostartError why;
    ASSERT_TRUE(autostart.enable(QStringLiteral("/opt/my apps/100% \"quorel\"/quorel-panel"), &why));
    QFile entry(autostart.entryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains(
        R"(Exec="/opt/my apps/100%% \\"quorel\\"/quorel-panel" --hidden)"));
    QString complaints;
    EXPECT_TRUE(validates(autostart.entryPath(), &complaints)) << qPrintable(complaints);
}

TEST(AutostartTest, AnEntryThatCannotBeWrittenSaysWhy)
{
    QTemporaryDir config;
    // A file where the autostart folder should be.
    QFile blocker(config.filePath(QStringLiteral("autostart")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Autostart autostart(config.path());
    AutostartError why;
    EXPECT_FALSE(autostart.enable(QStringLiteral("quorel-panel"), &why));
    EXPECT_TRUE(why.logged.contains(config.filePath(QStringLiteral("autostart")))) << qPrintable(why.logged);
    EXPECT_TRUE(why.shown.contains(config.filePath(QStringLiteral("autostart")))) << qPrintable(why.shown);
    EXPECT_FALSE(autostart.isEnabled());
}

TEST(SessionInstanceTest, WithoutABusTheLockFileKeepsASecondPanelOut)
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QDBusConnection noBus(QStringLiteral("no bus"));
    {
        SessionInstance first(noBus);
        ASSERT_FALSE(first.hasBus());
        EXPECT_EQ(first.claim(), SessionInstance::Claim::Claimed);
        EXPECT_TRUE(QFileInfo::exists(runtime.filePath(QStringLiteral("quorel-panel.lock"))));
        SessionInstance second(noBus);
        EXPECT_EQ(second.claim(), SessionInstance::Claim::AlreadyRunning);
        EXPECT_FALSE(second.raiseRunning());
    }
    SessionInstance afterwards(noBus);
    EXPECT_EQ(afterwards.claim(), SessionInstance::Claim::Claimed) << "the lock goes with its panel";
    qunsetenv("XDG_RUNTIME_DIR");
}

} // namespace
