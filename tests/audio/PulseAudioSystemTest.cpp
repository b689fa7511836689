// The libpulse backend against a private PulseAudio server: devices and
// names, defaults, volumes, listeners, and what happens when the server is
// missing, hangs, or dies and comes back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <thread>

#include <unistd.h>

#include "LogCapture.h"
#include "PulseTestSupport.h"
#include "audio/PulseAudioSystem.h"
#include "audio/VolumePercent.h"

using namespace pulsetest;
using namespace std::chrono_literals;

namespace {

class PulseAudioSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(daemon.start());
        system = std::make_unique<PulseAudioSystem>(2000ms, 100ms);
        ASSERT_TRUE(system->isConnected());
        quorelOut = findByName(*system, AudioScope::Output, "Quorel IIS Audio");
        quorelIn = findByName(*system, AudioScope::Input, "Quorel IIS Audio");
        builtinOut = findByName(*system, AudioScope::Output, "Built-in Speaker");
        ASSERT_NE(quorelOut, kAudioObjectUnknown);
        ASSERT_NE(quorelIn, kAudioObjectUnknown);
        ASSERT_NE(builtinOut, kAudioObjectUnknown);
    }

    PulseDaemon daemon;
    std::unique_ptr<PulseAudioSystem> system;
    AudioObjectID quorelOut = kAudioObjectUnknown;
    AudioObjectID quorelIn = kAudioObjectUnknown;
    AudioObjectID builtinOut = kAudioObjectUnknown;
};

TEST_F(PulseAudioSystemTest, ListsSinksThenInputsWithoutMonitorsEachNamedInItsDirectionOnly)
{
    const Listed listed = listDevices(*system);
    ASSERT_EQ(listed.status, AudioStatus::Ok);
    ASSERT_EQ(listed.devices.size(), 4u) << "two sinks and two sources; the sinks' monitors are no devices";
    const std::vector<std::pair<AudioScope, std::string>> expected{
        {AudioScope::Output, "Quorel IIS Audio"},
        {AudioScope::Output, "Built-in Speaker"},
        {AudioScope::Input, "Quorel IIS Audio"},
        {AudioScope::Input, "Built-in Microphone"},
    };
    std::set<AudioObjectID> ids;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& [scope, name] = expected[i];
        const AudioDeviceNames& device = listed.devices[i];
        const bool output = scope == AudioScope::Output;
        EXPECT_EQ(output ? device.outputName : device.inputName, name) << i;
        EXPECT_EQ(output ? device.inputName : device.outputName, std::nullopt) << i;
        ids.insert(device.id);
    }
    EXPECT_EQ(ids.size(), 4u) << "a sink and a source of the same index are different devices";
}

TEST_F(PulseAudioSystemTest, DefaultsAreTheServersAndCanBeSet)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return system->followedDefault(AudioScope::Output) == builtinOut; }, 5000));

    ASSERT_EQ(setDefault(*system, AudioScope::Output, quorelOut), AudioStatus::Ok);
    ASSERT_EQ(setDefault(*system, AudioScope::Input, quorelIn), AudioStatus::Ok);
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-sink")}), QStringLiteral("quorel_out"));
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-source")}), QStringLiteral("quorel_in"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return system->followedDefault(AudioScope::Input) == quorelIn; }, 5000));

    // A source is no output and a vanished device is nothing: both refused,
    // the default stays.
    LogCapture log;
    EXPECT_EQ(setDefault(*system, AudioScope::Output, quorelIn), AudioStatus::NoSuchDevice);
    EXPECT_EQ(setDefault(*system, AudioScope::Output, builtinOut + 1000), AudioStatus::NoSuchDevice);
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-sink")}), QStringLiteral("quorel_out"));
    EXPECT_EQ(log.count(QStringLiteral("cannot make")), 2);
}

// What the panel set comes back exactly with the server's report of it.
TEST_F(PulseAudioSystemTest, VolumeReadsBackExactlyWhatWasSetAndOutsideChangesAsPercent)
{
    ListenerLog reports;
    ASSERT_EQ(system->addVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &reports), AudioStatus::Ok);
    for (int v = 0; v <= 100; ++v) {
        const float scalar = static_cast<float>(v) / 100.0f;
        ASSERT_EQ(setVolume(*system, quorelOut, AudioScope::Output, scalar), AudioStatus::Ok) << v;
        EXPECT_TRUE(reports.waitFor([scalar](const ListenerLog::Call& c) { return c.scalar == scalar; })) << v;
    }
    EXPECT_EQ(system->removeVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &reports),
              AudioStatus::Ok);
    // Every channel gets the value, in the server's units.
    ASSERT_EQ(setVolume(*system, quorelIn, AudioScope::Input, 0.53f), AudioStatus::Ok);
    EXPECT_EQ(channelVolumes(daemon, QStringLiteral("source"), QStringLiteral("quorel_in")),
              (std::vector<unsigned>{34734, 34734}));

    EXPECT_TRUE(system->hasMainVolume(quorelOut, AudioScope::Output));
    EXPECT_FALSE(system->hasMainVolume(quorelOut, AudioScope::Input));
    EXPECT_EQ(setVolume(*system, quorelOut, AudioScope::Input, 0.5f), AudioStatus::NoSuchDevice);

    LogCapture log;
    ASSERT_EQ(setVolume(*system, quorelOut, AudioScope::Output, 0.005f), AudioStatus::Ok);
    EXPECT_EQ(setVolume(*system, quorelOut, AudioScope::Output, std::numeric_limits<float>::quiet_NaN()),
              AudioStatus::BadValue);
    EXPECT_EQ(setVolume(*system, quorelOut, AudioScope::Output, -0.1f), AudioStatus::BadValue);
    EXPECT_EQ(log.count(QStringLiteral("refusing to set the output volume")), 2);
    EXPECT_EQ(channelVolumes(daemon, QStringLiteral("sink"), QStringLiteral("quorel_out")),
              (std::vector<unsigned>{328, 328}));
}

// An answered request lets go of all it held, its answer's captures too: a
// panel restoring the device's sound all day must not grow with each one.
TEST_F(PulseAudioSystemTest, AnAnsweredRequestKeepsNothingAlive)
{
    const auto held = std::make_shared<int>(0);
    system->requestVolumeScalar(quorelOut, AudioScope::Output, 0.5f, [held](int) { ++*held; });
    system->requestDevices([held](int, std::vector<AudioDeviceNames>) { ++*held; });
    system->requestDefaultDevice(AudioScope::Output, quorelOut, [held](int) { ++*held; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return *held == 3; }, 10000));
    EXPECT_EQ(held.use_count(), 1);
}

// Whole percents read as the desktop mixer shows them, whoever set them;
// anything between whole percents is truncated.
TEST_F(PulseAudioSystemTest, PercentOfAVolumeIsWhatTheMixerShows)
{
    // PipeWire applies a volume a moment after acknowledging it: what counts
    // is a report of the percent expected, within a bound.
    const auto reported = [](ListenerLog& log, int expected) -> testing::AssertionResult {
        if (log.waitFor([expected](const ListenerLog::Call& c) { return volumePercent(c.scalar) == expected; }))
            return testing::AssertionSuccess();
        const std::vector<ListenerLog::Call> calls = log.calls();
        return testing::AssertionFailure()
            << "last reported " << (calls.empty() ? -1 : volumePercent(calls.back().scalar)) << " %";
    };
    ListenerLog panelHears;
    ListenerLog otherHears;
    PulseAudioSystem other; // hears without knowing what the panel set
    const AudioObjectID otherIn = findByName(other, AudioScope::Input, "Quorel IIS Audio");
    ASSERT_EQ(system->addVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &panelHears),
              AudioStatus::Ok);
    ASSERT_EQ(other.addVolumeListener(otherIn, AudioScope::Input, ListenerLog::proc, &otherHears), AudioStatus::Ok);
    for (int p = 0; p <= 100; ++p) {
        panelHears.clear();
        otherHears.clear();
        ASSERT_EQ(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("quorel_out"),
                                QStringLiteral("%1%").arg(p)}),
                  0);
        EXPECT_TRUE(reported(panelHears, p)) << "set by pactl to " << p << " %";
        ASSERT_EQ(setVolume(*system, quorelIn, AudioScope::Input, static_cast<float>(p) / 100.0f), AudioStatus::Ok);
        EXPECT_TRUE(reported(otherHears, p)) << "set by the panel to " << p << " %";
    }
    const auto percentAfter = [&](const char* raw, int expected) {
        panelHears.clear();
        daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("quorel_out"), QString::fromLatin1(raw)});
        return reported(panelHears, expected);
    };
    EXPECT_TRUE(percentAfter("65470", 99)) << "0.999";
    EXPECT_TRUE(percentAfter("328", 0)) << "0.005";
    EXPECT_TRUE(percentAfter("24247", 37)) << "within a step and a half of 37 %";
    EXPECT_TRUE(percentAfter("24246", 36)) << "farther below 37 %";
    EXPECT_EQ(volumePercent(0.53f), 53);
    EXPECT_EQ(volumePercent(0.59f), 59);
    EXPECT_EQ(volumePercent(-1.0f), 0);
    EXPECT_EQ(volumePercent(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(system->removeVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &panelHears),
              AudioStatus::Ok);
    EXPECT_EQ(other.removeVolumeListener(otherIn, AudioScope::Input, ListenerLog::proc, &otherHears),
              AudioStatus::Ok);
}

// A left/right balance reads as its louder side and survives a new volume.
TEST_F(PulseAudioSystemTest, UnbalancedVolumeReadsTheLoudestChannelAndKeepsItsBalance)
{
    const auto percent = [](int expected) {
        return [expected](const ListenerLog::Call& c) { return volumePercent(c.scalar) == expected; };
    };
    ListenerLog reports;
    ASSERT_EQ(system->addVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &reports), AudioStatus::Ok);
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("quorel_out"), QStringLiteral("40%"),
                            QStringLiteral("80%")}),
              0);
    EXPECT_TRUE(reports.waitFor(percent(80)));

    ASSERT_EQ(setVolume(*system, quorelOut, AudioScope::Output, 0.5f), AudioStatus::Ok);
    const std::vector<unsigned> channels =
        channelVolumes(daemon, QStringLiteral("sink"), QStringLiteral("quorel_out"));
    ASSERT_EQ(channels.size(), 2u);
    EXPECT_NEAR(channels[0], 16384, 2) << "25 %: half the louder side, as before";
    EXPECT_EQ(channels[1], 32768u);
    EXPECT_TRUE(reports.waitFor(percent(50)));
    EXPECT_EQ(system->removeVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &reports),
              AudioStatus::Ok);
}

TEST_F(PulseAudioSystemTest, ListenerRunsOnTheServersThreadForVolumeChangesOfItsDeviceOnly)
{
    ListenerLog first;
    ListenerLog second;
    ASSERT_EQ(system->addVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &first), AudioStatus::Ok);
    ASSERT_EQ(system->addVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &first), AudioStatus::Ok);
    ASSERT_EQ(system->addVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &second), AudioStatus::Ok);

    ASSERT_EQ(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("quorel_out"), QStringLiteral("50%")}), 0);
    ASSERT_TRUE(first.waitForScalar(0.5f));
    // Neither a mute, nor another device's volume, nor the same device's
    // input are a change of this volume; the next call is the next change.
    daemon.pactl({QStringLiteral("set-sink-mute"), QStringLiteral("quorel_out"), QStringLiteral("1")});
    daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("builtin_out"), QStringLiteral("20%")});
    daemon.pactl({QStringLiteral("set-source-volume"), QStringLiteral("quorel_in"), QStringLiteral("30%")});
    ASSERT_EQ(setVolume(*system, quorelOut, AudioScope::Output, 0.53f), AudioStatus::Ok);
    ASSERT_TRUE(first.waitForScalar(0.53f));
    ASSERT_TRUE(second.waitForScalar(0.53f));

    const auto calls = first.calls();
    ASSERT_EQ(calls.size(), 2u) << "added twice, called once a change";
    EXPECT_EQ(calls.back().scalar, 0.53f) << "what was set reads back exactly";
    for (const auto& call : calls) {
        EXPECT_EQ(call.device, quorelOut);
        EXPECT_EQ(call.scope, AudioScope::Output);
        EXPECT_NE(call.thread, std::this_thread::get_id());
    }

    // The value comes with the call: a question waited for from within it
    // is refused at once instead of waiting on its own thread.
    struct Asker {
        PulseAudioSystem* system;
        std::atomic<int> hasVolume{-1};
    } asker{system.get()};
    const AudioVolumeListenerProc asks = [](AudioObjectID device, AudioScope scope, float, void* data) {
        auto* a = static_cast<Asker*>(data);
        a->hasVolume = a->system->hasMainVolume(device, scope) ? 1 : 0;
        return 0;
    };
    LogCapture log;
    ASSERT_EQ(system->addVolumeListener(quorelOut, AudioScope::Output, asks, &asker), AudioStatus::Ok);
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("quorel_out"), QStringLiteral("60%")}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return asker.hasVolume.load() != -1; }, 5000));
    EXPECT_EQ(asker.hasVolume.load(), 0);
    EXPECT_GE(log.count(QStringLiteral("cannot wait for the sound server on its own thread")), 1);
    EXPECT_EQ(system->removeVolumeListener(quorelOut, AudioScope::Output, asks, &asker), AudioStatus::Ok);
    ASSERT_TRUE(first.waitForScalar(0.6f));

    // Removal needs the id it was added under; afterwards only `second` hears.
    EXPECT_EQ(system->removeVolumeListener(builtinOut, AudioScope::Output, ListenerLog::proc, &first),
              AudioStatus::NotRegistered);
    EXPECT_EQ(system->removeVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &first), AudioStatus::Ok);
    EXPECT_EQ(system->removeVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &first),
              AudioStatus::NotRegistered);
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("quorel_out"), QStringLiteral("70%")}), 0);
    ASSERT_TRUE(second.waitForScalar(0.7f));
    EXPECT_EQ(first.calls().size(), 3u);
    EXPECT_EQ(system->removeVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &second), AudioStatus::Ok);
}

TEST_F(PulseAudioSystemTest, ListenerFollowsAReAddedDeviceAndIsRemovedByTheIdItWasAddedOn)
{
    const QString load = QStringLiteral("sink_name=extra_out sink_properties='device.description=Extra node.always-process=true'");
    QString module;
    ASSERT_EQ(daemon.pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"), load}, &module), 0);
    // PipeWire answers the load before the new sink is listed.
    const auto extra = [&] {
        AudioObjectID id = kAudioObjectUnknown;
        // Unknown when it never shows; the caller checks.
        static_cast<void>(QTest::qWaitFor(
            [&] { return (id = findByName(*system, AudioScope::Output, "Extra")) != kAudioObjectUnknown; }, 5000));
        return id;
    };
    const AudioObjectID first = extra();
    ASSERT_NE(first, kAudioObjectUnknown);
    ListenerLog listener;
    ASSERT_EQ(system->addVolumeListener(first, AudioScope::Output, ListenerLog::proc, &listener), AudioStatus::Ok);
    ASSERT_EQ(setVolume(*system, first, AudioScope::Output, 0.25f), AudioStatus::Ok);
    ASSERT_TRUE(listener.waitForScalar(0.25f));

    // The same device comes back under a new id (a replugged card, a
    // restarted server) and the listener follows it there.
    ASSERT_EQ(daemon.pactl({QStringLiteral("unload-module"), module.trimmed()}), 0);
    ASSERT_EQ(daemon.pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"), load}), 0);
    AudioObjectID second = kAudioObjectUnknown;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (second = extra()) != first && second != kAudioObjectUnknown; }, 5000));
    ASSERT_TRUE(listener.waitFor([second](const ListenerLog::Call& c) { return c.device == second; }));

    // The caller knows only the id it added the listener on; that removes it.
    EXPECT_EQ(system->removeVolumeListener(first, AudioScope::Output, ListenerLog::proc, &listener), AudioStatus::Ok);
    listener.clear();
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("extra_out"), QStringLiteral("40%")}), 0);
    EXPECT_FALSE(listener.waitForScalar(0.4f, 500)) << "a removed listener is never called again";
}

// A volume sent without waiting goes to the default the server last
// reported, scales the channels in proportion, and follows a default
// changed elsewhere; against a server that has stopped answering every send
// returns at once and, once it answers, the last one wins.
TEST_F(PulseAudioSystemTest, SentVolumesGoToTheFollowedDefaultInOrderWithoutWaiting)
{
    const auto followed = [&](AudioObjectID id) {
        return QTest::qWaitFor([&] { return system->followedDefault(AudioScope::Output) == id; }, 5000);
    };
    const auto sinkVolumes = [&](const char* sink, std::vector<unsigned> expected) {
        return QTest::qWaitFor(
            [&] { return channelVolumes(daemon, QStringLiteral("sink"), QString::fromLatin1(sink)) == expected; },
            5000);
    };
    ASSERT_TRUE(followed(builtinOut));
    // The listener hears the balance once the backend has followed it.
    ListenerLog reports;
    ASSERT_EQ(system->addVolumeListener(builtinOut, AudioScope::Output, ListenerLog::proc, &reports), AudioStatus::Ok);
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("builtin_out"), QStringLiteral("40%"),
                            QStringLiteral("80%")}),
              0);
    ASSERT_TRUE(reports.waitForScalar(0.8f));
    system->removeVolumeListener(builtinOut, AudioScope::Output, ListenerLog::proc, &reports);
    EXPECT_EQ(system->sendDefaultVolume(AudioScope::Output, -0.1f), AudioStatus::BadValue);
    ASSERT_EQ(system->sendDefaultVolume(AudioScope::Output, 0.5f), AudioStatus::Ok);
    EXPECT_TRUE(sinkVolumes("builtin_out", {16384, 32768})) << "25 % and 50 %: the balance kept";

    ASSERT_EQ(daemon.pactl({QStringLiteral("set-default-sink"), QStringLiteral("quorel_out")}), 0);
    ASSERT_TRUE(followed(quorelOut));
    ASSERT_EQ(system->sendDefaultVolume(AudioScope::Output, 0.3f), AudioStatus::Ok);
    EXPECT_TRUE(sinkVolumes("quorel_out", {19661, 19661}));
    EXPECT_EQ(channelVolumes(daemon, QStringLiteral("sink"), QStringLiteral("builtin_out")),
              (std::vector<unsigned>{16384, 32768}));

    LogCapture log;
    const pid_t pid = daemon.serverPid();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    QElapsedTimer clock;
    clock.start();
    qint64 longest = 0;
    for (int percent = 10; percent <= 60; ++percent) {
        clock.restart();
        EXPECT_EQ(system->sendDefaultVolume(AudioScope::Output, static_cast<float>(percent) / 100.0f),
                  AudioStatus::Ok);
        longest = std::max(longest, clock.elapsed());
    }
    ::kill(pid, SIGCONT);
    EXPECT_LT(longest, 200) << "a send waits on nothing";
    EXPECT_TRUE(sinkVolumes("quorel_out", {39322, 39322})) << "60 %, the last one sent";
    EXPECT_EQ(log.count(QStringLiteral("refused")), 0);
    EXPECT_TRUE(system->isConnected());
}

// PipeWire acknowledges a new default before its session manager makes the
// change. With the session manager stopped the change never comes and the
// request ends within its bound. A connection that lived through the stop
// may no longer hear of changes to the defaults: once the session manager
// runs again, the request still succeeds, and the connection that served it
// follows the default and the listened device, the caller none the wiser.
TEST_F(PulseAudioSystemTest, DefaultNotMadeEndsWithinTheBoundAndTheNextRequestCatchesUp)
{
    const pid_t manager = daemon.sessionManagerPid();
    if (manager <= 0)
        GTEST_SKIP() << "PulseAudio makes a new default itself";
    ListenerLog listener;
    ASSERT_EQ(system->addVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &listener),
              AudioStatus::Ok);
    static std::atomic<int> reconnects{0};
    reconnects = 0;
    system->setEventListener(
        [](AudioSystemEvent event, void*) { reconnects += event == AudioSystemEvent::Reconnected ? 1 : 0; },
        nullptr);

    LogCapture log;
    ASSERT_EQ(::kill(manager, SIGSTOP), 0);
    QElapsedTimer clock;
    clock.start();
    const int status = setDefault(*system, AudioScope::Output, quorelOut);
    const qint64 waited = clock.elapsed();
    // A client that tries to connect meanwhile leaves PipeWire's PulseAudio
    // server (0.3.65) no longer telling our connection of new defaults.
    daemon.run(QStringLiteral("pactl"), {QStringLiteral("info")}, 300);
    ::kill(manager, SIGCONT);
    EXPECT_EQ(status, AudioStatus::NotCarriedOut);
    EXPECT_LT(waited, 4000) << "the bound is 2000 ms";
    EXPECT_EQ(log.count(QStringLiteral("still reports builtin_out after 2000 ms")), 1);

    EXPECT_EQ(setDefault(*system, AudioScope::Output, quorelOut), AudioStatus::Ok);
    EXPECT_TRUE(QTest::qWaitFor([&] { return system->followedDefault(AudioScope::Output) == quorelOut; }, 5000));
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("quorel_out"), QStringLiteral("40%")}), 0);
    EXPECT_TRUE(listener.waitForScalar(0.4f));
    EXPECT_EQ(setDefault(*system, AudioScope::Output, builtinOut), AudioStatus::Ok);
    EXPECT_TRUE(system->isConnected());
    EXPECT_EQ(log.count(QStringLiteral("lost the sound server")), 0);
    EXPECT_EQ(reconnects, 0);
    system->setEventListener(nullptr, nullptr);
    EXPECT_EQ(system->removeVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &listener),
              AudioStatus::Ok);
}

// The link asks for a default without waiting. When our connection no
// longer hears of new defaults, a new connection that reads the default
// made settles the request, also within a bound too short for the witness
// to confirm that ours is stale (a server that stood still while the panel
// connected again leaves it so).
TEST_F(PulseAudioSystemTest, DefaultAskedForOverAStaleConnectionIsFoundMadeWithinTheBound)
{
    const pid_t manager = daemon.sessionManagerPid();
    if (manager <= 0)
        GTEST_SKIP() << "PulseAudio tells every connection of a new default";
    PulseAudioSystem quick(500ms, 100ms);
    ASSERT_TRUE(quick.isConnected());
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-default-sink"), QStringLiteral("builtin_out")}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return quick.followedDefault(AudioScope::Output) == builtinOut; }, 5000));
    ASSERT_EQ(::kill(manager, SIGSTOP), 0);
    daemon.run(QStringLiteral("pactl"), {QStringLiteral("info")}, 300);
    ::kill(manager, SIGCONT);

    LogCapture log;
    std::optional<int> asked;
    quick.requestDefaultDevice(AudioScope::Output, quorelOut, [&](int status) { asked = status; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked.has_value(); }, 5000));
    EXPECT_EQ(*asked, AudioStatus::Ok);
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-sink")}), QStringLiteral("quorel_out"));
    EXPECT_EQ(log.count(QStringLiteral("still reports builtin_out after 500 ms")), 0);

    // The input's request right after, as in a link; a new connection has
    // taken the stale one's place, and follows both defaults.
    asked.reset();
    quick.requestDefaultDevice(AudioScope::Input, quorelIn, [&](int status) { asked = status; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked.has_value(); }, 5000));
    EXPECT_EQ(*asked, AudioStatus::Ok);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return quick.followedDefault(AudioScope::Output) == quorelOut
            && quick.followedDefault(AudioScope::Input) == quorelIn;
    }, 5000));
}

// Clients coming and going faster than a disagreement is confirmed (another
// panel's checks do) do not keep a stale connection from being replaced.
TEST_F(PulseAudioSystemTest, StaleConnectionIsReplacedWhileOtherClientsComeAndGo)
{
    const pid_t manager = daemon.sessionManagerPid();
    if (manager <= 0)
        GTEST_SKIP() << "PulseAudio tells every connection of a new default";
    ASSERT_TRUE(QTest::qWaitFor([&] { return system->followedDefault(AudioScope::Output) == builtinOut; }, 5000));
    ASSERT_EQ(::kill(manager, SIGSTOP), 0);
    daemon.run(QStringLiteral("pactl"), {QStringLiteral("info")}, 300);
    ::kill(manager, SIGCONT);
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-default-sink"), QStringLiteral("quorel_out")}), 0);
    for (QDeadlineTimer deadline(5000);
         system->followedDefault(AudioScope::Output) != quorelOut && !deadline.hasExpired(); QTest::qWait(50))
        daemon.pactl({QStringLiteral("info")});
    EXPECT_EQ(system->followedDefault(AudioScope::Output), quorelOut);
}

// PipeWire's PulseAudio server may refuse a new default on a connection
// that took the place of ours while the replaced one still carries it out.
// Here the new connection comes in over a socket whose clients PipeWire's
// session manager lets read only: it lists the devices but refuses to set a
// default. The request goes back over the replaced connection, which then
// follows the default again; the caller sees the default made, and the next
// request is made at once.
TEST_F(PulseAudioSystemTest, DefaultRefusedOverTheConnectionThatTookOurPlaceIsMadeOverTheOneItReplaced)
{
    const QString restricted = daemon.restrictedServer();
    if (restricted.isEmpty())
        GTEST_SKIP() << "PulseAudio has no read-only clients";
    ASSERT_TRUE(QTest::qWaitFor([&] { return system->followedDefault(AudioScope::Output) == builtinOut; }, 5000));
    ASSERT_TRUE(replaceWithNewConnection(*system->connection(), restricted));
    LogCapture log;

    EXPECT_EQ(setDefault(*system, AudioScope::Output, quorelOut), AudioStatus::Ok);
    EXPECT_EQ(log.count(QStringLiteral("over our new connection (Access denied); asking again over the one it replaced")), 1);
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-sink")}), QStringLiteral("quorel_out"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return system->followedDefault(AudioScope::Output) == quorelOut; }, 5000));
    EXPECT_EQ(setDefault(*system, AudioScope::Output, builtinOut), AudioStatus::Ok);
    EXPECT_TRUE(QTest::qWaitFor([&] { return system->followedDefault(AudioScope::Output) == builtinOut; }, 5000));
    EXPECT_EQ(log.count(QStringLiteral("asking again over the one it replaced")), 1);
    EXPECT_TRUE(system->isConnected());
    EXPECT_EQ(log.count(QStringLiteral("lost the sound server")), 0);
}

// The followed default keeps up with moves made elsewhere, one right after
// the other; and on PipeWire also once its PulseAudio server has stopped
// telling every connection of new defaults (a client that tried to connect
// while the session manager stood still leaves it so): a new connection
// reads the current default and takes the old one's place unannounced.
TEST_F(PulseAudioSystemTest, FollowedDefaultKeepsUpWithEveryMoveAlsoAfterItsConnectionWentStale)
{
    static std::atomic<int> reconnects{0};
    reconnects = 0;
    system->setEventListener(
        [](AudioSystemEvent event, void*) { reconnects += event == AudioSystemEvent::Reconnected ? 1 : 0; },
        nullptr);
    ListenerLog listener;
    ASSERT_EQ(system->addVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &listener),
              AudioStatus::Ok);
    const auto moveAndFollow = [&](int times) {
        for (int move = 0; move < times; ++move) {
            const bool toQuorel = move % 2 == 0;
            const QString sink = toQuorel ? QStringLiteral("quorel_out") : QStringLiteral("builtin_out");
            const AudioObjectID id = toQuorel ? quorelOut : builtinOut;
            if (daemon.pactl({QStringLiteral("set-default-sink"), sink}) != 0)
                return testing::AssertionFailure() << "pactl failed on move " << move;
            if (!QTest::qWaitFor([&] { return system->followedDefault(AudioScope::Output) == id; }, 10000))
                return testing::AssertionFailure() << "move " << move << " to " << sink.toStdString()
                                                   << " not followed";
        }
        return testing::AssertionSuccess();
    };
    LogCapture log;
    EXPECT_TRUE(moveAndFollow(8));

    if (const pid_t manager = daemon.sessionManagerPid(); manager > 0) {
        ASSERT_EQ(::kill(manager, SIGSTOP), 0);
        daemon.pactl({QStringLiteral("set-default-sink"), QStringLiteral("quorel_out")});
        daemon.run(QStringLiteral("pactl"), {QStringLiteral("info")}, 300);
        ::kill(manager, SIGCONT);
        EXPECT_TRUE(moveAndFollow(8)) << "after the connections went stale";
        // The connection that took over still hears the listened device.
        ASSERT_EQ(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("quorel_out"),
                                QStringLiteral("40%")}), 0);
        EXPECT_TRUE(listener.waitForScalar(0.4f));
    }
    EXPECT_TRUE(system->isConnected());
    EXPECT_EQ(log.count(QStringLiteral("lost the sound server")), 0);
    EXPECT_EQ(reconnects, 0);
    system->setEventListener(nullptr, nullptr);
    EXPECT_EQ(system->removeVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &listener),
              AudioStatus::Ok);
}

TEST_F(PulseAudioSystemTest, HungServerTimesOutWithinTheBoundAndIsUsableAfterwards)
{
    PulseAudioSystem quick(300ms, 100ms);
    ASSERT_TRUE(quick.isConnected());
    const pid_t pid = daemon.serverPid();
    ASSERT_GT(pid, 0);

    LogCapture log;
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    QElapsedTimer clock;
    clock.start();
    const int status = listDevices(quick).status;
    const qint64 waited = clock.elapsed();
    // Until it answers again the server counts as gone: no more waiting.
    clock.restart();
    const int next = listDevices(quick).status;
    const qint64 waitedNext = clock.elapsed();
    ::kill(pid, SIGCONT);

    EXPECT_EQ(status, AudioStatus::Timeout);
    EXPECT_GE(waited, 250);
    EXPECT_LT(waited, 2000);
    EXPECT_EQ(next, AudioStatus::NotConnected);
    EXPECT_LT(waitedNext, 100);
    EXPECT_EQ(log.count(QStringLiteral("did not answer within 300 ms")), 1);
    EXPECT_EQ(log.count(QStringLiteral("lost the sound server (it stopped answering)")), 1);
    ASSERT_TRUE(quick.waitForConnection(5000ms));
    const Listed listed = listDevices(quick);
    EXPECT_EQ(listed.status, AudioStatus::Ok);
    EXPECT_EQ(listed.devices.size(), 4u);
}

TEST_F(PulseAudioSystemTest, ServerCrashFailsCleanlyAndListenersFollowTheirDeviceAfterTheRestart)
{
    ListenerLog listener;
    ASSERT_EQ(system->addVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &listener),
              AudioStatus::Ok);
    ASSERT_EQ(setVolume(*system, quorelOut, AudioScope::Output, 0.25f), AudioStatus::Ok);
    ASSERT_TRUE(listener.waitForScalar(0.25f));

    LogCapture log;
    daemon.stop(true);
    QDeadlineTimer gone(5000);
    while (system->isConnected() && !gone.hasExpired())
        QThread::msleep(10);
    ASSERT_FALSE(system->isConnected());
    EXPECT_EQ(listDevices(*system).status, AudioStatus::NotConnected);
    EXPECT_EQ(setVolume(*system, quorelOut, AudioScope::Output, 0.5f), AudioStatus::NotConnected);
    EXPECT_FALSE(system->hasMainVolume(quorelOut, AudioScope::Output));
    EXPECT_EQ(log.count(QStringLiteral("lost the sound server")), 1);

    ASSERT_TRUE(daemon.start());
    ASSERT_TRUE(system->waitForConnection(5000ms));
    // The fresh server starts at full volume: the listener hears about it.
    ASSERT_TRUE(listener.waitForScalar(1.0f));
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("quorel_out"), QStringLiteral("40%")}), 0);
    ASSERT_TRUE(listener.waitForScalar(0.4f));
    EXPECT_EQ(log.count(QStringLiteral("lost the sound server")), 1);
    EXPECT_EQ(system->removeVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &listener),
              AudioStatus::Ok);
}

TEST(PulseAudioSystemWithoutServer, EveryRequestFailsAndTheServerIsFoundWhenItStarts)
{
    PulseDaemon daemon(QString{});
    qputenv("PULSE_SERVER", (daemon.server()).toUtf8());
    LogCapture log;
    QElapsedTimer clock;
    clock.start();
    PulseAudioSystem system(2000ms, 100ms);
    EXPECT_FALSE(system.isConnected());

    EXPECT_EQ(listDevices(system).status, AudioStatus::NotConnected);
    EXPECT_EQ(setDefault(system, AudioScope::Input, 3), AudioStatus::NotConnected);
    EXPECT_FALSE(system.hasMainVolume(2, AudioScope::Output));
    EXPECT_EQ(setVolume(system, 2, AudioScope::Output, 0.5f), AudioStatus::NotConnected);
    EXPECT_EQ(system.addVolumeListener(2, AudioScope::Output, ListenerLog::proc, nullptr),
              AudioStatus::NotConnected);
    EXPECT_EQ(system.removeVolumeListener(2, AudioScope::Output, ListenerLog::proc, nullptr),
              AudioStatus::NotRegistered);
    EXPECT_LT(clock.elapsed(), 1500) << "a missing server is no timeout";
    EXPECT_EQ(log.count(QStringLiteral("no sound server")), 1);

    ASSERT_TRUE(daemon.start());
    ASSERT_TRUE(system.waitForConnection(5000ms));
    EXPECT_EQ(listDevices(system).status, AudioStatus::Ok);
}

// Processes running with `directory` as their runtime directory.
QList<int> processesIn(const QString& directory)
{
    const QByteArray marker = "XDG_RUNTIME_DIR=" + QFile::encodeName(directory) + '\0';
    QList<int> pids;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        QFile environ(QStringLiteral("/proc/%1/environ").arg(entry));
        if (numeric && pid != ::getpid() && environ.open(QIODevice::ReadOnly) && environ.readAll().contains(marker))
            pids.append(pid);
    }
    return pids;
}

// The private server, the whole PipeWire stack included, goes with the test
// process however that ends: here a test process killed outright.
TEST(PulseDaemonLifetime, ServerProcessesDieWithAKilledTestProcess)
{
    const QString report = qEnvironmentVariable("QUOREL_TEST_SERVER_REPORT");
    if (!report.isEmpty()) {
        // The doomed test process: start a server, say where, and wait.
        PulseDaemon daemon(QString{});
        ASSERT_TRUE(daemon.start());
        QFile out(report);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QFile::encodeName(daemon.directory()));
        out.close();
        QThread::sleep(60);
        return;
    }
    QTemporaryDir dir;
    const QString reportPath = dir.filePath(QStringLiteral("server"));
    QProcess doomed;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUOREL_TEST_SERVER_REPORT"), reportPath);
    doomed.setProcessEnvironment(env);
    doomed.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=PulseDaemonLifetime.*")});
    ASSERT_TRUE(doomed.waitForStarted(5000));
    QFile in(reportPath);
    ASSERT_TRUE(QTest::qWaitFor([&] { return in.exists() && in.size() > 0; }, 20000));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QString serverDir = QFile::decodeName(in.readAll());
    EXPECT_FALSE(processesIn(serverDir).isEmpty());

    doomed.kill();
    doomed.waitForFinished(5000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return processesIn(serverDir).isEmpty(); }, 5000))
        << "left behind: " << processesIn(serverDir).size();
}

} // namespace
