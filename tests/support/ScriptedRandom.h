// SPDX-License-Identifier: GPL-3.0-or-later
// A random source that returns the draws a test scripts, and counts re-seeds.
#pragma once

#include "game/RandomSource.h"

#include <deque>
#include <initializer_list>
#include <stdexcept>

namespace navicella::test {

class ScriptedRandom final : public RandomSource {
public:
    ScriptedRandom() = default;
    ScriptedRandom(std::initializer_list<float> draws) : m_draws(draws) {}

    void push(std::initializer_list<float> draws) { m_draws.insert(m_draws.end(), draws); }
    void reseedFromClock() override { ++reseeds; }
    float draw() override
    {
        if (m_draws.empty())
            throw std::logic_error("the test scripted too few draws");
        ++draws;
        const float value = m_draws.front();
        m_draws.pop_front();
        return value;
    }
    std::size_t remaining() const { return m_draws.size(); }

    int reseeds = 0;
    int draws = 0;

private:
    std::deque<float> m_draws;
};

}  // namespace navicella::test
