// SPDX-License-Identifier: GPL-3.0-or-later
// A tiny seeded generator for the model test: the same seed gives the same
// numbers on every machine and standard library, so a printed seed replays.
#pragma once

#include <cstdint>

namespace navicella::model {

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

    // A whole number in 0..bound-1; bound must be positive.
    int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }

    // A float in [0, 1) on the 2^-24 grid, so every value is exact in a float.
    float unit() { return static_cast<float>(next() >> 40) * 0x1.0p-24f; }

private:
    std::uint64_t m_state;
};

}  // namespace navicella::model
