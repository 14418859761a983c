// SPDX-License-Identifier: GPL-3.0-or-later
// The game: its one state record, the window's controls as data, and every
// procedure and event handler, under their own names.
//
// The window creates one Game, calls Form_Load before it first shows itself,
// then calls one handler per event and repaints from controls(). Handlers take
// no arguments: which mouse button was pressed, or where, never matters. A
// handler may raise RuntimeError; the steps it had done before stay done.
//
// The handlers and procedures keep the names the game has always given them
// (PascalCase, control_Event for handlers); the private helpers that share
// their steps are ours, in camelCase.
#pragma once

#include "game/Controls.h"
#include "game/CuePlayer.h"
#include "game/GameState.h"
#include "game/RandomSource.h"

#include <array>
#include <string_view>

namespace navicella {

class Game {
public:
    Game(RandomSource& random, CuePlayer& player);

    GameState& state() { return m_state; }
    const GameState& state() const { return m_state; }
    Controls& controls() { return m_controls; }
    const Controls& controls() const { return m_controls; }

    // Start-up, board reset and levels.
    void Form_Load();
    void ResetBoard();
    void Easy_Click();
    void Simple_Click();
    void Complex_Click();

    // The ship.
    void PlaceShip();
    void DrawShip();
    void DrawShipEasy();
    void TurnRight();
    void TurnLeft();
    void Cmd_Avanti_Click();  // the forward step

    // The thread.
    void BuildThread();

    // The buttons of a round.
    void Opt_Via_MouseDown();
    void Opt_Via_MouseUp();
    void Opt_Pulisci_MouseDown();
    void Opt_Pulisci_MouseUp();
    void Opt_Destra_MouseDown();
    void Opt_Destra_MouseUp();
    void Opt_Sinistra_MouseDown();
    void Opt_Sinistra_MouseUp();

    void PlayCue(std::string_view path);

private:
    using Turn = void (Game::*)();
    struct TurnRow {
        Int16 from;
        Int16 to;
        std::array<int, 6> sign;  // AX, AY, BX, BY, CX, CY: +1 adds half the ship, -1 takes it
    };
    static const std::array<TurnRow, 4> RightTurns;
    static const std::array<TurnRow, 4> LeftTurns;

    void clearTrailAndTurns();
    void copyShipToLines();
    void rotate(const std::array<TurnRow, 4>& table);
    bool coinDraw();
    void makePair(bool left);
    void placeGoalMarker();
    void answer(std::string_view word, std::string_view otherWord, Turn turn, Turn followOn);
    void rightAnswer(Turn turn);
    void endOfThread();
    void setLevel(Int16 easyMode, Int16 randomLength, std::string_view caption);

    RandomSource& m_random;
    CuePlayer& m_player;
    GameState m_state;
    Controls m_controls;
};

}  // namespace navicella
