// SPDX-License-Identifier: GPL-3.0-or-later
// Test tool: the desktop board in a scripted state, as a PNG, for the check
// that both editions draw the same board. Usage:
//   navicella_board_snapshot OUT.png STEP...
// A STEP is a number, queued as the next draw of chance; a menu handler
// ("Simple_Click"); or a round option button ("Opt_Via"), pressed and released.
// Needs no display. Exit status 0 on success, 1 with a message otherwise.
#include "game/Game.h"
#include "game/Window.h"
#include "support/RecordingPlayer.h"
#include "support/ScriptedRandom.h"
#include "ui/Board.h"
#include "ui/FormLayout.h"

#include <QApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <string_view>

using navicella::Game;
namespace window = navicella::window;

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

    for (int i = 2; i < argc; ++i) {
        char* end = nullptr;
        const float draw = std::strtof(argv[i], &end);
        if (end != argv[i] && *end == '\0') {
            random.push({draw});
            continue;
        }
        const std::string_view step = argv[i];
        bool known = false;
        for (const window::NamedHandler& handler : window::Handlers) {
            if (handler.name == step) {
                (game.*handler.handler)();
                known = true;
            }
        }
        for (const window::Button& button : window::Buttons) {
            if (button.name == step && button.role == window::Role::Round) {
                (game.*button.mouseDown)();
                (game.*button.mouseUp)();
                known = true;
            }
        }
        if (!known) {
            std::fprintf(stderr, "navicella_board_snapshot: unknown step %s\n", argv[i]);
            return 1;
        }
    }

    navicella::Board board(game.controls());
    board.resize(navicella::layout::pixelRect(navicella::layout::Client).size());
    if (!board.grab().toImage().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "navicella_board_snapshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
