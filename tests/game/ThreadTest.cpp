// SPDX-License-Identifier: GPL-3.0-or-later
// Thread generation with scripted draws: the length and coin draws at their
// edges, the words of the pairs, the run guards across rounds, the rejected
// draw, the fixed-length thread, the segments and the goal marker.
#include "support/GameFixture.h"
#include "support/ThreadRules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace navicella::test {
namespace {

float below(float value) { return std::nextafter(value, 0.0f); }
float above(float value) { return std::nextafter(value, 1.0f); }

std::string repeated(const std::string& unit, int times)
{
    std::string all;
    for (int k = 0; k < times; ++k)
        all += unit;
    return all;
}

std::vector<std::string> words(std::initializer_list<std::string_view> list, std::size_t total = 20)
{
    std::vector<std::string> all(list.begin(), list.end());
    all.resize(total);
    return all;
}

using ThreadTest = GameFixture;

TEST_F(ThreadTest, TheLengthDrawGivesOneTwoOrThreeInTheRatioOneTwoOne)
{
    struct Case {
        float draw;
        int lastPick;
    };
    const Case cases[] = {
        {0.0f, 1},         {0.1f, 1},  {below(0.25f), 1}, {0.25f, 2}, {above(0.25f), 2}, {0.5f, 2},
        {below(0.75f), 2}, {0.75f, 2}, {above(0.75f), 3}, {0.9f, 3},  {below(1.0f), 3},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::Message() << "draw " << t.draw);
        ScriptedRandom r;
        RecordingPlayer p;
        Game g{r, p};
        g.Form_Load();
        g.Simple_Click();
        scriptPairs(r, t.draw, true, 4);
        g.Opt_Via_MouseDown();
        EXPECT_EQ(g.state().LastPick, t.lastPick);
        EXPECT_EQ(g.state().TurnOffset, t.lastPick + 1);
        EXPECT_EQ(g.state().TurnIndex, t.lastPick + 1);
        EXPECT_EQ(r.calls, repeated("rd", 1 + t.lastPick + 1));
        EXPECT_EQ(expectValidThread(g, Level::Semplice), 2 * t.lastPick + 2);
    }
}

TEST_F(ThreadTest, ACoinOfOneHalfOrLessSaysRight)
{
    struct Case {
        float draw;
        int coin;
        std::string_view word;
    };
    const Case cases[] = {
        {0.0f, 0, D},        {0.25f, 0, D}, {below(0.5f), 0, D}, {0.5f, 0, D},
        {above(0.5f), 1, S}, {0.75f, 1, S}, {below(1.0f), 1, S},
    };
    game.Complex_Click();
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::Message() << "draw " << t.draw);
        scriptFixed(random, "LRLRLRLR");
        random.push({t.draw});
        game.Opt_Via_MouseDown();
        EXPECT_EQ(s.Coin, t.coin);
        EXPECT_EQ(s.Turns(8), t.word);
        EXPECT_EQ(random.remaining(), 0u);
    }
}

TEST_F(ThreadTest, APairIsATurnAndItsOppositeAndThePairsAlternate)
{
    struct Case {
        Level level;
        float length;
        bool firstLeft;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {Level::Semplice, FourTurns, true, words({S, D, D, S})},
        {Level::Facile, FourTurns, false, words({D, S, S, D})},
        {Level::Semplice, SixTurns, false, words({D, S, S, D, D, S})},
        {Level::Facile, EightTurns, true, words({S, D, D, S, S, D, D, S})},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::Message() << levelName(t.level) << ", " << t.expected.size());
        ScriptedRandom r;
        RecordingPlayer p;
        Game g{r, p};
        g.Form_Load();
        choose(g, t.level);
        scriptPairs(r, t.length, t.firstLeft, 4);
        g.Opt_Via_MouseDown();
        EXPECT_EQ(turns(g.state()), t.expected);
        expectValidThread(g, t.level);
        EXPECT_EQ(g.state().LeftPairs,
                  t.expected[static_cast<std::size_t>(2 * g.state().LastPick)] == S ? 1 : 0);
        EXPECT_EQ(g.state().RightPairs,
                  t.expected[static_cast<std::size_t>(2 * g.state().LastPick)] == D ? 1 : 0);
    }
}

TEST_F(ThreadTest, FourTurnsStartingLeftLayTheseSegments)
{
    struct Case {
        Level level;
        std::array<Line, 4> segments;
        float goalLeft, goalTop;
    };
    const Case cases[] = {
        {Level::Semplice,
         {segment(5750, 3500, 5550, 3500), segment(5550, 3500, 5550, 3200),
          segment(5550, 3200, 5950, 3200), segment(5950, 3200, 5950, 2700)},
         5700,
         2380},
        {Level::Facile,
         {segment(5500, 3500, 5300, 3500), segment(5300, 3500, 5300, 3200),
          segment(5300, 3200, 5700, 3200), segment(5700, 3200, 5700, 2700)},
         5450,
         2380},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(levelName(t.level));
        choose(game, t.level);
        game.ResetBoard();
        s.LeftPairs = 0;
        s.RightPairs = 0;
        random.push({FourTurns, CoinLeft, CoinRight});
        game.BuildThread();
        for (Int16 k = 1; k <= 4; ++k)
            EXPECT_EQ(c.Line1(k), t.segments[static_cast<std::size_t>(k - 1)])
                << "Line1(" << k << ")";
        EXPECT_EQ(c.Shape1.Left, t.goalLeft);
        EXPECT_EQ(c.Shape1.Top, t.goalTop);
        EXPECT_EQ(s.Heading, 12);
        EXPECT_EQ(s.SegmentIndex, 4);
        EXPECT_EQ(s.StepLength, 500);
    }
}

TEST_F(ThreadTest, TheGuardsMakeEachRoundBeginOppositeToThePreviousRoundsLastPair)
{
    // Rounds in order; the coins offered first would repeat the last pair's
    // side and must be drawn again.
    game.Simple_Click();
    scriptPairs(random, FourTurns, false, 2);  // a right pair, then a left pair
    game.Opt_Via_MouseDown();
    EXPECT_EQ(turns(s), words({D, S, S, D}));
    EXPECT_EQ(s.LeftPairs, 1);
    EXPECT_EQ(s.RightPairs, 0);

    // The next round offers left twice; only the right draw is taken.
    random.calls.clear();
    random.push({SixTurns, CoinLeft, CoinLeft, CoinRight, CoinRight, CoinLeft, CoinRight});
    game.Opt_Via_MouseDown();
    EXPECT_EQ(turns(s), words({D, S, S, D, D, S}));
    EXPECT_EQ(random.calls, repeated("rd", 7));
    EXPECT_EQ(random.remaining(), 0u);
    EXPECT_EQ(s.RightPairs, 1);
    EXPECT_EQ(s.LeftPairs, 0);

    // A fixed-length round in between neither reads nor changes the guards.
    game.Complex_Click();
    scriptFixed(random, "RRRRRRRRR");
    game.Opt_Via_MouseDown();
    EXPECT_EQ(s.RightPairs, 1);
    EXPECT_EQ(s.LeftPairs, 0);

    // Nor does a level change: the next random round still begins with a left pair.
    game.Easy_Click();
    random.push({FourTurns, CoinRight, CoinLeft, CoinRight});
    game.Opt_Via_MouseDown();
    EXPECT_EQ(turns(s), words({S, D, D, S}));
    EXPECT_EQ(random.remaining(), 0u);
}

TEST_F(ThreadTest, ARejectedDrawChangesOnlyTheCoin)
{
    struct Case {
        bool lastPairLeft;  // the guard that the previous round left set
        float offered;      // a coin on that same side
        int coin;
    };
    for (const Case t : {Case{true, CoinLeft, 1}, Case{false, CoinRight, 0}}) {
        SCOPED_TRACE(t.lastPairLeft ? "after a left pair" : "after a right pair");
        game.Simple_Click();
        game.ResetBoard();
        s.LeftPairs = t.lastPairLeft ? 1 : 0;
        s.RightPairs = t.lastPairLeft ? 0 : 1;
        s.Coin = static_cast<Int16>(1 - t.coin);
        GameState expected = s;
        expected.LastPick = 1;
        expected.TurnIndex = 0;
        expected.StepGrowth = 100;
        expected.Coin = static_cast<Int16>(t.coin);
        const Controls before = c;
        random.calls.clear();
        random.push({FourTurns, t.offered});

        // The script ends after the rejected draw, which stops generation right there.
        EXPECT_THROW(game.BuildThread(), std::logic_error);

        EXPECT_EQ(random.calls, "rdrdr");
        EXPECT_EQ(s, expected);
        EXPECT_EQ(c, before);
        EXPECT_TRUE(player.cues.empty());
    }
}

TEST_F(ThreadTest, TheFixedLengthThreadTakesNineFreeCoins)
{
    game.Complex_Click();
    s.RightPairs = 1;
    scriptFixed(random, "LLRLRRRLL");
    game.ResetBoard();
    s.TurnOffset = 5;  // the fixed-length thread does not rely on the reset for it
    game.BuildThread();
    EXPECT_EQ(turns(s), words({S, S, D, S, D, D, D, S, S}));
    EXPECT_EQ(random.calls, repeated("rd", 9)) << "no length draw, no re-draw";
    EXPECT_EQ(s.LastPick, 8);
    EXPECT_EQ(s.TurnOffset, 0);
    EXPECT_EQ(s.TurnIndex, 9);
    EXPECT_EQ(s.StepGrowth, 150);
    EXPECT_EQ(s.SegmentIndex, 9);
    EXPECT_EQ(s.StepLength, 1450);
    EXPECT_EQ(s.Heading, 9) << "a free thread may end pointing anywhere";
    EXPECT_EQ(s.RightPairs, 1);
    EXPECT_EQ(s.LeftPairs, 0);
    const Line& last = c.Line1(9);
    EXPECT_EQ(std::abs(last.X2 - last.X1) + std::abs(last.Y2 - last.Y1), 1450.0f);

    game.ResetBoard();
    scriptFixed(random, "LLRLRRRLL");
    game.Opt_Via_MouseDown();
    EXPECT_EQ(expectValidThread(game, Level::Complesso), 9);
}

TEST_F(ThreadTest, TheGoalMarkerIsShownAndRecolouredEveryRound)
{
    for (const Level level : {Level::Facile, Level::Semplice, Level::Complesso}) {
        for (const float length : {FourTurns, SixTurns, EightTurns}) {
            SCOPED_TRACE(testing::Message() << levelName(level) << ", draw " << length);
            choose(game, level);
            c.Shape1.FillColor = colour::Red;
            c.Shape1.BorderColor = colour::Blue;
            c.Shape1.BackColor = 0;
            if (level == Level::Complesso)
                scriptFixed(random, "RLLRRLRLR");
            else
                scriptPairs(random, length, s.LeftPairs != 1, 4);
            game.Opt_Via_MouseDown();
            expectValidThread(game, level);
            random = ScriptedRandom{};
        }
    }
}

TEST_F(ThreadTest, GenerationDrivesTheShipAndTheStartBringsItHome)
{
    for (const Level level : {Level::Facile, Level::Semplice, Level::Complesso}) {
        SCOPED_TRACE(levelName(level));
        choose(game, level);
        game.ResetBoard();
        if (level == Level::Complesso)
            scriptFixed(random, "RRLRLLRRR");
        else
            scriptPairs(random, EightTurns, s.LeftPairs != 1, 4);
        game.BuildThread();
        const Int16 n = static_cast<Int16>(s.LastPick + s.TurnOffset + 1);
        EXPECT_EQ(s.SegmentIndex, n);
        EXPECT_EQ(s.StepLength, 100 + n * s.StepGrowth);
        const Line& last = c.Line1(n);
        if (level == Level::Facile) {
            EXPECT_EQ(static_cast<float>(s.ShipAX), last.X2) << "vertex A ends on the last segment";
            EXPECT_EQ(static_cast<float>(s.ShipAY), last.Y2);
            EXPECT_EQ(c.Shape2.Left, last.X2 - 90) << "the marker followed the ship";
        } else {
            EXPECT_EQ((s.ShipAX + s.ShipBX) / 2.0f, last.X2) << "the base's midpoint ends there";
            EXPECT_EQ((s.ShipAY + s.ShipBY) / 2.0f, last.Y2);
            EXPECT_EQ(c.Line3(0).X1, static_cast<float>(s.ShipAX)) << "the triangle followed";
        }
        random = ScriptedRandom{};
    }
}

}  // namespace
}  // namespace navicella::test
