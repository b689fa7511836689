// Cost of one whole display tick on the main thread: drain the pool, analyse
// the block, set the changed bars and repaint them into the window's backing
// store (Qt's offscreen platform), beside the analysis alone on the same
// blocks. Prints each input's tick cost over its analysis cost: what the
// tick adds on top of the analysis.
#include "spectrum/SpectrumData.h"
#include "spectrum/SpectrumViewController.h"

#include "FakeCaptureEngine.h"
#include "SpectrumSignals.h"
#include "TimesReporter.h"

#include <QApplication>
#include <QFrame>
#include <QVBoxLayout>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kFrames = 2400;
constexpr std::int32_t kBytes = kFrames * 4;
constexpr int kBlocks = 32;

enum class Input { Silence, Tone, Noise };

// Successive blocks of one input, as the capture would deliver them.
const std::vector<std::vector<std::int16_t>>& blocks(Input input)
{
    static std::map<Input, std::vector<std::vector<std::int16_t>>> made;
    auto& out = made[input];
    if (!out.empty())
        return out;
    std::uint32_t seed = 11;
    for (int i = 0; i < kBlocks; ++i) {
        switch (input) {
        case Input::Silence:
            out.push_back(testsignal::constant(kFrames, 0, 0));
            break;
        case Input::Tone:
            out.push_back(testsignal::tones(std::int64_t{i} * kFrames, kFrames, 4600, 16000, 4600, 16000));
            break;
        case Input::Noise:
            out.push_back(testsignal::noise(seed, kFrames, 8000));
            break;
        }
    }
    return out;
}

// The bars in a translucent rounded frame of a window, as in the panel.
struct Scene {
    Scene()
        : journal(std::make_shared<FakeCaptureEngine::Journal>())
        , spectrum(FakeCaptureEngine::factory(journal))
    {
        window.resize(860, 260);
        window.setStyleSheet(QStringLiteral(
            "QWidget#window { background: #23282e; }"
            "QFrame { background: rgba(0, 0, 0, 70); border: 1px solid rgba(255, 255, 255, 18); border-radius: 12px; }"));
        window.setObjectName(QStringLiteral("window"));
        auto* outer = new QVBoxLayout(&window);
        auto* frame = new QFrame;
        outer->addWidget(frame);
        auto* inner = new QVBoxLayout(frame);
        inner->setContentsMargins(0, 0, 0, 0);
        inner->addWidget(spectrum.view());
        window.show();
        while (!window.windowHandle() || !window.windowHandle()->isExposed())
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        spectrum.Start();
    }
    ~Scene() { spectrum.Stop(); }

    // What the capture thread and the display timer do in 50 ms, then the
    // window's update cycle.
    void tick(const std::vector<std::int16_t>& block)
    {
        journal->current->capture(block);
        spectrum.OnTimer();
        QCoreApplication::sendPostedEvents();
    }

    std::shared_ptr<FakeCaptureEngine::Journal> journal;
    SpectrumViewController spectrum;
    QWidget window;
};

void BM_Tick(benchmark::State& state, Input input)
{
    Scene scene;
    const auto& in = blocks(input);
    std::size_t i = 0;
    for (auto _ : state) {
        scene.tick(in[i]);
        i = (i + 1) % in.size();
    }
}
BENCHMARK_CAPTURE(BM_Tick, silence, Input::Silence)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Tick, tone, Input::Tone)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Tick, noise, Input::Noise)->Unit(benchmark::kMicrosecond);

void BM_Analysis(benchmark::State& state, Input input)
{
    SpectrumData analysis;
    std::array<std::int32_t, SpectrumData::kBars> up{}, down{};
    const auto& in = blocks(input);
    std::size_t i = 0;
    for (auto _ : state) {
        analysis.inputData(in[i].data(), kBytes, up.data(), down.data());
        benchmark::DoNotOptimize(up.data());
        benchmark::DoNotOptimize(down.data());
        i = (i + 1) % in.size();
    }
}
BENCHMARK_CAPTURE(BM_Analysis, silence, Input::Silence)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Analysis, tone, Input::Tone)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Analysis, noise, Input::Noise)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    for (const char* input : {"silence", "tone", "noise"}) {
        const auto tick = reporter.times.find(std::string("BM_Tick/") + input);
        const auto analysis = reporter.times.find(std::string("BM_Analysis/") + input);
        if (tick == reporter.times.end() || analysis == reporter.times.end() || analysis->second <= 0)
            continue;
        std::printf("%s: whole tick %.1f us, analysis %.1f us, tick / analysis %.2f\n", input, tick->second,
                    analysis->second, tick->second / analysis->second);
    }
    return 0;
}
