// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/ClockRandom.h"

#include <chrono>

namespace navicella {

std::uint64_t ClockRandom::steadyTicks()
{
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

// Adding twice the reading keeps the step from one re-seeded draw to the next
// odd (2 x ticks + the increment), so while the clock stands still the states
// run through the whole 2^64 cycle and never repeat. An xor could cancel the
// increment: a reading equal to it, or to its complement, froze the generator
// in a cycle of one or two states, and the re-draw loop of thread generation
// could then spin for as long as the clock showed that reading.
void ClockRandom::reseedFromClock() { m_numbers.add(m_clock() << 1); }

float ClockRandom::draw() { return m_numbers.unit(); }

}  // namespace navicella
