// SPDX-License-Identifier: GPL-3.0-or-later
// The rules every thread obeys, checked from the outside: the words, their
// pairs, the segments and the goal marker, whatever the draws were.
//
// Call expectValidThread right after a start command, passing the level the
// thread was laid out in. It returns the number of turns of the thread.
#pragma once

#include "support/GameFixture.h"
#include "support/Headings.h"
#include "support/Levels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace navicella::test {

inline int expectValidThread(const Game& game, Level level)
{
    SCOPED_TRACE(levelName(level));
    const GameState& s = game.state();
    const Controls& c = game.controls();
    const bool randomLength = level != Level::Complesso;
    const int n = s.LastPick + s.TurnOffset + 1;

    if (randomLength) {
        EXPECT_TRUE(s.LastPick >= 1 && s.LastPick <= 3) << "LastPick " << s.LastPick;
        EXPECT_EQ(s.TurnOffset, s.LastPick + 1);
        EXPECT_EQ(s.StepGrowth, 100);
    } else {
        EXPECT_EQ(s.LastPick, 8);
        EXPECT_EQ(s.TurnOffset, 0);
        EXPECT_EQ(s.StepGrowth, 150);
    }
    if (n < 1 || n > 9) {
        ADD_FAILURE() << "thread of " << n << " turns";
        return n;
    }

    for (Int16 k = 0; k < TurnsCount; ++k) {
        if (k < n) {
            EXPECT_TRUE(s.Turns(k) == S || s.Turns(k) == D) << "Turns(" << k << ") " << s.Turns(k);
        } else {
            EXPECT_EQ(s.Turns(k), "") << "Turns(" << k << ")";
        }
    }
    if (randomLength) {
        for (Int16 k = 0; k + 1 < n; ++k) {
            const std::string& next = s.Turns(static_cast<Int16>(k + 1));
            if (k % 2 == 0) {
                EXPECT_NE(s.Turns(k), next) << "pair at " << k;
            } else {
                EXPECT_EQ(s.Turns(k), next) << "between pairs at " << k;
            }
        }
    }

    // Segment k follows the k-th turn, is 100 + k x growth long, and starts
    // where the one before ended: at home the centre of the ship's base, or
    // vertex A itself in the easy level.
    const bool easy = level == Level::Facile;
    float x = easy ? 5500.0f : 5750.0f;
    float y = 3500.0f;
    int heading = 12;
    for (Int16 k = 1; k <= n; ++k) {
        const std::string& word = s.Turns(static_cast<Int16>(k - 1));
        heading = word == D ? clockwise(heading) : counterClockwise(heading);
        const float length = static_cast<float>(100 + k * s.StepGrowth);
        const auto [dx, dy] = unitStep(heading);
        const Line expected{x,
                            y,
                            x + static_cast<float>(dx) * length,
                            y + static_cast<float>(dy) * length,
                            colour::Green,
                            true};
        EXPECT_EQ(c.Line1(k), expected) << "Line1(" << k << ")";
        x = expected.X2;
        y = expected.Y2;
    }
    for (Int16 k = 0; k < Line1Count; ++k) {
        if (k == 0 || k > n) {
            EXPECT_EQ(c.Line1(k), segment(0, 0, 0, 0)) << "Line1(" << k << ") should be collapsed";
        }
    }
    if (randomLength) {
        EXPECT_EQ(heading, 12) << "a thread of pairs ends pointing up";
    }

    EXPECT_TRUE(c.Shape1.Visible);
    EXPECT_EQ(c.Shape1.Left, x - 250.0f);
    EXPECT_EQ(c.Shape1.Top, y - 320.0f);
    EXPECT_EQ(c.Shape1.BorderColor, 0x0000FFu);
    EXPECT_EQ(c.Shape1.FillColor, 0xC0FFFFu);
    EXPECT_EQ(c.Shape1.BackColor, 0xC0FFFFu);
    return n;
}

}  // namespace navicella::test
