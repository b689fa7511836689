#include "spectrum/PulseCaptureEngine.h"
#include "spectrum/SpectrumViewController.h"

#include "controls/ImageView.h"
#include "spectrum/data_trans.h"

#include "LogCapture.h"
#include "PulseDaemon.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <set>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Captures from the private sound server, whose default input is made the
// device's source: what a tone plays into the device's sink comes back there.
class SpectrumCaptureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        daemon = std::make_unique<PulseDaemon>();
        ASSERT_TRUE(daemon->start());
        ASSERT_EQ(daemon->pactl({QStringLiteral("set-default-source"), QStringLiteral("quorel_in")}), 0);
    }
    static void TearDownTestSuite() { daemon.reset(); }

    void SetUp() override
    {
        if (!daemon->running()) {
            ASSERT_TRUE(daemon->start());
            ASSERT_EQ(daemon->pactl({QStringLiteral("set-default-source"), QStringLiteral("quorel_in")}), 0);
        }
    }
    void TearDown() override { stopTone(); }

    // A continuous sine into the device's sink until stopTone().
    void playTone(double frequency)
    {
        tone = std::make_unique<QProcess>();
        tone->start(QStringLiteral("gst-launch-1.0"),
                    {QStringLiteral("-q"), QStringLiteral("audiotestsrc"), QStringLiteral("is-live=true"),
                     QStringLiteral("freq=%1").arg(frequency), QStringLiteral("volume=0.5"), QStringLiteral("!"),
                     QStringLiteral("audio/x-raw,format=S16LE,rate=48000,channels=2"), QStringLiteral("!"),
                     QStringLiteral("pulsesink"), QStringLiteral("device=quorel_out"),
                     QStringLiteral("buffer-time=40000"), QStringLiteral("latency-time=10000")});
        ASSERT_TRUE(tone->waitForStarted(5000));
        // Capture starts on a steady tone: wait until the input carries it.
        std::atomic<int> peak{0};
        PulseCaptureEngine listener;
        listener.installTap(3840, CaptureFormat{}, [&](const CaptureBuffer* buffer) {
            for (std::int32_t i = 0; i < buffer->frameLength * 2; ++i)
                peak = std::max<int>(peak, std::abs(buffer->int16ChannelData[i]));
        });
        ASSERT_TRUE(listener.start());
        ASSERT_TRUE(QTest::qWaitFor([&] { return peak.load() > 8000; }, 5000));
        listener.stop();
    }
    void stopTone()
    {
        if (!tone)
            return;
        tone->kill();
        tone->waitForFinished(2000);
        tone.reset();
    }
    // The spectrum's capture streams on the server, by the stream's name
    // (the servers differ in how they list their own internal streams).
    static int sourceOutputs(QString* lines = nullptr)
    {
        QString out;
        daemon->pactl({QStringLiteral("list"), QStringLiteral("source-outputs")}, &out);
        QStringList streams;
        for (const QString& block : out.split(QStringLiteral("Source Output #"), Qt::SkipEmptyParts)) {
            if (block.contains(QStringLiteral("media.name = \"Spectrum\"")))
                streams.append(block);
        }
        if (lines)
            *lines = streams.join(u'\n');
        return static_cast<int>(streams.size());
    }

    static std::unique_ptr<PulseDaemon> daemon;
    std::unique_ptr<QProcess> tone;
};
std::unique_ptr<PulseDaemon> SpectrumCaptureTest::daemon;

// The level a bar shows, from the image it shows (0 for none).
int shownLevel(const ImageView* bar, const QList<NamedImage>& images)
{
    for (int i = 0; i < images.size(); ++i) {
        if (bar->image() == images[i])
            return i + 1;
    }
    return 0;
}

TEST_F(SpectrumCaptureTest, EngineDeliversTheDefaultInputOnItsOwnThreadUntilTheTapIsRemoved)
{
    PulseCaptureEngine engine;
    std::mutex mutex;
    std::set<QThread*> threads;
    std::int32_t largest = 0;
    std::atomic<std::int64_t> frames{0};
    engine.installTap(3840, CaptureFormat{48000.0, 2}, [&](const CaptureBuffer* buffer) {
        const std::lock_guard guard(mutex);
        threads.insert(QThread::currentThread());
        largest = std::max(largest, buffer->frameLength);
        frames += buffer->frameLength;
    });
    ASSERT_TRUE(engine.start());
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.running(); }, 5000));
    QString outputs;
    EXPECT_EQ(sourceOutputs(&outputs), 1);
    EXPECT_TRUE(outputs.contains(QStringLiteral("s16le 2ch 48000Hz"))) << outputs.toStdString();

    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.load() >= 48000 / 2; }, 3000));
    engine.removeTap();
    const std::int64_t afterRemoval = frames.load();
    QTest::qWait(200);
    EXPECT_EQ(frames.load(), afterRemoval);
    {
        const std::lock_guard guard(mutex);
        EXPECT_LE(largest, 3840);
        EXPECT_GT(largest, 0);
        EXPECT_EQ(threads.count(QThread::currentThread()), 0u);
    }
    engine.stop();
    EXPECT_FALSE(engine.running());
    EXPECT_TRUE(QTest::qWaitFor([] { return sourceOutputs() == 0; }, 2000));
}

TEST_F(SpectrumCaptureTest, BarsFollowAToneWithinHalfASecondOfStart)
{
    constexpr int kBar = 10; // bar j shows j * 920 Hz
    playTone(kBar * 920.0);

    SpectrumViewController controller;
    QElapsedTimer sinceStart;
    sinceStart.start();
    controller.Start();
    const auto level = [&](const QList<ImageView*>& bars, const QList<NamedImage>& images, int j) {
        return shownLevel(bars[j], images);
    };
    const bool high = QTest::qWaitFor(
        [&] {
            return level(controller.upView(), controller.upImages(), kBar) >= 7
                && level(controller.downView(), controller.downImages(), kBar) >= 7;
        },
        500);
    const qint64 elapsed = sinceStart.elapsed();
    EXPECT_TRUE(high) << "after " << elapsed << " ms";
    // Onsets and the zero padding of short drains spread some energy over
    // every bin, and a bar keeps its last non-zero level: far bars stay low.
    QTest::qWait(300);
    for (const int far : {0, 1, 2, 3, 4, 5, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25}) {
        EXPECT_LE(level(controller.upView(), controller.upImages(), far), 4) << "up bar " << far;
        EXPECT_LE(level(controller.downView(), controller.downImages(), far), 4) << "down bar " << far;
    }

    controller.Stop();
    EXPECT_TRUE(QTest::qWaitFor([] { return sourceOutputs() == 0; }, 2000));
}

// A server that accepts the connection and never answers must not hold the
// caller: start() and stop() return at once (libpulse's own bound is 30 s).
TEST_F(SpectrumCaptureTest, StartAndStopReturnAtOnceAgainstAServerThatNeverAnswers)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("native")));
    const int silent = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ASSERT_GE(silent, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(silent, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent, 4), 0);
    int accepted = -1;
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", QByteArrayLiteral("unix:") + path);
    {
        PulseCaptureEngine engine;
        engine.installTap(3840, CaptureFormat{}, [](const CaptureBuffer*) {});
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(engine.start());
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_TRUE(QTest::qWaitFor([&] { return (accepted = ::accept(silent, nullptr, nullptr)) >= 0; }, 5000))
            << "it did connect";
        EXPECT_FALSE(engine.running());
        clock.restart();
        engine.stop();
        EXPECT_LT(clock.elapsed(), 1000);
    }
    qputenv("PULSE_SERVER", server);
    if (accepted >= 0)
        ::close(accepted);
    ::close(silent);
}

// Capture comes back on its own after the server was killed, three times in
// a row, and what is played into the device reaches the tap again; each
// outage is logged once.
TEST_F(SpectrumCaptureTest, CaptureResumesOnItsOwnAfterEachServerRestart)
{
    LogCapture log;
    std::atomic<int> peak{0};
    PulseCaptureEngine engine;
    engine.installTap(3840, CaptureFormat{}, [&](const CaptureBuffer* buffer) {
        for (std::int32_t i = 0; i < buffer->frameLength * 2; ++i)
            peak = std::max<int>(peak, std::abs(buffer->int16ChannelData[i]));
    });
    ASSERT_TRUE(engine.start());
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.running(); }, 5000));

    for (int restart = 1; restart <= 3; ++restart) {
        daemon->stop(true);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !engine.running(); }, 5000)) << restart;
        QTest::qWait(300); // a retry or two find no server
        ASSERT_TRUE(daemon->start()) << restart;
        ASSERT_EQ(daemon->pactl({QStringLiteral("set-default-source"), QStringLiteral("quorel_in")}), 0);
        QElapsedTimer sinceReturn;
        sinceReturn.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine.running(); }, 10000)) << restart;
        EXPECT_LT(sinceReturn.elapsed(), 2000) << "capture back " << sinceReturn.elapsed() << " ms after the server";

        peak = 0;
        playTone(1000.0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return peak.load() > 8000; }, 5000)) << restart;
        stopTone();
        EXPECT_EQ(log.count(QStringLiteral("trying again until it works")), restart);
        EXPECT_EQ(log.count(QStringLiteral("capturing the default input again")), restart);
    }
    engine.stop();
    EXPECT_TRUE(QTest::qWaitFor([] { return sourceOutputs() == 0; }, 2000));
}

// The controller's Stop while the server is gone ends the retries too.
TEST_F(SpectrumCaptureTest, StopWhileTheServerIsGoneEndsCapture)
{
    LogCapture log;
    SpectrumViewController controller;
    controller.Start();
    ASSERT_NE(controller.engine(), nullptr);
    daemon->stop(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.count(QStringLiteral("trying again until it works")) == 1; }, 3000));
    controller.Stop();
    EXPECT_EQ(controller.engine(), nullptr);
    ASSERT_TRUE(daemon->start());
    QTest::qWait(2 * PulseCaptureEngine::kRetryIntervalMs);
    EXPECT_EQ(sourceOutputs(), 0);
}

} // namespace
