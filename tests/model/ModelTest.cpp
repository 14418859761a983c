// SPDX-License-Identifier: GPL-3.0-or-later
// The game against the rules model, for a hundred thousand random events per
// run: once from a fixed seed, so that part of the suite always plays the
// same game; once from a fresh seed each run, with the scripted chance of
// a seeded ScriptedRandom; once with the real clock-driven random source.
//
// A failure report names its seed. NAVICELLA_MODEL_SEED=<seed> makes the
// fresh-seed runs use that seed again; NAVICELLA_MODEL_EVENTS=<count> plays
// longer runs.
#include "game/ClockRandom.h"
#include "model/ModelRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>

namespace navicella::model {
namespace {

constexpr long MinimumEvents = 100000;
constexpr std::uint64_t FixedSeed = 20071201;

long eventsPerRun()
{
    const char* text = std::getenv("NAVICELLA_MODEL_EVENTS");
    return std::max(MinimumEvents, text ? std::strtol(text, nullptr, 10) : 0L);
}

std::uint64_t freshSeed()
{
    if (const char* text = std::getenv("NAVICELLA_MODEL_SEED"); text && *text)
        return std::strtoull(text, nullptr, 10);
    std::random_device device;
    const auto now =
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    return ((std::uint64_t{device()} << 32) ^ device() ^ now) % 1000000000000ULL;
}

std::string replayFresh(std::uint64_t seed)
{
    return "Replay in the build directory with NAVICELLA_MODEL_SEED=" + std::to_string(seed) +
           " ctest -L model --output-on-failure";
}

// Plays the run; a failure of the test's own machinery is reported with the seed too.
void play(ModelRun& run, std::uint64_t seed)
{
    try {
        if (const auto failure = run.play(eventsPerRun()))
            FAIL() << *failure;
    } catch (const std::exception& error) {
        FAIL() << "The model test itself failed with seed " << seed << ": " << error.what();
    }
}

// The run must have reached the cases that matter, or its silence means nothing.
void expectCoverage(const ModelRun& run, bool scriptedChance)
{
    const RunCounts& runs = run.counts();
    const ModelCounts& model = run.modelCounts();
    std::cout << "  " << runs.delivered << " events, " << runs.dropped
              << " presses on hidden buttons, " << runs.held << " held presses, " << runs.programs
              << " program starts, " << runs.mixedRounds
              << " rounds answered in two levels\n  rounds started/ended: Facile "
              << model.rounds[0] << "/" << model.roundsEnded[0] << ", Semplice " << model.rounds[1]
              << "/" << model.roundsEnded[1] << ", Complesso " << model.rounds[2] << "/"
              << model.roundsEnded[2] << "; threads of 4/6/8/9 turns " << model.threadLengths[4]
              << "/" << model.threadLengths[6] << "/" << model.threadLengths[8] << "/"
              << model.threadLengths[9] << "\n  " << model.rejectedDraws
              << " guarded coins re-drawn, " << model.coinTies << " coins of 0.5, "
              << model.lengthEdges << " length draws of 0.25 or 0.75, " << model.followOns
              << " automatic turns (" << model.foreignFollowOns
              << " in threads of another level)\n";
    EXPECT_GE(runs.delivered, MinimumEvents);
    EXPECT_GT(runs.programs, 1) << "\"Esci\" never ended a program";
    EXPECT_GT(runs.dropped, 0) << "no press on a hidden button";
    EXPECT_GT(runs.held, 0) << "no release came after other events";
    EXPECT_GT(runs.mixedRounds, 0) << "no round was answered in two levels";
    for (int level = 0; level < 3; ++level) {
        EXPECT_GT(model.rounds[level], 0) << nameOf(static_cast<Level>(level));
        EXPECT_GT(model.roundsEnded[level], 0) << nameOf(static_cast<Level>(level));
    }
    for (int turns : {4, 6, 8, 9})
        EXPECT_GT(model.threadLengths[turns], 0) << "no thread of " << turns << " turns";
    EXPECT_GT(model.rejectedDraws, 0) << "no coin fell on a guarded side";
    EXPECT_GT(model.followOns, 0) << "no automatic turn";
    EXPECT_GT(model.foreignFollowOns, 0) << "no automatic turn in a thread of another level";
    if (scriptedChance) {
        EXPECT_GT(model.coinTies, 0) << "no coin draw of exactly 0.5";
        EXPECT_GT(model.lengthEdges, 0) << "no length draw of exactly 0.25 or 0.75";
    }
}

// How each run draws its seed and its chance.
struct RunKind {
    const char* name;
    bool fixedSeed;
    bool clockChance;
};

class ModelTest : public testing::TestWithParam<RunKind> {};

TEST_P(ModelTest, PlaysByTheRules)
{
    const RunKind& kind = GetParam();
    const std::uint64_t seed = kind.fixedSeed ? FixedSeed : freshSeed();
    SCOPED_TRACE("seed " + std::to_string(seed));
    RecordProperty("seed", std::to_string(seed));
    test::ScriptedRandom seeded(seed);
    ClockRandom clock;
    test::ScriptedRandom clocked(clock);
    test::ScriptedRandom& chance = kind.clockChance ? clocked : seeded;
    std::string replay = kind.fixedSeed ? "The seed is fixed: every run replays the same events."
                                        : replayFresh(seed);
    if (kind.clockChance)
        replay += " (the events follow the seed, the draws come from the clock: see below)";
    ModelRun run(seed, chance, replay);
    play(run, seed);
    if (HasFailure())
        return;
    expectCoverage(run, !kind.clockChance);
}

INSTANTIATE_TEST_SUITE_P(Runs, ModelTest,
                         testing::Values(RunKind{"FixedSeedWithScriptedChance", true, false},
                                         RunKind{"FreshSeedWithScriptedChance", false, false},
                                         RunKind{"FreshSeedWithClockChance", false, true}),
                         [](const testing::TestParamInfo<RunKind>& kind) {
                             return std::string(kind.param.name);
                         });

}  // namespace
}  // namespace navicella::model
