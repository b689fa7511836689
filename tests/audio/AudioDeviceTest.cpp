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
        "sink_properties='device.description=\"Audio\"'\n"
        "load-module module-remap-source master=audio_out.monitor source_name=audio_in "
        "source_properties='device.description=\"Audio\"'\n"
        "load-module module-null-sink sink_name=other_out "
        "sink_properties='device.description=\"IIS Audio\" device.product.name=\"Quorel Speaker\"'\n"
        "load-module module-null-sink sink_name=analog_out "
        "sink_properties='device.description=\"QUOREL IIS AUDIO Analog Stereo\"'\n"
        "load-module module-null-sink sink_name=quorel_out "
        "sink_properties='device.description=\"Quorel IIS Audio\"'\n"
        "load-module module-remap-source master=analog_out.monitor source_name=part_in "
        "source_properties='device.description=\"iis audio\"'\n"
        "load-module module-remap-source master=quorel_out.monitor source_name=quorel_in "
        "source_properties='device.description=\"Quorel IIS Audio\"'\n"));
    ASSERT_TRUE(daemon.start());
    PulseAudioSystem system;
    AudioDevice device(system);

    std::unique_ptr<AudioObjectID[]> list;
    std::int32_t count = 0;
    device.FindAllDevices(list, count);
    // PipeWire may add a placeholder sink: positions are found by name.
    const auto position = [&](AudioScope scope, const std::string& name) {
        for (std::int32_t i = 0; i < count; ++i) {
            std::string found;
            if (system.deviceName(list[i], scope, found) == AudioStatus::Ok && found == name)
                return i;
        }
        return -1;
    };
    const std::int32_t audioOut = position(AudioScope::Output, "Audio");
    const std::int32_t other = position(AudioScope::Output, "Quorel Speaker");
    const std::int32_t analog = position(AudioScope::Output, "QUOREL IIS AUDIO Analog Stereo");
    const std::int32_t audioIn = position(AudioScope::Input, "Audio");
    const std::int32_t part = position(AudioScope::Input, "iis audio");
    const std::int32_t quorelIn = position(AudioScope::Input, "Quorel IIS Audio");
    ASSERT_TRUE(audioOut >= 0 && other > audioOut && analog > other && audioIn > analog && part > audioIn
                && quorelIn > part);

    EXPECT_FALSE(device.GetDeviceID(list.get() + audioOut, 1, false)) << "\"Audio\" is another device";
    EXPECT_FALSE(device.GetDeviceID(list.get() + audioIn, 1, true));
    EXPECT_FALSE(device.GetDeviceID(list.get() + other, 1, false)) << "\"Quorel Speaker\" is no match";
    EXPECT_FALSE(device.GetDeviceID(list.get() + part, 1, true)) << "\"iis audio\" is only a piece of the target";
    EXPECT_FALSE(device.GetDeviceID(list.get(), audioIn, true)) << "outputs have no input name";
    EXPECT_FALSE(device.GetDeviceID(nullptr, count, true));
    EXPECT_FALSE(device.GetDeviceID(list.get(), 0, true));
    EXPECT_EQ(device.inputID(), kAudioObjectUnknown);

    ASSERT_TRUE(device.FindQuorelDevice());
    EXPECT_EQ(device.outputID(), list[analog]);
    EXPECT_EQ(device.inputID(), list[quorelIn]);
    ASSERT_TRUE(device.SetAsDefault());
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-sink")}), QStringLiteral("analog_out"));
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-source")}), QStringLiteral("quorel_in"));
}

// A server without devices of its own may still offer a placeholder sink
// (PipeWire's "Dummy Output"); either way the device is not found.
TEST(AudioDevice, NothingIsFoundWithoutTheDeviceOrWithoutAServer)
{
    PulseDaemon daemon(QString{});
    ASSERT_TRUE(daemon.start());
    {
        PulseAudioSystem system;
        AudioDevice device(system);
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
