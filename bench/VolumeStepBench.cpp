// The main thread's time for one Speaker step on a private sound server:
// sent to the followed default without waiting, beside a request to set
// the followed default's volume (the link's way, answered later: the call's
// own time, and how long its answer took while the event loop turned),
// against a server that answers and one that has stopped answering.
// Prints the figures; times belong here, not in the tests.
#include "PulseDaemon.h"

#include "audio/PulseAudioSystem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr int kSteps = 50;

double elapsedMs(const QElapsedTimer& clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void print(const char* what, std::vector<double> times, int failed)
{
    std::sort(times.begin(), times.end());
    std::printf("%-58s %3zu steps: median %8.3f ms, longest %8.1f ms, %d failed\n", what, times.size(),
                times[times.size() / 2], times.back(), failed);
}

float stepScalar(int i)
{
    return static_cast<float>(20 + i % 60) / 100.0f;
}

void measureSent(const char* what, int steps, PulseAudioSystem& audio)
{
    std::vector<double> times;
    int failed = 0;
    for (int i = 0; i < steps; ++i) {
        QElapsedTimer clock;
        clock.start();
        failed += audio.sendDefaultVolume(AudioScope::Output, stepScalar(i)) != AudioStatus::Ok ? 1 : 0;
        times.push_back(elapsedMs(clock));
    }
    print(what, std::move(times), failed);
}

// The call's time and, separately, its answer's.
void measureRequested(const char* what, int steps, PulseAudioSystem& audio)
{
    std::vector<double> calls;
    std::vector<double> answers;
    int failed = 0;
    for (int i = 0; i < steps; ++i) {
        const AudioObjectID device = audio.followedDefault(AudioScope::Output);
        QElapsedTimer clock;
        clock.start();
        int status = -1;
        QEventLoop loop;
        audio.requestVolumeScalar(device, AudioScope::Output, stepScalar(i), [&](int answered) {
            status = answered;
            loop.quit();
        });
        calls.push_back(elapsedMs(clock));
        if (status == -1)
            loop.exec();
        answers.push_back(elapsedMs(clock));
        failed += status != AudioStatus::Ok ? 1 : 0;
    }
    print((std::string(what) + ", the call").c_str(), std::move(calls), 0);
    print((std::string(what) + ", its answer").c_str(), std::move(answers), failed);
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
    measureSent("answering server, sent without waiting", kSteps, audio);
    measureRequested("answering server, requested", kSteps, audio);

    const pid_t pid = daemon.serverPid();
    ::kill(pid, SIGSTOP);
    measureSent("stopped server, sent without waiting", kSteps, audio);
    // The first request's answer comes at the bound; the backend then counts
    // the server as gone and answers the next ones at once.
    measureRequested("stopped server, requested, first step", 1, audio);
    ::kill(pid, SIGCONT);
    return 0;
}
