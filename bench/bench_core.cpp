// SPDX-License-Identifier: GPL-3.0-or-later
// How long the game's handlers take on their own, without a window: a start
// in each level (reset, thread generation with the real clock-seeded source,
// the ship back home), a right answer, a wrong answer and a clear.
//
// Run: bench_core --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include "game/ClockRandom.h"
#include "game/Game.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string_view>

namespace {

using navicella::ClockRandom;
using navicella::CuePlayer;
using navicella::Game;
using navicella::GameState;

class NullPlayer final : public CuePlayer {
public:
    void play(std::string_view path) override { benchmark::DoNotOptimize(path.data()); }
};

enum Level : int { Facile, Semplice, Complesso };

void choose(Game& game, std::int64_t level)
{
    if (level == Facile)
        game.Easy_Click();
    else if (level == Semplice)
        game.Simple_Click();
    else
        game.Complex_Click();
}

const char* levelName(std::int64_t level)
{
    return level == Facile ? "Facile" : level == Semplice ? "Semplice" : "Complesso";
}

void startRound(benchmark::State& state)
{
    ClockRandom random;
    NullPlayer player;
    Game game{random, player};
    game.Form_Load();
    choose(game, state.range(0));
    for (auto _ : state) {
        game.Opt_Via_MouseDown();
        benchmark::DoNotOptimize(game.state().LastPick);
    }
    state.SetLabel(levelName(state.range(0)));
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
    ClockRandom random;
    NullPlayer player;
    Game game{random, player};
    game.Form_Load();
    choose(game, state.range(0));
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
    }
    state.SetLabel(levelName(state.range(0)));
}
BENCHMARK(rightAnswer)->DenseRange(Facile, Complesso);

void wrongAnswer(benchmark::State& state)
{
    ClockRandom random;
    NullPlayer player;
    Game game{random, player};
    game.Form_Load();
    game.Opt_Via_MouseDown();
    const bool left = game.state().Turns(0) == "Sinistra";
    for (auto _ : state) {
        if (left)
            game.Opt_Destra_MouseDown();
        else
            game.Opt_Sinistra_MouseDown();
        benchmark::DoNotOptimize(game.state().AnswerIndex);
    }
}
BENCHMARK(wrongAnswer);

// Clearing a cleared board does exactly the same work as clearing a round.
void clear(benchmark::State& state)
{
    ClockRandom random;
    NullPlayer player;
    Game game{random, player};
    game.Form_Load();
    game.Opt_Via_MouseDown();
    for (auto _ : state) {
        game.Opt_Pulisci_MouseDown();
        benchmark::DoNotOptimize(game.state().SegmentIndex);
    }
}
BENCHMARK(clear);

}  // namespace

BENCHMARK_MAIN();
