// SPDX-License-Identifier: GPL-3.0-or-later
// A round from the player's side: the start, right and wrong answers with
// their cues, the automatic turns of the easy level, the end of the thread,
// the clear command, a level change in mid-round and the mouse-up handlers.
#include "support/GameFixture.h"
#include "support/ThreadRules.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace navicella::test {
namespace {

class RoundTest : public GameFixture {
protected:
    // Starts a round in `level`; random-length threads get `length` and
    // begin with whichever side the guards allow.
    void start(Level level, float length = SixTurns, std::string_view fixed = "LLRLRRRLL")
    {
        choose(game, level);
        if (level == Level::Complesso)
            scriptFixed(random, fixed);
        else
            scriptPairs(random, length, s.LeftPairs != 1, 4);
        game.Opt_Via_MouseDown();
        random = ScriptedRandom{};
        player.cues.clear();
    }

    int turnCount() const { return s.LastPick + s.TurnOffset + 1; }

    // Plays the round to its end with the expected answers, checking after
    // every press the trail, the cues and the question; returns the presses.
    int playToTheEnd(Level level)
    {
        const int n = turnCount();
        const bool easy = level == Level::Facile;
        int presses = 0;
        while (s.AnswerIndex < n && presses < 20) {
            const int answered = s.AnswerIndex;
            SCOPED_TRACE(testing::Message()
                         << "press " << presses + 1 << " at AnswerIndex " << answered);
            player.cues.clear();
            press(game, s.Turns(s.AnswerIndex));
            ++presses;
            const int expectedIndex = std::min(n, answered + (easy ? 2 : 1));
            EXPECT_EQ(s.AnswerIndex, expectedIndex);
            EXPECT_EQ(s.SegmentIndex, s.AnswerIndex);
            EXPECT_EQ(redSegments(c), range(1, s.AnswerIndex));
            std::vector<std::string> cues(static_cast<std::size_t>(expectedIndex - answered),
                                          "right");
            if (expectedIndex == n)
                cues.emplace_back("end");
            EXPECT_EQ(cueNames(player), cues);
            EXPECT_EQ(c.Lbl_Domanda.Caption, "Sinistra o Destra ?");
            EXPECT_EQ(c.Lbl_Domanda.Visible, s.AnswerIndex < n);
        }
        return presses;
    }
};

TEST_F(RoundTest, AStartLaysOutTheThreadAndAsksTheFirstQuestion)
{
    for (const Level level : {Level::Facile, Level::Semplice, Level::Complesso}) {
        SCOPED_TRACE(levelName(level));
        c.Lbl_Domanda.Visible = false;  // as a round's end leaves it
        choose(game, level);
        if (level == Level::Complesso)
            scriptFixed(random, "RLRLRLRLR");
        else
            scriptPairs(random, EightTurns, s.LeftPairs != 1, 4);
        player.cues.clear();
        game.Opt_Via_MouseDown();

        expectValidThread(game, level);
        EXPECT_EQ(cueNames(player), std::vector<std::string>{"start"});
        EXPECT_EQ(vertices(s), HomeVertices);
        EXPECT_EQ(s.Heading, 12);
        EXPECT_EQ(s.StepLength, 100);
        EXPECT_EQ(s.SegmentIndex, 0);
        EXPECT_EQ(s.AnswerIndex, 0);
        EXPECT_EQ(c.Lbl_Domanda, (Label{"Sinistra o Destra ?", true}));
        EXPECT_TRUE(c.Opt_Destra.Visible && c.Opt_Sinistra.Visible && c.Opt_Pulisci.Visible);
        EXPECT_FALSE(c.Opt_Via.Visible);
        const bool easy = level == Level::Facile;
        EXPECT_EQ(c.Shape2.Visible, easy);
        if (easy) {
            EXPECT_EQ(c.Shape2.Left, 5400);
            EXPECT_EQ(c.Shape2.Top, 3400);
        }
        for (Int16 k = 0; k < 3; ++k) {
            EXPECT_EQ(c.Line3(k).Visible, !easy);
            if (!easy) {
                EXPECT_EQ(c.Line3(k), triangle(HomeVertices)[static_cast<std::size_t>(k)]);
            }
        }
        random = ScriptedRandom{};
    }
}

TEST_F(RoundTest, EachEventPlaysItsOwnFixedCue)
{
    start(Level::Semplice, FourTurns);
    press(game, other(s.Turns(0)));
    for (int k = 0; k < 4; ++k)
        press(game, s.Turns(s.AnswerIndex));
    const std::vector<std::string> expected{
        "C:\\WINDOWS\\Media\\chord.wav",  "C:\\WINDOWS\\Media\\chimes.wav",
        "C:\\WINDOWS\\Media\\chimes.wav", "C:\\WINDOWS\\Media\\chimes.wav",
        "C:\\WINDOWS\\Media\\chimes.wav", "C:\\WINDOWS\\Media\\tada.wav"};
    EXPECT_EQ(player.cues, expected);

    player.cues.clear();
    scriptPairs(random, FourTurns, s.LeftPairs != 1, 2);
    game.Opt_Via_MouseDown();
    game.Opt_Pulisci_MouseDown();
    EXPECT_EQ(player.cues,
              std::vector<std::string>{"C:\\WINDOWS\\Media\\Windows XP - barra informazioni.wav"})
        << "one start cue, and a clear is silent";
}

TEST_F(RoundTest, AStartNeedsNothingFromAnEarlierClear)
{
    game.Simple_Click();
    s.AnswerIndex = 5;
    s.SegmentIndex = 7;
    s.StepLength = 900;
    s.TurnOffset = 3;
    s.Heading = 0;
    for (Int16 k = 0; k < TurnsCount; ++k) {
        s.Turns(k) = "Destra";
        c.Line1(k) = segment(1, 2, 3, 4, colour::Red);
    }
    c.Shape1.Left = -1;
    scriptPairs(random, SixTurns, true, 3);
    game.Opt_Via_MouseDown();
    EXPECT_EQ(expectValidThread(game, Level::Semplice), 6);
    EXPECT_EQ(s.AnswerIndex, 0);
    EXPECT_EQ(s.SegmentIndex, 0);
}

TEST_F(RoundTest, EveryLevelPlaysToItsEndWithTheExpectedAnswers)
{
    struct Case {
        Level level;
        float length;
        int turns, presses;
    };
    const Case cases[] = {
        {Level::Facile, FourTurns, 4, 2},    {Level::Facile, SixTurns, 6, 3},
        {Level::Facile, EightTurns, 8, 4},   {Level::Semplice, FourTurns, 4, 4},
        {Level::Semplice, EightTurns, 8, 8}, {Level::Complesso, 0, 9, 9},
    };
    for (const Case& t : cases) {
        for (int round = 1; round <= 2; ++round) {
            SCOPED_TRACE(testing::Message()
                         << levelName(t.level) << ", " << t.turns << " turns, round " << round);
            start(t.level, t.length, round == 1 ? "LLRLRRRLL" : "RRRLRLLLR");
            ASSERT_EQ(turnCount(), t.turns);
            const bool easy = t.level == Level::Facile;
            const GameState atStart = s;
            Controls expected = c;

            EXPECT_EQ(playToTheEnd(t.level), t.presses);

            // Where the ship ends: the thread's last point, pointing as the turns say.
            int heading = 12;
            for (Int16 k = 0; k < t.turns; ++k)
                heading = s.Turns(k) == D ? clockwise(heading) : counterClockwise(heading);
            const Line& last = c.Line1(static_cast<Int16>(t.turns));
            const int endX = static_cast<int>(last.X2);
            const int endY = static_cast<int>(last.Y2);
            const Vertices ship =
                easy ? Vertices{endX, endY, endX + 500, endY, endX + 250, endY - 250}
                     : layout(heading, endX, endY);
            GameState expectedState = atStart;
            expectedState.AnswerIndex = static_cast<Int16>(t.turns);
            expectedState.SegmentIndex = static_cast<Int16>(t.turns);
            expectedState.StepLength = static_cast<Int16>(100 + t.turns * atStart.StepGrowth);
            expectedState.Heading = static_cast<Int16>(heading);
            setVertices(expectedState, ship);
            EXPECT_EQ(s, expectedState);

            for (Int16 k = 1; k <= t.turns; ++k)
                expected.Line1(k).BorderColor = colour::Red;
            expected.Shape1.FillColor = colour::Red;
            expected.Lbl_Domanda.Visible = false;
            expected.Opt_Destra.Visible = false;
            expected.Opt_Sinistra.Visible = false;
            expected.Opt_Via.Visible = true;
            expected.Opt_Pulisci.Value = false;
            expected.Shape2.Visible = false;
            if (easy) {
                expected.Shape2.Left = last.X2 - 90;
                expected.Shape2.Top = last.Y2 - 90;
            } else {
                const std::array<Line, 3> drawn = triangle(ship);
                std::copy(drawn.begin(), drawn.end(), expected.Line3.begin());
            }
            EXPECT_EQ(c, expected);
        }
    }
}

TEST_F(RoundTest, PlayRedrawsExactlyTheSegmentsOfTheThread)
{
    for (const Level level : {Level::Facile, Level::Semplice, Level::Complesso}) {
        SCOPED_TRACE(levelName(level));
        start(level, EightTurns);
        const Controls laidOut = c;
        for (Int16 k = 1; k < Line1Count; ++k)
            c.Line1(k) = segment(1, 1, 1, 1);
        playToTheEnd(level);
        const int n = turnCount();
        for (Int16 k = 0; k < Line1Count; ++k) {
            const Line& l = c.Line1(k);
            const Line& before = laidOut.Line1(k);
            if (k >= 1 && k <= n) {
                EXPECT_EQ((std::array<float, 4>{l.X1, l.Y1, l.X2, l.Y2}),
                          (std::array<float, 4>{before.X1, before.Y1, before.X2, before.Y2}))
                    << "Line1(" << k << ")";
            } else if (k > n) {
                EXPECT_EQ(l, segment(1, 1, 1, 1)) << "Line1(" << k << ") is not the thread's";
            }
        }
    }
}

TEST_F(RoundTest, AWrongAnswerChangesOnlyTheQuestionAndPlaysTheChord)
{
    for (const Level level : {Level::Facile, Level::Semplice, Level::Complesso}) {
        SCOPED_TRACE(levelName(level));
        start(level);
        for (const bool rightFirst : {false, true}) {
            if (rightFirst)
                press(game, s.Turns(s.AnswerIndex));
            player.cues.clear();
            GameState before = s;
            Controls expected = c;
            expected.Lbl_Domanda.Caption = "Ritenta - Sinistra o Destra ?";
            for (int wrong = 1; wrong <= 3; ++wrong) {
                press(game, other(s.Turns(s.AnswerIndex)));
                EXPECT_EQ(s, before);
                EXPECT_EQ(c, expected);
                EXPECT_EQ(cueNames(player),
                          std::vector<std::string>(static_cast<std::size_t>(wrong), "wrong"));
            }
            const Int16 answered = s.AnswerIndex;
            press(game, s.Turns(s.AnswerIndex));
            EXPECT_GT(s.AnswerIndex, answered);
            EXPECT_EQ(c.Lbl_Domanda.Caption, "Sinistra o Destra ?");
        }
        game.Opt_Pulisci_MouseDown();
    }
}

TEST_F(RoundTest, AnEntryMatchesOnlyItsExactWord)
{
    start(Level::Semplice);
    for (const char* entry : {"", "destra", "Destra ", "DESTRA", "Sinistr", "sinistra", "Left"}) {
        SCOPED_TRACE(testing::Message() << "entry '" << entry << "'");
        s.Turns(0) = entry;
        const GameState before = s;
        player.cues.clear();
        game.Opt_Destra_MouseDown();
        game.Opt_Sinistra_MouseDown();
        EXPECT_EQ(s, before);
        EXPECT_EQ(cueNames(player), (std::vector<std::string>{"wrong", "wrong"}));
    }
}

TEST_F(RoundTest, TheEasyFollowOnLooksOnlyAtTheNextEntry)
{
    struct Case {
        std::vector<std::string_view> entries;
        int answered;  // AnswerIndex after one press of the first entry's button
    };
    const Case cases[] = {
        {{S, D, D, S}, 2},     // the other word follows: one automatic turn
        {{S, S, D, S}, 1},     // the same word follows
        {{D, "", D, D}, 1},    // an empty entry follows
        {{D, "sinistra"}, 1},  // any other text follows
        {{D, S, S, D}, 2},     // never a second automatic turn
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::Message() << t.entries.size() << " entries starting " << t.entries[0]
                                        << ", " << t.entries[1]);
        start(Level::Facile, EightTurns);
        for (Int16 k = 0; k < TurnsCount; ++k)
            s.Turns(k) = static_cast<std::size_t>(k) < t.entries.size()
                             ? t.entries[static_cast<std::size_t>(k)]
                             : "";
        press(game, t.entries[0]);
        EXPECT_EQ(s.AnswerIndex, t.answered);
        EXPECT_EQ(cueNames(player),
                  std::vector<std::string>(static_cast<std::size_t>(t.answered), "right"));
        EXPECT_EQ(redSegments(c), range(1, t.answered));
        game.Opt_Pulisci_MouseDown();
    }
}

TEST_F(RoundTest, AClearInMidRoundEmptiesTheBoardAndOffersTheStartAgain)
{
    for (const Level level : {Level::Facile, Level::Semplice, Level::Complesso}) {
        SCOPED_TRACE(levelName(level));
        start(level, EightTurns);
        press(game, s.Turns(s.AnswerIndex));
        press(game, other(s.Turns(s.AnswerIndex)));
        c.setValue(c.Opt_Pulisci, true);  // the window selects the pressed button
        player.cues.clear();
        const GameState before = s;
        const Controls controlsBefore = c;

        game.Opt_Pulisci_MouseDown();

        GameState expected = before;
        setVertices(expected, HomeVertices);
        expected.Heading = 12;
        expected.StepLength = 100;
        expected.SegmentIndex = 0;
        expected.AnswerIndex = 0;
        for (Int16 k = 0; k < TurnsCount; ++k)
            expected.Turns(k).clear();
        EXPECT_EQ(s, expected) << "LastPick, TurnOffset and StepGrowth stay";

        Controls expectedControls = controlsBefore;
        for (Line& line : expectedControls.Line1)
            line = segment(0, 0, 0, 0, colour::Green);
        expectedControls.Lbl_Domanda.Caption = "";
        expectedControls.Shape1.Visible = false;
        expectedControls.Opt_Destra.Visible = false;
        expectedControls.Opt_Sinistra.Visible = false;
        expectedControls.Opt_Pulisci = {true, false};
        expectedControls.Opt_Via.Visible = true;
        if (level != Level::Facile) {
            const std::array<Line, 3> home = triangle(HomeVertices);
            std::copy(home.begin(), home.end(), expectedControls.Line3.begin());
        }
        EXPECT_EQ(c, expectedControls);
        EXPECT_FALSE(c.Option1.Value);
        EXPECT_TRUE(player.cues.empty());

        if (level == Level::Facile) {
            EXPECT_TRUE(c.Shape2.Visible) << "the marker stays where it last was";
            EXPECT_NE(c.Shape2.Left, 5400);
            start(level);
            EXPECT_EQ(c.Shape2.Left, 5400);
            EXPECT_EQ(c.Shape2.Top, 3400);
            game.Opt_Pulisci_MouseDown();
        }
    }
}

TEST_F(RoundTest, ALevelChosenInMidRoundAppliesFromTheNextPress)
{
    struct Case {
        Level from, to;
        float length;
        std::vector<int> answered;  // AnswerIndex after each press
    };
    const Case cases[] = {
        // S D D S S D: the first press without, the others with automatic turns.
        {Level::Semplice, Level::Facile, SixTurns, {1, 2, 4, 6}},
        // S D D S (or its mirror): one automatic turn, then none.
        {Level::Facile, Level::Semplice, FourTurns, {2, 3, 4}},
        // S S D S D D D S S: automatic turns where the next word is the other one.
        {Level::Complesso, Level::Facile, 0, {1, 3, 5, 6, 8, 9}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::Message() << levelName(t.from) << " -> " << levelName(t.to));
        start(t.from, t.length, "LLRLRRRLL");
        press(game, s.Turns(s.AnswerIndex));
        choose(game, t.to);
        std::vector<int> answered{s.AnswerIndex};
        for (int guard = 0; s.AnswerIndex < turnCount() && guard < 10; ++guard) {
            press(game, s.Turns(s.AnswerIndex));
            answered.push_back(s.AnswerIndex);
            if (t.from == Level::Complesso && s.SegmentIndex >= 1 && s.SegmentIndex <= 8) {
                const Line& l = c.Line1(s.SegmentIndex);
                EXPECT_EQ(c.Shape2.Left, l.X2 - 90) << "the marker at the segment's end";
            }
        }
        EXPECT_EQ(answered, t.answered);
        EXPECT_EQ(redSegments(c), range(1, turnCount()));
        EXPECT_EQ(c.Shape1.FillColor, colour::Red);
        if (t.from == Level::Complesso) {
            EXPECT_EQ(c.Shape2.Left, 5400) << "past Line1(8) the marker stands at home";
            EXPECT_EQ(c.Shape2.Top, 3400);
            EXPECT_FALSE(c.Shape2.Visible) << "and the end hides it";
        }
    }
}

TEST_F(RoundTest, MouseUpReleasesItsButtonAndDoesNothingElse)
{
    struct Case {
        const char* name;
        void (Game::*mouseUp)();
        OptionButton Controls::*button;
    };
    const Case cases[] = {
        {"Opt_Via", &Game::Opt_Via_MouseUp, &Controls::Opt_Via},
        {"Opt_Pulisci", &Game::Opt_Pulisci_MouseUp, &Controls::Opt_Pulisci},
        {"Opt_Destra", &Game::Opt_Destra_MouseUp, &Controls::Opt_Destra},
        {"Opt_Sinistra", &Game::Opt_Sinistra_MouseUp, &Controls::Opt_Sinistra},
    };
    start(Level::Semplice);
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        c.setValue(c.*t.button, true);
        const GameState before = s;
        Controls expected = c;
        (expected.*t.button).Value = false;
        (game.*t.mouseUp)();
        EXPECT_EQ(s, before);
        EXPECT_EQ(c, expected);
        EXPECT_FALSE(c.Option1.Value) << "releasing selects no other member";
    }
    EXPECT_TRUE(player.cues.empty());
}

}  // namespace
}  // namespace navicella::test
