// The permission fix named to the user follows how the panel was installed.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "device/DeviceAccess.h"

namespace {

void writeFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

}

TEST(DeviceAccess, TheInstallIsToldByTheRuleAndThePackagesFileList)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString etc = root.filePath(QStringLiteral("etc"));
    const QString lib = root.filePath(QStringLiteral("lib"));
    QDir().mkpath(etc);
    QDir().mkpath(lib);
    const QString program = root.filePath(QStringLiteral("quorel-panel"));
    writeFile(program, "binary");
    const QString list = root.filePath(QStringLiteral("quorel-panel.list"));
    const QStringList dirs{etc, lib};

    // Run from a build: no rule, no package.
    EXPECT_EQ(DeviceAccess::detectInstall(dirs, program, list), DeviceAccess::Install::SourceNoRule);

    // The package lists the program, but its rule was deleted.
    writeFile(list, "/.\n/usr\n" + QFile::encodeName(program) + "\n");
    EXPECT_EQ(DeviceAccess::detectInstall(dirs, program, list), DeviceAccess::Install::PackageNoRule);
    // Another copy of the program is not the package's.
    const QString copy = root.filePath(QStringLiteral("copy"));
    writeFile(copy, "binary");
    EXPECT_EQ(DeviceAccess::detectInstall(dirs, copy, list), DeviceAccess::Install::SourceNoRule);

    // The rule in any of udev's folders counts, whoever put it there.
    writeFile(lib + QStringLiteral("/70-quorel-panel.rules"), "rule");
    EXPECT_EQ(DeviceAccess::detectInstall(dirs, program, list), DeviceAccess::Install::RuleInPlace);
    EXPECT_EQ(DeviceAccess::detectInstall(dirs, copy, list), DeviceAccess::Install::RuleInPlace);
}

TEST(DeviceAccess, EachInstallGetsItsOwnFix)
{
    using DeviceAccess::Install;
    const QString inPlace = DeviceAccess::permissionFix(Install::RuleInPlace);
    EXPECT_TRUE(inPlace.contains(QStringLiteral("udevadm trigger"))) << inPlace.toStdString();
    EXPECT_TRUE(inPlace.contains(QStringLiteral("plug the device in again")));
    EXPECT_FALSE(inPlace.contains(QStringLiteral("Copy"))) << "an installed rule needs no copy";

    const QString package = DeviceAccess::permissionFix(Install::PackageNoRule);
    EXPECT_TRUE(package.contains(QStringLiteral("apt-get install --reinstall quorel-panel")));
    EXPECT_FALSE(package.contains(QStringLiteral("/etc/udev/rules.d")));

    const QString source = DeviceAccess::permissionFix(Install::SourceNoRule);
    EXPECT_TRUE(source.contains(QStringLiteral("udev/70-quorel-panel.rules")));
    EXPECT_TRUE(source.contains(QStringLiteral("/etc/udev/rules.d/")));
    EXPECT_TRUE(source.contains(QStringLiteral("udevadm control --reload-rules")));
}
