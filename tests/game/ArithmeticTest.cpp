// SPDX-License-Identifier: GPL-3.0-or-later
// Sixteen-bit sums with their overflow edges, rounding halves to even, and
// the floating-point error for results that are not numbers.
#include "game/Arithmetic.h"
#include "support/GameFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>

namespace navicella::test {
namespace {

struct SumCase {
    int a, b;
    int expected;  // 0 with overflow set means the overflow error
    bool overflow;
};

TEST(ArithmeticTest, SumsAndDifferencesStayWithinSixteenBitsOrOverflow)
{
    const SumCase sums[] = {
        {0, 0, 0, false},           {32766, 1, 32767, false},   {32767, 1, 0, true},
        {1, 32767, 0, true},        {16384, 16384, 0, true},    {-32767, -1, -32768, false},
        {-32768, -1, 0, true},      {-16384, -16385, 0, true},  {-16384, -16384, -32768, false},
        {32767, -32768, -1, false}, {-32768, 32767, -1, false}, {5500, 250, 5750, false},
    };
    const SumCase differences[] = {
        {0, 0, 0, false},           {-32767, 1, -32768, false}, {-32768, 1, 0, true},
        {32767, -1, 0, true},       {0, -32768, 0, true},       {-1, -32768, 32767, false},
        {-32768, -32768, 0, false}, {32767, 32767, 0, false},   {-2, 32767, 0, true},
        {3500, 250, 3250, false},
    };
    for (const char op : {'+', '-'}) {
        for (const SumCase& c : op == '+' ? std::span<const SumCase>(sums) : differences) {
            SCOPED_TRACE(testing::Message() << c.a << " " << op << " " << c.b);
            const auto a = static_cast<Int16>(c.a);
            const auto b = static_cast<Int16>(c.b);
            const auto apply = [&] { return op == '+' ? add16(a, b) : sub16(a, b); };
            if (c.overflow) {
                EXPECT_EQ(errorNumber([&] { apply(); }), Overflow);
            } else {
                EXPECT_EQ(apply(), c.expected);
            }
        }
    }
}

TEST(ArithmeticTest, RoundingTakesTheNearestIntegerAndHalvesToEven)
{
    struct Case {
        double value;
        int expected;
    };
    const Case cases[] = {
        {0.0, 0},
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {-3.5, -4},
        {0.49999997, 0},
        {0.50000006, 1},
        {1.4999999, 1},
        {2.5000001, 3},
        {5750.0, 5750},
        {5750.5, 5750},
        {3249.5, 3250},
        {32766.5, 32766},
        {32767.4, 32767},
        {-32767.5, -32768},
        {-32768.5, -32768},
        {1.0 / 3.0, 0},
        {-0.2, 0},
        {2.0 * 0.75 + 1.0, 2},
        {2.0 * 0.25 + 1.0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "round(" << c.value << ")");
        EXPECT_EQ(roundToInt16(c.value), c.expected);
    }
}

TEST(ArithmeticTest, RoundingBeyondSixteenBitsOverflows)
{
    for (double value : {32767.5, 32768.0, -32768.6, -32769.5, 40000.0, -1e10, 1e30}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(errorNumber([&] { roundToInt16(value); }), Overflow);
    }
}

TEST(ArithmeticTest, ANumberThatIsNotFiniteIsTheFloatingPointError)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double value : {inf, -inf, nan}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(errorNumber([&] { roundToInt16(value); }), FloatingPoint);
        EXPECT_EQ(errorNumber([&] { checkedReal(value); }), FloatingPoint);
        EXPECT_EQ(errorNumber([&] { checkedReal(static_cast<float>(value)); }), FloatingPoint);
    }
    // A float result that leaves the float range is not finite either.
    const float big = std::numeric_limits<float>::max();
    EXPECT_EQ(errorNumber([&] { checkedReal(big * 2.0f); }), FloatingPoint);

    // Finite numbers pass unchanged, the largest ones included.
    EXPECT_EQ(checkedReal(big), big);
    EXPECT_EQ(checkedReal(std::numeric_limits<double>::max()), std::numeric_limits<double>::max());
    EXPECT_EQ(checkedReal(-5410.25f), -5410.25f);
}

}  // namespace
}  // namespace navicella::test
