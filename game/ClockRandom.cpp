// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/ClockRandom.h"

#include <chrono>

namespace navicella {
namespace {

// SplitMix64: a tiny generator whose every output depends on all state bits.
std::uint64_t splitMix64(std::uint64_t& state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

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
void ClockRandom::reseedFromClock()
{
    m_state += m_clock() << 1;
}

float ClockRandom::draw()
{
    // 24 bits fill a float's mantissa exactly, so the result is below 1.
    const auto bits = static_cast<std::uint32_t>(splitMix64(m_state) >> 40);
    return static_cast<float>(bits) * 0x1.0p-24f;
}

}  // namespace navicella
