// The device checks through libudev on a umockdev testbed: no device, a
// node the user may not write to, and the rule in or out of udev's folders.
// Runs under umockdev-wrapper.
// glib's headers use `signals` as a name, so they come before Qt's.
#include <umockdev.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "WithoutFileAccessOverride.h"
#include "doctor/DeviceChecks.h"

namespace {

// A testbed with the device's HID interface and its hidraw node, the node
// a plain file (numbered far from real devices' nodes).
class Testbed {
public:
    Testbed()
        : m_testbed(umockdev_testbed_new())
    {
    }
    ~Testbed() { g_object_unref(m_testbed); }
    Testbed(const Testbed&) = delete;
    Testbed& operator=(const Testbed&) = delete;

    // Adds an interface with `hidId` ("<bus>:<vendor>:<product>") and its
    // node /dev/hidraw<number>; returns the node's path in the testbed.
    QString addDevice(int number, const char* hidId)
    {
        const QString hid = QStringLiteral("/devices/pci0000:00/0000:00:14.0/usb1/1-%1/1-%1:1.3/0003:0A12:1243.%2")
                                .arg(number)
                                .arg(number, 4, 10, QLatin1Char('0'));
        const QString description = QStringLiteral("P: %1/hidraw/hidraw%2\n"
                                                   "E: DEVNAME=/dev/hidraw%2\n"
                                                   "E: SUBSYSTEM=hidraw\n"
                                                   "\n"
                                                   "P: %1\n"
                                                   "E: HID_ID=%3\n"
                                                   "E: SUBSYSTEM=hid\n")
                                        .arg(hid)
                                        .arg(number)
                                        .arg(QLatin1String(hidId));
        GError* error = nullptr;
        EXPECT_TRUE(umockdev_testbed_add_from_string(m_testbed, description.toUtf8().constData(), &error))
            << (error ? error->message : "");
        g_clear_error(&error);
        gchar* root = umockdev_testbed_get_root_dir(m_testbed);
        const QString node = QString::fromUtf8(root) + QStringLiteral("/dev/hidraw%1").arg(number);
        g_free(root);
        EXPECT_TRUE(QDir().mkpath(QFileInfo(node).path()));
        QFile file(node);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return node;
    }

private:
    UMockdevTestbed* m_testbed;
};

struct Machine {
    QTemporaryDir root;
    DeviceChecks::Config config;

    Machine()
    {
        const QString etc = root.filePath(QStringLiteral("etc"));
        const QString lib = root.filePath(QStringLiteral("lib"));
        QDir().mkpath(etc);
        QDir().mkpath(lib);
        config = {
            {etc, lib}, root.filePath(QStringLiteral("quorel-panel")), root.filePath(QStringLiteral("none.list"))};
    }

    void installRule()
    {
        QFile rule(config.ruleDirs.last() + QStringLiteral("/70-quorel-panel.rules"));
        ASSERT_TRUE(rule.open(QIODevice::WriteOnly));
    }
};

const DoctorCheck& find(const std::vector<DoctorCheck>& checks, const QString& id)
{
    static const DoctorCheck none;
    for (const DoctorCheck& check : checks) {
        if (check.id == id)
            return check;
    }
    ADD_FAILURE() << "no check " << id.toStdString();
    return none;
}

using Outcome = DoctorCheck::Outcome;

} // namespace

TEST(DeviceChecks, NoDeviceNamesThePlugAndTheMissingRuleTheSourceInstall)
{
    Testbed testbed;
    // Another vendor's HID device, and the device's ids on Bluetooth, are not it.
    testbed.addDevice(231, "0003:0000046D:0000C52B");
    testbed.addDevice(232, "0005:00000A12:00001243");
    Machine machine;

    const std::vector<DoctorCheck> checks = DeviceChecks(machine.config).run();
    ASSERT_EQ(checks.size(), 4U);
    EXPECT_EQ(find(checks, QStringLiteral("device.usb")).outcome, Outcome::Fail);
    EXPECT_TRUE(find(checks, QStringLiteral("device.usb")).fix.contains(QStringLiteral("Plug the device in")));
    EXPECT_EQ(find(checks, QStringLiteral("device.node")).outcome, Outcome::Skip);
    EXPECT_EQ(find(checks, QStringLiteral("device.access")).outcome, Outcome::Skip);
    const DoctorCheck& rule = find(checks, QStringLiteral("device.rule"));
    EXPECT_EQ(rule.outcome, Outcome::Fail);
    EXPECT_TRUE(rule.cause.contains(machine.config.ruleDirs.first())) << rule.cause.toStdString();
    EXPECT_TRUE(rule.fix.contains(QStringLiteral("Copy udev/70-quorel-panel.rules"))) << rule.fix.toStdString();
}

TEST(DeviceChecks, ANodeWithoutTheRuleAppliedIsOpenedForWritingAndNothingWritten)
{
    Testbed testbed;
    QFile node(testbed.addDevice(233, "0003:00000A12:00001243"));
    Machine machine;
    machine.installRule();
    ASSERT_TRUE(node.setPermissions(QFileDevice::ReadOwner));

    {
        // The checks open the node on this thread; root would be let in.
        WithoutFileAccessOverride asUser;
        const std::vector<DoctorCheck> checks = DeviceChecks(machine.config).run();
        EXPECT_EQ(find(checks, QStringLiteral("device.usb")).outcome, Outcome::Pass);
        EXPECT_EQ(find(checks, QStringLiteral("device.node")).detail, QStringLiteral("/dev/hidraw233"));
        EXPECT_EQ(find(checks, QStringLiteral("device.rule")).outcome, Outcome::Pass);
        EXPECT_TRUE(find(checks, QStringLiteral("device.rule")).detail.startsWith(machine.config.ruleDirs.last()));
        const DoctorCheck& access = find(checks, QStringLiteral("device.access"));
        EXPECT_EQ(access.outcome, Outcome::Fail);
        EXPECT_TRUE(access.cause.contains(QStringLiteral("may not write to /dev/hidraw233")))
            << access.cause.toStdString();
        // The rule is there, so it only needs applying.
        EXPECT_TRUE(access.fix.contains(QStringLiteral("not yet applied"))) << access.fix.toStdString();
        EXPECT_TRUE(access.fix.contains(QStringLiteral("udevadm trigger")));
    }

    // udev applies the rule: the same node passes, and nothing reached it.
    ASSERT_TRUE(node.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    WithoutFileAccessOverride asUser;
    const std::vector<DoctorCheck> checks = DeviceChecks(machine.config).run();
    for (const DoctorCheck& check : checks)
        EXPECT_EQ(check.outcome, Outcome::Pass) << check.id.toStdString() << ": " << check.cause.toStdString();
    EXPECT_EQ(node.size(), 0);
}

// Without the rule, what the node allows now decides: a node this user may
// write to works (a warning for the next plug-in or account), one it may
// not stays a failure.
TEST(DeviceChecks, AMissingRuleIsAWarningOnlyWhereTheNodeIsWritable)
{
    Testbed testbed;
    QFile node(testbed.addDevice(234, "0003:00000A12:00001243"));
    Machine machine;
    const struct {
        QFileDevice::Permissions permissions;
        Outcome rule;
        Outcome access;
    } cases[] = {
        {QFileDevice::ReadOwner | QFileDevice::WriteOwner, Outcome::Warn, Outcome::Pass},
        {QFileDevice::ReadOwner, Outcome::Fail, Outcome::Fail},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(node.setPermissions(c.permissions));
        WithoutFileAccessOverride asUser;
        const std::vector<DoctorCheck> checks = DeviceChecks(machine.config).run();
        const DoctorCheck& rule = find(checks, QStringLiteral("device.rule"));
        EXPECT_EQ(rule.outcome, c.rule) << rule.cause.toStdString();
        EXPECT_EQ(find(checks, QStringLiteral("device.access")).outcome, c.access);
        EXPECT_TRUE(rule.cause.contains(machine.config.ruleDirs.first())) << rule.cause.toStdString();
        EXPECT_TRUE(rule.fix.contains(QStringLiteral("Copy udev/70-quorel-panel.rules"))) << rule.fix.toStdString();
        if (c.rule == Outcome::Warn) {
            EXPECT_TRUE(rule.cause.contains(QStringLiteral("may write to /dev/hidraw234 now")));
            EXPECT_TRUE(rule.cause.contains(QStringLiteral("plugged in again")));
        }
    }
    EXPECT_EQ(node.size(), 0);
}
