// The HID transport through its real Linux backend (libudev enumerate and
// monitor, hidraw writes), driven by a umockdev testbed. Runs under
// umockdev-wrapper.
// glib's headers use `signals` as a name, so they come before Qt's.
#include <umockdev.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <poll.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "LogCapture.h"
#include "WithoutFileAccessOverride.h"
#include "device/ControlPanelInfo.h"
#include "device/HidReportWriter.h"
#include "device/UdevHidManager.h"
#include "device/UsbHID.h"
#include "device/UsbHIDDelegate.h"

namespace {

// Owns a umockdev testbed and builds hidraw nodes under hid parents.
// Node numbers are high so that a broken testbed node can never fall
// through to a real device of the machine running the tests.
class Testbed {
public:
    Testbed() : m_testbed(umockdev_testbed_new()) {}
    ~Testbed() { g_object_unref(m_testbed); }
    Testbed(const Testbed&) = delete;
    Testbed& operator=(const Testbed&) = delete;

    // Adds /dev/hidraw<number> whose parent hid device carries `vendor` and
    // `product`; returns the node's syspath. Without `withNode` the device
    // is announced but its /dev node does not exist.
    std::string addHidraw(int number, unsigned vendor, unsigned product, bool withNode = true)
    {
        const QString hidName = QStringLiteral("0003:%1:%2.%3")
                                    .arg(vendor, 4, 16, QLatin1Char('0'))
                                    .arg(product, 4, 16, QLatin1Char('0'))
                                    .arg(number + 1, 4, 16, QLatin1Char('0'))
                                    .toUpper();
        const QString hidPath = QStringLiteral("/devices/pci0000:00/0000:00:14.0/usb1/1-%1/1-%1:1.3/%2")
                                    .arg(number + 1)
                                    .arg(hidName);
        const QString hidraw = QStringLiteral("hidraw%1").arg(number);
        const QString description = QStringLiteral(
            "P: %1/hidraw/%2\n"
            "%6"
            "E: DEVNAME=/dev/%2\n"
            "E: SUBSYSTEM=hidraw\n"
            "%7"
            "\n"
            "P: %1\n"
            "E: DRIVER=hid-generic\n"
            "E: HID_ID=0003:%4:%5\n"
            "E: HID_NAME=Test HID\n"
            "E: SUBSYSTEM=hid\n")
                                        .arg(hidPath, hidraw)
                                        .arg(vendor, 8, 16, QLatin1Char('0'))
                                        .arg(product, 8, 16, QLatin1Char('0'))
                                        .arg(withNode ? QStringLiteral("N: %1\n").arg(hidraw) : QString())
                                        .arg(withNode ? QStringLiteral("A: dev=244:%1\n").arg(number) : QString());
        GError* error = nullptr;
        const bool added = umockdev_testbed_add_from_string(m_testbed, description.toUtf8().constData(), &error);
        EXPECT_TRUE(added) << (error ? error->message : "");
        if (error)
            g_error_free(error);
        return QStringLiteral("/sys%1/hidraw/%2").arg(hidPath, hidraw).toStdString();
    }

    void uevent(const std::string& syspath, const char* action)
    {
        umockdev_testbed_uevent(m_testbed, syspath.c_str(), action);
    }

    void remove(const std::string& syspath) { umockdev_testbed_remove_device(m_testbed, syspath.c_str()); }

    QString rootDir() const
    {
        gchar* dir = umockdev_testbed_get_root_dir(m_testbed);
        const QString result = QString::fromUtf8(dir);
        g_free(dir);
        return result;
    }

    // The test's end of the emulated node.
    int devFd(const char* node) { return umockdev_testbed_get_dev_fd(m_testbed, node); }

    // Puts an empty plain file where the panel looks for /dev/hidraw<number>
    // (added without a node) and returns its path in the testbed.
    QString addPlainNode(int number)
    {
        EXPECT_TRUE(QDir().mkpath(rootDir() + QStringLiteral("/dev")));
        const QString path = rootDir() + QStringLiteral("/dev/hidraw%1").arg(number);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }

private:
    UMockdevTestbed* m_testbed;
};

// Everything written to the node so far (waiting up to `timeoutMs` for the
// first byte). The event loop keeps running meanwhile: the writer thread's
// open of an emulated node is answered by the testbed on the main context.
std::vector<std::uint8_t> readNode(int fd, int timeoutMs = 500)
{
    std::vector<std::uint8_t> bytes;
    const auto readable = [fd] {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, 0) > 0;
    };
    if (!QTest::qWaitFor(readable, timeoutMs))
        return bytes;
    do {
        std::uint8_t buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    } while (QTest::qWaitFor(readable, 50));
    return bytes;
}

struct Call {
    std::string what;
    bool findAtCall;
};

// Wired as the controller does, after the transport has been created.
class RecordingDelegate : public UsbHIDDelegate {
public:
    explicit RecordingDelegate(UsbHID& transport) : usb(&transport) { usb->setDelegate(this); }
    ~RecordingDelegate() override { usb->setDelegate(nullptr); }
    RecordingDelegate(const RecordingDelegate&) = delete;
    RecordingDelegate& operator=(const RecordingDelegate&) = delete;

    void usbhidDidMatch() override { calls.push_back({"match", usb->find()}); }
    void usbhidDidRemove() override { calls.push_back({"remove", usb->find()}); }
    void usbhidDidChangeFault() override { faults.push_back(usb->fault()); }
    void usbhidDidDropReports() override { ++drops; }

    UsbHID* usb;
    std::vector<Call> calls;
    std::vector<UsbHID::Fault> faults;
    int drops = 0;
};

// Waits until the writer has answered every queued report. Reading the
// node's other end before that can starve the testbed's answer to the
// writer's open.
bool waitWritten(const UsbHID& usb)
{
    return QTest::qWaitFor([&] { return usb.pendingReports() == 0; }, 3000);
}

// Lets queued calls and socket notifications run for a while.
void spin(int ms = 100)
{
    QTest::qWait(ms);
}

}

TEST(UsbHIDUdev, StartsWithoutDeviceThenReportsALaterArrival)
{
    Testbed testbed;
    LogCapture log;
    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    RecordingDelegate delegate(*usb);

    EXPECT_EQ(log.count(QStringLiteral("there is no HID Device")), 1);
    EXPECT_FALSE(usb->find());
    spin();
    EXPECT_TRUE(delegate.calls.empty());

    const std::string syspath = testbed.addHidraw(210, 0x0A12, 0x1243);
    testbed.uevent(syspath, "add");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !delegate.calls.empty(); }, 2000));
    spin();
    ASSERT_EQ(delegate.calls.size(), 1U);
    EXPECT_EQ(delegate.calls[0].what, "match");
    EXPECT_TRUE(delegate.calls[0].findAtCall);
    EXPECT_EQ(log.count(QStringLiteral("there is no HID Device")), 1);
}

TEST(UsbHIDUdev, ReportsAnAttachedDeviceOnceAfterCreationReturns)
{
    Testbed testbed;
    testbed.addHidraw(210, 0x0A12, 0x1243);
    LogCapture log;

    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    // The delegate is wired after creation, so an arrival reported from
    // inside creation would be lost.
    RecordingDelegate delegate(*usb);
    EXPECT_TRUE(delegate.calls.empty());
    EXPECT_FALSE(usb->find());
    EXPECT_EQ(log.count(QStringLiteral("there is no HID Device")), 0);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !delegate.calls.empty(); }, 2000));
    spin();
    ASSERT_EQ(delegate.calls.size(), 1U);
    EXPECT_EQ(delegate.calls[0].what, "match");
    EXPECT_TRUE(delegate.calls[0].findAtCall);
}

TEST(UsbHIDUdev, RemovalClearsFindBeforeTellingTheDelegateOnce)
{
    Testbed testbed;
    const std::string syspath = testbed.addHidraw(210, 0x0A12, 0x1243);
    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    RecordingDelegate delegate(*usb);
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.calls.size() == 1; }, 2000));

    // The node's properties are gone by the time the removal is read.
    testbed.uevent(syspath, "remove");
    testbed.remove(syspath);
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.calls.size() == 2; }, 2000));
    EXPECT_EQ(delegate.calls[1].what, "remove");
    EXPECT_FALSE(delegate.calls[1].findAtCall);

    // Plugged in again (under another node): a fresh arrival.
    const std::string again = testbed.addHidraw(211, 0x0A12, 0x1243);
    testbed.uevent(again, "add");
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.calls.size() == 3; }, 2000));
    EXPECT_EQ(delegate.calls[2].what, "match");
    EXPECT_TRUE(usb->find());
    spin();
    EXPECT_EQ(delegate.calls.size(), 3U);
}

TEST(UsbHIDUdev, IgnoresDevicesOfAnotherVendorOrProduct)
{
    Testbed testbed;
    testbed.addHidraw(210, 0x0A12, 0x0001);
    testbed.addHidraw(211, 0x046D, 0x1243);
    LogCapture log;
    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    RecordingDelegate delegate(*usb);
    EXPECT_EQ(log.count(QStringLiteral("there is no HID Device")), 1);

    const std::string other = testbed.addHidraw(212, 0x0A13, 0x1243);
    testbed.uevent(other, "add");
    testbed.uevent(other, "remove");
    spin(200);
    EXPECT_TRUE(delegate.calls.empty());
    EXPECT_FALSE(usb->find());

    // Nothing to choose, so nothing reaches any of the strangers.
    usb->connectHID();
    EXPECT_EQ(usb->deviceRef(), nullptr);
    const ControlPanelReport report = controlPanelReport(rebuildControlPanelInfo({}, ChangeFullRefresh));
    usb->senddata(report);
    for (const char* node : {"/dev/hidraw210", "/dev/hidraw211", "/dev/hidraw212"})
        EXPECT_TRUE(readNode(testbed.devFd(node), 50).empty()) << node;
}

TEST(UsbHIDUdev, SendWritesReportIdZeroAndTheSixteenBytesInOneWrite)
{
    Testbed testbed;
    testbed.addHidraw(210, 0x0A12, 0x1243);
    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    const int fd = testbed.devFd("/dev/hidraw210");
    ASSERT_GE(fd, 0);

    ControlPanelValues values;
    values.speaker = 50;
    values.mic = 70;
    values.denoise = true;
    values.reverb = 40;
    values.stages = {0, 3, -2, 0, 15};
    const ControlPanelReport report = controlPanelReport(rebuildControlPanelInfo(values, ChangeFullRefresh));

    // Before a device is chosen nothing is written.
    usb->senddata(report);
    EXPECT_TRUE(readNode(fd, 50).empty());

    usb->connectHID();
    ASSERT_NE(usb->deviceRef(), nullptr);
    EXPECT_EQ(usb->deviceRef()->name(), QStringLiteral("/dev/hidraw210"));
    usb->senddata(report);
    ASSERT_TRUE(waitWritten(*usb));
    const std::vector<std::uint8_t> expected = {0x00, 0x08, 0x11, 0x32, 0x46, 0x01, 0x04, 0x01, 0x01,
                                                0x00, 0x06, 0x00, 0x00, 0x03, 0xFE, 0x00, 0x0F};
    EXPECT_EQ(readNode(fd), expected);

    // The node stays open: the next report follows on the same descriptor.
    usb->senddata(report);
    ASSERT_TRUE(waitWritten(*usb));
    EXPECT_EQ(readNode(fd), expected);
}

TEST(UsbHIDUdev, AFailedSendLogsOncePerAttemptAndNothingBreaks)
{
    Testbed testbed;
    testbed.addHidraw(200, 0x0A12, 0x1243);
    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    usb->connectHID();
    ASSERT_NE(usb->deviceRef(), nullptr);
    const ControlPanelReport report = controlPanelReport(rebuildControlPanelInfo({}, ChangeDenoise));
    usb->senddata(report);
    ASSERT_TRUE(waitWritten(*usb));
    EXPECT_EQ(readNode(testbed.devFd("/dev/hidraw200")).size(), 17U);

    // The device side hangs up: the open node fails the write, and the
    // reopen on each later attempt finds no device.
    close(testbed.devFd("/dev/hidraw200"));
    LogCapture log;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        usb->senddata(report);
        EXPECT_TRUE(QTest::qWaitFor([&] { return log.count(QStringLiteral("send data failed")) == attempt; }, 2000));
        EXPECT_EQ(usb->fault(), UsbHID::Fault::WriteFailed);
        EXPECT_EQ(usb->faultError(), attempt == 1 ? EIO : ENOENT);
    }
    spin();
    EXPECT_EQ(log.count(QStringLiteral("send data failed")), 3);
}

TEST(UsbHIDUdev, NoPermissionAtStartNamesTheRuleWhenTheDeviceIsFound)
{
    Testbed testbed;
    const std::string syspath = testbed.addHidraw(202, 0x0A12, 0x1243, false);
    QFile file(testbed.addPlainNode(202));
    ASSERT_TRUE(file.setPermissions({}));

    LogCapture log;
    WithoutFileAccessOverride asUser;
    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    RecordingDelegate delegate(*usb);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !delegate.calls.empty(); }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.count(QStringLiteral("70-quorel-panel.rules")) == 1; }, 2000))
        << "said before anything is sent";

    usb->connectHID();
    usb->senddata(controlPanelReport(rebuildControlPanelInfo({}, ChangeDenoise)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.count(QStringLiteral("send data failed")) == 1; }, 2000));
    EXPECT_EQ(usb->fault(), UsbHID::Fault::NoPermission);
    EXPECT_EQ(usb->faultError(), EACCES);
    EXPECT_EQ(log.count(QStringLiteral("70-quorel-panel.rules")), 1) << "and only once";

    // udev applies the rule (as the package's install trigger makes it do)
    // and announces the node again: the refused report goes out unasked.
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    testbed.uevent(syspath, "change");
    ASSERT_TRUE(QTest::qWaitFor([&] { return usb->responding(); }, 2000));
    EXPECT_EQ(file.size(), 17);
    EXPECT_EQ(delegate.faults, std::vector({UsbHID::Fault::NoPermission, UsbHID::Fault::None}));
    EXPECT_EQ(delegate.calls.size(), 1U) << "a change is no new arrival";
}

TEST(UsbHIDUdev, NoPermissionNamesTheRuleOnce)
{
    Testbed testbed;
    testbed.addHidraw(201, 0x0A12, 0x1243, false);
    // A plain file nobody may open stands in for the node.
    QFile file(testbed.addPlainNode(201));
    ASSERT_TRUE(file.setPermissions({}));

    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    const ControlPanelReport report = controlPanelReport(rebuildControlPanelInfo({}, ChangeDenoise));

    LogCapture log;
    // Root would open it anyway. The writer thread, started by the choice
    // of device, keeps the reduced rights for the rest of the test.
    WithoutFileAccessOverride asUser;
    usb->connectHID();
    ASSERT_NE(usb->deviceRef(), nullptr);
    usb->senddata(report);
    usb->senddata(report);
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.count(QStringLiteral("send data failed")) == 2; }, 2000));
    EXPECT_EQ(log.count(QStringLiteral("70-quorel-panel.rules")), 1);
    EXPECT_EQ(log.count(QStringLiteral("udevadm control --reload-rules")), 1);
    EXPECT_EQ(usb->fault(), UsbHID::Fault::NoPermission);

    // Access granted: the same device now takes the report.
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    usb->senddata(report);
    ASSERT_TRUE(QTest::qWaitFor([&] { return usb->responding(); }, 2000));
    EXPECT_EQ(log.count(QStringLiteral("send data failed")), 2);
    EXPECT_EQ(file.size(), 17);
}

namespace {

// The panel's end of an emulated node stops (or resumes) taking bytes, as a
// device that stops answering would.
void setFlowStopped(const char* node, bool stopped)
{
    const int fd = open(node, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0) << node;
    EXPECT_EQ(tcflow(fd, stopped ? TCOOFF : TCOON), 0);
    close(fd);
}

ControlPanelReport reportWithCode(unsigned code)
{
    return controlPanelReport(rebuildControlPanelInfo({}, code));
}

}

TEST(UsbHIDUdev, AStalledNodeHoldsNobodyAndTakesTheReportsInOrderWhenItResumes)
{
    Testbed testbed;
    testbed.addHidraw(220, 0x0A12, 0x1243);
    LogCapture log;
    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    RecordingDelegate delegate(*usb);
    usb->connectHID();
    const int fd = testbed.devFd("/dev/hidraw220");
    setFlowStopped("/dev/hidraw220", true);

    // The event loop keeps turning while the reports wait.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(20);
    for (unsigned code : {ChangeDenoise, ChangeReverb, ChangeStage})
        usb->senddata(reportWithCode(code));
    EXPECT_EQ(usb->pendingReports(), 3);

    ASSERT_TRUE(QTest::qWaitFor([&] { return usb->fault() == UsbHID::Fault::NotAnswering; }, 5000));
    EXPECT_GE(ticks, 10);
    EXPECT_EQ(delegate.faults, std::vector({UsbHID::Fault::NotAnswering}));
    EXPECT_EQ(log.count(QStringLiteral("is not responding")), 1);
    EXPECT_EQ(log.count(QStringLiteral("send data failed")), 0) << "waiting is no failure";
    EXPECT_TRUE(readNode(fd, 50).empty());

    setFlowStopped("/dev/hidraw220", false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return usb->responding(); }, 3000));
    const std::vector<std::uint8_t> bytes = readNode(fd);
    ASSERT_EQ(bytes.size(), 3U * 17U);
    EXPECT_EQ(bytes[1], ChangeDenoise);
    EXPECT_EQ(bytes[17 + 1], ChangeReverb);
    EXPECT_EQ(bytes[34 + 1], ChangeStage);
    EXPECT_EQ(delegate.faults, std::vector({UsbHID::Fault::NotAnswering, UsbHID::Fault::None}));
    EXPECT_EQ(usb->pendingReports(), 0);
}

TEST(UsbHIDUdev, AStalledNodeKeepsTheNewestReportsAndNeverHoldsTheShutDown)
{
    Testbed testbed;
    testbed.addHidraw(221, 0x0A12, 0x1243);
    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    usb->connectHID();
    const int fd = testbed.devFd("/dev/hidraw221");
    setFlowStopped("/dev/hidraw221", true);

    // A long drag while the device hangs: far more reports than may wait.
    for (int step = 0; step < 100; ++step) {
        ControlPanelValues values;
        values.speaker = step;
        usb->senddata(controlPanelReport(rebuildControlPanelInfo(values, ChangeStage)));
    }
    EXPECT_LE(usb->pendingReports(), static_cast<int>(HidReportWriter::QueueLimit) + 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return usb->fault() == UsbHID::Fault::NotAnswering; }, 5000));

    setFlowStopped("/dev/hidraw221", false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return usb->responding(); }, 3000));
    QTest::qWait(100);
    const std::vector<std::uint8_t> bytes = readNode(fd);
    ASSERT_FALSE(bytes.empty());
    ASSERT_EQ(bytes.size() % 17, 0U);
    EXPECT_EQ(bytes[bytes.size() - 17 + 3], 99) << "the last report is the newest";

    // Stalled again with a report waiting: the transport goes at once.
    setFlowStopped("/dev/hidraw221", true);
    usb->senddata(reportWithCode(ChangeDenoise));
    QTest::qWait(50);
    QElapsedTimer shutDown;
    shutDown.start();
    usb.reset();
    EXPECT_LT(shutDown.elapsed(), 2000);
    setFlowStopped("/dev/hidraw221", false);
}

namespace {

// Holds a lease on the plain file standing in for a node, so every open of
// it for writing waits until the lease is given up, as the open of a device
// that resumes from suspend or has stalled waits.
class OpenHeld {
public:
    explicit OpenHeld(const QString& path)
        : m_fd(open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
    {
        // The holder is told of each waiting open by SIGIO, which would end
        // the test; nothing else here uses it.
        signal(SIGIO, SIG_IGN);
        m_held = m_fd >= 0 && fcntl(m_fd, F_SETLEASE, F_RDLCK) == 0;
    }
    ~OpenHeld()
    {
        release();
        if (m_fd >= 0)
            close(m_fd);
    }
    OpenHeld(const OpenHeld&) = delete;
    OpenHeld& operator=(const OpenHeld&) = delete;

    bool held() const { return m_held; }
    // Somebody's open waits on the lease: it is being broken.
    bool openWaiting() const { return m_held && fcntl(m_fd, F_GETLEASE) == F_UNLCK; }
    // Lets the waiting opens through. False when the kernel had already
    // taken the lease away (after /proc/sys/fs/lease-break-time, 45 s), as
    // it does when the holder cannot give it up in time.
    bool release()
    {
        const bool released = m_held && fcntl(m_fd, F_SETLEASE, F_UNLCK) == 0;
        m_held = false;
        return released;
    }

private:
    int m_fd;
    bool m_held = false;
};

}

// umockdev holds a lock of its own across every path call (open included),
// so while an open waits the test calls nothing that reads a path on the
// main thread; the panel's main thread does not either.
TEST(UsbHIDUdev, ANodeWhoseOpenWaitsHoldsNeitherTheEventLoopNorTheShutDown)
{
    Testbed testbed;
    testbed.addHidraw(230, 0x0A12, 0x1243, false);
    const QString path = testbed.addPlainNode(230);
    auto held = std::make_unique<OpenHeld>(path);
    ASSERT_TRUE(held->held()) << "no lease on " << path.toStdString();

    LogCapture log;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(20);
    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    std::optional<RecordingDelegate> delegate(std::in_place, *usb);

    // Found: its access is checked by opening it, and that waits elsewhere.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !delegate->calls.empty() && held->openWaiting(); }, 3000));
    int before = ticks;
    QTest::qWait(300);
    EXPECT_GE(ticks - before, 5) << "the event loop turns while the node's open waits";

    // A main thread stuck in the open could not have come here before the
    // kernel broke the lease.
    ASSERT_TRUE(held->release());
    // Once the check has its answer it lets go of the node: a lease can be
    // had again only while nobody has it open for writing.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            held = std::make_unique<OpenHeld>(path);
            return held->held();
        },
        3000));
    held.reset();

    // The chosen device's first report waits behind its open.
    usb->connectHID();
    held = std::make_unique<OpenHeld>(path);
    ASSERT_TRUE(held->held());
    usb->senddata(reportWithCode(ChangeDenoise));
    ASSERT_TRUE(QTest::qWaitFor([&] { return usb->fault() == UsbHID::Fault::NotAnswering; }, 5000));
    EXPECT_TRUE(held->openWaiting());
    before = ticks;
    QTest::qWait(300);
    EXPECT_GE(ticks - before, 5) << "the event loop turns while the report's open waits";

    ASSERT_TRUE(held->release());
    ASSERT_TRUE(QTest::qWaitFor([&] { return usb->responding(); }, 3000));
    EXPECT_EQ(QFile(path).size(), 17);
    EXPECT_EQ(log.count(QStringLiteral("send data failed")), 0);
    EXPECT_EQ(log.count(QStringLiteral("70-quorel-panel.rules")), 0) << "an open that waits is no refusal";

    // A second node is found (the transport stays with the first) while its
    // access check's open waits: shutting down leaves it.
    const std::string second = testbed.addHidraw(231, 0x0A12, 0x1243, false);
    held = std::make_unique<OpenHeld>(testbed.addPlainNode(231));
    ASSERT_TRUE(held->held());
    testbed.uevent(second, "add");
    ASSERT_TRUE(QTest::qWaitFor([&] { return held->openWaiting(); }, 3000));
    EXPECT_EQ(delegate->calls.size(), 1U);
    delegate.reset();
    QElapsedTimer shutDown;
    shutDown.start();
    usb.reset();
    EXPECT_LT(shutDown.elapsed(), 2000);
    EXPECT_TRUE(held->release());
    QTest::qWait(100);
}

// Two matching nodes: the transport follows the one that arrived first;
// the other's arrival and removal are not the device coming or going, and
// reports reach only the followed node.
TEST(UsbHIDUdev, TwoMatchingNodesDoNotConfuseTheLink)
{
    Testbed testbed;
    testbed.addHidraw(250, 0x0A12, 0x1243);
    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    RecordingDelegate delegate(*usb);
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.calls.size() == 1; }, 2000));
    EXPECT_EQ(usb->node(), QStringLiteral("/dev/hidraw250"));

    const std::string other = testbed.addHidraw(251, 0x0A12, 0x1243);
    testbed.uevent(other, "add");
    spin(300);
    EXPECT_EQ(delegate.calls.size(), 1U) << "a second node does not link again";

    usb->connectHID();
    ASSERT_NE(usb->deviceRef(), nullptr);
    EXPECT_EQ(usb->deviceRef()->name(), QStringLiteral("/dev/hidraw250"));
    usb->senddata(reportWithCode(ChangeDenoise));
    ASSERT_TRUE(waitWritten(*usb));
    EXPECT_EQ(readNode(testbed.devFd("/dev/hidraw250")).size(), 17U);
    EXPECT_TRUE(readNode(testbed.devFd("/dev/hidraw251"), 50).empty());

    testbed.uevent(other, "remove");
    testbed.remove(other);
    spin(300);
    EXPECT_EQ(delegate.calls.size(), 1U) << "the other node leaving does not unlink";
    EXPECT_TRUE(usb->find());
}

// The device fell behind and reports gave way: once it has taken all that
// waited, the delegate is told to send everything, once. (A device that
// stayed silent past the response bound recovers through its fault
// instead, which sends everything as well.)
TEST(UsbHIDUdev, ReportsThatGaveWayAreFollowedByOneCallForTheFullRecord)
{
    Testbed testbed;
    testbed.addHidraw(252, 0x0A12, 0x1243);
    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    RecordingDelegate delegate(*usb);
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.calls.size() == 1; }, 2000));
    usb->connectHID();
    const int fd = testbed.devFd("/dev/hidraw252");
    usb->senddata(reportWithCode(ChangeFullRefresh));
    ASSERT_TRUE(waitWritten(*usb));
    readNode(fd);

    setFlowStopped("/dev/hidraw252", true);
    usb->senddata(reportWithCode(ChangeDenoise));
    for (int step = 0; step < static_cast<int>(HidReportWriter::QueueLimit) + 8; ++step)
        usb->senddata(reportWithCode(ChangeStage));
    EXPECT_EQ(delegate.drops, 0) << "not while reports still wait";
    setFlowStopped("/dev/hidraw252", false);
    ASSERT_TRUE(waitWritten(*usb));
    spin();

    const bool recoveredFromFault = !delegate.faults.empty();
    if (recoveredFromFault) {
        EXPECT_EQ(delegate.faults.back(), UsbHID::Fault::None);
        EXPECT_EQ(delegate.drops, 0) << "the recovery already asks for everything";
    } else {
        EXPECT_EQ(delegate.drops, 1);
    }

    // Caught up: reports taken one by one ask for nothing more.
    usb->senddata(reportWithCode(ChangeReverb));
    ASSERT_TRUE(waitWritten(*usb));
    spin();
    EXPECT_EQ(delegate.drops, recoveredFromFault ? 0 : 1);
}

// Reports still waiting at shut-down reach the node instead of being
// discarded.
TEST(UsbHIDUdev, ReportsWaitingAtShutDownAreWritten)
{
    Testbed testbed;
    testbed.addHidraw(253, 0x0A12, 0x1243);
    auto usb = UsbHID::create();
    ASSERT_NE(usb, nullptr);
    usb->connectHID();
    const int fd = testbed.devFd("/dev/hidraw253");
    // The node is opened by the first report; the testbed answers opens on
    // this thread's event loop, which the shut-down does not turn.
    usb->senddata(reportWithCode(ChangeFullRefresh));
    ASSERT_TRUE(waitWritten(*usb));
    readNode(fd);

    for (unsigned code : {ChangeDenoise, ChangeMonitorOrMixer, ChangeReverb, ChangeStage, ChangeStage})
        usb->senddata(reportWithCode(code));
    usb.reset();
    const std::vector<std::uint8_t> bytes = readNode(fd);
    ASSERT_EQ(bytes.size(), 5U * 17U);
    EXPECT_EQ(bytes[1], ChangeDenoise);
    EXPECT_EQ(bytes[4 * 17 + 1], ChangeStage);
}
