// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real cue player from lines on standard input, for the sound
// tests and benchmarks. Answers on standard output, one line each:
//
//   (at start-up)       created <ns to construct the player>
//   (player ready)      ready <0|1 audible>
//   play <path>         played <steady ns before play()> <ns in play()>
//   quit                (ends; end of input does the same)
//
// --no-threads: no thread can start, the player's sound thread neither.
#include "sound/SoundCuePlayer.h"

#include <pthread.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

long long now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void answer(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// Every thread started from now on asks for a stack beyond any address space.
void noRoomForThreads()
{
    pthread_attr_t huge;
    pthread_attr_init(&huge);
    pthread_attr_setstacksize(&huge, std::size_t{1} << 50);
    pthread_setattr_default_np(&huge);
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--no-threads")
            noRoomForThreads();
    const long long before = now();
    navicella::SoundCuePlayer player(
        [](bool audible) { answer(std::string("ready ") + (audible ? "1" : "0")); });
    answer("created " + std::to_string(now() - before));

    for (std::string line; std::getline(std::cin, line) && line != "quit";) {
        if (line.rfind("play ", 0) != 0)
            continue;
        const long long t0 = now();
        player.play(std::string_view(line).substr(5));
        const long long t1 = now();
        answer("played " + std::to_string(t0) + " " + std::to_string(t1 - t0));
    }
    return 0;
}
