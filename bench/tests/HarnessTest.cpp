// SPDX-License-Identifier: GPL-3.0-or-later
// The harness's own arithmetic and parsing: a wrong median or a paint line
// taken for something else would quietly falsify every figure.
#include "Stats.h"
#include "TracedProcess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace navicella::bench {
namespace {

std::vector<double> oneTo(int n)
{
    std::vector<double> values(static_cast<std::size_t>(n));
    std::iota(values.begin(), values.end(), 1.0);
    // Reversed, so that the functions have to sort.
    return {values.rbegin(), values.rend()};
}

TEST(StatsTest, MedianOfOddEvenAndEmptySets)
{
    struct Case {
        std::vector<double> samples;
        double expected;
    };
    const Case cases[] = {
        {{5.0}, 5.0},
        {{3.0, 1.0, 2.0}, 2.0},
        {{4.0, 1.0, 3.0, 2.0}, 2.5},
        {{7.0, 7.0, 1.0, 100.0}, 7.0},
        {oneTo(15), 8.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(median(c.samples), c.expected);
    EXPECT_TRUE(std::isnan(median({})));
}

TEST(StatsTest, NearestRankPercentiles)
{
    struct Case {
        std::vector<double> samples;
        double p;
        double expected;
    };
    const Case cases[] = {
        {oneTo(100), 99, 99.0},  // the second largest of 100
        {oneTo(100), 50, 50.0}, {oneTo(100), 100, 100.0},
        {oneTo(100), 0.5, 1.0}, {oneTo(20), 99, 20.0},  // fewer than 100 samples: the largest
        {oneTo(20), 95, 19.0},  {{2.0}, 99, 2.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(percentile(c.samples, c.p), c.expected)
            << c.p << " of " << c.samples.size();
    EXPECT_TRUE(std::isnan(percentile({}, 99)));
    EXPECT_TRUE(std::isnan(percentile({1.0}, 0)));
    EXPECT_TRUE(std::isnan(percentile({1.0}, 101)));
}

TEST(PaintTraceTest, ParsesOnlyWholePaintLines)
{
    struct Case {
        const char* line;
        std::optional<std::int64_t> expected;
    };
    const Case cases[] = {
        {"navicella: painted 123456789", 123456789},
        {"baseline: painted 0", 0},
        {"navicella: painted 9223372036854775807", INT64_MAX},
        {"navicella: painted ", std::nullopt},
        {"navicella: painted 12x", std::nullopt},
        {"navicella: painted -5", std::nullopt},
        {"navicella: painted 99999999999999999999", std::nullopt},
        {": painted 5", std::nullopt},
        {"qt.qpa: some warning: painted 5", std::nullopt},
        {"navicella: cannot open the window", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parsePaintLine(c.line), c.expected) << c.line;
}

}  // namespace
}  // namespace navicella::bench
