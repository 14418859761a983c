// SPDX-License-Identifier: GPL-3.0-or-later
// A cue player that remembers the cues it was asked to play, in order.
#pragma once

#include "game/CuePlayer.h"

#include <string>
#include <vector>

namespace navicella::test {

class RecordingPlayer final : public CuePlayer {
public:
    void play(std::string_view path) override { cues.emplace_back(path); }
    std::vector<std::string> cues;
};

}  // namespace navicella::test
