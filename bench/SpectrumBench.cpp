// Cost of one display tick's analysis (a 9600-byte block, both channels):
// the production analysis against the literal recipe on the same blocks, in
// the same run. Prints the ratio; exits non-zero if any level differs.
#include "spectrum/SpectrumData.h"
#include "spectrum/data_trans.h"

#include "LiteralSpectrum.h"
#include "SpectrumSignals.h"
#include "TimesReporter.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kFrames = 2400;
constexpr std::int32_t kBytes = kFrames * 4;

// Tones, noise, silence and full scale, as the display meets them.
const std::vector<std::vector<std::int16_t>>& corpus()
{
    static const std::vector<std::vector<std::int16_t>> blocks = [] {
        std::vector<std::vector<std::int16_t>> out;
        std::uint32_t seed = 7;
        std::int64_t frame = 0;
        for (const double freq : {440.0, 4600.0, 9200.0, 15000.0}) {
            out.push_back(testsignal::tones(frame, kFrames, freq, 20000, freq * 1.3, 8000));
            frame += kFrames;
        }
        for (const double amp : {32767.0, 1000.0, 4.0})
            out.push_back(testsignal::noise(seed, kFrames, amp));
        out.push_back(testsignal::constant(kFrames, 0, 0));
        out.push_back(testsignal::constant(kFrames, 32767, -32768));
        out.push_back(testsignal::alternating(kFrames));
        return out;
    }();
    return blocks;
}

template <typename Analysis>
void analyseCorpus(benchmark::State& state)
{
    Analysis analysis;
    std::array<std::int32_t, 26> up{}, down{};
    const auto& blocks = corpus();
    std::size_t i = 0;
    for (auto _ : state) {
        analysis.inputData(blocks[i].data(), kBytes, up.data(), down.data());
        benchmark::DoNotOptimize(up.data());
        benchmark::DoNotOptimize(down.data());
        i = (i + 1) % blocks.size();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_LiteralRecipe(benchmark::State& state)
{
    analyseCorpus<LiteralSpectrum>(state);
}
BENCHMARK(BM_LiteralRecipe)->Unit(benchmark::kMicrosecond);

void BM_SpectrumData(benchmark::State& state)
{
    analyseCorpus<SpectrumData>(state);
}
BENCHMARK(BM_SpectrumData)->Unit(benchmark::kMicrosecond);

// One capture buffer in and one display block out, as per 80 ms / 50 ms.
void BM_PoolWriteAndDrain(benchmark::State& state)
{
    data_trans pool;
    pool.data_transfer_create();
    const std::vector<std::int16_t> buffer(3840 * 2, 1000);
    std::vector<std::uint8_t> block(9600);
    for (auto _ : state) {
        pool.data_transfer_inputToPool(buffer.data(), 15360);
        pool.data_transfer_outputFromPool(block.data(), 9600);
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(BM_PoolWriteAndDrain)->Unit(benchmark::kNanosecond);

// Both analyses over the corpus, several passes so the shared history is
// exercised; counts differing levels.
int levelsDiffering()
{
    SpectrumData ours;
    LiteralSpectrum literal;
    int differing = 0;
    for (int pass = 0; pass < 3; ++pass) {
        for (const auto& block : corpus()) {
            std::array<std::int32_t, 26> up{}, down{}, literalUp{}, literalDown{};
            ours.inputData(block.data(), kBytes, up.data(), down.data());
            literal.inputData(block.data(), kBytes, literalUp.data(), literalDown.data());
            for (std::size_t j = 0; j < up.size(); ++j)
                differing += (up[j] != literalUp[j]) + (down[j] != literalDown[j]);
        }
    }
    return differing;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const int differing = levelsDiffering();
    std::printf("levels differing from the literal recipe: %d\n", differing);

    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto literal = reporter.times.find("BM_LiteralRecipe");
    const auto ours = reporter.times.find("BM_SpectrumData");
    if (literal != reporter.times.end() && ours != reporter.times.end() && literal->second > 0) {
        std::printf("analysis cost, ours / literal recipe: %.3f (%.1fx faster)\n",
                    ours->second / literal->second, literal->second / ours->second);
    }
    return differing == 0 ? 0 : 1;
}
