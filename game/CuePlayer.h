// SPDX-License-Identifier: GPL-3.0-or-later
// Plays the game's sound cues.
//
// play() takes one of the four fixed cue paths, stops whatever is sounding,
// starts the cue from its beginning and returns at once. It must not throw:
// a cue that cannot sound is simply silent.
#pragma once

#include <string_view>

namespace navicella {

class CuePlayer {
public:
    virtual ~CuePlayer() = default;
    virtual void play(std::string_view path) = 0;
};

}  // namespace navicella
