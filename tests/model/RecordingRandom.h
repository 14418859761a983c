// SPDX-License-Identifier: GPL-3.0-or-later
// Passes every call on to another random source and remembers them, so the
// model can lay out from the very same draws the thread it expects.
//
// take() hands over what was recorded since the last take(): the calls in
// order ('r' for a re-seed, 'd' for a draw) and the values drawn. A start
// needs a few dozen draws at most; a game that keeps drawing long after that
// is stuck in its re-draw loop, and the draw throws to stop it.
#pragma once

#include "game/RandomSource.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace navicella::model {

struct RandomCalls {
    std::string calls;
    std::vector<float> draws;
};

class RecordingRandom final : public RandomSource {
public:
    explicit RecordingRandom(RandomSource& inner) : m_inner(inner) {}

    void reseedFromClock() override
    {
        m_inner.reseedFromClock();
        m_recorded.calls += 'r';
    }

    static constexpr std::size_t DrawLimit = 2000;

    float draw() override
    {
        if (m_recorded.draws.size() >= DrawLimit)
            throw std::runtime_error("the game drew " + std::to_string(DrawLimit) +
                                     " values in one go: its re-draw loop does not end");
        const float value = m_inner.draw();
        m_recorded.calls += 'd';
        m_recorded.draws.push_back(value);
        return value;
    }

    RandomCalls take() { return std::exchange(m_recorded, {}); }

private:
    RandomSource& m_inner;
    RandomCalls m_recorded;
};

}  // namespace navicella::model
