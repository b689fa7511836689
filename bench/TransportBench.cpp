// Recording start, stop and finish times of the GStreamer recorder on a
// private sound server, for the first take in a process prepared as the
// save panel opened (as the panel does), the first take in a process that
// was not, and the takes after them. Prints the figures; times belong here, not in the tests.
//
// Each kind of process is this program run again with --takes MODE, so
// each first take meets GStreamer as fresh as after a launch.
#include "MediaFiles.h"
#include "PulseDaemon.h"

#include "transport/GstRecorder.h"
#include "transport/GstSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kTakes = 4;

void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool runUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition() && waited.elapsed() < timeoutMs)
        runEventLoop(5);
    return condition();
}

struct Finished final : AudioRecorderDelegate {
    bool finished = false;
    void audioRecorderEncodeErrorDidOccur(AudioRecorder*, const QString& error) override
    {
        std::fprintf(stderr, "recording failed: %s\n", qPrintable(error));
    }
    void audioRecorderDidFinishRecording(AudioRecorder*, bool, const QString&) override { finished = true; }
};

// One process's takes: a chirp plays into the device, a reference capture
// marks each confirm, and each take is placed in the reference.
int takes(bool prepared)
{
    if (prepared)
        prepareGstreamer();
    QTemporaryDir dir;
    const QString chirpFile = dir.filePath("chirp.wav");
    media::writeWav(chirpFile, media::chirp(60.0));
    media::ReferenceCapture reference("quorel_in");
    QProcess sound;
    sound.start("paplay", {"--device=quorel_out", "--latency-msec=10", chirpFile});
    if (!reference.running() || !sound.waitForStarted(5000))
        return 1;
    runEventLoop(1500); // the save panel shows; the user names the file

    const char* mode = prepared ? "prepared at the panel" : "not prepared";
    for (int take = 1; take <= kTakes; ++take) {
        const QString file = dir.filePath(QStringLiteral("take%1.aac").arg(take));
        Finished heard;
        const long long confirmedAt = reference.frames();
        QElapsedTimer clock;
        clock.start();
        auto recorder = GstRecorder::create(file, RecorderSettings{});
        if (!recorder)
            return 1;
        recorder->setDelegate(&heard);
        recorder->record();
        const double startCallMs = double(clock.nsecsElapsed()) / 1e6;
        if (!runUntil([&] { return recorder->currentTime() > 0; }, 10000))
            return 1;
        const double firstFrameMs = double(clock.nsecsElapsed()) / 1e6;
        runEventLoop(1500);

        clock.restart();
        recorder->stop();
        const double stopCallMs = double(clock.nsecsElapsed()) / 1e6;
        if (!runUntil([&] { return heard.finished; }, 10000))
            return 1;
        const double finishMs = double(clock.nsecsElapsed()) / 1e6;

        const media::Decoded decoded = media::decode(file);
        const long long startedAt = media::recordingStartIn(reference.left(), decoded.left);
        std::printf("%-20s take %d: began %6.1f ms after the confirm, first frame in the file after %6.1f ms; "
                    "record() %5.2f ms, stop() %5.2f ms, file closed %5.1f ms after stop()\n",
                    mode, take, double(startedAt - confirmedAt) / 48.0, firstFrameMs, startCallMs, stopCallMs,
                    finishMs);
        std::fflush(stdout);
        runEventLoop(300);
    }
    sound.kill();
    sound.waitForFinished(3000);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == "--takes")
        return takes(arguments[2] == "prepared");

    PulseDaemon daemon;
    if (!daemon.start() || daemon.pactl({"set-default-source", "quorel_in"}) != 0) {
        std::fprintf(stderr, "the private sound server did not start\n");
        return 1;
    }
    std::printf("Recorder start latency: from the confirm to the first recorded sample (by cross-correlation\n"
                "against a reference capture of the same input; the server hands a new stream a little of what\n"
                "it already captured, so it can come out below zero) and to the first AAC frame in the file;\n"
                "the main thread's time in record() and stop(). Goal: under 100 ms from the confirm, well under\n"
                "a millisecond on the main thread.\n");
    std::fflush(stdout);
    int failures = 0;
    for (const char* mode : {"prepared", "cold"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"--takes", mode});
        if (!child.waitForFinished(120000) || child.exitCode() != 0)
            ++failures;
    }
    return failures;
}
