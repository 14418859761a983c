// SPDX-License-Identifier: GPL-3.0-or-later
// A program under measurement: a child process whose standard error carries
// the paint trace, one line "<program>: painted <ns>" at the end of every
// completed paint, <ns> being the steady clock (CLOCK_MONOTONIC) in
// nanoseconds. Start it with NAVICELLA_TRACE_PAINTS=1 in its environment.
//
// Read paints with nextPaint() or paintAfter(); wait for the program to fall
// quiet with settle(). Every other line is kept for log().
#pragma once

#include "support/ChildProcess.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace navicella::bench {

using test::steadyNs;

// The time of a paint line, or nothing for any other line.
std::optional<std::int64_t> parsePaintLine(std::string_view line);

class TracedProcess : public test::ChildProcess {
public:
    using ChildProcess::ChildProcess;

    // The next paint, or nothing if none came within the timeout.
    std::optional<std::int64_t> nextPaint(std::chrono::milliseconds timeout);
    // The first paint that ended at or after `ns`; earlier ones are dropped.
    std::optional<std::int64_t> paintAfter(std::int64_t ns, std::chrono::milliseconds timeout);
    // Reads until nothing has come for `quiet`; returns the paints seen.
    int settle(std::chrono::milliseconds quiet);

    // CPU time of the program's live threads so far, and the time they
    // spent ready to run but waiting for a CPU (from /proc schedstat).
    struct Scheduling {
        std::int64_t onCpuNs = 0;
        std::int64_t waitingNs = 0;
    };
    Scheduling scheduling() const;

    // What the program wrote to stderr besides its paints.
    std::string log() const;
};

}  // namespace navicella::bench
