#include "transport/ClockText.h"

#include <gtest/gtest.h>

#include <limits>

TEST(ClockText, TruncatesEachPartAndPadsToTwoDigits)
{
    EXPECT_EQ(clockText(0), "00:00:00");
    EXPECT_EQ(clockText(9.7), "00:00:09");
    EXPECT_EQ(clockText(10), "00:00:10");
    EXPECT_EQ(clockText(59.999), "00:00:59");
    EXPECT_EQ(clockText(65), "00:01:05");
    EXPECT_EQ(clockText(3599.9), "00:59:59");
    EXPECT_EQ(clockText(3725.4), "01:02:05");
}

TEST(ClockText, HoursAreUnbounded)
{
    EXPECT_EQ(clockText(36000), "10:00:00");
    EXPECT_EQ(clockText(100 * 3600 + 61), "100:01:01");
}

TEST(ClockText, UnknownPositionsReadAsZero)
{
    EXPECT_EQ(clockText(-1), "00:00:00");
    EXPECT_EQ(clockText(std::numeric_limits<double>::quiet_NaN()), "00:00:00");
    EXPECT_EQ(clockText(std::numeric_limits<double>::infinity()), "00:00:00");
}
