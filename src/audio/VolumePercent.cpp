#include "audio/VolumePercent.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <pulse/volume.h>

namespace {

// A step and a half of the server's volume, in hundredths of a step.
constexpr std::int64_t kWholePercentTolerance = 150;

} // namespace

int volumePercent(float scalar)
{
    if (!std::isfinite(scalar) || scalar <= 0.0f)
        return 0;
    constexpr std::int64_t norm = PA_VOLUME_NORM;
    const std::int64_t raw = std::llround(static_cast<double>(scalar) * norm);
    const std::int64_t hundredths = raw * 100; // the percent, in steps
    const std::int64_t nearest = (hundredths + norm / 2) / norm;
    if (std::llabs(hundredths - nearest * norm) <= kWholePercentTolerance)
        return static_cast<int>(nearest);
    return static_cast<int>(hundredths / norm);
}
