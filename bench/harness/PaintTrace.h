// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the paint trace a traced program writes to stderr: one line
// "<program>: painted <ns>" at the end of every completed paint, <ns> being
// the steady clock (CLOCK_MONOTONIC) in nanoseconds.
//
// Feed it the bytes as they come, in any pieces; take the paints in order
// with takePaint(). Every other complete line is kept for the log.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace navicella::bench {

// The time of a paint line, or nothing for any other line.
std::optional<std::int64_t> parsePaintLine(std::string_view line);

class PaintTrace {
public:
    void feed(std::string_view bytes);
    bool hasPaint() const { return !m_paints.empty(); }
    std::int64_t takePaint();
    const std::string& otherLines() const { return m_other; }

private:
    std::string m_pending;
    std::deque<std::int64_t> m_paints;
    std::string m_other;
};

}  // namespace navicella::bench
