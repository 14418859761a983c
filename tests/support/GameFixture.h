// SPDX-License-Identifier: GPL-3.0-or-later
// A loaded game with scripted chance and a recording cue player, and the
// small readers the core tests share.
#pragma once

#include "game/Game.h"
#include "game/RuntimeError.h"
#include "game/Window.h"
#include "support/Headings.h"
#include "support/RecordingPlayer.h"
#include "support/ScriptedRandom.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace navicella {

inline std::ostream& operator<<(std::ostream& out, const Line& l)
{
    return out << "(" << l.X1 << ", " << l.Y1 << ")-(" << l.X2 << ", " << l.Y2 << ")";
}

// Readable failure messages for the records the tests compare whole.
inline void PrintTo(const GameState& s, std::ostream* out)
{
    *out << "{Ship " << s.ShipAX << "," << s.ShipAY << " " << s.ShipBX << "," << s.ShipBY << " "
         << s.ShipCX << "," << s.ShipCY << " size " << s.ShipSize << " home " << s.HomeX << ","
         << s.HomeY << " Heading " << s.Heading << " StepLength " << s.StepLength
         << " SegmentIndex " << s.SegmentIndex << " TurnIndex " << s.TurnIndex << " Coin " << s.Coin
         << " AnswerIndex " << s.AnswerIndex << " RandomLength " << s.RandomLength << " EasyMode "
         << s.EasyMode << " RightPairs " << s.RightPairs << " LeftPairs " << s.LeftPairs
         << " StepGrowth " << s.StepGrowth << " LastPick " << s.LastPick << " TurnOffset "
         << s.TurnOffset << " Turns";
    for (Int16 k = 0; k < TurnsCount; ++k)
        *out << " '" << s.Turns(k) << "'";
    *out << "}";
}

inline void PrintTo(const Controls& c, std::ostream* out)
{
    const auto line = [&](const Line& l) {
        *out << " " << l << (l.BorderColor == colour::Red ? " red" : "")
             << (l.Visible ? "" : " hidden");
    };
    const auto shape = [&](const char* name, const Shape& sh) {
        *out << "\n  " << name << " " << sh.Left << "," << sh.Top << " border " << sh.BorderColor
             << " back " << sh.BackColor << " fill " << sh.FillColor
             << (sh.Visible ? "" : " hidden");
    };
    *out << "\n  Line1";
    for (const Line& l : c.Line1)
        line(l);
    *out << "\n  Line3";
    for (const Line& l : c.Line3)
        line(l);
    shape("Shape1", c.Shape1);
    shape("Shape2", c.Shape2);
    for (const window::LabelPlace& label : window::Labels)
        *out << "\n  " << label.name << " '" << (c.*label.control).Caption << "'"
             << ((c.*label.control).Visible ? "" : " hidden");
    for (const window::Button& button : window::Buttons)
        *out << "\n  " << button.name << ((c.*button.control).Visible ? "" : " hidden")
             << ((c.*button.control).Value ? " selected" : "");
}

namespace test {

// The ship's vertices in the order A(x, y), B(x, y), C(x, y).
using Vertices = std::array<int, 6>;

inline Vertices vertices(const GameState& s)
{
    return {s.ShipAX, s.ShipAY, s.ShipBX, s.ShipBY, s.ShipCX, s.ShipCY};
}

inline void setVertices(GameState& s, const Vertices& v)
{
    s.ShipAX = static_cast<Int16>(v[0]);
    s.ShipAY = static_cast<Int16>(v[1]);
    s.ShipBX = static_cast<Int16>(v[2]);
    s.ShipBY = static_cast<Int16>(v[3]);
    s.ShipCX = static_cast<Int16>(v[4]);
    s.ShipCY = static_cast<Int16>(v[5]);
}

inline Line segment(float x1, float y1, float x2, float y2, Colour colour = colour::Green)
{
    return Line{x1, y1, x2, y2, colour, true};
}

// Draws that make a coin say left or right, and length draws for 4, 6 or 8 turns.
inline constexpr float CoinLeft = 0.75f;
inline constexpr float CoinRight = 0.25f;
inline constexpr float FourTurns = 0.1f;
inline constexpr float SixTurns = 0.5f;
inline constexpr float EightTurns = 0.9f;

// The run-time error that `action` raises, if any. Other exceptions pass.
template <typename Action>
std::optional<RuntimeError> errorOf(Action&& action)
{
    try {
        action();
    } catch (const RuntimeError& error) {
        return error;
    }
    return std::nullopt;
}

// The number of the run-time error that `action` raises, 0 when it raises none.
template <typename Action>
int errorNumber(Action&& action)
{
    const std::optional<RuntimeError> error = errorOf(action);
    return error ? error->number() : 0;
}

inline constexpr int Overflow = 6;
inline constexpr int Subscript = 9;
inline constexpr int FloatingPoint = 16;
inline constexpr int MissingElement = 340;

inline constexpr Vertices HomeVertices{5500, 3500, 6000, 3500, 5750, 3250};

// The ship's three lines, shown, as they must stand for these vertices:
// base A-B, left flank A-C, right flank B-C.
inline std::array<Line, 3> triangle(const Vertices& v)
{
    const auto f = [&](std::size_t k) { return static_cast<float>(v[k]); };
    return {segment(f(0), f(1), f(2), f(3), colour::Blue),
            segment(f(0), f(1), f(4), f(5), colour::Blue),
            segment(f(2), f(3), f(4), f(5), colour::Blue)};
}

// The triangle of a heading around the midpoint (mx, my) of its base, with a
// base of 2h and the nose h in front of the base.
inline Vertices layout(int heading, int mx, int my, int h = 250)
{
    if (heading != 12 && heading != 3 && heading != 6 && heading != 9) {
        ADD_FAILURE() << "no layout for heading " << heading;
        return {};
    }
    return shipLayout(heading, mx, my, h);
}

inline constexpr std::string_view S = "Sinistra";
inline constexpr std::string_view D = "Destra";

inline std::string_view other(std::string_view word) { return word == S ? D : S; }

// Presses the answer button of a word, as the player does.
inline void press(Game& game, std::string_view word)
{
    if (word == S)
        game.Opt_Sinistra_MouseDown();
    else
        game.Opt_Destra_MouseDown();
}

// Scripts the draws of a random-length thread: the length draw, then one coin
// per pair, alternating from the first pair's side, so no draw is rejected
// when the guards allow that first side.
inline void scriptPairs(ScriptedRandom& random, float lengthDraw, bool firstLeft, int pairs)
{
    random.push({lengthDraw});
    for (int k = 0; k < pairs; ++k)
        random.push({(k % 2 == 0) == firstLeft ? CoinLeft : CoinRight});
}

// Scripts the nine coins of a fixed-length thread from a pattern such as
// "LLRLRRRLL".
inline void scriptFixed(ScriptedRandom& random, std::string_view pattern)
{
    for (char side : pattern)
        random.push({side == 'L' ? CoinLeft : CoinRight});
}

// The expected answers of the current thread, entries 0 to 19.
inline std::vector<std::string> turns(const GameState& s)
{
    std::vector<std::string> words;
    for (Int16 k = 0; k < TurnsCount; ++k)
        words.push_back(s.Turns(k));
    return words;
}

// The cues played, by their short names, in order.
inline std::vector<std::string> cueNames(const RecordingPlayer& player)
{
    std::vector<std::string> names;
    for (const std::string& path : player.cues) {
        if (path == cue::StartCue)
            names.emplace_back("start");
        else if (path == cue::RightCue)
            names.emplace_back("right");
        else if (path == cue::WrongCue)
            names.emplace_back("wrong");
        else if (path == cue::EndCue)
            names.emplace_back("end");
        else
            names.push_back("unknown: " + path);
    }
    return names;
}

// Indices k of Line1 whose colour is red.
inline std::vector<int> redSegments(const Controls& c)
{
    std::vector<int> red;
    for (Int16 k = 0; k < Line1Count; ++k) {
        if (c.Line1(k).BorderColor == colour::Red)
            red.push_back(k);
    }
    return red;
}

inline std::vector<int> range(int first, int last)
{
    std::vector<int> values;
    for (int k = first; k <= last; ++k)
        values.push_back(k);
    return values;
}

class GameFixture : public ::testing::Test {
protected:
    void SetUp() override { game.Form_Load(); }

    ScriptedRandom random;
    RecordingPlayer player;
    Game game{random, player};
    GameState& s = game.state();
    Controls& c = game.controls();
};

}  // namespace test
}  // namespace navicella
