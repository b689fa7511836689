#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

// Interleaved stereo 16-bit blocks for the spectrum tests and benchmark.
namespace testsignal {

constexpr double kRate = 48000.0;
constexpr double kPi = 3.14159265358979323846;

inline std::int16_t clamp16(double v)
{
    return static_cast<std::int16_t>(std::lround(std::fmax(-32768.0, std::fmin(32767.0, v))));
}

// `frames` frames starting at frame `start`, each channel its own sine
// (frequency in Hz, amplitude in LSB; amplitude 0 gives silence).
inline std::vector<std::int16_t> tones(std::int64_t start, int frames, double freq1, double amp1, double freq2,
                                       double amp2)
{
    std::vector<std::int16_t> block(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(start + i) / kRate;
        block[2 * i] = clamp16(amp1 * std::sin(2 * kPi * freq1 * t));
        block[2 * i + 1] = clamp16(amp2 * std::sin(2 * kPi * freq2 * t));
    }
    return block;
}

// Deterministic white noise of the given peak amplitude on both channels.
inline std::vector<std::int16_t> noise(std::uint32_t& seed, int frames, double amplitude)
{
    std::vector<std::int16_t> block(static_cast<std::size_t>(frames) * 2);
    for (auto& sample : block) {
        seed = seed * 1664525u + 1013904223u;
        const double unit = static_cast<double>(seed >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
        sample = clamp16(unit * amplitude);
    }
    return block;
}

inline std::vector<std::int16_t> constant(int frames, std::int16_t left, std::int16_t right)
{
    std::vector<std::int16_t> block(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        block[2 * i] = left;
        block[2 * i + 1] = right;
    }
    return block;
}

// Full scale, alternating sign every frame (the highest frequency there is).
inline std::vector<std::int16_t> alternating(int frames)
{
    std::vector<std::int16_t> block(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const std::int16_t v = (i % 2) ? std::int16_t{-32768} : std::int16_t{32767};
        block[2 * i] = v;
        block[2 * i + 1] = static_cast<std::int16_t>(-1 - v);
    }
    return block;
}

} // namespace testsignal
