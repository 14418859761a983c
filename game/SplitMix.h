// SPDX-License-Identifier: GPL-3.0-or-later
// SplitMix64: a tiny generator whose every output depends on all state bits,
// and which gives the same numbers on every machine and standard library. The
// real random source draws from it, and the model test replays a printed seed
// with it.
#pragma once

#include <cstdint>

namespace navicella {

class SplitMix {
public:
    explicit SplitMix(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Moves the state on by `amount`, as if by that many increments.
    void add(std::uint64_t amount) { m_state += amount; }

    // A whole number in 0..bound-1; bound must be positive.
    int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }

    // A float in [0, 1) on the 2^-24 grid: 24 bits fill a float's mantissa
    // exactly, so every value is exact and the result is below 1.
    float unit() { return static_cast<float>(next() >> 40) * 0x1.0p-24f; }

private:
    std::uint64_t m_state;
};

}  // namespace navicella
