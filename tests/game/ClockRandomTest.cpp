// SPDX-License-Identifier: GPL-3.0-or-later
// The real random source: its range, its re-seeding within one clock tick,
// the balance of its coins, and real starts in every level.
#include "game/ClockRandom.h"
#include "support/GameFixture.h"
#include "support/ThreadRules.h"

#include <gtest/gtest.h>

#include <map>

namespace navicella::test {
namespace {

constexpr int Draws = 100000;

// Clocks that stand still, at readings of different kinds: the first tick,
// the epoch, a day and about a fortnight of nanoseconds, the generator's own
// increment and the reading with every bit set.
const ClockRandom::Clock FrozenClocks[] = {
    [] { return std::uint64_t{1}; },
    [] { return std::uint64_t{0}; },
    [] { return std::uint64_t{86'400'000'000'000ULL}; },
    [] { return std::uint64_t{1'234'567'891'234'567ULL}; },
    [] { return std::uint64_t{0x9E3779B97F4A7C15ULL}; },
    [] { return ~std::uint64_t{0}; },
};

TEST(ClockRandomTest, DrawsLieInTheHalfOpenUnitInterval)
{
    ClockRandom random;
    float low = 1;
    float high = 0;
    for (int k = 0; k < Draws; ++k) {
        random.reseedFromClock();
        const float r = random.draw();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        low = std::min(low, r);
        high = std::max(high, r);
    }
    EXPECT_LT(low, 0.001f);
    EXPECT_GT(high, 0.999f);
}

TEST(ClockRandomTest, ARedrawWithinTheSameClockTickComesOutDifferently)
{
    for (std::size_t clock = 0; clock < std::size(FrozenClocks); ++clock) {
        SCOPED_TRACE(testing::Message() << "frozen clock " << clock);
        ClockRandom random{FrozenClocks[clock]};
        int bothSides = 0;
        for (int k = 0; k < 10000; ++k) {
            random.reseedFromClock();
            const float first = random.draw();
            random.reseedFromClock();
            const float second = random.draw();
            ASSERT_NE(first, second) << "pair " << k;
            bothSides += (first > 0.5f) != (second > 0.5f);
        }
        // A rejected coin is followed by one on the other side about half the time.
        EXPECT_GT(bothSides, 4500);
        EXPECT_LT(bothSides, 5500);
    }
}

TEST(ClockRandomTest, CoinsAndLengthsComeOutInTheirShares)
{
    std::vector<ClockRandom> sources{ClockRandom{}};
    for (const ClockRandom::Clock clock : FrozenClocks)
        sources.emplace_back(clock);
    for (std::size_t k = 0; k < sources.size(); ++k) {
        SCOPED_TRACE(k == 0 ? "steady clock" : "frozen clock");
        ClockRandom& random = sources[k];
        int left = 0;
        std::map<int, int> lastPicks;
        for (int draw = 0; draw < Draws; ++draw) {
            random.reseedFromClock();
            const float r = random.draw();
            left += roundToInt16(r) == 1;
            ++lastPicks[roundToInt16(2.0 * r + 1.0)];
        }
        EXPECT_NEAR(left, Draws / 2, Draws / 100);
        EXPECT_EQ(lastPicks.size(), 3u);
        EXPECT_NEAR(lastPicks[1], Draws / 4, Draws / 100);
        EXPECT_NEAR(lastPicks[2], Draws / 2, Draws / 100);
        EXPECT_NEAR(lastPicks[3], Draws / 4, Draws / 100);
    }
}

TEST(ClockRandomTest, RealStartsInEveryLevelLayValidThreads)
{
    ClockRandom random;
    RecordingPlayer player;
    Game game{random, player};
    game.Form_Load();
    std::map<int, int> lengths;
    int complexLeftFirst = 0;
    std::string lastPairWord;  // first word of the last pair of the latest random-length round
    for (int round = 0; round < 900 && !testing::Test::HasFailure(); ++round) {
        const Level level = static_cast<Level>(round % 3);
        SCOPED_TRACE(testing::Message() << "round " << round);
        choose(game, level);
        game.Opt_Via_MouseDown();
        const int n = expectValidThread(game, level);
        const GameState& s = game.state();
        if (level == Level::Complesso) {
            complexLeftFirst += s.Turns(0) == S;
            continue;
        }
        ++lengths[n];
        if (!lastPairWord.empty()) {
            EXPECT_NE(s.Turns(0), lastPairWord) << "the guards alternate the pairs across rounds";
        }
        lastPairWord = s.Turns(static_cast<Int16>(n - 2));
    }
    // 600 random-length rounds in the ratio 1 : 2 : 1, 300 fixed-length ones.
    EXPECT_EQ(lengths[4] + lengths[6] + lengths[8], 600);
    EXPECT_GT(lengths[4], 100);
    EXPECT_GT(lengths[6], 240);
    EXPECT_GT(lengths[8], 100);
    EXPECT_GT(complexLeftFirst, 100);
    EXPECT_LT(complexLeftFirst, 200);
}

}  // namespace
}  // namespace navicella::test
