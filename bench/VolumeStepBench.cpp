// The main thread's time for one Speaker step on a private sound server:
// sent to the followed default without waiting, beside the peer it
// replaced (read the default, look for its volume and set it, each waited
// for), against a server that answers and one that has stopped answering.
// Prints the figures; times belong here, not in the tests.
#include "PulseDaemon.h"

#include "audio/PulseAudioSystem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr int kSteps = 50;

int waitedStep(AudioSystem& audio, float scalar)
{
    AudioObjectID device = kAudioObjectUnknown;
    if (const int status = audio.defaultDevice(AudioScope::Output, device); status != AudioStatus::Ok)
        return status;
    if (!audio.hasMainVolume(device, AudioScope::Output))
        return AudioStatus::NoMainVolume;
    return audio.setVolumeScalar(device, AudioScope::Output, scalar);
}

// Median and longest time of `steps` calls of `step`, in ms.
void measure(const char* what, int steps, const std::function<int(float)>& step)
{
    std::vector<double> times;
    int failed = 0;
    for (int i = 0; i < steps; ++i) {
        QElapsedTimer clock;
        clock.start();
        failed += step(static_cast<float>(20 + i % 60) / 100.0f) != AudioStatus::Ok ? 1 : 0;
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-52s %3d steps: median %8.3f ms, longest %8.1f ms, %d failed\n", what, steps,
                times[times.size() / 2], times.back(), failed);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    PulseDaemon daemon;
    if (!daemon.start()) {
        std::fprintf(stderr, "the private sound server did not start\n");
        return 1;
    }
    std::printf("Speaker step on the main thread, on %s (request bound 2000 ms). Goal: well under a\n"
                "millisecond whatever the server does.\n",
                qPrintable(daemon.kindName()));
    PulseAudioSystem audio(2000ms, 100ms);
    for (int i = 0; i < 100 && audio.followedDefault(AudioScope::Output) == kAudioObjectUnknown; ++i)
        QThread::msleep(10);
    const auto sent = [&](float scalar) { return audio.sendDefaultVolume(AudioScope::Output, scalar); };
    const auto waited = [&](float scalar) { return waitedStep(audio, scalar); };

    measure("answering server, sent without waiting", kSteps, sent);
    measure("answering server, waited for (the peer)", kSteps, waited);

    const pid_t pid = daemon.serverPid();
    ::kill(pid, SIGSTOP);
    measure("stopped server, sent without waiting", kSteps, sent);
    // The first waited step meets the bound; the backend then counts the
    // server as gone and fails the next ones at once.
    measure("stopped server, waited for (the peer), first step", 1, waited);
    ::kill(pid, SIGCONT);
    return 0;
}
