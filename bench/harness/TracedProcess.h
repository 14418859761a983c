// SPDX-License-Identifier: GPL-3.0-or-later
// A program under measurement: started with posix_spawn, with the paint
// trace switched on and its stderr read through a pipe.
//
// The steady clock is read just before the spawn (spawnedAt()), so a first
// paint minus that time is the whole start-up as the user waits for it.
// Read paints with nextPaint() or paintAfter(); wait for the program to fall
// quiet with settle(). stop() ends it and returns its resource usage, whose
// peak resident set comes from wait4(). The destructor kills a program that
// is still running.
#pragma once

#include "PaintTrace.h"

#include <sys/types.h>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace navicella::bench {

std::int64_t steadyNs();

class TracedProcess {
public:
    struct Usage {
        long peakRssKb = 0;
        int status = -1;  // as from wait4()
    };

    TracedProcess(const std::vector<std::string>& argv,
                  const std::vector<std::string>& environment);
    ~TracedProcess();
    TracedProcess(const TracedProcess&) = delete;
    TracedProcess& operator=(const TracedProcess&) = delete;

    bool running() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    std::int64_t spawnedAt() const { return m_spawnedAt; }

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

    Usage stop();
    // What the program wrote to stderr besides its paints.
    const std::string& log() const { return m_trace.otherLines(); }

private:
    // Reads what has arrived within the timeout; false once nothing came.
    bool readSome(std::chrono::milliseconds timeout);

    pid_t m_pid = -1;
    int m_err = -1;
    std::int64_t m_spawnedAt = 0;
    PaintTrace m_trace;
};

}  // namespace navicella::bench
