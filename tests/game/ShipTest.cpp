// SPDX-License-Identifier: GPL-3.0-or-later
// The ship: placement, drawing, quarter turns, the forward step with its
// trail segment, and the marker that stands for the ship in the easy level.
#include "support/GameFixture.h"
#include "support/ThreadRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace navicella::test {
namespace {

const Line HomeBase = segment(5500, 3500, 6000, 3500, colour::Blue);
const Line HomeLeftFlank = segment(5500, 3500, 5750, 3250, colour::Blue);
const Line HomeRightFlank = segment(6000, 3500, 5750, 3250, colour::Blue);

std::array<Line, 3> lines3(const Controls& c) { return {c.Line3(0), c.Line3(1), c.Line3(2)}; }

using ShipTest = GameFixture;

TEST_F(ShipTest, PlaceShipRestoresTheHomeLayoutFromAnyState)
{
    struct Prior {
        const char* what;
        std::function<void(Game&)> make;
    };
    const Prior priors[] = {
        {"never placed", [](Game&) {}},
        {"turned and moved",
         [](Game& g) {
             g.state().EasyMode = 0;
             g.PlaceShip();
             g.state().StepGrowth = 100;
             g.TurnRight();
             g.Cmd_Avanti_Click();
             g.TurnRight();
             g.Cmd_Avanti_Click();
         }},
        {"scattered",
         [](Game& g) {
             setVertices(g.state(), {-7, 12000, 3, -400, 31000, 9});
             g.state().ShipSize = 7;
             g.state().Heading = 6;
             g.state().HomeX = 1;
             g.state().HomeY = 2;
             g.controls().Line3(1).Visible = false;
             g.controls().Line3(2) = segment(1, 2, 3, 4, colour::Blue);
         }},
        {"placed, then heading 0 and a moved vertex",
         [](Game& g) {
             g.PlaceShip();
             g.state().Heading = 0;
             g.state().ShipCY = 3249;
         }},
    };
    for (const Prior& prior : priors) {
        for (const int easyMode : {-1, 0, 1}) {
            SCOPED_TRACE(testing::Message() << prior.what << ", EasyMode " << easyMode);
            ScriptedRandom r;
            RecordingPlayer p;
            Game g{r, p};
            prior.make(g);
            g.state().EasyMode = static_cast<Int16>(easyMode);
            g.state().StepLength = 1234;
            g.state().SegmentIndex = 5;
            const Controls before = g.controls();
            g.PlaceShip();

            const GameState& st = g.state();
            EXPECT_EQ(vertices(st), HomeVertices);
            EXPECT_EQ(st.HomeX, 5500);
            EXPECT_EQ(st.HomeY, 3500);
            EXPECT_EQ(st.ShipSize, 500);
            EXPECT_EQ(st.Heading, 12);
            EXPECT_EQ(st.StepLength, 1234);
            EXPECT_EQ(st.SegmentIndex, 5);

            Controls expected = before;
            if (easyMode == -1) {
                for (Line& side : expected.Line3)
                    side.Visible = false;  // hidden, ends kept
            } else {
                expected.Line3(0) = HomeBase;
                expected.Line3(1) = HomeLeftFlank;
                expected.Line3(2) = HomeRightFlank;
            }
            EXPECT_EQ(g.controls(), expected)
                << "only the triangle may change, no marker, no trail";
        }
    }
}

TEST_F(ShipTest, DrawShipCopiesTheVerticesOrHandsOverToTheMarker)
{
    const Vertices somewhere{100, 200, 300, 400, 500, 600};

    // Easy level: the marker is drawn and the triangle's lines stay exactly as they were.
    setVertices(s, somewhere);
    Controls before = c;
    game.DrawShip();
    Controls expected = before;
    expected.Shape2.Visible = true;
    expected.Shape2.Left = 5400;
    expected.Shape2.Top = 3400;
    EXPECT_EQ(c, expected);

    // Other levels: the lines follow the vertices, without a change of visibility.
    game.Simple_Click();
    c.Line3(1).Visible = false;
    before = c;
    const GameState stateBefore = s;
    game.DrawShip();
    game.DrawShip();
    expected = before;
    const std::array<Line, 3> drawn = triangle(somewhere);
    for (Int16 k = 0; k < 3; ++k) {
        expected.Line3(k) = drawn[static_cast<std::size_t>(k)];
        expected.Line3(k).Visible = before.Line3(k).Visible;
    }
    EXPECT_EQ(c, expected);
    EXPECT_FALSE(c.Line3(1).Visible);
    EXPECT_EQ(s, stateBefore);
}

TEST_F(ShipTest, TurnsRotateTheLayoutAboutTheMidpointOfTheBase)
{
    game.Simple_Click();
    game.PlaceShip();
    for (const int heading : {12, 3, 6, 9}) {
        for (const bool right : {true, false}) {
            SCOPED_TRACE(testing::Message() << (right ? "right" : "left") << " from " << heading);
            setVertices(s, layout(heading, 2000, -3000));
            s.Heading = static_cast<Int16>(heading);
            GameState expected = s;
            const int next = right ? clockwise(heading) : counterClockwise(heading);
            setVertices(expected, layout(next, 2000, -3000));
            expected.Heading = static_cast<Int16>(next);
            const Controls before = c;

            right ? game.TurnRight() : game.TurnLeft();

            EXPECT_EQ(s, expected);
            EXPECT_EQ(lines3(c), triangle(vertices(s)));
            for (Int16 k = 0; k < Line1Count; ++k)
                EXPECT_EQ(c.Line1(k), before.Line1(k));
        }
    }
}

TEST_F(ShipTest, TurningFromHomeMatchesTheWorkedExamples)
{
    game.Simple_Click();
    game.PlaceShip();
    game.TurnRight();
    EXPECT_EQ(vertices(s), (Vertices{5750, 3250, 5750, 3750, 6000, 3500}));
    EXPECT_EQ(s.Heading, 3);
    game.PlaceShip();
    game.TurnLeft();
    EXPECT_EQ(vertices(s), (Vertices{5750, 3750, 5750, 3250, 5500, 3500}));
    EXPECT_EQ(s.Heading, 9);
}

TEST_F(ShipTest, TurnSequencesThatCloseComeBackExactly)
{
    game.Simple_Click();
    using Turn = void (Game::*)();
    const std::vector<std::vector<Turn>> sequences = {
        {&Game::TurnRight, &Game::TurnRight, &Game::TurnRight, &Game::TurnRight},
        {&Game::TurnLeft, &Game::TurnLeft, &Game::TurnLeft, &Game::TurnLeft},
        {&Game::TurnRight, &Game::TurnLeft},
        {&Game::TurnLeft, &Game::TurnRight},
    };
    for (const int heading : {12, 3, 6, 9}) {
        for (std::size_t q = 0; q < sequences.size(); ++q) {
            SCOPED_TRACE(testing::Message() << "sequence " << q << " from " << heading);
            setVertices(s, layout(heading, 777, 1333));
            s.Heading = static_cast<Int16>(heading);
            const GameState start = s;
            for (const Turn turn : sequences[q])
                (game.*turn)();
            EXPECT_EQ(s, start);
        }
    }
}

TEST_F(ShipTest, TurnsRoundHalfTheShipToEven)
{
    game.Simple_Click();
    s.ShipSize = 1;  // half a twip per coordinate
    setVertices(s, {0, 1, 2, 3, -1, -2});
    s.Heading = 12;
    game.TurnRight();  // AX+, AY-, BX-, BY+, CX+, CY+
    EXPECT_EQ(vertices(s), (Vertices{0, 0, 2, 4, 0, -2}));

    s.ShipSize = 501;
    setVertices(s, HomeVertices);
    s.Heading = 12;
    game.TurnLeft();  // AX+, AY+, BX-, BY-, CX-, CY+ by 250.5
    EXPECT_EQ(vertices(s), (Vertices{5750, 3750, 5750, 3250, 5500, 3500}));
}

TEST_F(ShipTest, EasyTurnsChangeOnlyTheHeading)
{
    game.PlaceShip();
    const std::array<Line, 3> hiddenTriangle = lines3(c);
    const int rightCycle[] = {3, 6, 9, 12, 3};
    for (const int expected : rightCycle) {
        game.TurnRight();
        EXPECT_EQ(s.Heading, expected);
    }
    const int leftCycle[] = {12, 9, 6, 3, 12, 9};
    for (const int expected : leftCycle) {
        game.TurnLeft();
        EXPECT_EQ(s.Heading, expected);
    }
    EXPECT_EQ(vertices(s), HomeVertices);
    EXPECT_EQ(lines3(c), hiddenTriangle);
    EXPECT_TRUE(c.Shape2.Visible) << "each turn redraws the marker";

    // Leaving the easy level, the next turn adds its row to the vertices as they stand.
    game.Simple_Click();
    game.TurnLeft();  // from 9 to 6: AX+, AY-, BX-, BY+, CX+, CY+
    EXPECT_EQ(s.Heading, 6);
    EXPECT_EQ(vertices(s), (Vertices{5750, 3250, 5750, 3750, 6000, 3500}));
}

TEST_F(ShipTest, AnUnknownHeadingMakesTurnsDoNothing)
{
    for (const bool easy : {true, false}) {
        easy ? game.Easy_Click() : game.Simple_Click();
        game.PlaceShip();
        for (const int heading : {0, 1, 2, 4, 11, 13, -12, 24}) {
            for (const bool right : {true, false}) {
                SCOPED_TRACE(testing::Message() << (easy ? "easy, " : "triangle, ") << heading);
                s.Heading = static_cast<Int16>(heading);
                const GameState stateBefore = s;
                const Controls before = c;
                right ? game.TurnRight() : game.TurnLeft();
                EXPECT_EQ(s, stateBefore);
                EXPECT_EQ(c, before) << "nothing is redrawn";
            }
        }
    }
}

TEST_F(ShipTest, StepTableForEveryHeadingAndLevel)
{
    struct Case {
        int heading;
        bool easy;
        Line drawn;
        Vertices after;
    };
    // Ships in the layouts of their heading around the base midpoint (2000, 3000);
    // the fifth step of a thread growing by 100 is 400 long.
    const Case cases[] = {
        {12, true, segment(1750, 3000, 1750, 2600), {1750, 2600, 2250, 2600, 2000, 2350}},
        {12, false, segment(2000, 3000, 2000, 2600), {1750, 2600, 2250, 2600, 2000, 2350}},
        {3, true, segment(2000, 2750, 2400, 2750), {2400, 2750, 2400, 3250, 2650, 3000}},
        {3, false, segment(2000, 3000, 2400, 3000), {2400, 2750, 2400, 3250, 2650, 3000}},
        {6, true, segment(2250, 3000, 2250, 3400), {2250, 3400, 1750, 3400, 2000, 3650}},
        {6, false, segment(2000, 3000, 2000, 3400), {2250, 3400, 1750, 3400, 2000, 3650}},
        {9, true, segment(2000, 3250, 1600, 3250), {1600, 3250, 1600, 2750, 1350, 3000}},
        {9, false, segment(2000, 3000, 1600, 3000), {1600, 3250, 1600, 2750, 1350, 3000}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::Message()
                     << "heading " << t.heading << (t.easy ? " easy" : " other"));
        t.easy ? game.Easy_Click() : game.Simple_Click();
        game.ResetBoard();
        setVertices(s, layout(t.heading, 2000, 3000));
        s.Heading = static_cast<Int16>(t.heading);
        s.SegmentIndex = 4;
        s.StepLength = 300;
        s.StepGrowth = 100;
        GameState expectedState = s;
        expectedState.SegmentIndex = 5;
        expectedState.StepLength = 400;
        setVertices(expectedState, t.after);
        Controls expected = c;
        expected.Line1(5) = t.drawn;
        if (t.easy) {
            expected.Shape2.Visible = true;
            expected.Shape2.Left = t.drawn.X2 - 90;
            expected.Shape2.Top = t.drawn.Y2 - 90;
        } else {
            const std::array<Line, 3> drawn = triangle(t.after);
            std::copy(drawn.begin(), drawn.end(), expected.Line3.begin());
        }

        game.Cmd_Avanti_Click();

        EXPECT_EQ(s, expectedState);
        EXPECT_EQ(c, expected);
    }
}

TEST_F(ShipTest, FirstStepsFromHomeMatchTheWorkedExamples)
{
    game.Complex_Click();
    game.ResetBoard();
    s.StepGrowth = 150;
    game.Cmd_Avanti_Click();
    EXPECT_EQ(s.SegmentIndex, 1);
    EXPECT_EQ(s.StepLength, 250);
    EXPECT_EQ(c.Line1(1), segment(5750, 3500, 5750, 3250));
    EXPECT_EQ(c.Line1(0), segment(0, 0, 0, 0));
    EXPECT_EQ(vertices(s), (Vertices{5500, 3250, 6000, 3250, 5750, 3000}));

    game.Easy_Click();
    game.ResetBoard();
    s.StepGrowth = 100;
    game.Cmd_Avanti_Click();
    EXPECT_EQ(s.StepLength, 200);
    EXPECT_EQ(c.Line1(1), segment(5500, 3500, 5500, 3300));
    EXPECT_EQ(c.Line1(0), segment(0, 0, 0, 0));
    EXPECT_EQ(vertices(s), (Vertices{5500, 3300, 6000, 3300, 5750, 3050}));
    EXPECT_TRUE(c.Shape2.Visible);
    EXPECT_EQ(c.Shape2.Left, 5410);
    EXPECT_EQ(c.Shape2.Top, 3210);
}

TEST_F(ShipTest, StepsGrowAndTheShipTravelsTheirSum)
{
    game.Simple_Click();
    game.ResetBoard();
    s.StepGrowth = 100;
    for (int k = 0; k < 4; ++k)
        game.Cmd_Avanti_Click();
    const float lengths[] = {200, 300, 400, 500};
    for (Int16 k = 1; k <= 4; ++k) {
        const Line& l = c.Line1(k);
        EXPECT_EQ(l.X1, 5750);
        EXPECT_EQ(l.Y1 - l.Y2, lengths[k - 1]) << "Line1(" << k << ")";
    }
    EXPECT_EQ(vertices(s), (Vertices{5500, 2100, 6000, 2100, 5750, 1850}));
}

TEST_F(ShipTest, AStepWithAnUnknownHeadingOnlyCounts)
{
    for (const bool easy : {true, false}) {
        for (const int heading : {0, 5, -3}) {
            SCOPED_TRACE(testing::Message() << (easy ? "easy, " : "triangle, ") << heading);
            easy ? game.Easy_Click() : game.Simple_Click();
            game.ResetBoard();
            s.StepGrowth = 150;
            s.Heading = static_cast<Int16>(heading);
            GameState expected = s;
            expected.SegmentIndex = 1;
            expected.StepLength = 250;
            const Controls before = c;
            game.Cmd_Avanti_Click();
            EXPECT_EQ(s, expected);
            EXPECT_EQ(c, before) << "nothing drawn, no marker, no triangle";
        }
    }
}

TEST_F(ShipTest, TheMarkerStandsAtHomeOrNinetyTwipsFromTheLatestSegmentEnd)
{
    s.HomeX = 1234;
    s.HomeY = 4321;
    for (Int16 k = 1; k <= 8; ++k) {
        c.Line1(k).X2 = 1000.5f + 100.0f * k;
        c.Line1(k).Y2 = -20.25f * k;
    }
    c.Line1(9).X2 = 7777;
    for (Int16 index = -1; index <= 20; ++index) {
        SCOPED_TRACE(testing::Message() << "SegmentIndex " << index);
        s.SegmentIndex = index;
        c.Shape2 = Controls{}.Shape2;
        game.DrawShipEasy();
        EXPECT_TRUE(c.Shape2.Visible);
        if (index >= 1 && index <= 8) {
            EXPECT_EQ(c.Shape2.Left, 910.5f + 100.0f * index);
            EXPECT_EQ(c.Shape2.Top, -20.25f * index - 90.0f);
        } else {
            EXPECT_EQ(c.Shape2.Left, 1134);
            EXPECT_EQ(c.Shape2.Top, 4221);
        }
        const Shape once = c.Shape2;
        game.DrawShipEasy();
        EXPECT_EQ(c.Shape2, once);
    }
}

TEST_F(ShipTest, AnEasyTurnLeavesTheMarkerWhereItWas)
{
    s.StepGrowth = 100;
    game.Cmd_Avanti_Click();
    const Shape afterStep = c.Shape2;
    game.TurnRight();
    game.TurnRight();
    game.TurnLeft();
    EXPECT_EQ(c.Shape2, afterStep);
    EXPECT_EQ(afterStep.Left, 5410);
}

}  // namespace
}  // namespace navicella::test
