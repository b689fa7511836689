#pragma once

#include <cstdint>

// The analysis done the long way, step by step as first designed: a new
// FFTW plan for every channel of every block, all N bins converted to
// decibels, scratch arrays allocated per call. It is the yardstick the
// production analysis must match level for level, and the baseline of the
// speed benchmark.
class LiteralSpectrum {
public:
    LiteralSpectrum() = default;
    ~LiteralSpectrum();
    LiteralSpectrum(const LiteralSpectrum&) = delete;
    LiteralSpectrum& operator=(const LiteralSpectrum&) = delete;

    bool inputData(const void* block, std::int32_t bytes, std::int32_t* up, std::int32_t* down);

    // Every bin's dBFS from the last channel analysed (the second), and N.
    const float* power() const;
    std::int32_t fftSize() const;
    // The bar values (0 .. 128) behind the last levels.
    const std::int32_t* upValues() const { return m_upValues; }
    const std::int32_t* downValues() const { return m_downValues; }

private:
    struct Plot;
    bool separate(const std::int16_t* samples, std::int32_t bytes, std::int16_t* left, std::int16_t* right);
    static Plot* createPlot(std::int32_t n);
    static void destroyPlot(Plot* plot);
    static void compute(Plot* plot, const std::int16_t* samples, std::int32_t* out, std::int32_t count);

    std::int32_t m_upValues[26] = {};
    std::int32_t m_downValues[26] = {};
    Plot* m_table = nullptr;
    std::int32_t m_tableFrameLength = 0;
};
