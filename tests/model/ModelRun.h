// SPDX-License-Identifier: GPL-3.0-or-later
// One randomised run of the game against the rules model.
//
// A run starts the program, then plays random events as the window would
// deliver them: presses and releases of the round's buttons (a press on a
// hidden button never reaches the game), level changes at any moment, the
// info box and "Esci", after which the program starts afresh. After every
// event the game is compared with the model and with the rules' invariants.
// The events are chosen from the run's seed; the thread's chance comes from
// the random source the run is given, which records its calls for the model.
#pragma once

#include "game/Game.h"
#include "game/SplitMix.h"
#include "model/RuleChecks.h"
#include "model/RulesModel.h"
#include "support/RecordingPlayer.h"
#include "support/ScriptedRandom.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace navicella::model {

struct RunCounts {
    long delivered = 0;   // events that reached the game or the window
    long dropped = 0;     // presses on hidden buttons, kept from the game
    long held = 0;        // releases that came after other events
    int programs = 0;     // program starts
    int mixedRounds = 0;  // rounds answered in more than one level
};

class ModelRun {
public:
    // `replay` tells a reader of a failure how to run the same events again.
    ModelRun(std::uint64_t seed, test::ScriptedRandom& random, std::string replay);

    // Plays until `events` events have reached the game. Returns the report of
    // the first failure, or nothing when every check held.
    std::optional<std::string> play(long events);

    const RunCounts& counts() const { return m_counts; }
    const ModelCounts& modelCounts() const { return m_model.counts(); }

private:
    enum class Choice {
        Start,
        Clear,
        Right,
        Wrong,
        Release,
        Facile,
        Semplice,
        Complesso,
        Info,
        Exit
    };

    void startProgram();
    Choice choose();
    void press(Member member, Event event, std::string_view word);
    void releaseHeld();
    void chooseLevel(Level level);
    void info();
    void exit();
    OptionButton& button(Member member);
    // Runs one handler of the game; a run-time error becomes a failure.
    template <typename Action>
    void guarded(Action&& action);
    void check(Event event, const std::string& what, int answeredBefore);
    std::vector<Cue> playedCues();
    void fail(const std::vector<std::string>& problems);

    std::uint64_t m_seed;
    std::string m_replay;
    SplitMix m_choices;
    test::ScriptedRandom& m_random;
    test::RecordingPlayer m_player;
    std::unique_ptr<Game> m_game;
    RulesModel m_model;
    RuleChecks m_checks;
    Member m_held = Member::None;
    bool m_roundMixed = false;
    RandomCalls m_lastStartCalls;
    std::vector<std::string> m_errors;
    std::deque<std::string> m_log;
    std::optional<std::string> m_failure;
    RunCounts m_counts;
};

}  // namespace navicella::model
