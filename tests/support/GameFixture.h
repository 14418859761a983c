// SPDX-License-Identifier: GPL-3.0-or-later
// A loaded game with scripted chance and a recording cue player, and the
// small readers the core tests share.
#pragma once

#include "game/Game.h"
#include "support/RecordingPlayer.h"
#include "support/ScriptedRandom.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>

namespace navicella {

inline std::ostream& operator<<(std::ostream& out, const Line& l)
{
    return out << "(" << l.X1 << ", " << l.Y1 << ")-(" << l.X2 << ", " << l.Y2 << ")";
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

inline constexpr Vertices HomeVertices{5500, 3500, 6000, 3500, 5750, 3250};

// Draws that make a coin say left or right, and length draws for 4, 6 or 8 turns.
inline constexpr float CoinLeft = 0.75f;
inline constexpr float CoinRight = 0.25f;
inline constexpr float FourTurns = 0.1f;
inline constexpr float SixTurns = 0.5f;
inline constexpr float EightTurns = 0.9f;

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
