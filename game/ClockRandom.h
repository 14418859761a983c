// SPDX-License-Identifier: GPL-3.0-or-later
// The real random source: the clock is mixed into the generator's state
// rather than replacing it, so two draws within one clock tick still differ.
#pragma once

#include "game/RandomSource.h"
#include "game/SplitMix.h"

#include <cstdint>

namespace navicella {

class ClockRandom final : public RandomSource {
public:
    // Reads the clock in ticks. The default reads the steady clock; a test
    // can pass a clock that stands still to show that draws still differ.
    using Clock = std::uint64_t (*)();
    static std::uint64_t steadyTicks();

    explicit ClockRandom(Clock clock = &steadyTicks) : m_clock(clock) {}

    void reseedFromClock() override;
    float draw() override;

private:
    Clock m_clock;
    SplitMix m_numbers{0x9E3779B97F4A7C15ULL};
};

}  // namespace navicella
