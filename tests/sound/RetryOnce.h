// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace navicella::test {

// Runs `scenario`, and once more if that run had failures, which are then
// printed but not counted. On a machine shared with busy neighbours the
// sound server or the recorder is now and then starved and drops a few
// milliseconds; that says nothing about the player, while a fault of the
// player fails both runs.
void withOneRetry(const std::function<void()>& scenario);

}  // namespace navicella::test
