// SPDX-License-Identifier: GPL-3.0-or-later
// Run-time errors: their numbers and messages, and what a handler stopped by
// one leaves behind. The game never gets into these states by itself; the
// tests force them and check that the steps done before the error stay done
// and the steps after it are not made.
#include "support/GameFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace navicella::test {
namespace {

TEST(RuntimeErrorTest, EveryErrorCarriesItsNumberAndMessage)
{
    ScriptedRandom random;
    RecordingPlayer player;
    Game game{random, player};
    struct Case {
        const char* what;
        std::function<void()> action;
        int number;
        const char* message;
    };
    const Case cases[] = {
        {"sum", [] { add16(32767, 1); }, 6, "Overflow"},
        {"difference", [] { sub16(-32768, 1); }, 6, "Overflow"},
        {"rounding", [] { roundToInt16(40000.0); }, 6, "Overflow"},
        {"Turns(20)", [&] { game.state().Turns(20); }, 9, "Subscript out of range"},
        {"Turns(-1)", [&] { game.state().Turns(-1); }, 9, "Subscript out of range"},
        {"not a number", [] { roundToInt16(std::numeric_limits<double>::quiet_NaN()); }, 16,
         "Floating-point fault"},
        {"Line1(20)", [&] { game.controls().Line1(20); }, 340,
         "Control array element '20' doesn't exist"},
        {"Line1(-1)", [&] { game.controls().Line1(-1); }, 340,
         "Control array element '-1' doesn't exist"},
        {"Line3(3)", [&] { game.controls().Line3(3); }, 340,
         "Control array element '3' doesn't exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<RuntimeError> error = errorOf(c.action);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->number(), c.number);
        EXPECT_STREQ(error->what(), c.message);
    }
}

class ForcedErrorTest : public GameFixture {
protected:
    // Leaves the level flags of "Semplice" (the triangle level), the ship at
    // home pointing up, and the step state of a fresh reset.
    void triangleLevel()
    {
        game.Simple_Click();
        game.PlaceShip();
    }
};

TEST_F(ForcedErrorTest, AStepIntoLine1Of20FailsBeforeAnythingIsDrawn)
{
    for (const bool easy : {true, false}) {
        SCOPED_TRACE(easy ? "easy" : "triangle");
        easy ? game.Easy_Click() : game.Simple_Click();
        game.PlaceShip();
        s.SegmentIndex = 19;
        s.StepLength = 100;
        s.StepGrowth = 150;
        const Controls before = c;
        EXPECT_EQ(errorNumber([&] { game.Cmd_Avanti_Click(); }), MissingElement);
        EXPECT_EQ(s.SegmentIndex, 20);
        EXPECT_EQ(s.StepLength, 250);
        EXPECT_EQ(vertices(s), HomeVertices);
        EXPECT_EQ(c, before);
    }
}

TEST_F(ForcedErrorTest, AnOverflowingStepLengthLeavesSegmentIndexRaised)
{
    triangleLevel();
    s.SegmentIndex = 3;
    s.StepLength = 32700;
    s.StepGrowth = 100;
    const Controls before = c;
    EXPECT_EQ(errorNumber([&] { game.Cmd_Avanti_Click(); }), Overflow);
    EXPECT_EQ(s.SegmentIndex, 4);
    EXPECT_EQ(s.StepLength, 32700);
    EXPECT_EQ(vertices(s), HomeVertices);
    EXPECT_EQ(c, before);

    s.SegmentIndex = 32767;
    s.StepLength = 100;
    EXPECT_EQ(errorNumber([&] { game.Cmd_Avanti_Click(); }), Overflow);
    EXPECT_EQ(s.SegmentIndex, 32767);
    EXPECT_EQ(s.StepLength, 100);
    EXPECT_EQ(c, before);
}

TEST_F(ForcedErrorTest, AnAnswerOutsideTurnsIsTheSubscriptErrorAndChangesNothing)
{
    for (const int index : {20, -1, 32767}) {
        for (const std::string_view word : {S, D}) {
            SCOPED_TRACE(testing::Message() << "AnswerIndex " << index << ", " << word);
            s.AnswerIndex = static_cast<Int16>(index);
            const GameState stateBefore = s;
            const Controls before = c;
            EXPECT_EQ(errorNumber([&] { press(game, word); }), Subscript);
            EXPECT_EQ(s, stateBefore);
            EXPECT_EQ(c, before);
            EXPECT_TRUE(player.cues.empty());
        }
    }
}

TEST_F(ForcedErrorTest, ARightAnswerToTurns19HasNoSegmentToColour)
{
    triangleLevel();
    s.AnswerIndex = 19;
    s.Turns(19) = "Destra";
    const GameState stateBefore = s;
    const Controls before = c;
    EXPECT_EQ(errorNumber([&] { game.Opt_Destra_MouseDown(); }), MissingElement);
    EXPECT_EQ(s, stateBefore);
    EXPECT_EQ(c, before);
    EXPECT_TRUE(player.cues.empty());

    // The other button is simply a wrong answer there.
    game.Opt_Sinistra_MouseDown();
    EXPECT_EQ(c.Lbl_Domanda.Caption, "Ritenta - Sinistra o Destra ?");
    EXPECT_EQ(cueNames(player), std::vector<std::string>{"wrong"});
}

TEST_F(ForcedErrorTest, AFailingStepInAnAnswerLeavesTheSegmentRedAndTheShipTurned)
{
    triangleLevel();
    s.Turns(0) = "Destra";
    s.StepGrowth = 100;
    s.StepLength = 100;
    s.SegmentIndex = 19;
    s.LastPick = 1;
    s.TurnOffset = 2;
    c.Lbl_Domanda.Caption = "Ritenta - Sinistra o Destra ?";
    EXPECT_EQ(errorNumber([&] { game.Opt_Destra_MouseDown(); }), MissingElement);
    EXPECT_EQ(redSegments(c), std::vector<int>{1});
    EXPECT_EQ(s.Heading, 3);
    EXPECT_EQ(vertices(s), (Vertices{5750, 3250, 5750, 3750, 6000, 3500}));
    EXPECT_EQ(c.Line3(1), segment(5750, 3250, 6000, 3500, colour::Blue));
    EXPECT_EQ(s.SegmentIndex, 20);
    EXPECT_EQ(s.AnswerIndex, 0);
    EXPECT_EQ(c.Lbl_Domanda.Caption, "Ritenta - Sinistra o Destra ?");
    EXPECT_TRUE(player.cues.empty());
}

TEST_F(ForcedErrorTest, AnOverflowingEndTestComesAfterTheChime)
{
    triangleLevel();
    s.Turns(0) = "Sinistra";
    s.StepGrowth = 100;
    s.LastPick = 32767;
    c.Opt_Sinistra.Visible = true;
    c.Opt_Destra.Visible = true;
    EXPECT_EQ(errorNumber([&] { game.Opt_Sinistra_MouseDown(); }), Overflow);
    EXPECT_EQ(s.AnswerIndex, 1);
    EXPECT_EQ(s.SegmentIndex, 1);
    EXPECT_EQ(c.Lbl_Domanda.Caption, "Sinistra o Destra ?");
    EXPECT_EQ(cueNames(player), std::vector<std::string>{"right"});
    // The end of the thread did not come.
    EXPECT_TRUE(c.Opt_Sinistra.Visible);
    EXPECT_TRUE(c.Opt_Destra.Visible);
    EXPECT_EQ(c.Shape1.FillColor, colour::LightYellow);
}

TEST_F(ForcedErrorTest, AnOverflowHalfwayThroughATurnKeepsTheEarlierCoordinates)
{
    struct Case {
        const char* what;
        void (Game::*turn)();
        int heading;
        Vertices before;
        Vertices after;  // coordinates stored before the failing one are new
    };
    const Case cases[] = {
        {"right from 12, B's y",
         &Game::TurnRight,
         12,
         {1000, 2000, 1500, 32600, 1250, 1750},
         {1250, 1750, 1250, 32600, 1250, 1750}},
        {"left from 3, C's x",
         &Game::TurnLeft,
         3,
         {1000, 2000, 1500, 2500, -32700, 1750},
         {750, 2250, 1750, 2250, -32700, 1750}},
        {"right from 9, A's x",
         &Game::TurnRight,
         9,
         {-32600, 2000, 1500, 2500, 1250, 1750},
         {-32600, 2000, 1500, 2500, 1250, 1750}},
        {"left from 6, C's y",
         &Game::TurnLeft,
         6,
         {1000, 2000, 1500, 2500, 1250, -32600},
         {750, 1750, 1750, 2750, 1500, -32600}},
    };
    triangleLevel();
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        setVertices(s, t.before);
        s.Heading = static_cast<Int16>(t.heading);
        const Controls before = c;
        EXPECT_EQ(errorNumber([&] { (game.*t.turn)(); }), Overflow);
        EXPECT_EQ(vertices(s), t.after);
        EXPECT_EQ(s.Heading, t.heading);
        EXPECT_EQ(c, before) << "the ship must not be redrawn";
    }
}

TEST_F(ForcedErrorTest, AnOverflowHalfwayThroughAStepKeepsWhatWasSet)
{
    struct Case {
        const char* what;
        bool easy;
        int heading;
        Vertices before;
        Line segmentAfter;  // Line1(1), collapsed before the step
        Vertices after;
    };
    const Case cases[] = {
        {"X2 of heading 3",
         false,
         3,
         {32700, 1000, 32700, 1500, 32000, 1250},
         segment(32700, 1250, 0, 0),
         {32700, 1000, 32700, 1500, 32000, 1250}},
        {"Y2 of heading 12, easy",
         true,
         12,
         {1000, -32700, 1500, -32700, 1250, -32650},
         segment(1000, -32700, 1000, 0),
         {1000, -32700, 1500, -32700, 1250, -32650}},
        {"B's y of heading 6",
         false,
         6,
         {1000, 1000, 500, 32700, 750, 1250},
         segment(750, 1000, 750, 1200),
         {1000, 1200, 500, 32700, 750, 1250}},
        {"C's x of heading 9, easy",
         true,
         9,
         {1000, 1000, 1000, 500, -32600, 750},
         segment(1000, 1000, 800, 1000),
         {800, 1000, 800, 500, -32600, 750}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        t.easy ? game.Easy_Click() : game.Simple_Click();
        game.ResetBoard();
        s.StepGrowth = 100;
        setVertices(s, t.before);
        s.Heading = static_cast<Int16>(t.heading);
        Controls expected = c;
        expected.Line1(1) = t.segmentAfter;
        EXPECT_EQ(errorNumber([&] { game.Cmd_Avanti_Click(); }), Overflow);
        EXPECT_EQ(s.SegmentIndex, 1);
        EXPECT_EQ(s.StepLength, 200);
        EXPECT_EQ(c.Line1(1), t.segmentAfter);
        EXPECT_EQ(vertices(s), t.after);
        EXPECT_EQ(c, expected) << "nothing else is drawn: no ship, no marker";
    }
}

TEST_F(ForcedErrorTest, AnOverflowingMarkerKeepsWhatWasSetBeforeIt)
{
    s.HomeX = -32700;
    EXPECT_EQ(errorNumber([&] { game.DrawShipEasy(); }), Overflow);
    EXPECT_TRUE(c.Shape2.Visible);
    EXPECT_EQ(c.Shape2.Left, 600);
    EXPECT_EQ(c.Shape2.Top, 1800);

    s.HomeX = 5500;
    s.HomeY = -32669;
    EXPECT_EQ(errorNumber([&] { game.DrawShipEasy(); }), Overflow);
    EXPECT_EQ(c.Shape2.Left, 5400);
    EXPECT_EQ(c.Shape2.Top, 1800);

    s.HomeY = -32668;
    game.DrawShipEasy();
    EXPECT_EQ(c.Shape2.Top, -32768);
}

TEST_F(ForcedErrorTest, AGenerationStoppedByAnErrorKeepsItsTurnsAndSegments)
{
    game.Simple_Click();
    game.ResetBoard();
    s.TurnOffset = 15;  // the reset leaves 0; generation relies on that
    scriptPairs(random, EightTurns, true, 4);
    EXPECT_EQ(errorNumber([&] { game.BuildThread(); }), Subscript);
    std::vector<std::string> expectedTurns(20);
    for (int k = 15; k < 20; ++k)
        expectedTurns[static_cast<std::size_t>(k)] = (k == 15 || k == 18 || k == 19) ? S : D;
    EXPECT_EQ(turns(s), expectedTurns);
    EXPECT_EQ(s.SegmentIndex, 6);
    EXPECT_EQ(s.TurnOffset, 18);
    EXPECT_EQ(s.TurnIndex, 2);
    for (Int16 k = 1; k <= 6; ++k)
        EXPECT_NE(c.Line1(k), segment(0, 0, 0, 0)) << "Line1(" << k << ") drawn";
    EXPECT_EQ(c.Line1(7), segment(0, 0, 0, 0));
    EXPECT_FALSE(c.Shape1.Visible) << "the goal marker comes after the loop";
}

}  // namespace
}  // namespace navicella::test
