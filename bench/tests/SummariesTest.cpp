#include <gtest/gtest.h>

#include "BenchStats.h"
#include "RssTrend.h"

namespace {

TEST(BenchStats, MedianOfUnsortedOddAndEvenCounts)
{
    EXPECT_DOUBLE_EQ(BenchStats::Median({5.0, 1.0, 3.0}), 3.0);
    EXPECT_DOUBLE_EQ(BenchStats::Median({4.0, 1.0, 3.0, 2.0}), 2.5);
    EXPECT_DOUBLE_EQ(BenchStats::Median({7.0}), 7.0);
    EXPECT_DOUBLE_EQ(BenchStats::Median({}), 0.0);
    EXPECT_DOUBLE_EQ(BenchStats::Min({4.0, -1.0, 3.0}), -1.0);
    EXPECT_DOUBLE_EQ(BenchStats::Max({4.0, -1.0, 3.0}), 4.0);
}

TEST(RssTrend, GrowthDuringTheWarmUpDoesNotCount)
{
    RssTrend trend(200, 1024);
    trend.Add(0, 10000);
    trend.Add(100, 30000);
    trend.Add(200, 31000);
    trend.Add(300, 31500);
    trend.Add(400, 31200);
    EXPECT_EQ(trend.BaselineKiB(), 31000);
    EXPECT_EQ(trend.GrowthKiB(), 500);
    EXPECT_TRUE(trend.WithinBound());
    EXPECT_EQ(trend.Series(), "0:10000 100:30000 200:31000 300:31500 400:31200");
}

TEST(RssTrend, APeakBeyondTheBoundFailsEvenIfMemoryFallsAgain)
{
    RssTrend trend(100, 1024);
    trend.Add(100, 20000);
    trend.Add(200, 21025);
    trend.Add(300, 20000);
    EXPECT_EQ(trend.GrowthKiB(), 1025);
    EXPECT_FALSE(trend.WithinBound());
}

TEST(RssTrend, NoBaselineOrAnUnreadableSampleIsNoPass)
{
    RssTrend early(500, 1024);
    early.Add(100, 20000);
    EXPECT_EQ(early.BaselineKiB(), -1);
    EXPECT_FALSE(early.WithinBound());

    RssTrend unreadable(0, 1024);
    unreadable.Add(0, 20000);
    unreadable.Add(100, -1);
    EXPECT_FALSE(unreadable.WithinBound());
}

}  // namespace
