// SPDX-License-Identifier: GPL-3.0-or-later
// The controls and the state record as the window creates them, the option
// group's rule, and the bounds of the control arrays and of Turns.
#include "support/GameFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace navicella::test {
namespace {

TEST(ControlsTest, CreationStateFollowsTheLayout)
{
    const Controls c;
    for (const Line& line : c.Line1)
        EXPECT_EQ(line.BorderColor, 0x0000FF00u);
    for (const Line& line : c.Line3)
        EXPECT_EQ(line.BorderColor, 0x00FF0000u);
    EXPECT_TRUE(
        std::all_of(c.Line1.begin(), c.Line1.end(), [](const Line& l) { return l.Visible; }));
    EXPECT_TRUE(
        std::all_of(c.Line3.begin(), c.Line3.end(), [](const Line& l) { return l.Visible; }));

    const Shape goal{480, 800, 495, 600, 0x000000FF, 0x00C0FFFF, 0x00C0FFFF, true};
    const Shape marker{600, 1800, 255, 240, 0x0000C000, 0x00C0FFFF, 0x00C0FFFF, false};
    EXPECT_EQ(c.Shape1, goal);
    EXPECT_EQ(c.Shape2, marker);

    EXPECT_EQ(c.Label1, (Label{"Guida la navicella: segui il filo di Velmora!", true}));
    EXPECT_EQ(c.Lbl_Domanda, (Label{"", true}));
    EXPECT_EQ(c.Lbl_Livello, (Label{"", false}));

    for (const window::Button& button : window::Buttons) {
        SCOPED_TRACE(button.name);
        EXPECT_TRUE((c.*button.control).Visible);
        EXPECT_EQ((c.*button.control).Value, button.control == &Controls::Option1);
    }
}

TEST(ControlsTest, StateRecordStartsAtZeroWithNoExpectedAnswers)
{
    ScriptedRandom random;
    RecordingPlayer player;
    const Game game{random, player};
    const GameState& s = game.state();
    const Int16 fields[] = {
        s.ShipSize,  s.ShipAX,     s.ShipBX,      s.ShipCX,       s.ShipAY,     s.ShipBY,
        s.ShipCY,    s.HomeX,      s.HomeY,       s.Heading,      s.StepLength, s.SegmentIndex,
        s.TurnIndex, s.Coin,       s.AnswerIndex, s.RandomLength, s.EasyMode,   s.RightPairs,
        s.LeftPairs, s.StepGrowth, s.LastPick,    s.TurnOffset};
    for (const Int16 field : fields)
        EXPECT_EQ(field, 0);
    EXPECT_EQ(turns(s), std::vector<std::string>(20));
    EXPECT_EQ(game.controls(), Controls{});
    EXPECT_TRUE(player.cues.empty());
    EXPECT_EQ(random.calls, "");
}

// Each member's value, in the order of window::Buttons.
using GroupValues = std::array<bool, window::Buttons.size()>;

OptionButton& member(Controls& c, std::size_t k) { return c.*window::Buttons[k].control; }

GroupValues values(Controls c)
{
    GroupValues v{};
    for (std::size_t k = 0; k < v.size(); ++k)
        v[k] = member(c, k).Value;
    return v;
}

TEST(ControlsTest, SelectingAMemberReleasesEveryOther)
{
    for (std::size_t first = 0; first < window::Buttons.size(); ++first) {
        for (std::size_t second = 0; second < window::Buttons.size(); ++second) {
            SCOPED_TRACE(testing::Message() << "member " << first << " then " << second);
            Controls c;
            c.setValue(member(c, first), true);
            c.setValue(member(c, second), true);
            GroupValues expected{};
            expected[second] = true;
            EXPECT_EQ(values(c), expected);
        }
    }
}

TEST(ControlsTest, ReleasingAMemberSelectsNoOther)
{
    for (std::size_t selected = 0; selected < window::Buttons.size(); ++selected) {
        for (std::size_t released = 0; released < window::Buttons.size(); ++released) {
            SCOPED_TRACE(testing::Message()
                         << "member " << selected << " selected, " << released << " released");
            Controls c;
            c.setValue(member(c, selected), true);
            c.setValue(member(c, released), false);
            GroupValues expected{};
            expected[selected] = selected != released;
            EXPECT_EQ(values(c), expected);
        }
    }
    // Option1, selected at creation, stays selected when another member is released.
    Controls c;
    c.setValue(c.Opt_Via, false);
    EXPECT_EQ(values(c), values(Controls{}));
}

TEST(ControlsTest, ControlArraysHaveExactlyTheirElements)
{
    Controls c;
    const Controls& constant = c;
    for (const int index : {0, 19})
        EXPECT_EQ(errorNumber([&] { c.Line1(static_cast<Int16>(index)).X1 = 1; }), 0);
    for (const int index : {0, 2})
        EXPECT_EQ(errorNumber([&] { c.Line3(static_cast<Int16>(index)).X1 = 1; }), 0);
    for (const int index : {-32768, -1, 20, 21, 32767}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(errorNumber([&] { c.Line1(static_cast<Int16>(index)); }), MissingElement);
        EXPECT_EQ(errorNumber([&] { constant.Line1(static_cast<Int16>(index)); }), MissingElement);
    }
    for (const int index : {-1, 3, 20}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(errorNumber([&] { c.Line3(static_cast<Int16>(index)); }), MissingElement);
    }
}

TEST(ControlsTest, TurnsHasTwentyEntries)
{
    GameState s;
    const GameState& constant = s;
    s.Turns(0) = "Destra";
    s.Turns(19) = "Sinistra";
    EXPECT_EQ(constant.Turns(0), "Destra");
    EXPECT_EQ(constant.Turns(19), "Sinistra");
    for (const int index : {-32768, -1, 20, 32767}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(errorNumber([&] { s.Turns(static_cast<Int16>(index)) = "Destra"; }), Subscript);
        EXPECT_EQ(errorNumber([&] { constant.Turns(static_cast<Int16>(index)); }), Subscript);
    }
}

}  // namespace
}  // namespace navicella::test
