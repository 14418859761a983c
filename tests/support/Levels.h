// SPDX-License-Identifier: GPL-3.0-or-later
// The three levels as the tests name and choose them: by their menu items.
#pragma once

#include "game/Game.h"

namespace navicella::test {

enum class Level { Facile, Semplice, Complesso };

inline const char* levelName(Level level)
{
    switch (level) {
    case Level::Facile: return "Facile";
    case Level::Semplice: return "Semplice";
    case Level::Complesso: return "Complesso";
    }
    return "?";
}

inline void choose(Game& game, Level level)
{
    switch (level) {
    case Level::Facile: game.Easy_Click(); break;
    case Level::Semplice: game.Simple_Click(); break;
    case Level::Complesso: game.Complex_Click(); break;
    }
}

}  // namespace navicella::test
