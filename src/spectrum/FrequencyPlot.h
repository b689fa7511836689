#pragma once

#include <cstdint>

#include <fftw3.h>

// The analysis record of one block size, shared by both channels: the frame
// x holds the block analysed just before (first half) and the newest block
// (second half). Built by IcmCreateFreqPlot, released by IcmDestroyFreqPlot.
struct FrequencyPlot {
    std::int32_t fft_size;   // N, twice the frame length
    float* window;           // N-point symmetric Hamming window
    float* x;                // analysis frame, fractions of full scale
    float* power;            // dBFS of the bins the bars read, from the last analysis
    fftw_complex* fft_in;    // N complex inputs (fftw_malloc)
    fftw_complex* fft_out;   // N complex outputs (fftw_malloc)
    double* fft_real;        // N real inputs of the fast transform (fftw_malloc)
    fftw_plan plan;          // complex forward transform fft_in -> fft_out, made once
    fftw_plan plan_real;     // real forward transform of the frame folded to M = N / fold
                             // points, fft_real[0 .. M) -> fft_out[0 .. M/2]
    std::int32_t fold;       // what plan_real was made for; 0 before the first analysis
    std::int32_t exact_frames; // frames whose bars needed the complex transform
};

// Builds a record for frame length n (N = 2n) with a zero frame. Running out
// of memory stops the process with an assertion naming the failed member.
FrequencyPlot* IcmCreateFreqPlot(std::int32_t n);

// Slides the frame by N/2 samples of one channel, transforms it and writes
// count bar values (0 .. 128, 128 + dBFS truncated) into out; bar j reads bin
// j * ((N/2) / count). The bar values are exactly those of the complex
// transform of the windowed frame: a real transform of the frame folded to
// the bars' bins (a fraction of the cost) gives them unless one lies within
// its error bound of a truncation step, and then the complex transform is
// run.
void IcmComputeFreqPlot(FrequencyPlot* plot, const std::int16_t* samples, std::int32_t* out,
                        std::int32_t count);

// Symmetric Hamming window of n >= 2 points, 0.08 at both ends.
void IcmCreateHammingWindow(std::int32_t n, float* window);

// Releases the record and everything it holds; null is allowed.
void IcmDestroyFreqPlot(FrequencyPlot* plot);
