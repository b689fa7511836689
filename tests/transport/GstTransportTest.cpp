// The GStreamer player and recorder against a private PulseAudio server,
// with real files made and checked by GStreamer.
#include "MediaFiles.h"

#include "LogCapture.h"
#include "PulseDaemon.h"
#include "transport/GstPlayer.h"
#include "transport/GstRecorder.h"
#include "transport/GstTransportFactory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/stat.h>
#include <memory>

namespace {

struct DelegateLog final : AudioPlayerDelegate {
    int finished = 0;
    int failed = 0;
    bool successfully = false;
    QString error;
    AudioPlayer* sender = nullptr;
    void audioPlayerDidFinishPlaying(AudioPlayer* player, bool ok) override
    {
        ++finished;
        successfully = ok;
        sender = player;
    }
    void audioPlayerDecodeErrorDidOccur(AudioPlayer* player, const QString& text) override
    {
        ++failed;
        error = text;
        sender = player;
    }
};

struct RecorderLog final : AudioRecorderDelegate {
    int failed = 0;
    QString error;
    int finished = 0;
    bool successfully = false;
    void audioRecorderEncodeErrorDidOccur(AudioRecorder*, const QString& text) override
    {
        ++failed;
        error = text;
    }
    void audioRecorderDidFinishRecording(AudioRecorder*, bool ok, const QString&) override
    {
        ++finished;
        successfully = ok;
    }
};

// Runs the event loop until `condition` holds or `timeoutMs` passed.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

class GstTransportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        daemon = new PulseDaemon();
        ASSERT_TRUE(daemon->start());
        files = new QTemporaryDir();
    }
    static void TearDownTestSuite()
    {
        delete files;
        delete daemon;
    }
    void SetUp() override
    {
        ASSERT_TRUE(daemon->running());
        ASSERT_EQ(daemon->pactl({"set-default-source", "quorel_in"}), 0);
    }
    void TearDown() override
    {
        if (tone.state() != QProcess::NotRunning) {
            tone.kill();
            tone.waitForFinished(3000);
        }
    }

    static QString path(const QString& name) { return files->filePath(name); }

    // A tone into the device's output, which its input captures. The
    // loopback only carries data while something plays, so wait for it.
    // Not a live source: after the server stalls, a live one comes back
    // late and glitches every few hundred ms for seconds, while this one
    // is whole again at once.
    void startTone(int frequency = 1000)
    {
        tone.start("gst-launch-1.0", {"-q", "audiotestsrc", QStringLiteral("freq=%1").arg(frequency),
                                      "volume=0.5", "!", "pulsesink", "device=quorel_out"});
        ASSERT_TRUE(tone.waitForStarted(5000));
        QElapsedTimer waited;
        waited.start();
        QString inputs;
        while (inputs.trimmed().isEmpty() && waited.elapsed() < 10000) {
            QTest::qWait(50);
            daemon->pactl({"list", "short", "sink-inputs"}, &inputs);
        }
        ASSERT_FALSE(inputs.trimmed().isEmpty()) << "the tone never reached the server";
        // The new stream pre-buffers before the sink renders it.
        QTest::qWait(1000);
    }

    std::unique_ptr<GstRecorder> makeRecorder(const QString& file, RecorderLog* log = nullptr)
    {
        QString error;
        auto recorder = GstRecorder::create(file, RecorderSettings{}, &error);
        EXPECT_TRUE(recorder) << qPrintable(error);
        if (recorder)
            recorder->setDelegate(log ? log : &recorded);
        return recorder;
    }

    // Stops and waits until the file is closed. Stopping itself returns at
    // once: the file is finished in the background.
    void finish(GstRecorder& recorder, RecorderLog* log = nullptr)
    {
        RecorderLog& heard = log ? *log : recorded;
        const int before = heard.finished;
        recorder.stop();
        ASSERT_TRUE(waitUntil([&] { return heard.finished == before + 1; }, 2 * GstRecorder::kDrainTimeoutMs))
            << "the file was never closed";
    }

    // Recording starts when the first frame is written; timing from there
    // keeps the server's start-up out of the figures.
    static void waitForFirstFrame(const AudioRecorder& recorder)
    {
        QElapsedTimer waited;
        waited.start();
        while (recorder.currentTime() == 0 && waited.elapsed() < 5000)
            QTest::qWait(5);
        ASSERT_GT(recorder.currentTime(), 0) << "nothing was recorded";
    }

    std::unique_ptr<GstPlayer> makePlayer(const QString& file)
    {
        QString error;
        auto player = GstPlayer::create(QUrl::fromLocalFile(file), &error);
        EXPECT_TRUE(player) << qPrintable(file) << ": " << qPrintable(error);
        return player;
    }

    inline static PulseDaemon* daemon = nullptr;
    inline static QTemporaryDir* files = nullptr;
    QProcess tone;
    RecorderLog recorded;
};

TEST_F(GstTransportTest, RecordsTheInputAsAdtsAacAt48kStereo)
{
    startTone(1000);
    const QString file = path("take.aac");
    auto recorder = makeRecorder(file);
    ASSERT_TRUE(recorder);
    EXPECT_FALSE(recorder->isRecording());
    ASSERT_TRUE(recorder->record());
    EXPECT_TRUE(recorder->isRecording());
    waitForFirstFrame(*recorder);
    QTest::qWait(3000);
    EXPECT_NEAR(recorder->currentTime(), 3.0, 0.3);
    finish(*recorder);
    EXPECT_TRUE(recorded.successfully);
    EXPECT_EQ(recorded.failed, 0);
    EXPECT_FALSE(recorder->isRecording());

    const media::Discovered found = media::discover(file);
    ASSERT_TRUE(found.ok);
    EXPECT_TRUE(found.caps.startsWith("audio/mpeg")) << qPrintable(found.caps);
    EXPECT_TRUE(found.caps.contains("mpegversion=(int)4")) << qPrintable(found.caps);
    EXPECT_TRUE(found.caps.contains("stream-format=(string)adts")) << qPrintable(found.caps);
    EXPECT_EQ(found.sampleRate, 48000);
    EXPECT_EQ(found.channels, 2);
    EXPECT_NEAR(found.seconds, 3.0, 0.3);

    const media::Decoded decoded = media::decode(file);
    ASSERT_TRUE(decoded.ok);
    EXPECT_NEAR(decoded.seconds, 3.0, 0.3);
    EXPECT_GT(decoded.rms, 0.1);
    EXPECT_GT(decoded.share(1000), 0.9);
}

TEST_F(GstTransportTest, PausedTimeIsNeitherCountedNorWritten)
{
    startTone(500);
    const QString file = path("paused.aac");
    auto recorder = makeRecorder(file);
    ASSERT_TRUE(recorder);
    ASSERT_TRUE(recorder->record());
    waitForFirstFrame(*recorder);
    QTest::qWait(1000);

    recorder->pause();
    EXPECT_FALSE(recorder->isRecording());
    QTest::qWait(150); // frames still inside the encoder land now
    const double atPause = recorder->currentTime();
    QTest::qWait(1000);
    EXPECT_NEAR(recorder->currentTime(), atPause, 0.001);

    ASSERT_TRUE(recorder->record());
    EXPECT_TRUE(recorder->isRecording());
    QTest::qWait(1000);
    EXPECT_NEAR(recorder->currentTime(), 2.0, 0.3);
    finish(*recorder);

    const media::Decoded decoded = media::decode(file);
    ASSERT_TRUE(decoded.ok);
    EXPECT_NEAR(decoded.seconds, 2.0, 0.3);
    EXPECT_GT(decoded.share(500), 0.9);
    // A gap at the resume would show as silence there; the tone runs
    // through unbroken.
    EXPECT_GT(decoded.minimumWindowRms(atPause - 0.3, atPause + 0.3), 0.1);

    // Stopping again, or stopping while paused, is harmless.
    recorder->stop();
    auto second = makeRecorder(path("stopped-paused.aac"));
    ASSERT_TRUE(second);
    ASSERT_TRUE(second->record());
    waitForFirstFrame(*second);
    second->pause();
    finish(*second);
    EXPECT_TRUE(recorded.successfully);
    EXPECT_TRUE(media::decode(path("stopped-paused.aac")).ok);
}

TEST_F(GstTransportTest, RecorderRefusesWhatItCannotWrite)
{
    QString error;
    EXPECT_FALSE(GstRecorder::create(path("no/such/dir/take.aac"), RecorderSettings{}, &error));
    EXPECT_FALSE(error.isEmpty());

    RecorderSettings pcm;
    pcm.formatID = 0x6C70636D; // 'lpcm'
    error.clear();
    EXPECT_FALSE(GstRecorder::create(path("pcm.aac"), pcm, &error));
    EXPECT_FALSE(error.isEmpty());

    GstTransportFactory factory;
    error.clear();
    EXPECT_FALSE(factory.createRecorder(QUrl("http://example.org/take.aac"), RecorderSettings{}, &error));
    EXPECT_FALSE(error.isEmpty());

    // A FIFO or a device would block the writer or write elsewhere.
    const QString fifo = path("pipe.aac");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& location : {fifo, QStringLiteral("/dev/null"), files->path()}) {
        error.clear();
        EXPECT_FALSE(GstRecorder::create(location, RecorderSettings{}, &error)) << qPrintable(location);
        EXPECT_FALSE(error.isEmpty()) << qPrintable(location);
    }

    // Without an input, the recording fails once it starts, and a file
    // chosen to be replaced keeps what it held.
    QFile earlier(path("earlier.aac"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier take");
    earlier.close();
    daemon->stop();
    auto recorder = makeRecorder(path("earlier.aac"));
    ASSERT_TRUE(recorder);
    EXPECT_TRUE(recorder->record());
    const bool failed = waitUntil([&] { return recorded.failed == 1; });
    ASSERT_TRUE(daemon->start());
    EXPECT_TRUE(failed);
    EXPECT_FALSE(recorded.error.isEmpty());
    EXPECT_FALSE(recorder->isRecording());
    finish(*recorder);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("an earlier take"));
}

// The sound server goes away mid-recording: the source fails, the failure
// is logged, and stopping still closes a playable file.
TEST_F(GstTransportTest, InputLostMidRecordingStillLeavesAPlayableFile)
{
    startTone(1000);
    LogCapture log;
    const QString file = path("lost.aac");
    auto recorder = makeRecorder(file);
    ASSERT_TRUE(recorder);
    ASSERT_TRUE(recorder->record());
    waitForFirstFrame(*recorder);
    // Two seconds, so one glitch (the crash's cut at the end, or a gap of
    // the tone's player on a loaded machine) weighs little against the tone.
    QTest::qWait(2000);
    const double seconds = recorder->currentTime();
    daemon->stop(true);
    EXPECT_TRUE(waitUntil([&] { return recorded.failed == 1; }));
    EXPECT_EQ(log.count("recording into \"" + file + "\" failed"), 1);
    EXPECT_FALSE(recorder->isRecording());
    // Resuming after the failure is refused, not reported as recording.
    recorder->pause();
    EXPECT_FALSE(recorder->record());
    EXPECT_FALSE(recorder->isRecording());
    finish(*recorder);
    ASSERT_TRUE(daemon->start());
    EXPECT_EQ(recorded.failed, 1);

    const media::Decoded decoded = media::decode(file);
    ASSERT_TRUE(decoded.ok);
    EXPECT_NEAR(decoded.seconds, seconds, 0.3);
    EXPECT_GT(decoded.share(1000), 0.9);
}

// The sound server stalls for a second mid-recording, as on a loaded
// machine: the recording goes on without a failure and leaves a playable
// take with the tone in it.
TEST_F(GstTransportTest, AServerStallCostsTheTakeOnlyTheStall)
{
    startTone(1000);
    const QString file = path("stalled.aac");
    auto recorder = makeRecorder(file);
    ASSERT_TRUE(recorder);
    ASSERT_TRUE(recorder->record());
    waitForFirstFrame(*recorder);
    QTest::qWait(500);
    const pid_t server = daemon->serverPid();
    ASSERT_EQ(::kill(server, SIGSTOP), 0);
    QTest::qWait(1000);
    ASSERT_EQ(::kill(server, SIGCONT), 0);
    QTest::qWait(2500);
    EXPECT_TRUE(recorder->isRecording());
    finish(*recorder);
    EXPECT_TRUE(recorded.successfully);
    EXPECT_EQ(recorded.failed, 0);

    const media::Decoded decoded = media::decode(file);
    ASSERT_TRUE(decoded.ok);
    EXPECT_GT(decoded.share(1000), 0.9);
}

class GstPlayerFormats : public GstTransportTest, public ::testing::WithParamInterface<std::pair<const char*, const char*>> {
};

TEST_P(GstPlayerFormats, PlaysToTheEndAndReportsIt)
{
    const auto [name, encoder] = GetParam();
    const QString file = path(name);
    ASSERT_TRUE(media::writeTone(file, encoder, 1.0));
    auto player = makePlayer(file);
    ASSERT_TRUE(player);
    DelegateLog delegate;
    player->setDelegate(&delegate);
    EXPECT_FALSE(player->isPlaying());
    ASSERT_TRUE(player->play());
    EXPECT_TRUE(player->isPlaying());
    EXPECT_TRUE(waitUntil([&] { return delegate.finished == 1; }, 5000));
    EXPECT_TRUE(delegate.successfully);
    EXPECT_EQ(delegate.sender, player.get());
    EXPECT_EQ(delegate.failed, 0);
    EXPECT_FALSE(player->isPlaying());
    // The position stays at the end, where the clock keeps showing it.
    EXPECT_NEAR(player->currentTime(), 1.0, 0.15);
}

INSTANTIATE_TEST_SUITE_P(CommonFormats, GstPlayerFormats,
                         ::testing::Values(std::pair{"tone.wav", "wavenc"}, std::pair{"tone.flac", "flacenc"},
                                           std::pair{"tone.ogg", "vorbisenc ! oggmux"},
                                           std::pair{"tone.mp3", "lamemp3enc"},
                                           std::pair{"tone.aac", "avenc_aac ! aacparse ! audio/mpeg,stream-format=adts"}),
                         [](const auto& test) { return QString(test.param.first).replace('.', '_').toStdString(); });

TEST_F(GstTransportTest, PositionFollowsPlaybackAndHoldsWhilePaused)
{
    const QString file = path("long.wav");
    ASSERT_TRUE(media::writeTone(file, "wavenc", 3.0));
    auto player = makePlayer(file);
    ASSERT_TRUE(player);
    EXPECT_EQ(player->currentTime(), 0.0);
    // The test server's null sink takes its samples in uneven steps (more so
    // on a loaded machine), so the position is checked for moving and
    // holding rather than for its pace.
    ASSERT_TRUE(player->play());
    EXPECT_TRUE(waitUntil([&] { return player->currentTime() > 0.5; }, 5000));
    EXPECT_LT(player->currentTime(), 2.0);

    player->pause();
    EXPECT_FALSE(player->isPlaying());
    QTest::qWait(100);
    const double held = player->currentTime();
    QTest::qWait(500);
    EXPECT_NEAR(player->currentTime(), held, 0.02);

    ASSERT_TRUE(player->play());
    EXPECT_TRUE(player->isPlaying());
    EXPECT_TRUE(waitUntil([&] { return player->currentTime() > held + 0.3; }, 5000));
    player->stop();
    const double stoppedAt = player->currentTime();
    EXPECT_GT(stoppedAt, held);
    QTest::qWait(300);
    EXPECT_EQ(player->currentTime(), stoppedAt);
    EXPECT_FALSE(player->isPlaying());
}

// What is no file at all is refused at once; a file that is no audio
// fails in the background and reaches the delegate.
TEST_F(GstTransportTest, UnplayableLocationsAreRefusedOrReportedWithAReason)
{
    const QString fifo = path("pipe.wav");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& location : {files->path(), path("missing.wav"), fifo, QStringLiteral("/dev/zero")}) {
        QString error;
        EXPECT_FALSE(GstPlayer::create(QUrl::fromLocalFile(location), &error)) << qPrintable(location);
        EXPECT_FALSE(error.isEmpty()) << qPrintable(location);
    }

    const QString garbage = path("garbage.mp3");
    ASSERT_TRUE(media::writeGarbage(garbage));
    const QString whole = path("whole.ogg");
    ASSERT_TRUE(media::writeTone(whole, "vorbisenc ! oggmux", 1.0));
    const QString truncated = path("truncated.ogg");
    ASSERT_TRUE(media::writeTruncated(whole, truncated, 40));
    const QString text = path("notes.txt");
    QFile n(text);
    ASSERT_TRUE(n.open(QIODevice::WriteOnly));
    n.write("not audio at all\n");
    n.close();

    for (const QString& location : {garbage, truncated, text}) {
        auto player = makePlayer(location);
        ASSERT_TRUE(player);
        DelegateLog delegate;
        player->setDelegate(&delegate);
        EXPECT_TRUE(player->play());
        EXPECT_TRUE(waitUntil([&] { return delegate.failed == 1; }, 7000)) << qPrintable(location);
        EXPECT_FALSE(delegate.error.isEmpty()) << qPrintable(location);
        EXPECT_EQ(delegate.finished, 0) << qPrintable(location);
        EXPECT_FALSE(player->isPlaying()) << qPrintable(location);
        EXPECT_FALSE(player->play()) << "a failed player does not pretend to play again";
    }
}

// A source that never delivers (a server that accepts and never answers)
// and a huge file: opening, giving up at the bound and dropping the player
// all happen while the caller's event loop keeps turning.
TEST_F(GstTransportTest, SourcesThatDoNotPrerollNeverHoldTheCaller)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const QString huge = path("huge.mp3");
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(qint64(8) << 30)) << "no room for a sparse file here";
    file.close();

    for (const QUrl& location : {QUrl(QStringLiteral("http://127.0.0.1:%1/song.mp3").arg(silent.serverPort())),
                                 QUrl::fromLocalFile(huge)}) {
        media::StallMeter stalls;
        QString error;
        auto player = GstPlayer::create(location, &error, 1500);
        ASSERT_TRUE(player) << qPrintable(error);
        DelegateLog delegate;
        player->setDelegate(&delegate);
        EXPECT_TRUE(player->play());
        EXPECT_TRUE(waitUntil([&] { return delegate.failed == 1; }, 10000)) << qPrintable(location.toString());
        player.reset();
        QTest::qWait(200);
        EXPECT_LT(stalls.longest(), media::kResponsiveMs) << qPrintable(location.toString());
    }
}

// The output goes away mid-stream (the sound server dies): the failure
// reaches the delegate once.
TEST_F(GstTransportTest, FailureWhilePlayingReachesTheDelegate)
{
    const QString file = path("interrupted.wav");
    ASSERT_TRUE(media::writeTone(file, "wavenc", 3.0));
    auto player = makePlayer(file);
    ASSERT_TRUE(player);
    DelegateLog delegate;
    player->setDelegate(&delegate);
    LogCapture log;
    ASSERT_TRUE(player->play());
    QTest::qWait(300);
    daemon->stop(true);

    EXPECT_TRUE(waitUntil([&] { return delegate.failed == 1; }));
    ASSERT_TRUE(daemon->start());
    EXPECT_EQ(delegate.finished, 0);
    EXPECT_EQ(delegate.sender, player.get());
    EXPECT_FALSE(delegate.error.isEmpty());
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(log.count("playing \"" + file + "\" failed"), 1);
    QTest::qWait(200);
    EXPECT_EQ(delegate.failed, 1);
}

// A player dropped while its notifications are still queued reports nothing.
TEST_F(GstTransportTest, DroppedPlayerReportsNothing)
{
    const QString file = path("short.wav");
    ASSERT_TRUE(media::writeTone(file, "wavenc", 0.2));
    DelegateLog delegate;
    {
        auto player = makePlayer(file);
        ASSERT_TRUE(player);
        player->setDelegate(&delegate);
        ASSERT_TRUE(player->play());
        QThread::msleep(600); // the end arrives, its hand-off waits in the queue
    }
    QTest::qWait(300);
    EXPECT_EQ(delegate.finished, 0);
    EXPECT_EQ(delegate.failed, 0);
}

// The disk fills up mid-recording: the recording stops, the clock holds
// what reached the disk, and the file ends on a whole frame. Needs a small
// filesystem of its own, so it runs where mounting is allowed (root in CI).
TEST_F(GstTransportTest, DiskFullEndsTheRecordingWithAPlayableFile)
{
    media::SmallFilesystem disk(48 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << qPrintable(disk.why());

    startTone(1000);
    LogCapture log;
    const QString file = disk.filePath("full.aac");
    auto recorder = makeRecorder(file);
    ASSERT_TRUE(recorder);
    ASSERT_TRUE(recorder->record());
    ASSERT_TRUE(waitUntil([&] { return recorded.failed == 1; }, 20000)) << "the full disk was never reported";
    EXPECT_TRUE(recorded.error.contains("No space left")) << qPrintable(recorded.error);
    EXPECT_EQ(log.count("recording into \"" + file + "\" failed"), 1);
    EXPECT_FALSE(recorder->isRecording());
    const double counted = recorder->currentTime();
    QTest::qWait(300);
    EXPECT_EQ(recorder->currentTime(), counted) << "the clock counts only what was written";
    finish(*recorder);

    const media::Decoded decoded = media::decode(file);
    ASSERT_TRUE(decoded.ok);
    EXPECT_NEAR(decoded.seconds, counted, 0.05);
    EXPECT_GT(decoded.share(1000), 0.9);

    // On a disk that is full already, nothing is counted at all.
    RecorderLog second;
    auto again = makeRecorder(disk.filePath("again.aac"), &second);
    ASSERT_TRUE(again);
    ASSERT_TRUE(again->record());
    ASSERT_TRUE(waitUntil([&] { return second.failed == 1; }, 10000));
    EXPECT_EQ(again->currentTime(), 0.0);
    finish(*again, &second);
}

// The device's input goes away mid-recording (its source is removed): the
// failure reaches the delegate and the file keeps what was captured.
TEST_F(GstTransportTest, SourceRemovedMidRecordingIsReportedAndLeavesAPlayableFile)
{
    startTone(1000);
    const QString file = path("removed.aac");
    auto recorder = makeRecorder(file);
    ASSERT_TRUE(recorder);
    ASSERT_TRUE(recorder->record());
    waitForFirstFrame(*recorder);
    QTest::qWait(1000);

    QString modules;
    daemon->pactl({"list", "short", "modules"}, &modules);
    QString remap;
    for (const QString& line : modules.split('\n'))
        if (line.contains("source_name=quorel_in"))
            remap = line.section('\t', 0, 0);
    ASSERT_FALSE(remap.isEmpty()) << qPrintable(modules);
    ASSERT_EQ(daemon->pactl({"unload-module", remap}), 0);
    // The server moves the stream to another input; recording on from
    // there would be the silent failure.
    const bool reported = waitUntil([&] { return recorded.failed == 1; }, 10000);
    const double recordedSeconds = recorder->currentTime();
    finish(*recorder);
    ASSERT_EQ(daemon->pactl({"load-module", "module-remap-source", "master=quorel_out.monitor", "source_name=quorel_in",
                             "rate=48000"}),
              0);
    EXPECT_TRUE(reported) << "the lost input was never reported";
    EXPECT_TRUE(recorded.error.contains("quorel_in")) << qPrintable(recorded.error);

    const media::Decoded decoded = media::decode(file);
    ASSERT_TRUE(decoded.ok);
    EXPECT_GT(decoded.seconds, 0.9);
    EXPECT_NEAR(decoded.seconds, recordedSeconds, 0.1);
}

} // namespace
