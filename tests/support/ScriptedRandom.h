// SPDX-License-Identifier: GPL-3.0-or-later
// The tests' random source: it returns the draws a test scripts and, beyond
// the script, those of a seed or of another source, and it remembers every call.
//
// `calls` spells every call in order, 'r' for a re-seed and 'd' for a draw,
// so a test can see that each draw follows its own re-seed; `drawn` holds the
// values. take() hands over both and starts them afresh, so the model can lay
// out from the very same draws the thread it expects.
//
// A draw beyond the script, with neither seed nor source behind it, throws
// std::logic_error, which also lets a test stop a generation halfway and look
// at what it had done. Beyond the script a start needs a few dozen draws at
// most; one that keeps drawing is stuck in its re-draw loop, and the draw throws.
//
// A seed ignores the clock, so it replays the same draws. Besides plain
// uniform draws it often gives the values where the rules of thread
// generation turn: exactly 0.25, 0.5 and 0.75, their nearest neighbours, 0
// and the largest float below 1. About half of the coin draws of a pair fall
// on the side its run guard forbids, so re-draws, several in a row too, happen
// all the time.
#pragma once

#include "game/RandomSource.h"
#include "game/SplitMix.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace navicella::test {

struct RandomCalls {
    std::string calls;
    std::vector<float> drawn;
};

class ScriptedRandom final : public RandomSource {
public:
    ScriptedRandom() = default;
    ScriptedRandom(std::initializer_list<float> script) : m_draws(script) {}
    explicit ScriptedRandom(std::uint64_t seed) : m_seeded(SplitMix(seed ^ 0xD1B54A32D192ED03ULL))
    {
    }
    explicit ScriptedRandom(RandomSource& beyond) : m_beyond(&beyond) {}

    void push(std::initializer_list<float> script) { m_draws.insert(m_draws.end(), script); }
    void push(const std::vector<float>& script)
    {
        m_draws.insert(m_draws.end(), script.begin(), script.end());
    }
    void reseedFromClock() override
    {
        if (m_beyond)
            m_beyond->reseedFromClock();
        ++reseeds;
        calls += 'r';
    }
    float draw() override
    {
        const float value = next();
        ++draws;
        calls += 'd';
        drawn.push_back(value);
        return value;
    }
    std::size_t remaining() const { return m_draws.size(); }
    RandomCalls take() { return {std::exchange(calls, {}), std::exchange(drawn, {})}; }

    static constexpr std::size_t DrawLimit = 2000;

    int reseeds = 0;
    int draws = 0;
    std::string calls;
    std::vector<float> drawn;

private:
    float next()
    {
        if (!m_draws.empty()) {
            const float value = m_draws.front();
            m_draws.pop_front();
            return value;
        }
        if (!m_seeded && !m_beyond)
            throw std::logic_error("the test scripted too few draws");
        if (drawn.size() >= DrawLimit)
            throw std::runtime_error("the game drew " + std::to_string(DrawLimit) +
                                     " values in one go: its re-draw loop does not end");
        if (m_beyond)
            return m_beyond->draw();
        static const std::array<float, 10> edges{
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
        if (m_seeded->below(8) < 3)
            return edges[static_cast<std::size_t>(m_seeded->below(static_cast<int>(edges.size())))];
        return m_seeded->unit();
    }

    std::deque<float> m_draws;
    std::optional<SplitMix> m_seeded;
    RandomSource* m_beyond = nullptr;
};

}  // namespace navicella::test
