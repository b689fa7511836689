#include "spectrum/FrequencyPlot.h"
#include "spectrum/SpectrumData.h"

#include "LiteralSpectrum.h"
#include "LogCapture.h"
#include "SpectrumSignals.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <array>
#include <cmath>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace {

using Row = std::array<std::int32_t, SpectrumData::kBars>;

struct Rows {
    Row up{};
    Row down{};
};

Rows analyse(SpectrumData& data, const std::vector<std::int16_t>& block)
{
    Rows rows;
    EXPECT_TRUE(data.inputData(block.data(), static_cast<std::int32_t>(block.size() * 2), rows.up.data(),
                               rows.down.data()));
    return rows;
}

constexpr int kFrames = 2400; // one 9600-byte block
constexpr double kBin460 = 460 * testsignal::kRate / 4800;

using PlotPtr = std::unique_ptr<FrequencyPlot, void (*)(FrequencyPlot*)>;

PlotPtr makePlot(std::int32_t frameLength)
{
    return PlotPtr(IcmCreateFreqPlot(frameLength), IcmDestroyFreqPlot);
}

struct BarReading {
    std::int32_t value;
    bool exact; // decided by the complex transform
};

// The bar value a bin at `decibels` dBFS reads: a 2-point record with a flat
// window whose frame holds exactly that magnitude in bin 0.
BarReading barValueAt(double decibels)
{
    PlotPtr plot = makePlot(1);
    plot->window[0] = plot->window[1] = 1.0f;
    plot->x[1] = static_cast<float>(std::pow(10.0, decibels / 20.0)); // slides into the history half
    const std::int16_t silence = 0;
    std::int32_t value = -1;
    IcmComputeFreqPlot(plot.get(), &silence, &value, 1);
    return {value, plot->exact_frames == 1};
}

TEST(SpectrumDataTest, HammingWindowIsSymmetricWithEndsAtPointZeroEight)
{
    std::vector<float> window(4800);
    IcmCreateHammingWindow(4800, window.data());
    EXPECT_EQ(window.front(), 0.08f);
    EXPECT_NEAR(window.back(), 0.08f, 1e-6);
    EXPECT_NEAR(window[2399], 1.0f, 1e-6);
    EXPECT_NEAR(window[2400], 1.0f, 1e-6);
    EXPECT_NEAR(window[1200], window[3599], 1e-5);

    std::array<float, 2> two{};
    IcmCreateHammingWindow(2, two.data());
    EXPECT_EQ(two[0], 0.08f);
    EXPECT_NEAR(two[1], 0.08f, 1e-6);
}

TEST(SpectrumDataTest, FullScaleSineAtBin460ReadsBarValue123OnBar5)
{
    const auto block = testsignal::tones(0, kFrames, kBin460, 32767, kBin460, 32767);
    std::vector<std::int16_t> left(kFrames);
    for (int i = 0; i < kFrames; ++i)
        left[static_cast<std::size_t>(i)] = block[static_cast<std::size_t>(2 * i)];

    PlotPtr plot = makePlot(kFrames);
    Row values{};
    IcmComputeFreqPlot(plot.get(), left.data(), values.data(), SpectrumData::kBars);
    EXPECT_LT(values[5], 123) << "half a frame of sine reads lower";
    IcmComputeFreqPlot(plot.get(), left.data(), values.data(), SpectrumData::kBars);
    EXPECT_EQ(values[5], 123);
    EXPECT_NEAR(plot->power[460], -5.35f, 0.01f);

    // Through the whole analysis: the down row's frame holds the sine twice
    // from the first block, the up row's only from the second.
    SpectrumData data;
    Rows rows = analyse(data, block);
    EXPECT_EQ(rows.down[5], 8);
    EXPECT_EQ(rows.up[5], 7);
    rows = analyse(data, testsignal::tones(kFrames, kFrames, kBin460, 32767, kBin460, 32767));
    EXPECT_EQ(rows.up[5], 8);
    EXPECT_EQ(rows.down[5], 8);
    EXPECT_LT(rows.up[20], 8);
}

TEST(SpectrumDataTest, SilenceClearsTheDownRowAtOnceAndTheUpRowOneBlockLater)
{
    SpectrumData data;
    const auto silence = testsignal::constant(kFrames, 0, 0);
    Rows rows = analyse(data, silence);
    EXPECT_EQ(rows.up, Row{});
    EXPECT_EQ(rows.down, Row{});

    analyse(data, testsignal::tones(0, kFrames, 3000, 20000, 7000, 20000));
    rows = analyse(data, silence);
    EXPECT_EQ(rows.down, Row{});
    EXPECT_NE(rows.up, Row{}) << "the up row's history is the previous second channel";
    rows = analyse(data, silence);
    EXPECT_EQ(rows.up, Row{});
}

TEST(SpectrumDataTest, NewBlockSizeRebuildsTheRecordWithAnEmptyHistory)
{
    SpectrumData data;
    EXPECT_EQ(data.table(), nullptr);
    analyse(data, testsignal::tones(0, kFrames, 5000, 30000, 9000, 30000));
    EXPECT_EQ(data.tableFrameLength(), 4800);
    EXPECT_EQ(data.table()->fft_size, 4800);

    const auto smaller = testsignal::tones(0, 1200, 2000, 10000, 4000, 10000);
    const Rows rows = analyse(data, smaller);
    EXPECT_EQ(data.tableFrameLength(), 2400);
    EXPECT_EQ(data.table()->fft_size, 2400);

    SpectrumData fresh;
    const Rows expected = analyse(fresh, smaller);
    EXPECT_EQ(rows.up, expected.up);
    EXPECT_EQ(rows.down, expected.down);
}

TEST(SpectrumDataTest, BlocksBelow104BytesReadBinZeroOnEveryBar)
{
    SpectrumData data;
    const auto block = testsignal::constant(25, 20000, -3000); // 100 bytes
    const Rows rows = analyse(data, block);
    EXPECT_GT(rows.up[0], 0);
    for (int j = 1; j < SpectrumData::kBars; ++j) {
        EXPECT_EQ(rows.up[j], rows.up[0]);
        EXPECT_EQ(rows.down[j], rows.down[0]);
    }

    // From 104 bytes on, the bars read bins 0 .. 25: a constant is only in bin 0.
    SpectrumData wider;
    const Rows rows104 = analyse(wider, testsignal::constant(26, 20000, 20000));
    EXPECT_GT(rows104.down[0], rows104.down[13]);
}

TEST(SpectrumDataTest, BarValuesAndLevelsAtTheirBoundaries)
{
    const std::vector<std::pair<double, std::int32_t>> readings{
        {6.0, 128}, {0.0, 128}, {-0.5, 128}, {-8.9, 120}, {-9.0, 119},
        {-120.9, 8}, {-121.0, 7}, {-128.0, 0}, {-200.0, 0}};
    for (const auto& [decibels, value] : readings)
        EXPECT_EQ(barValueAt(decibels).value, value) << decibels << " dB";
    // Right on a truncation step the fast transform cannot be trusted and
    // the complex one decides; a tenth of a dB away it can.
    EXPECT_TRUE(barValueAt(-9.0).exact);
    EXPECT_TRUE(barValueAt(-1.0).exact);
    EXPECT_FALSE(barValueAt(-8.9).exact);

    // Levels through the whole analysis, on 4-byte blocks: bin 0 of the up
    // row's 2-point frame is the history planted in the record.
    const auto levelAt = [](double decibels) {
        SpectrumData data;
        const std::array<std::int16_t, 2> silence{};
        Row up{}, down{};
        data.inputData(silence.data(), 4, up.data(), down.data());
        data.table()->window[0] = data.table()->window[1] = 1.0f;
        data.table()->x[1] = static_cast<float>(std::pow(10.0, decibels / 20.0));
        EXPECT_TRUE(data.inputData(silence.data(), 4, up.data(), down.data()));
        EXPECT_EQ(down, Row{});
        return up[0];
    };
    EXPECT_EQ(levelAt(0.0), 8);
    EXPECT_EQ(levelAt(-8.9), 8);
    EXPECT_EQ(levelAt(-9.0), 7);
    EXPECT_EQ(levelAt(-104.9), 2);
    EXPECT_EQ(levelAt(-105.0), 1);
    EXPECT_EQ(levelAt(-120.9), 1);
    EXPECT_EQ(levelAt(-121.0), 0);
}

TEST(SpectrumDataTest, RefusesBadBlocksAndLeavesTheRowsAlone)
{
    LogCapture log;
    SpectrumData data;
    const auto block = testsignal::tones(0, kFrames, 1000, 10000, 1000, 10000);
    Row up{}, down{};
    up.fill(-1);
    down.fill(-1);
    EXPECT_FALSE(data.inputData(nullptr, 9600, up.data(), down.data()));
    EXPECT_FALSE(data.inputData(block.data(), 9600, nullptr, down.data()));
    EXPECT_FALSE(data.inputData(block.data(), 9600, up.data(), nullptr));
    EXPECT_FALSE(data.inputData(block.data(), 0, up.data(), down.data()));
    EXPECT_EQ(log.count(QStringLiteral("spectrum:")), 0);
    EXPECT_FALSE(data.inputData(block.data(), 9602, up.data(), down.data()));
    EXPECT_FALSE(data.inputData(block.data(), -9600, up.data(), down.data()));
    EXPECT_EQ(log.count(QStringLiteral("not whole 16-bit stereo frames")), 2);
    for (int j = 0; j < SpectrumData::kBars; ++j) {
        EXPECT_EQ(up[j], -1);
        EXPECT_EQ(down[j], -1);
    }
    EXPECT_EQ(data.table(), nullptr);

    std::vector<std::int16_t> left(kFrames), right(kFrames);
    EXPECT_FALSE(data.SeperateLeftAndRight(block.data(), 9600, nullptr, right.data()));
    EXPECT_FALSE(data.SeperateLeftAndRight(block.data(), 6, left.data(), right.data()));
    EXPECT_TRUE(data.SeperateLeftAndRight(block.data(), 9600, left.data(), right.data()));
    EXPECT_EQ(left[1], block[2]);
    EXPECT_EQ(right[1], block[3]);
}

// Our analysis keeps its plans, runs a real transform and converts only the
// bins the bars read; on every block of the corpus each level, and each bar
// value behind it, must be exactly what the literal recipe gives.
TEST(SpectrumDataTest, MatchesTheLiteralRecipeLevelForLevel)
{
    SpectrumData ours;
    LiteralSpectrum literal;
    PlotPtr plot = makePlot(1); // our bar values, fed the same channels
    std::int32_t exactFrames = 0;
    std::set<std::int32_t> levelsSeen;
    std::uint32_t seed = 12345;
    std::int64_t frame = 0;
    int blocks = 0;

    const auto check = [&](const std::vector<std::int16_t>& block, const std::string& what) {
        const auto bytes = static_cast<std::int32_t>(block.size() * 2);
        Row up{}, down{}, literalUp{}, literalDown{};
        ASSERT_TRUE(ours.inputData(block.data(), bytes, up.data(), down.data()));
        ASSERT_TRUE(literal.inputData(block.data(), bytes, literalUp.data(), literalDown.data()));
        EXPECT_EQ(up, literalUp) << what << ", block " << blocks;
        EXPECT_EQ(down, literalDown) << what << ", block " << blocks;

        const std::int32_t frames = bytes / 4;
        if (plot->fft_size != 2 * frames) {
            exactFrames += plot->exact_frames;
            plot = makePlot(frames);
        }
        std::vector<std::int16_t> left(static_cast<std::size_t>(frames)), right(left.size());
        for (std::size_t i = 0; i < left.size(); ++i) {
            left[i] = block[2 * i];
            right[i] = block[2 * i + 1];
        }
        Row upValues{}, downValues{};
        IcmComputeFreqPlot(plot.get(), left.data(), upValues.data(), SpectrumData::kBars);
        IcmComputeFreqPlot(plot.get(), right.data(), downValues.data(), SpectrumData::kBars);
        for (int j = 0; j < SpectrumData::kBars; ++j) {
            ASSERT_EQ(upValues[j], literal.upValues()[j]) << what << ", block " << blocks << ", bar " << j;
            ASSERT_EQ(downValues[j], literal.downValues()[j]) << what << ", block " << blocks << ", bar " << j;
        }
        levelsSeen.insert(up.begin(), up.end());
        levelsSeen.insert(down.begin(), down.end());
        frame += static_cast<std::int64_t>(block.size() / 2);
        ++blocks;
    };

    for (int i = 0; i < 4; ++i)
        check(testsignal::constant(kFrames, 0, 0), "silence");
    for (int i = 0; i < 6; ++i)
        check(testsignal::tones(frame, kFrames, kBin460, 32767, kBin460, 32767), "full-scale sine, bin 460");
    for (const double freq : {50.0, 440.0, 997.0, 4600.0, 9200.0, 12345.6, 18400.0, 23000.0}) {
        for (const double amp : {32767.0, 3000.0, 100.0, 3.0}) {
            check(testsignal::tones(frame, kFrames, freq, amp, freq * 1.5, amp / 2), "tone");
            check(testsignal::tones(frame, kFrames, freq, amp, freq * 1.5, amp / 2), "tone");
        }
    }
    for (const double amp : {32767.0, 8000.0, 300.0, 12.0, 2.0, 1.0}) {
        for (int i = 0; i < 4; ++i)
            check(testsignal::noise(seed, kFrames, amp), "noise");
    }
    // Silence after sound: the history fades out first, then the frame is
    // silent; sound again after it.
    for (int i = 0; i < 3; ++i)
        check(testsignal::constant(kFrames, 0, 0), "silence after sound");
    check(testsignal::tones(frame, kFrames, 4600, 20000, 0, 0), "sound after silence");
    for (int i = 0; i < 3; ++i) {
        check(testsignal::constant(kFrames, 32767, -32768), "full-scale constant");
        check(testsignal::alternating(kFrames), "full-scale alternating");
    }
    // Block-size changes and tiny blocks.
    check(testsignal::noise(seed, 1200, 20000), "half block");
    check(testsignal::noise(seed, 1200, 20000), "half block");
    check(testsignal::noise(seed, 25, 20000), "100-byte block");
    check(testsignal::noise(seed, 1, 20000), "one frame");
    check(testsignal::tones(frame, kFrames, 920, 20000, 1840, 20000), "back to 9600");
    for (int i = 0; i < 10; ++i)
        check(testsignal::noise(seed, kFrames, 10.0 * (i + 1)), "quiet noise");

    for (std::int32_t level = 0; level <= 8; ++level)
        EXPECT_TRUE(levelsSeen.count(level)) << "the corpus never reached level " << level;
    exactFrames += plot->exact_frames;
    RecordProperty("exactFrames", exactFrames);
}

TEST(SpectrumDataDeathTest, RunningOutOfMemoryForTheRecordStopsNamingTheMember)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto exhaust = [] {
        // Leave the process only a little more address space than it uses.
        std::ifstream statm("/proc/self/statm");
        unsigned long pages = 0;
        statm >> pages;
        const rlim_t limit = pages * 4096 + (64u << 20);
        const rlimit rl{limit, limit};
        setrlimit(RLIMIT_AS, &rl);
        IcmCreateFreqPlot(1 << 26); // 512 MB a member
    };
    EXPECT_DEATH(exhaust(), "IcmCreateFreqPlot: Assertion `0 != pPlot->x' failed");
}

} // namespace
