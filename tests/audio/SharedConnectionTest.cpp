// The panel's one connection to the sound server, shared by the audio system
// and the spectrum's capture, against private PulseAudio and PipeWire
// servers: one client for both, both back after a restart, and a server that
// stops answering while nothing is asked of it noticed all the same.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include <pulse/context.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "LogCapture.h"
#include "PulseTestSupport.h"
#include "audio/PulseAudioSystem.h"
#include "spectrum/PulseCaptureEngine.h"

using namespace pulsetest;
using namespace std::chrono_literals;

namespace {

// What the audio system announced, from its thread.
class EventLog {
public:
    static void proc(AudioSystemEvent event, void* clientData)
    {
        auto* log = static_cast<EventLog*>(clientData);
        std::lock_guard<std::mutex> lock(log->m_mutex);
        log->m_events.push_back(event);
    }

    int count(AudioSystemEvent event) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return static_cast<int>(std::count(m_events.begin(), m_events.end(), event));
    }

private:
    mutable std::mutex m_mutex;
    std::vector<AudioSystemEvent> m_events;
};

// The connections the shared one's observers were told of as ready, by
// the server's index, from the loop's thread.
class ReadyLog final : public PulseConnection::Observer {
public:
    void connectionReady(pa_context* context, Ready how) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ready.emplace_back(pa_context_get_index(context), how);
    }

    std::vector<std::pair<std::uint32_t, Ready>> ready() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_ready;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<std::uint32_t, Ready>> m_ready;
};

// A socket that takes connections and never answers them, like a server
// stopped between taking a connection and answering it.
class SilentSocket {
public:
    explicit SilentSocket(const QString& path)
        : m_path(QFile::encodeName(path))
        , m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (m_fd < 0 || m_path.size() >= qsizetype(sizeof(address.sun_path)))
            return;
        std::copy(m_path.begin(), m_path.end(), address.sun_path);
        m_listening = ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0
            && ::listen(m_fd, 8) == 0;
    }
    ~SilentSocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SilentSocket(const SilentSocket&) = delete;
    SilentSocket& operator=(const SilentSocket&) = delete;

    bool listening() const { return m_listening; }
    // New connections go to `socket` from now on; those taken stay unanswered.
    bool leadTo(const QString& socket) const
    {
        return ::unlink(m_path.constData()) == 0 && ::symlink(QFile::encodeName(socket).constData(), m_path.constData()) == 0;
    }

private:
    QByteArray m_path;
    int m_fd;
    bool m_listening = false;
};

// PULSE_SERVER as given, until the end of the scope.
class ServerAddress {
public:
    explicit ServerAddress(const QString& server)
        : m_was(qgetenv("PULSE_SERVER"))
    {
        qputenv("PULSE_SERVER", server.toUtf8());
    }
    ~ServerAddress() { qputenv("PULSE_SERVER", m_was); }
    ServerAddress(const ServerAddress&) = delete;
    ServerAddress& operator=(const ServerAddress&) = delete;

private:
    QByteArray m_was;
};

class SharedConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(daemon.start());
        ASSERT_EQ(daemon.pactl({QStringLiteral("set-default-source"), QStringLiteral("quorel_in")}), 0);
        system = std::make_unique<PulseAudioSystem>(2000ms, 100ms);
        ASSERT_TRUE(system->isConnected());
        system->setEventListener(EventLog::proc, &events);
        capture = std::make_unique<PulseCaptureEngine>(system->connection());
        capture->installTap(3840, CaptureFormat{}, [this](const CaptureBuffer* buffer) {
            frames += buffer->frameLength;
        });
    }

    void TearDown() override
    {
        capture.reset();
        system->setEventListener(nullptr, nullptr);
    }

    // The server's index of the shared connection right now.
    std::uint32_t connectionIndex() const
    {
        const std::shared_ptr<PulseConnection> connection = system->connection();
        PulseLoopLock lock(connection->loop());
        return connection->context() ? pa_context_get_index(connection->context()) : PA_INVALID_INDEX;
    }

    // The clients of the spectrum's capture streams, by the stream's name.
    std::vector<std::uint32_t> captureClients() const
    {
        static const QRegularExpression client(QStringLiteral("Client: (\\d+)"));
        std::vector<std::uint32_t> clients;
        const QString outputs = pactlText(daemon, {QStringLiteral("list"), QStringLiteral("source-outputs")});
        for (const QString& block : outputs.split(QStringLiteral("Source Output #"), Qt::SkipEmptyParts)) {
            if (block.contains(QStringLiteral("media.name = \"Spectrum\"")))
                clients.push_back(client.match(block).captured(1).toUInt());
        }
        return clients;
    }

    // Audio reaches the tap: more frames than a moment ago.
    bool framesFlow()
    {
        const std::int64_t before = frames.load();
        return QTest::qWaitFor([&] { return frames.load() > before + 4800; }, 10000);
    }

    PulseDaemon daemon;
    std::unique_ptr<PulseAudioSystem> system;
    EventLog events;
    std::unique_ptr<PulseCaptureEngine> capture;
    std::atomic<std::int64_t> frames{0};
};

TEST_F(SharedConnectionTest, CaptureAndVolumesRunOnOneConnectionAndBothComeBackAfterARestart)
{
    const AudioObjectID quorelOut = findByName(*system, AudioScope::Output, "Quorel IIS Audio");
    ASSERT_NE(quorelOut, kAudioObjectUnknown);
    ListenerLog listener;
    ASSERT_EQ(system->addVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &listener), AudioStatus::Ok);
    ASSERT_TRUE(capture->start());
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture->running(); }, 5000));
    EXPECT_EQ(captureClients(), std::vector<std::uint32_t>{connectionIndex()}) << "the capture has no connection of its own";
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("quorel_out"), QStringLiteral("30%")}), 0);
    EXPECT_TRUE(listener.waitForScalar(0.3f)) << "the value comes with the change";
    EXPECT_TRUE(framesFlow());

    LogCapture log;
    daemon.stop(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !system->isConnected() && !capture->running(); }, 5000));
    ASSERT_TRUE(daemon.start());
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-default-source"), QStringLiteral("quorel_in")}), 0);
    ASSERT_TRUE(system->waitForConnection(5000ms));
    EXPECT_TRUE(QTest::qWaitFor([&] { return capture->running(); }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return captureClients() == std::vector<std::uint32_t>{connectionIndex()}; },
                                5000))
        << "the stream is made again on the connection made again";
    EXPECT_TRUE(framesFlow());
    // The fresh server starts its sink at full volume.
    EXPECT_TRUE(listener.waitForScalar(1.0f));
    EXPECT_EQ(events.count(AudioSystemEvent::Lost), 1);
    EXPECT_EQ(events.count(AudioSystemEvent::Reconnected), 1);
    EXPECT_EQ(log.count(QStringLiteral("lost the sound server")), 2) << "once for the audio, once for the spectrum";
    EXPECT_EQ(log.count(QStringLiteral("capturing the default input again")), 1);

    capture->stop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return captureClients().empty(); }, 5000));
    EXPECT_TRUE(system->isConnected()) << "stopping the capture leaves the connection to the audio system";
    EXPECT_EQ(system->removeVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &listener),
              AudioStatus::Ok);
}

// Nothing is asked of the server: only the capture's silence tells that it
// stopped answering. It is lost once, and back with the capture once it
// continues.
TEST_F(SharedConnectionTest, IdleServerThatStopsIsLostOnceThroughTheCapturesSilenceAndBackWhenItContinues)
{
    ASSERT_TRUE(capture->start());
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture->running(); }, 5000));
    ASSERT_TRUE(framesFlow());
    const pid_t server = daemon.serverPid();
    ASSERT_GT(server, 0);

    LogCapture log;
    ASSERT_EQ(::kill(server, SIGSTOP), 0);
    const bool lost = QTest::qWaitFor([&] { return events.count(AudioSystemEvent::Lost) > 0; }, 15000);
    const bool captureDown = !capture->running();
    // Still stopped: the loss is not told again. What the connection says
    // is read before the server continues, as a reconnect may follow at once.
    QTest::qWait(500);
    const bool connectedWhileStopped = system->isConnected();
    ::kill(server, SIGCONT);
    ASSERT_TRUE(lost);
    EXPECT_TRUE(captureDown);
    EXPECT_FALSE(connectedWhileStopped);
    EXPECT_EQ(events.count(AudioSystemEvent::Lost), 1);
    EXPECT_EQ(log.count(QStringLiteral("lost the sound server (it stopped answering)")), 1);

    EXPECT_TRUE(QTest::qWaitFor([&] { return events.count(AudioSystemEvent::Reconnected) == 1; }, 15000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return capture->running(); }, 10000));
    EXPECT_TRUE(framesFlow());
    EXPECT_EQ(events.count(AudioSystemEvent::Lost), 1);
}

// On PipeWire a connection that took ours' place may be refused a new
// default (here it came in over a socket whose clients may only read). The
// link's request goes back to the replaced connection, and the capture's
// stream moves along to it as at a renewal, without a loss.
TEST_F(SharedConnectionTest, DefaultRefusedOverARenewalGoesBackToTheReplacedConnectionAndTheCaptureMovesAlong)
{
    const QString restricted = daemon.restrictedServer();
    if (restricted.isEmpty())
        GTEST_SKIP() << "PulseAudio has no read-only clients";
    const AudioObjectID quorelOut = findByName(*system, AudioScope::Output, "Quorel IIS Audio");
    ASSERT_NE(quorelOut, kAudioObjectUnknown);
    ASSERT_TRUE(capture->start());
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture->running(); }, 5000));
    const std::uint32_t replaced = connectionIndex();

    ReadyLog readyLog;
    const std::shared_ptr<PulseConnection> connection = system->connection();
    {
        PulseLoopLock lock(connection->loop());
        connection->addObserver(&readyLog);
    }

    LogCapture log;
    ASSERT_TRUE(replaceWithNewConnection(*connection, restricted));
    const std::uint32_t renewal = connectionIndex();
    ASSERT_NE(renewal, replaced);

    std::atomic<int> answer{-1};
    system->requestDefaultDevice(AudioScope::Output, quorelOut, [&answer](int status) { answer = status; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.load() != -1; }, 10000));
    EXPECT_EQ(answer.load(), AudioStatus::Ok);
    EXPECT_EQ(log.count(QStringLiteral("over our new connection (Access denied); asking again over the one it replaced")), 1);
    EXPECT_EQ(pactlText(daemon, {QStringLiteral("get-default-sink")}), QStringLiteral("quorel_out"));
    {
        PulseLoopLock lock(connection->loop());
        connection->removeObserver(&readyLog);
    }
    using Ready = PulseConnection::Observer::Ready;
    const std::vector<std::pair<std::uint32_t, Ready>> ready = readyLog.ready();
    ASSERT_GE(ready.size(), 2U);
    EXPECT_EQ(ready[0], std::make_pair(renewal, Ready::Renewed));
    EXPECT_EQ(ready[1], std::make_pair(replaced, Ready::Renewed))
        << "the observers hear of the way back as of the renewal";
    // PipeWire may leave the connection gone back to deaf to the default it
    // just made (seen on a loaded machine); the defaults witness then
    // follows the defaults over a new connection, which the observers hear
    // of as one more renewal.
    const bool followedOverANewOne = log.count(QStringLiteral("following them over the new one")) > 0;
    for (std::size_t i = 2; i < ready.size(); ++i) {
        EXPECT_EQ(ready[i].second, Ready::Renewed);
        EXPECT_TRUE(followedOverANewOne) << "a renewal nobody asked for";
    }
    if (!followedOverANewOne) {
        EXPECT_EQ(connectionIndex(), replaced);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return capture->running()
                                             && captureClients() == std::vector<std::uint32_t>{connectionIndex()}; },
                                10000))
        << "the stream is made again on the connection gone back to";
    EXPECT_TRUE(framesFlow());
    EXPECT_EQ(events.count(AudioSystemEvent::Lost), 0);
    EXPECT_EQ(events.count(AudioSystemEvent::Reconnected), 0);
    EXPECT_EQ(log.count(QStringLiteral("lost the sound server")), 0);
}

// Without a capture, a registered listener (the panel is linked) keeps
// watch with a question every few seconds.
TEST_F(SharedConnectionTest, IdleServerThatStopsIsLostWithoutACaptureWhileAListenerIsRegistered)
{
    const AudioObjectID quorelOut = findByName(*system, AudioScope::Output, "Quorel IIS Audio");
    ListenerLog listener;
    ASSERT_EQ(system->addVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &listener), AudioStatus::Ok);
    // Linked and settled: the listener has heard of its device.
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("quorel_out"), QStringLiteral("30%")}), 0);
    ASSERT_TRUE(listener.waitForScalar(0.3f));
    const pid_t server = daemon.serverPid();
    ASSERT_GT(server, 0);

    LogCapture log;
    ASSERT_EQ(::kill(server, SIGSTOP), 0);
    const bool lost = QTest::qWaitFor([&] { return events.count(AudioSystemEvent::Lost) > 0; }, 20000);
    ::kill(server, SIGCONT);
    ASSERT_TRUE(lost);
    EXPECT_EQ(log.count(QStringLiteral("did not answer within 2000 ms")), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.count(AudioSystemEvent::Reconnected) == 1; }, 15000));
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("quorel_out"), QStringLiteral("45%")}), 0);
    EXPECT_TRUE(listener.waitForScalar(0.45f)) << "the listener follows its device on the connection made again";
    EXPECT_EQ(system->removeVolumeListener(quorelOut, AudioScope::Output, ListenerLog::proc, &listener),
              AudioStatus::Ok);
}

// libpulse waits 30 s for the answer to a connection the server took; the
// panel gives such an attempt up after its bound and makes a fresh one.
TEST_F(SharedConnectionTest, AConnectionTakenButNeverAnsweredIsGivenUpAfterTheBoundAndMadeAgain)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const SilentSocket silent(dir.filePath(QStringLiteral("native")));
    ASSERT_TRUE(silent.listening());
    const ServerAddress address(QStringLiteral("unix:") + dir.filePath(QStringLiteral("native")));
    LogCapture log;
    PulseAudioSystem held(500ms, 100ms);
    EXPECT_FALSE(held.isConnected());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return log.count(QStringLiteral("took the connection but did not answer within 500 ms")) == 1; }, 5000));
    ASSERT_TRUE(silent.leadTo(daemon.server().mid(QStringLiteral("unix:").size())));
    EXPECT_TRUE(held.connection()->waitForConnection(5000ms));
}

} // namespace
