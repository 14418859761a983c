// SPDX-License-Identifier: GPL-3.0-or-later
// Field-by-field comparison of a state record or a set of controls, worded
// for a failure message: one line per field that differs.
#pragma once

#include "game/Controls.h"
#include "game/GameState.h"

#include <string>
#include <vector>

namespace navicella::model {

std::vector<std::string> stateDifferences(const GameState& expected, const GameState& actual);
std::vector<std::string> controlDifferences(const Controls& expected, const Controls& actual);

std::string describe(const Line& line);

}  // namespace navicella::model
