// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real cue player from lines on standard input, for the sound
// tests. Answers on standard output, one line each:
//
//   (at start-up)       created <ns to construct the player>
//   (player ready)      ready <0|1 audible> <ns from start-up>
//   play <path>         played <steady ns before play()> <ns in play()> <ns until the loop ran
//   again> quit                (ends; end of input does the same)
//
// Option: --buffer-ms N sets how far ahead the player queues audio.
#include "sound/SoundCuePlayer.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstring>
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

}  // namespace

int main(int argc, char** argv)
{
    const long long launched = now();
    QCoreApplication app(argc, argv);
    navicella::SoundCuePlayer::Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--buffer-ms") == 0)
            options.bufferMs = std::atoi(argv[i + 1]);
    }

    const long long before = now();
    navicella::SoundCuePlayer player(options);
    answer("created " + std::to_string(now() - before));
    QObject::connect(&player, &navicella::SoundCuePlayer::ready, [launched](bool audible) {
        answer("ready " + std::to_string(audible ? 1 : 0) + " " + std::to_string(now() - launched));
    });

    std::string pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        for (auto nl = pending.find('\n'); nl != std::string::npos; nl = pending.find('\n')) {
            const std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            if (line.rfind("play ", 0) == 0) {
                const long long t0 = now();
                player.play(std::string_view(line).substr(5));
                const long long t1 = now();
                // The time until the loop runs again shows any work play()
                // left behind for the window's thread.
                QTimer::singleShot(0, [t0, t1] {
                    answer("played " + std::to_string(t0) + " " + std::to_string(t1 - t0) + " " +
                           std::to_string(now() - t1));
                });
            } else if (line == "quit") {
                QCoreApplication::quit();
            }
        }
    });
    return QCoreApplication::exec();
}
