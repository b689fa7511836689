// The link's audio steps as one sequence that never waits: against private
// sound servers (found, made the defaults, volumes set; the server stopped
// during each step and let go again), and against the fake where a server
// cannot be made to refuse on demand.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <memory>

#include "FakeAudioSystem.h"
#include "LogCapture.h"
#include "PulseTestSupport.h"
#include "audio/AudioLink.h"
#include "audio/PulseAudioSystem.h"

using namespace pulsetest;
using namespace std::chrono_literals;

namespace {

// Passes everything on to the real backend, and stops the server (SIGSTOP)
// right before the request of one step goes out.
class StoppingSystem final : public AudioSystem {
public:
    StoppingSystem(PulseAudioSystem& inner, pid_t server) : m_inner(inner), m_server(server) {}

    // Steps in the sequence's order: 0 the list, 1 and 2 the defaults,
    // 3 and 4 the volumes; -1 stops at none.
    void stopAtStep(int step)
    {
        m_stopAt = step;
        m_step = 0;
    }
    bool stopped() const { return m_stopped; }
    void letGo()
    {
        if (m_stopped)
            ::kill(m_server, SIGCONT);
        m_stopped = false;
    }

    bool hasMainVolume(AudioObjectID device, AudioScope scope) override { return m_inner.hasMainVolume(device, scope); }
    int sendDefaultVolume(AudioScope scope, float scalar) override { return m_inner.sendDefaultVolume(scope, scalar); }
    int addVolumeListener(AudioObjectID device, AudioScope scope, AudioVolumeListenerProc proc,
                          void* clientData) override
    {
        return m_inner.addVolumeListener(device, scope, proc, clientData);
    }
    int removeVolumeListener(AudioObjectID device, AudioScope scope, AudioVolumeListenerProc proc,
                             void* clientData) override
    {
        return m_inner.removeVolumeListener(device, scope, proc, clientData);
    }
    bool isConnected() const override { return m_inner.isConnected(); }

    void requestDevices(AudioDevicesDone done) override
    {
        next();
        m_inner.requestDevices(std::move(done));
    }
    void requestDefaultDevice(AudioScope scope, AudioObjectID device, AudioDone done) override
    {
        next();
        m_inner.requestDefaultDevice(scope, device, std::move(done));
    }
    void requestVolumeScalar(AudioObjectID device, AudioScope scope, float scalar, AudioDone done) override
    {
        next();
        m_inner.requestVolumeScalar(device, scope, scalar, std::move(done));
    }

private:
    void next()
    {
        if (m_step++ == m_stopAt && ::kill(m_server, SIGSTOP) == 0)
            m_stopped = true;
    }

    PulseAudioSystem& m_inner;
    pid_t m_server;
    int m_stopAt = -1;
    int m_step = 0;
    bool m_stopped = false;
};

bool defaultsAre(const PulseDaemon& daemon, const QString& sink, const QString& source)
{
    return QTest::qWaitFor([&] {
        return pactlText(daemon, {QStringLiteral("get-default-sink")}) == sink
            && pactlText(daemon, {QStringLiteral("get-default-source")}) == source;
    }, 10000);
}

TEST(AudioLink, MakesTheDeviceTheDefaultOutputAndInputAndSetsItsVolumes)
{
    PulseDaemon daemon;
    ASSERT_TRUE(daemon.start());
    PulseAudioSystem system;
    AudioLink link(system);
    QSignalSpy linked(&link, &AudioLink::linked);
    QSignalSpy volumes(&link, &AudioLink::volumeAnswered);

    link.start(0.3f, 0.6f);
    EXPECT_TRUE(link.running());
    ASSERT_TRUE(linked.wait(15000));
    EXPECT_FALSE(link.running());
    EXPECT_TRUE(defaultsAre(daemon, QStringLiteral("quorel_out"), QStringLiteral("quorel_in")));
    const auto output = linked.at(0).at(0).value<AudioObjectID>();
    const auto input = linked.at(0).at(1).value<AudioObjectID>();
    EXPECT_EQ(output, findByName(system, AudioScope::Output, "Quorel IIS Audio"));
    EXPECT_EQ(input, findByName(system, AudioScope::Input, "Quorel IIS Audio"));
    ASSERT_EQ(volumes.size(), 2);
    for (const QList<QVariant>& answer : volumes)
        EXPECT_EQ(answer.at(2).toInt(), AudioStatus::Ok);
    EXPECT_EQ(channelVolumes(daemon, QStringLiteral("sink"), QStringLiteral("quorel_out")),
              (std::vector<unsigned>{19661, 19661}));
    EXPECT_EQ(channelVolumes(daemon, QStringLiteral("source"), QStringLiteral("quorel_in")),
              (std::vector<unsigned>{39322, 39322}));
}

// The server stands still during each step in turn, for longer than its
// bound: the event loop keeps turning, the sequence says that it waits,
// and once the server answers again it links from the start.
TEST(AudioLink, ServerStoppedDuringAnyStepIsWaitedForWithoutBlockingAndTheLinkFinishes)
{
    PulseDaemon daemon;
    ASSERT_TRUE(daemon.start());
    PulseAudioSystem system(500ms, 100ms);
    ASSERT_TRUE(system.isConnected());
    StoppingSystem stopping(system, daemon.serverPid());
    AudioLink link(stopping);
    LogCapture log;
    for (int step = 0; step <= 4; ++step) {
        SCOPED_TRACE(step);
        QSignalSpy linked(&link, &AudioLink::linked);
        QSignalSpy failed(&link, &AudioLink::failed);
        QSignalSpy waiting(&link, &AudioLink::waitingChanged);
        stopping.stopAtStep(step);
        LoopLateness lateness;
        link.start(0.5f, 0.5f);
        ASSERT_TRUE(QTest::qWaitFor([&] { return link.waitingForServer(); }, 10000));
        EXPECT_TRUE(stopping.stopped());
        // Past the bound the server counts as gone; the link keeps waiting.
        QTest::qWait(700);
        EXPECT_TRUE(link.running());
        EXPECT_TRUE(link.waitingForServer());
        stopping.letGo();
        ASSERT_TRUE(linked.wait(20000)) << (daemon.running() ? "the server runs" : "the server has ended");
        EXPECT_LT(lateness.worstMs(), 50) << "the main thread never waits on the server";
        EXPECT_TRUE(failed.isEmpty());
        ASSERT_GE(waiting.size(), 2);
        EXPECT_TRUE(waiting.first().at(0).toBool());
        EXPECT_FALSE(waiting.last().at(0).toBool());
        EXPECT_TRUE(defaultsAre(daemon, QStringLiteral("quorel_out"), QStringLiteral("quorel_in")));
        stopping.stopAtStep(-1);
        ASSERT_EQ(daemon.pactl({QStringLiteral("set-default-sink"), QStringLiteral("builtin_out")}), 0);
        ASSERT_EQ(daemon.pactl({QStringLiteral("set-default-source"), QStringLiteral("builtin_in")}), 0);
        ASSERT_TRUE(defaultsAre(daemon, QStringLiteral("builtin_out"), QStringLiteral("builtin_in")));
    }
    EXPECT_GE(log.count(QStringLiteral("did not answer within 500 ms")), 5);
}

TEST(AudioLink, ADefaultNotMadeEndsTheSequenceAtThatStepAndAFailedInputLeavesTheOutputSwitched)
{
    FakeAudioSystem fake;
    fake.addDevice({.id = 4, .outputName = "Built-in Speaker", .inputName = "Built-in Microphone"});
    fake.addDevice({.id = 12, .outputName = "Quorel IIS Audio", .inputName = "Quorel IIS Audio"});
    AudioLink link(fake);
    QSignalSpy linked(&link, &AudioLink::linked);
    QSignalSpy failed(&link, &AudioLink::failed);

    fake.failSetDefault(AudioScope::Input);
    link.start(0.5f, 0.5f);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.at(0).at(0).value<AudioLink::Step>(), AudioLink::Step::MakeDefault);
    EXPECT_EQ(fake.defaultsSet(AudioScope::Output), std::vector<AudioObjectID>{12});
    EXPECT_TRUE(linked.isEmpty());
    EXPECT_FALSE(link.running());
    EXPECT_EQ(fake.volume(12, AudioScope::Output), 1.0f) << "no volume after a failed step";

    // A failed output leaves the input alone.
    fake.failSetDefault(AudioScope::Input, false);
    fake.failSetDefault(AudioScope::Output);
    failed.clear();
    link.start(0.5f, 0.5f);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_TRUE(fake.defaultsSet(AudioScope::Input).empty());

    // A sequence cancelled, or started again, drops the answers on their way.
    fake.failSetDefault(AudioScope::Output, false);
    failed.clear();
    link.start(0.2f, 0.2f);
    link.cancel();
    link.start(0.7f, 0.4f);
    ASSERT_TRUE(linked.wait(5000));
    QTest::qWait(50);
    EXPECT_EQ(linked.size(), 1);
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_FLOAT_EQ(fake.volume(12, AudioScope::Output), 0.7f);
    EXPECT_FLOAT_EQ(fake.volume(12, AudioScope::Input), 0.4f);
}

TEST(AudioLink, ADeviceNamedAudioListedFirstIsNeverLinked)
{
    PulseDaemon daemon(QStringLiteral(
        "load-module module-null-sink sink_name=audio_out "
        "sink_properties='device.description=\"Audio\" node.always-process=true'\n"
        "load-module module-remap-source master=audio_out.monitor source_name=audio_in "
        "source_properties='device.description=\"Audio\" node.always-process=true'\n")
        + PulseDaemon::defaultScript());
    ASSERT_TRUE(daemon.start());
    PulseAudioSystem system;
    AudioLink link(system);
    QSignalSpy linked(&link, &AudioLink::linked);
    link.start(0.5f, 0.5f);
    ASSERT_TRUE(linked.wait(15000));
    EXPECT_TRUE(defaultsAre(daemon, QStringLiteral("quorel_out"), QStringLiteral("quorel_in")));
}

} // namespace
