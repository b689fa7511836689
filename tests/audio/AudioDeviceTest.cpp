// Finding the panel's device by name and making it the default output and
// input, against private sound servers laid out for each case. The fake
// stands in only where a server cannot be made to fail on demand.
#include <gtest/gtest.h>

#include <memory>

#include "FakeAudioSystem.h"
#include "PulseTestSupport.h"
#include "audio/AudioDevice.h"
#include "audio/PulseAudioSystem.h"

using namespace pulsetest;
using namespace std::chrono_literals;

namespace {

std::string nameOf(AudioSystem& system, AudioObjectID device, AudioScope scope)
{
    std::string name;
    system.deviceName(device, scope, name);
    return name;
}

TEST(AudioDevice, FindsTheDeviceAndMakesItTheDefaultOutputAndInput)
{
    PulseDaemon daemon;
    ASSERT_TRUE(daemon.start());
    PulseAudioSystem system;
    AudioDevice device(system);

    ASSERT_TRUE(device.FindQuorelDevice());
    EXPECT_EQ(nameOf(system, device.outputID(), AudioScope::Output), "Quorel IIS Audio");
    EXPECT_EQ(nameOf(system, device.inputID(), AudioScope::Input), "Quorel IIS Audio");
    EXPECT_NE(device.inputID(), device.outputID());

    ASSERT_TRUE(device.SetAsDefault());
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-sink")}), QStringLiteral("quorel_out"));
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-source")}), QStringLiteral("quorel_in"));
}

TEST(AudioDevice, NameMatchesWhenTheTargetContainsItAndTheFirstMatchWinsPerDirection)
{
    // In the server's order: an output named the target plus more (no
    // match, though its description alone would), an output whose name is
    // part of the target in other letters (first output match), the real
    // device's output, its input (first input match) and a second input
    // that also matches.
    PulseDaemon daemon(QStringLiteral(
        "load-module module-null-sink sink_name=other_out "
        "sink_properties='device.description=\"IIS Audio\" device.product.name=\"Quorel IIS Audio 2\"'\n"
        "load-module module-null-sink sink_name=part_out sink_properties='device.description=\"iis AUDIO\"'\n"
        "load-module module-null-sink sink_name=quorel_out "
        "sink_properties='device.description=\"Quorel IIS Audio\"'\n"
        "load-module module-remap-source master=quorel_out.monitor source_name=quorel_in "
        "source_properties='device.description=\"Quorel IIS Audio\"'\n"
        "load-module module-remap-source master=part_out.monitor source_name=part_in "
        "source_properties='device.description=\"IIS AUDIO\"'\n"));
    ASSERT_TRUE(daemon.start());
    PulseAudioSystem system;
    AudioDevice device(system);

    std::unique_ptr<AudioObjectID[]> list;
    std::int32_t count = 0;
    device.FindAllDevices(list, count);
    ASSERT_EQ(count, 5);

    EXPECT_FALSE(device.GetDeviceID(list.get(), 1, false)) << "\"Quorel IIS Audio 2\" is no match";
    EXPECT_FALSE(device.GetDeviceID(list.get(), 3, true)) << "outputs have no input name";
    EXPECT_FALSE(device.GetDeviceID(nullptr, count, true));
    EXPECT_FALSE(device.GetDeviceID(list.get(), 0, true));
    EXPECT_EQ(device.inputID(), kAudioObjectUnknown);

    ASSERT_TRUE(device.FindQuorelDevice());
    EXPECT_EQ(device.outputID(), list[1]);
    EXPECT_EQ(device.inputID(), list[3]);
    ASSERT_TRUE(device.SetAsDefault());
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-sink")}), QStringLiteral("part_out"));
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-source")}), QStringLiteral("quorel_in"));
}

TEST(AudioDevice, NothingIsFoundWithoutDevicesOrWithoutAServer)
{
    PulseDaemon daemon(QString{});
    ASSERT_TRUE(daemon.start());
    {
        PulseAudioSystem system;
        AudioDevice device(system);
        std::unique_ptr<AudioObjectID[]> list;
        std::int32_t count = -1;
        device.FindAllDevices(list, count);
        EXPECT_EQ(count, 0);
        EXPECT_FALSE(device.FindQuorelDevice());
    }
    daemon.stop();
    PulseAudioSystem system(500ms);
    AudioDevice device(system);
    std::unique_ptr<AudioObjectID[]> list(new AudioObjectID[1]{7});
    AudioObjectID* before = list.get();
    std::int32_t count = -1;
    device.FindAllDevices(list, count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(list.get(), before) << "a failed enumeration leaves the list alone";
    EXPECT_FALSE(device.FindQuorelDevice());
    device.setOutputID(2);
    device.setInputID(3);
    EXPECT_FALSE(device.SetAsDefault());
}

TEST(AudioDevice, InputThatCannotBeMadeDefaultFailsAndLeavesTheOutputSwitched)
{
    PulseDaemon daemon;
    ASSERT_TRUE(daemon.start());
    PulseAudioSystem system;
    AudioDevice device(system);
    ASSERT_TRUE(device.FindQuorelDevice());

    // The input goes away between finding and switching.
    QString modules;
    daemon.pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")}, &modules);
    QString inputModule;
    for (const QString& line : modules.split(QLatin1Char('\n')))
        if (line.contains(QStringLiteral("source_name=quorel_in")))
            inputModule = line.section(QLatin1Char('\t'), 0, 0);
    ASSERT_FALSE(inputModule.isEmpty());
    ASSERT_EQ(daemon.pactl({QStringLiteral("unload-module"), inputModule}), 0);

    EXPECT_FALSE(device.SetAsDefault());
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-sink")}), QStringLiteral("quorel_out"));
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-source")}), QStringLiteral("builtin_in"));
}

TEST(AudioDevice, UnreadableAndEmptyNamesAreSkippedAndAFailedOutputLeavesTheInputAlone)
{
    FakeAudioSystem fake;
    fake.addDevice({.id = 10, .outputName = "Quorel IIS Audio", .inputName = "Quorel IIS Audio",
                    .nameReadable = false});
    fake.addDevice({.id = 11, .outputName = "", .inputName = ""});
    fake.addDevice({.id = 12, .outputName = "QUOREL iis audio", .inputName = "Quorel IIS Audio"});
    AudioDevice device(fake);
    ASSERT_TRUE(device.FindQuorelDevice());
    EXPECT_EQ(device.outputID(), 12u);
    EXPECT_EQ(device.inputID(), 12u) << "one device serving both directions is found by both searches";

    fake.failSetDefault(AudioScope::Output);
    EXPECT_FALSE(device.SetAsDefault());
    EXPECT_TRUE(fake.defaultsSet(AudioScope::Input).empty());
}

} // namespace
