// UsbHID in the situations a udev testbed cannot stage: a HID manager that
// will not open, the order of arrivals of two matching devices, and the
// close order.
#include <QTest>
#include <gtest/gtest.h>

#include "FakeHidManager.h"
#include "LogCapture.h"
#include "device/ControlPanelInfo.h"
#include "device/UsbHID.h"
#include "device/UsbHIDDelegate.h"

namespace {

class CountingDelegate : public UsbHIDDelegate {
public:
    void usbhidDidMatch() override { ++matched; }
    void usbhidDidRemove() override
    {
        ++removed;
        findAtRemoval = usb->find();
    }
    UsbHID* usb = nullptr;
    int matched = 0;
    int removed = 0;
    bool findAtRemoval = true;
};

}

TEST(UsbHIDFake, AManagerThatCannotOpenGivesNoTransport)
{
    auto control = std::make_shared<FakeHidManager::Control>();
    control->openResult = EACCES;
    LogCapture log;
    EXPECT_EQ(UsbHID::create(std::make_unique<FakeHidManager>(control)), nullptr);
    EXPECT_EQ(log.count(QStringLiteral("open device failed")), 1);
    EXPECT_EQ(log.count(QStringLiteral("there is no HID Device")), 0);
    EXPECT_EQ(control->calls, std::vector<std::string>({"open", "close"}));
}

TEST(UsbHIDFake, MatchesVendorAndProductAndWatchesBeforeLooking)
{
    auto control = std::make_shared<FakeHidManager::Control>();
    auto usb = UsbHID::create(std::make_unique<FakeHidManager>(control));
    ASSERT_NE(usb, nullptr);
    EXPECT_EQ(control->matching.vendorId, 0x0A12);
    EXPECT_EQ(control->matching.productId, 0x1243);
    // Callbacks are in place before the first look, so no arrival slips by.
    EXPECT_EQ(control->calls, std::vector<std::string>({"open", "setDeviceMatching", "registerDeviceMatchingCallback",
                                                        "registerDeviceRemovalCallback", "copyDevices"}));
}

// Two matching devices: the transport follows the first to arrive. The
// other's arrival and removal are not passed on, and reports go only to the
// followed one; when that one leaves, the other is announced in its place.
TEST(UsbHIDFake, TwoDevicesAreTrackedOneByOne)
{
    auto control = std::make_shared<FakeHidManager::Control>();
    auto first = std::make_shared<FakeHidDevice>(QStringLiteral("/dev/hidraw-a"));
    auto second = std::make_shared<FakeHidDevice>(QStringLiteral("/dev/hidraw-b"));
    control->devices = {second};
    auto usb = UsbHID::create(std::make_unique<FakeHidManager>(control));
    ASSERT_NE(usb, nullptr);
    CountingDelegate delegate;
    delegate.usb = usb.get();
    usb->setDelegate(&delegate);
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.matched == 1; }, 1000));
    EXPECT_EQ(usb->node(), QStringLiteral("/dev/hidraw-b"));

    // Listed first, arrived second.
    control->devices.insert(control->devices.begin(), first);
    control->matched(first->name());
    EXPECT_EQ(delegate.matched, 1) << "a second device does not link again";
    usb->connectHID();
    ASSERT_EQ(usb->deviceRef(), second) << "the followed device, not the first listed";

    const ControlPanelReport report = controlPanelReport(rebuildControlPanelInfo({}, ChangeReverb));
    usb->senddata(report);
    ASSERT_TRUE(QTest::qWaitFor([&] { return second->reports().size() == 1; }, 2000));
    EXPECT_EQ(second->reports()[0].size(), 17U);

    control->unplug(first);
    EXPECT_EQ(delegate.removed, 0) << "the other device leaving does not unlink";
    EXPECT_TRUE(usb->find());

    control->plug(first);
    control->unplug(second);
    EXPECT_EQ(delegate.removed, 1);
    EXPECT_FALSE(delegate.findAtRemoval);
    EXPECT_EQ(delegate.matched, 2) << "the device still attached is announced";
    EXPECT_TRUE(usb->find());
    EXPECT_EQ(usb->node(), QStringLiteral("/dev/hidraw-a"));
    usb->connectHID();
    EXPECT_EQ(usb->deviceRef(), first);
    usb->senddata(report);
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->reports().size() == 1; }, 2000));
    EXPECT_EQ(second->reports().size(), 1U);

    control->unplug(first);
    EXPECT_EQ(delegate.removed, 2);
    EXPECT_FALSE(usb->find());
    EXPECT_EQ(delegate.matched, 2);
}

TEST(UsbHIDFake, DestructionClosesTheChosenDeviceAndTheManager)
{
    auto control = std::make_shared<FakeHidManager::Control>();
    auto device = std::make_shared<FakeHidDevice>();
    control->devices = {device};
    auto usb = UsbHID::create(std::make_unique<FakeHidManager>(control));
    ASSERT_NE(usb, nullptr);
    usb->connectHID();
    control->calls.clear();

    usb.reset();
    EXPECT_EQ(device->closeCount(), 1);
    EXPECT_EQ(control->calls, std::vector<std::string>({"close"}));
    // The arrival queued at creation never reaches the destroyed transport.
    QTest::qWait(20);
}
