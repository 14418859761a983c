// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the board reset and the three levels, including a change of
// level in the middle of a round.
#include "support/GameFixture.h"
#include "support/ThreadRules.h"

#include <gtest/gtest.h>

namespace navicella::test {
namespace {

using BoardTest = GameFixture;

GameState homeState()
{
    GameState e;
    e.ShipSize = 500;
    setVertices(e, HomeVertices);
    e.HomeX = 5500;
    e.HomeY = 3500;
    e.Heading = 12;
    e.StepLength = 100;
    return e;
}

TEST_F(BoardTest, LoadingTheWindowLeavesTheFirstStateThePlayerSees)
{
    GameState expected = homeState();
    expected.EasyMode = -1;
    expected.RandomLength = -1;
    EXPECT_EQ(s, expected);

    struct Shown {
        const char* control;
        bool visible;
        bool expected;
    };
    const Shown table[] = {
        {"Label1", c.Label1.Visible, true},
        {"Lbl_Livello", c.Lbl_Livello.Visible, true},
        {"Lbl_Domanda", c.Lbl_Domanda.Visible, true},
        {"Opt_Via", c.Opt_Via.Visible, true},
        {"Opt_Esci", c.Opt_Esci.Visible, true},
        {"Opt_Destra", c.Opt_Destra.Visible, false},
        {"Opt_Sinistra", c.Opt_Sinistra.Visible, false},
        {"Opt_Pulisci", c.Opt_Pulisci.Visible, false},
        {"Line3(0)", c.Line3(0).Visible, false},
        {"Line3(1)", c.Line3(1).Visible, false},
        {"Line3(2)", c.Line3(2).Visible, false},
        {"Shape1", c.Shape1.Visible, false},
        {"Shape2", c.Shape2.Visible, false},
    };
    for (const Shown& row : table)
        EXPECT_EQ(row.visible, row.expected) << row.control;
    EXPECT_EQ(c.Label1.Caption, "Guida la navicella: segui il filo di Velmora!");
    EXPECT_EQ(c.Lbl_Livello.Caption, "Facile");
    EXPECT_EQ(c.Lbl_Domanda.Caption, "");
    EXPECT_TRUE(c.Option1.Value);
    EXPECT_FALSE(c.Opt_Via.Value || c.Opt_Esci.Value);
    for (const Line& line : c.Line1)
        EXPECT_EQ(line, segment(0, 0, 0, 0, colour::Green));

    // Nothing else differs from the window as created.
    Controls created;
    created.Lbl_Livello = {"Facile", true};
    for (Line& side : created.Line3)
        side.Visible = false;
    created.Shape1.Visible = false;
    created.Opt_Destra.Visible = false;
    created.Opt_Sinistra.Visible = false;
    created.Opt_Pulisci.Visible = false;
    EXPECT_EQ(c, created);
    EXPECT_TRUE(player.cues.empty());
    EXPECT_EQ(random.calls, "") << "no thread before the first start";
}

TEST_F(BoardTest, ResetAfterARoundClearsTheBoardAndKeepsTheGenerationFields)
{
    struct Case {
        Level level;
        int presses;  // right answers given before the reset; 4 ends the round
    };
    for (const Case round : {Case{Level::Semplice, 4}, Case{Level::Facile, 1}}) {
        SCOPED_TRACE(levelName(round.level));
        choose(game, round.level);
        scriptPairs(random, FourTurns, s.LeftPairs != 1, 2);
        game.Opt_Via_MouseDown();
        for (int k = 0; k < round.presses; ++k)
            press(game, s.Turns(s.AnswerIndex));
        ASSERT_FALSE(redSegments(c).empty());
        c.setValue(c.Opt_Pulisci, true);  // as the window leaves a pressed button
        const bool ended = round.presses == 4;
        ASSERT_EQ(c.Lbl_Domanda.Visible, !ended);
        const GameState before = s;
        const Controls controlsBefore = c;

        game.ResetBoard();

        GameState expected = homeState();
        expected.EasyMode = before.EasyMode;
        expected.RandomLength = before.RandomLength;
        for (Int16 GameState::*kept :
             {&GameState::TurnIndex, &GameState::Coin, &GameState::RightPairs,
              &GameState::LeftPairs, &GameState::StepGrowth, &GameState::LastPick})
            expected.*kept = before.*kept;
        EXPECT_EQ(s, expected);

        for (const Line& line : c.Line1)
            EXPECT_EQ(line, segment(0, 0, 0, 0, colour::Green));
        EXPECT_TRUE(c.Opt_Via.Visible);
        EXPECT_FALSE(c.Opt_Destra.Visible);
        EXPECT_FALSE(c.Opt_Sinistra.Visible);
        EXPECT_FALSE(c.Opt_Pulisci.Visible);
        EXPECT_TRUE(c.Option1.Value);
        EXPECT_FALSE(c.Opt_Pulisci.Value);
        EXPECT_FALSE(c.Shape1.Visible);
        EXPECT_EQ(c.Lbl_Domanda, (Label{"", controlsBefore.Lbl_Domanda.Visible}));
        EXPECT_EQ(c.Lbl_Livello, controlsBefore.Lbl_Livello);
        EXPECT_EQ(c.Shape2, controlsBefore.Shape2);
        const bool easy = round.level == Level::Facile;
        for (const Line& side : c.Line3)
            EXPECT_EQ(side.Visible, !easy);
    }
}

TEST_F(BoardTest, LevelHandlersSetTheFlagsAndTheLabelOnly)
{
    struct Handler {
        Level level;
        int easyMode, randomLength;
        const char* caption;
        bool hidesMarker;
    };
    const Handler handlers[] = {
        {Level::Facile, -1, -1, "Facile", false},
        {Level::Semplice, 0, -1, "Semplice", true},
        {Level::Complesso, 0, 0, "Complesso", true},
    };
    for (const Level prior : {Level::Facile, Level::Semplice, Level::Complesso}) {
        for (const Handler& h : handlers) {
            for (const bool markerShown : {true, false}) {
                SCOPED_TRACE(testing::Message() << levelName(prior) << " -> " << levelName(h.level)
                                                << (markerShown ? ", marker shown" : ""));
                choose(game, prior);
                c.Shape2.Visible = markerShown;
                c.Lbl_Livello.Visible = false;
                GameState expected = s;
                expected.EasyMode = static_cast<Int16>(h.easyMode);
                expected.RandomLength = static_cast<Int16>(h.randomLength);
                Controls expectedControls = c;
                expectedControls.Lbl_Livello = {h.caption, true};
                if (h.hidesMarker)
                    expectedControls.Shape2.Visible = false;

                choose(game, h.level);

                EXPECT_EQ(s, expected);
                EXPECT_EQ(c, expectedControls);
            }
        }
    }
    EXPECT_TRUE(player.cues.empty());
}

class LevelChangeTest : public GameFixture {
protected:
    // Starts a round of four turns, S D D S, in the current level.
    void startFourTurns()
    {
        random.push({FourTurns, CoinLeft, CoinRight});
        game.Opt_Via_MouseDown();
        ASSERT_EQ(turns(s)[0], "Sinistra");
    }
};

TEST_F(LevelChangeTest, ChoosingTheActiveEasyLevelChangesNothing)
{
    startFourTurns();
    game.Opt_Sinistra_MouseDown();
    const GameState before = s;
    const Controls controlsBefore = c;
    game.Easy_Click();
    EXPECT_EQ(s, before);
    EXPECT_EQ(c, controlsBefore);
}

TEST_F(LevelChangeTest, LeavingTheEasyLevelHidesTheMarkerButNotYetShowsTheTriangle)
{
    startFourTurns();
    ASSERT_TRUE(c.Shape2.Visible);
    game.Complex_Click();
    EXPECT_FALSE(c.Shape2.Visible);
    for (const Line& side : c.Line3)
        EXPECT_FALSE(side.Visible);

    // The next answer moves the hidden triangle but does not show it.
    game.Opt_Sinistra_MouseDown();
    EXPECT_EQ(s.AnswerIndex, 1) << "no automatic turn outside the easy level";
    for (const Line& side : c.Line3)
        EXPECT_FALSE(side.Visible);
    const auto hidden = [](Line line) {
        line.Visible = false;
        return line;
    };
    EXPECT_EQ(c.Line3(0), hidden(segment(5550, 3750, 5550, 3250, colour::Blue)));
    EXPECT_EQ(c.Line3(1), hidden(segment(5550, 3750, 5300, 3500, colour::Blue)));
    EXPECT_EQ(c.Line3(2), hidden(segment(5550, 3250, 5300, 3500, colour::Blue)));
    EXPECT_EQ(c.Line1(1), segment(5750, 3500, 5550, 3500, colour::Red))
        << "the step follows the centre line from now on";
    EXPECT_FALSE(c.Shape2.Visible);

    // The next placement of the ship shows it.
    game.Opt_Pulisci_MouseDown();
    for (const Line& side : c.Line3)
        EXPECT_TRUE(side.Visible);
}

TEST_F(LevelChangeTest, EnteringTheEasyLevelFreezesTheTriangleUntilTheNextPlacement)
{
    game.Simple_Click();
    startFourTurns();
    const std::array<Line, 3> atHome{c.Line3(0), c.Line3(1), c.Line3(2)};
    ASSERT_TRUE(atHome[0].Visible);

    game.Easy_Click();
    EXPECT_FALSE(c.Shape2.Visible) << "choosing the level does not show the marker";
    EXPECT_EQ((std::array<Line, 3>{c.Line3(0), c.Line3(1), c.Line3(2)}), atHome);

    // The next answer, with its automatic turn, draws the marker and leaves
    // the triangle where it stood.
    game.Opt_Sinistra_MouseDown();
    EXPECT_EQ(s.AnswerIndex, 2);
    EXPECT_TRUE(c.Shape2.Visible);
    EXPECT_EQ(c.Shape2.Left, 5300 - 90);
    EXPECT_EQ(c.Shape2.Top, 3200 - 90);
    EXPECT_EQ((std::array<Line, 3>{c.Line3(0), c.Line3(1), c.Line3(2)}), atHome);

    // The next placement hides it.
    game.Opt_Pulisci_MouseDown();
    for (const Line& side : c.Line3)
        EXPECT_FALSE(side.Visible);
}

}  // namespace
}  // namespace navicella::test
