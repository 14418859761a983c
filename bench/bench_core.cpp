// SPDX-License-Identifier: GPL-3.0-or-later
// How long the game's handlers take on their own, without a window: a start
// in each level (reset, thread generation with the real clock-seeded source,
// the ship back home), a right answer, a wrong answer and a clear.
//
// Run: bench_core --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include "game/ClockRandom.h"
#include "game/Game.h"
#include "support/Levels.h"
#include "support/RecordingPlayer.h"

#include <benchmark/benchmark.h>

namespace {

using navicella::ClockRandom;
using navicella::Game;
using navicella::GameState;
using navicella::test::Level;
using navicella::test::RecordingPlayer;

// The game at its start, in a level of the benchmark's range or in the one it
// starts in; with the tests' player, emptied at every iteration so that it
// does not grow, and the real random source, whose draws are part of a start.
struct Bench {
    Bench() { game.Form_Load(); }
    explicit Bench(benchmark::State& state) : Bench()
    {
        navicella::test::choose(game, static_cast<Level>(state.range(0)));
        state.SetLabel(navicella::test::levelName(static_cast<Level>(state.range(0))));
    }

    ClockRandom random;
    RecordingPlayer player;
    Game game{random, player};
};

constexpr auto Facile = static_cast<int>(Level::Facile);
constexpr auto Complesso = static_cast<int>(Level::Complesso);

void startRound(benchmark::State& state)
{
    Bench bench(state);
    for (auto _ : state) {
        bench.game.Opt_Via_MouseDown();
        benchmark::DoNotOptimize(bench.game.state().LastPick);
        bench.player.cues.clear();
    }
}
BENCHMARK(startRound)->DenseRange(Facile, Complesso);

// Puts the ship back where the round began, so that every iteration answers
// the first turn again: a few stores, next to the answer's turns and steps.
void backToTheFirstTurn(GameState& s)
{
    s.AnswerIndex = 0;
    s.SegmentIndex = 0;
    s.StepLength = 100;
    s.Heading = 12;
    s.ShipAX = 5500;
    s.ShipAY = 3500;
    s.ShipBX = 6000;
    s.ShipBY = 3500;
    s.ShipCX = 5750;
    s.ShipCY = 3250;
}

// In "Facile" the right answer also makes the automatic second turn of the pair.
void rightAnswer(benchmark::State& state)
{
    Bench bench(state);
    Game& game = bench.game;
    game.Opt_Via_MouseDown();
    GameState& s = game.state();
    const bool left = s.Turns(0) == "Sinistra";
    for (auto _ : state) {
        if (left)
            game.Opt_Sinistra_MouseDown();
        else
            game.Opt_Destra_MouseDown();
        benchmark::DoNotOptimize(s.AnswerIndex);
        backToTheFirstTurn(s);
        bench.player.cues.clear();
    }
}
BENCHMARK(rightAnswer)->DenseRange(Facile, Complesso);

void wrongAnswer(benchmark::State& state)
{
    Bench bench;
    Game& game = bench.game;
    game.Opt_Via_MouseDown();
    const bool left = game.state().Turns(0) == "Sinistra";
    for (auto _ : state) {
        if (left)
            game.Opt_Destra_MouseDown();
        else
            game.Opt_Sinistra_MouseDown();
        benchmark::DoNotOptimize(game.state().AnswerIndex);
        bench.player.cues.clear();
    }
}
BENCHMARK(wrongAnswer);

// Clearing a cleared board does exactly the same work as clearing a round.
void clear(benchmark::State& state)
{
    Bench bench;
    bench.game.Opt_Via_MouseDown();
    for (auto _ : state) {
        bench.game.Opt_Pulisci_MouseDown();
        benchmark::DoNotOptimize(bench.game.state().SegmentIndex);
        bench.player.cues.clear();
    }
}
BENCHMARK(clear);

}  // namespace

BENCHMARK_MAIN();
