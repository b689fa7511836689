// Finding the panel's device by its name among the devices a sound server
// lists, against private sound servers laid out for each case. The fake
// stands in only where a server cannot be made to fail on demand.
#include <gtest/gtest.h>

#include <QTest>

#include "FakeAudioSystem.h"
#include "PulseTestSupport.h"
#include "audio/AudioDevice.h"
#include "audio/PulseAudioSystem.h"

using namespace pulsetest;
using namespace std::chrono_literals;

namespace {

// Where the device named `name` in `scope` stands in the list, or -1.
int position(const std::vector<AudioDeviceNames>& list, AudioScope scope, const std::string& name)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::optional<std::string>& found = scope == AudioScope::Output ? list[i].outputName : list[i].inputName;
        if (found == name)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<AudioDeviceNames> only(const std::vector<AudioDeviceNames>& list, int at)
{
    return {list.at(static_cast<std::size_t>(at))};
}

TEST(AudioDevice, FindsTheDeviceAmongTheListedOutputsAndInputs)
{
    PulseDaemon daemon;
    ASSERT_TRUE(daemon.start());
    PulseAudioSystem system;
    const Listed listed = listDevices(system);
    ASSERT_EQ(listed.status, AudioStatus::Ok);
    AudioDevice device;
    ASSERT_TRUE(device.FindQuorelDevice(listed.devices));
    EXPECT_EQ(device.outputID(), findByName(system, AudioScope::Output, "Quorel IIS Audio"));
    EXPECT_EQ(device.inputID(), findByName(system, AudioScope::Input, "Quorel IIS Audio"));
    EXPECT_NE(device.inputID(), device.outputID());
}

TEST(AudioDevice, OnlyANameHoldingTheTargetMatchesAndTheFirstMatchWinsPerDirection)
{
    // In the server's order: a device called "Audio" (output and input),
    // an output whose name shares words with the target, an output named
    // the target plus more in other letters (older PipeWire's descriptions;
    // the first output match), the real device's output, an input whose
    // name is part of the target, and the real device's input (the first
    // input match).
    PulseDaemon daemon(QStringLiteral(
        "load-module module-null-sink sink_name=audio_out "
        "sink_properties='device.description=\"Audio\" node.always-process=true'\n"
        "load-module module-remap-source master=audio_out.monitor source_name=audio_in "
        "source_properties='device.description=\"Audio\" node.always-process=true'\n"
        "load-module module-null-sink sink_name=other_out "
        "sink_properties='device.description=\"IIS Audio\" device.product.name=\"Quorel Speaker\" node.always-process=true'\n"
        "load-module module-null-sink sink_name=analog_out "
        "sink_properties='device.description=\"QUOREL IIS AUDIO Analog Stereo\" node.always-process=true'\n"
        "load-module module-null-sink sink_name=quorel_out "
        "sink_properties='device.description=\"Quorel IIS Audio\" node.always-process=true'\n"
        "load-module module-remap-source master=analog_out.monitor source_name=part_in "
        "source_properties='device.description=\"iis audio\" node.always-process=true'\n"
        "load-module module-remap-source master=quorel_out.monitor source_name=quorel_in "
        "source_properties='device.description=\"Quorel IIS Audio\" node.always-process=true'\n"));
    ASSERT_TRUE(daemon.start());
    PulseAudioSystem system;
    const Listed listed = listDevices(system);
    ASSERT_EQ(listed.status, AudioStatus::Ok);
    // PipeWire may add a placeholder sink: positions are found by name.
    const std::vector<AudioDeviceNames>& list = listed.devices;
    const int audioOut = position(list, AudioScope::Output, "Audio");
    const int other = position(list, AudioScope::Output, "Quorel Speaker");
    const int analog = position(list, AudioScope::Output, "QUOREL IIS AUDIO Analog Stereo");
    const int audioIn = position(list, AudioScope::Input, "Audio");
    const int part = position(list, AudioScope::Input, "iis audio");
    const int quorelIn = position(list, AudioScope::Input, "Quorel IIS Audio");
    ASSERT_TRUE(audioOut >= 0 && other > audioOut && analog > other && audioIn > analog && part > audioIn
                && quorelIn > part);

    AudioDevice device;
    EXPECT_FALSE(device.GetDeviceID(only(list, audioOut), false)) << "\"Audio\" is another device";
    EXPECT_FALSE(device.GetDeviceID(only(list, audioIn), true));
    EXPECT_FALSE(device.GetDeviceID(only(list, other), false)) << "\"Quorel Speaker\" is no match";
    EXPECT_FALSE(device.GetDeviceID(only(list, part), true)) << "\"iis audio\" is only a piece of the target";
    EXPECT_FALSE(device.GetDeviceID({list.begin(), list.begin() + audioIn}, true)) << "outputs have no input name";
    EXPECT_FALSE(device.GetDeviceID({}, true));
    EXPECT_EQ(device.inputID(), kAudioObjectUnknown);

    ASSERT_TRUE(device.FindQuorelDevice(list));
    EXPECT_EQ(device.outputID(), list[static_cast<std::size_t>(analog)].id);
    EXPECT_EQ(device.inputID(), list[static_cast<std::size_t>(quorelIn)].id);
}

// A server without devices of its own may still offer a placeholder sink
// (PipeWire's "Dummy Output"); either way the device is not found. Without
// a server the list fails, answered later all the same.
TEST(AudioDevice, NothingIsFoundWithoutTheDeviceOrWithoutAServer)
{
    PulseDaemon daemon(QString{});
    ASSERT_TRUE(daemon.start());
    {
        PulseAudioSystem system;
        const Listed listed = listDevices(system);
        EXPECT_EQ(listed.status, AudioStatus::Ok);
        AudioDevice device;
        EXPECT_FALSE(device.FindQuorelDevice(listed.devices));
    }
    daemon.stop();
    PulseAudioSystem system(500ms);
    const Listed listed = listDevices(system);
    EXPECT_EQ(listed.status, AudioStatus::NotConnected);
    EXPECT_TRUE(listed.devices.empty());
}

TEST(AudioDevice, UnreadableAndEmptyNamesAreSkippedAndOneDeviceMayServeBothDirections)
{
    FakeAudioSystem fake;
    fake.addDevice({.id = 10, .outputName = "Quorel IIS Audio", .inputName = "Quorel IIS Audio",
                    .nameReadable = false});
    fake.addDevice({.id = 11, .outputName = "", .inputName = ""});
    fake.addDevice({.id = 12, .outputName = "QUOREL iis audio", .inputName = "Quorel IIS Audio"});
    const Listed listed = listDevices(fake);
    ASSERT_EQ(listed.status, AudioStatus::Ok);
    AudioDevice device;
    ASSERT_TRUE(device.FindQuorelDevice(listed.devices));
    EXPECT_EQ(device.outputID(), 12u);
    EXPECT_EQ(device.inputID(), 12u) << "one device serving both directions is found by both searches";
}

} // namespace
