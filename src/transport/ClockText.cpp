#include "transport/ClockText.h"

#include <cmath>

namespace {

QString part(long long value)
{
    return value <= 9 ? QStringLiteral("0%1").arg(value) : QString::number(value);
}

} // namespace

QString clockText(double seconds)
{
    // Negative or non-finite positions (an unknown position) read as zero.
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const auto hours = static_cast<long long>(seconds / 3600);
    const double rest = std::fmod(seconds, 3600);
    const auto minutes = static_cast<long long>(rest / 60);
    const auto secs = static_cast<long long>(std::fmod(rest, 60));
    return QStringLiteral("%1:%2:%3").arg(part(hours), part(minutes), part(secs));
}
