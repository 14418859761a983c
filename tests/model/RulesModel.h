// SPDX-License-Identifier: GPL-3.0-or-later
// What the rules of the game promise, written down a second time, apart from
// the game: a model that is told each event the window delivers and works out
// the state record, the controls and the cues the game must show after it.
//
// Protocol: load() once per program start, then one call per event. start()
// takes the random calls the game made during that start and lays out the
// thread it expects from the same draws; problems() lists what the model
// found wrong in those calls. After each event compare state(), controls()
// and takeCues() with the game.
//
// The turns are written as differences between the ship's layouts and the
// forward step as "from the base's midpoint", rather than as the tables of
// additions the game uses, so that the model and the game do not share a
// slip.
#pragma once

#include "game/Controls.h"
#include "game/GameState.h"
#include "support/Levels.h"
#include "support/ScriptedRandom.h"

#include <string>
#include <string_view>
#include <vector>

namespace navicella::model {

using test::Level;
using test::RandomCalls;
enum class Round { None, Asking, Retry, Ended };
enum class Cue { Start, Right, Wrong, End };
enum class Member { None, Esci, Option1, Via, Destra, Sinistra, Pulisci };

inline const char* nameOf(Level level) { return test::levelName(level); }
const char* nameOf(Round round);
const char* nameOf(Cue cue);
const char* nameOf(Member member);

// How often the model met the cases the test wants to have reached.
struct ModelCounts {
    int rounds[3] = {};          // starts, by level
    int roundsEnded[3] = {};     // threads answered to the end, by level of the start
    int threadLengths[10] = {};  // starts by number of turns
    int rejectedDraws = 0;       // coin draws on the side a run guard forbids
    int coinTies = 0;            // coin draws of exactly 0.5
    int lengthEdges = 0;         // length draws of exactly 0.25 or 0.75
    int followOns = 0;           // automatic turns of the easy level
    int foreignFollowOns = 0;    // automatic turns in a thread laid out in another level
};

class RulesModel {
public:
    // The program starts: the window is created, then loaded. The ends that
    // the ship's lines have at creation are left open by the rules, so the
    // model takes them from the game's fresh window.
    void load(const Controls& created);

    void start(const RandomCalls& random);
    void clear();
    void answer(std::string_view word);
    // The window selects the member, then its release handler runs.
    void release(Member member);
    void chooseLevel(Level level);
    // "Esci" is selected; the program then ends.
    void exitChosen();

    const GameState& state() const { return m_s; }
    Controls controls() const;
    std::vector<Cue> takeCues();
    std::vector<std::string> takeProblems();

    Round round() const { return m_round; }
    Level level() const { return m_level; }
    Level roundLevel() const { return m_roundLevel; }  // level of the latest start
    bool everStarted() const { return m_everStarted; }
    int turnCount() const { return m_s.LastPick + 1 + m_s.TurnOffset; }
    // The expected word of the next turn, empty when none is expected.
    std::string expectedWord() const;
    const ModelCounts& counts() const { return m_counts; }

private:
    bool easy() const { return m_s.EasyMode == -1; }
    void resetBoard();
    void clearTrailAndTurns();
    void placeShip();
    void drawShip();
    void drawShipEasy();
    void copyShipToLines();
    void turn(bool clockwise);
    void step();
    void buildThread(const RandomCalls& random);
    float nextDraw(const RandomCalls& random, std::size_t& used);
    void makePair(bool left);
    void rightAnswer(bool clockwise);
    void endOfThread();
    void select(Member member) { m_selected = member; }
    void releaseIf(Member member);

    GameState m_s;
    Controls m_c;
    Member m_selected = Member::Option1;
    Round m_round = Round::None;
    Level m_level = Level::Facile;
    Level m_roundLevel = Level::Facile;
    bool m_everStarted = false;
    bool m_outOfDraws = false;  // the game stopped drawing before the rules were done
    std::vector<Cue> m_cues;
    std::vector<std::string> m_problems;
    ModelCounts m_counts;
};

}  // namespace navicella::model
