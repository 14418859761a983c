// SPDX-License-Identifier: GPL-3.0-or-later
// The promises of the rules that hold after every event, checked on the game
// itself: which buttons a round shows, what a thread looks like, which
// segments are red, where the ship stands, which cues an event plays.
//
// They use the model only to know which round state and level the game is in,
// so they stay a second opinion should the model and the game share a slip.
// Call programStarted() after every load, then check() after every event.
#pragma once

#include "game/Game.h"
#include "model/RulesModel.h"

#include <array>
#include <string>
#include <vector>

namespace navicella::model {

enum class Event { Load, Start, Clear, Right, Wrong, Release, Level, Info, Exit };

class RuleChecks {
public:
    void programStarted();

    // `answeredBefore` is AnswerIndex before the event; `played` the cues it played.
    std::vector<std::string> check(const Game& game, const RulesModel& model, Event event,
                                   int answeredBefore, const std::vector<Cue>& played);

private:
    void checkLevel(const Game& game, const RulesModel& model);
    void checkButtons(const Game& game, const RulesModel& model);
    void checkThread(const Game& game, const RulesModel& model);
    void checkStart(const Game& game, const RulesModel& model);
    void checkLaidOutThread(const Game& game, const RulesModel& model);
    void checkAnswer(const Game& game, const RulesModel& model, Event event, int answeredBefore,
                     const std::vector<Cue>& played);
    void checkShipOnThread(const Game& game);
    void fail(std::string problem) { m_problems.push_back(std::move(problem)); }

    std::vector<std::string> m_problems;
    // The word that began the last pair of the latest random-length round of this program.
    std::string m_lastPairWord;
    // The thread as the start laid it out; play may only recolour and redraw it in place.
    std::array<Line, 20> m_thread{};
    bool m_roundEasy = false;
    bool m_mixedLevels =
        false;  // a right answer came while the easy flag differed from the start's
};

}  // namespace navicella::model
