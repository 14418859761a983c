// SPDX-License-Identifier: GPL-3.0-or-later
// A random source that returns the draws a test scripts, and counts re-seeds.
// `calls` spells every call in order, 'r' for a re-seed and 'd' for a draw,
// so a test can see that each draw follows its own re-seed. A draw beyond the
// script throws std::logic_error, which also lets a test stop a generation
// halfway and look at what it had done.
#pragma once

#include "game/RandomSource.h"

#include <deque>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace navicella::test {

class ScriptedRandom final : public RandomSource {
public:
    ScriptedRandom() = default;
    ScriptedRandom(std::initializer_list<float> script) : m_draws(script) {}

    void push(std::initializer_list<float> script) { m_draws.insert(m_draws.end(), script); }
    void push(const std::vector<float>& script)
    {
        m_draws.insert(m_draws.end(), script.begin(), script.end());
    }
    void reseedFromClock() override
    {
        ++reseeds;
        calls += 'r';
    }
    float draw() override
    {
        if (m_draws.empty())
            throw std::logic_error("the test scripted too few draws");
        ++draws;
        calls += 'd';
        const float value = m_draws.front();
        m_draws.pop_front();
        return value;
    }
    std::size_t remaining() const { return m_draws.size(); }

    int reseeds = 0;
    int draws = 0;
    std::string calls;

private:
    std::deque<float> m_draws;
};

}  // namespace navicella::test
