// SPDX-License-Identifier: GPL-3.0-or-later
// Where thread generation gets its chance from.
//
// Before every draw the game re-seeds from the clock, then draws a value in
// [0, 1). An implementation must let a draw that follows a rejected one come
// out differently, or the re-draw loop of thread generation never ends.
#pragma once

namespace navicella {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void reseedFromClock() = 0;
    virtual float draw() = 0;
};

}  // namespace navicella
