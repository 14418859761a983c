// SPDX-License-Identifier: GPL-3.0-or-later
// All of the game's memory: one record of 16-bit fields and the expected answers.
//
// Lengths and coordinates are twips, flags are -1 (true) or 0 (false). The
// window owns one record for its whole life; every procedure works on it.
#pragma once

#include "game/Arithmetic.h"
#include "game/Constants.h"

#include <array>
#include <string>

namespace navicella {

// Twenty strings, addressed 0..19; any other index is the subscript error.
class TurnList {
public:
    std::string& operator()(Int16 index);
    const std::string& operator()(Int16 index) const;
    bool operator==(const TurnList&) const = default;

private:
    std::array<std::string, TurnsCount> m_entries{};
};

struct GameState {
    Int16 ShipSize = 0;  // base of the ship's triangle
    Int16 ShipAX = 0;    // vertex A, rear-left corner
    Int16 ShipBX = 0;    // vertex B, rear-right corner
    Int16 ShipCX = 0;    // vertex C, the nose
    Int16 ShipAY = 0;
    Int16 ShipBY = 0;
    Int16 ShipCY = 0;
    Int16 HomeX = 0;
    Int16 HomeY = 0;
    Int16 Heading = 0;       // clock position of the nose: 12, 3, 6 or 9
    Int16 StepLength = 0;    // length of the latest forward step
    Int16 SegmentIndex = 0;  // Line1 index of the latest trail segment
    Int16 TurnIndex = 0;     // loop counter of thread generation
    Int16 Coin = 0;          // latest draw rounded to 0 or 1; 1 means left
    TurnList Turns;          // expected answers, "Sinistra" or "Destra"
    Int16 AnswerIndex = 0;   // turns answered so far; index of the next expected answer
    Int16 RandomLength = 0;  // level flag: random-length thread
    Int16 EasyMode = 0;      // level flag: "Facile"
    Int16 RightPairs = 0;    // 1 when the last pair made began with a right turn
    Int16 LeftPairs = 0;     // 1 when the last pair made began with a left turn
    Int16 StepGrowth = 0;    // growth of the step length per step
    Int16 LastPick = 0;      // last value of the generation loop counter
    Int16 TurnOffset = 0;    // Turns index written minus the loop counter

    bool operator==(const GameState&) const = default;
};

}  // namespace navicella
