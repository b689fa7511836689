#pragma once

#include <cstdint>
#include <memory>
#include <vector>

struct FrequencyPlot;

// Turns one block of interleaved stereo 16-bit samples into two rows of 26
// levels (0 .. 8): the up row from the first channel, the down row from the
// second. Both channels go through one frequency-plot record, so each
// analysis sees the block analysed just before it as its history. Not
// thread-safe: one object is used from one thread (the display timer's).
class SpectrumData {
public:
    static constexpr int kBars = 26;

    SpectrumData();
    ~SpectrumData();
    SpectrumData(const SpectrumData&) = delete;
    SpectrumData& operator=(const SpectrumData&) = delete;

    // Makes sure the record fits a block of BufferLength bytes (a new size
    // gets a new record with an empty history), then splits the frames.
    // Answers false for null pointers and byte counts that are not a
    // positive multiple of 4 (whole stereo frames).
    bool SeperateLeftAndRight(const std::int16_t* samples, std::int32_t BufferLength,
                              std::int16_t* leftpcm, std::int16_t* rightpcm);

    // Whole analysis of one block (16-bit aligned) into two rows of kBars
    // levels. Answers false, leaving the rows untouched, on bad input.
    bool inputData(const void* block, std::int32_t BufferLength, std::int32_t* ouputup,
                   std::int32_t* outputdown);

    FrequencyPlot* table() const { return m_table.get(); }
    std::int32_t tableFrameLength() const { return m_tableFrameLength; }

private:
    struct PlotDeleter {
        void operator()(FrequencyPlot* plot) const;
    };

    std::unique_ptr<FrequencyPlot, PlotDeleter> m_table;
    std::int32_t m_tableFrameLength = 0;
    // Channel scratch kept between calls, so a steady block size allocates nothing.
    std::vector<std::int16_t> m_left;
    std::vector<std::int16_t> m_right;
};
