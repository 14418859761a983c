// SPDX-License-Identifier: GPL-3.0-or-later
// Test tool: the desktop board in a scripted state, as a PNG, for the check
// that both editions draw the same board. Usage:
//   navicella_board_snapshot OUT.png STEP...
// A STEP is a number, queued as the next draw of chance; a menu handler
// ("Simple_Click"); or an option button ("Opt_Via"), pressed and released.
// Needs no display. Exit status 0 on success, 1 with a message otherwise.
#include "game/Game.h"
#include "support/RecordingPlayer.h"
#include "support/ScriptedRandom.h"
#include "ui/Board.h"
#include "ui/FormLayout.h"

#include <QApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

using navicella::Game;

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: navicella_board_snapshot OUT.png STEP...\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    navicella::test::ScriptedRandom random;
    navicella::test::RecordingPlayer player;
    Game game(random, player);
    game.Form_Load();

    using Handler = void (Game::*)();
    const std::map<std::string, std::pair<Handler, Handler>> steps{
        {"Easy_Click", {&Game::Easy_Click, nullptr}},
        {"Simple_Click", {&Game::Simple_Click, nullptr}},
        {"Complex_Click", {&Game::Complex_Click, nullptr}},
        {"Opt_Via", {&Game::Opt_Via_MouseDown, &Game::Opt_Via_MouseUp}},
        {"Opt_Pulisci", {&Game::Opt_Pulisci_MouseDown, &Game::Opt_Pulisci_MouseUp}},
        {"Opt_Destra", {&Game::Opt_Destra_MouseDown, &Game::Opt_Destra_MouseUp}},
        {"Opt_Sinistra", {&Game::Opt_Sinistra_MouseDown, &Game::Opt_Sinistra_MouseUp}},
    };
    for (int i = 2; i < argc; ++i) {
        char* end = nullptr;
        const float draw = std::strtof(argv[i], &end);
        if (end != argv[i] && *end == '\0') {
            random.push({draw});
            continue;
        }
        const auto step = steps.find(argv[i]);
        if (step == steps.end()) {
            std::fprintf(stderr, "navicella_board_snapshot: unknown step %s\n", argv[i]);
            return 1;
        }
        (game.*step->second.first)();
        if (step->second.second)
            (game.*step->second.second)();
    }

    navicella::Board board(game.controls());
    board.resize(navicella::layout::pixelRect(navicella::layout::Client).size());
    if (!board.grab().toImage().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "navicella_board_snapshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
