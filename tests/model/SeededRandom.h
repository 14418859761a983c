// SPDX-License-Identifier: GPL-3.0-or-later
// A deterministic random source for the model test, seeded from the test's
// seed. It ignores the clock: a re-seed changes nothing, so a seed replays the
// same draws.
//
// Besides plain uniform draws it often returns the values where the rules of
// thread generation turn: exactly 0.25, 0.5 and 0.75, their nearest
// neighbours, 0 and the largest float below 1. About half of the coin draws
// of a pair fall on the side its run guard forbids, so re-draws, also several
// in a row, happen all the time.
#pragma once

#include "game/RandomSource.h"
#include "game/SplitMix.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace navicella::model {

class SeededRandom final : public RandomSource {
public:
    explicit SeededRandom(std::uint64_t seed) : m_numbers(seed ^ 0xD1B54A32D192ED03ULL) {}

    void reseedFromClock() override {}

    float draw() override
    {
        if (m_numbers.below(8) < 3)
            return edges()[static_cast<std::size_t>(
                m_numbers.below(static_cast<int>(edges().size())))];
        return m_numbers.unit();
    }

    static const std::array<float, 10>& edges()
    {
        static const std::array<float, 10> values{
            0.0f,
            std::nextafter(0.25f, 0.0f),
            0.25f,
            std::nextafter(0.5f, 0.0f),
            0.5f,
            std::nextafter(0.5f, 1.0f),
            0.75f,
            std::nextafter(0.75f, 1.0f),
            std::nextafter(1.0f, 0.0f),
            0.5f,  // twice: the tie of the coin is the edge that matters most
        };
        return values;
    }

private:
    SplitMix m_numbers;
};

}  // namespace navicella::model
