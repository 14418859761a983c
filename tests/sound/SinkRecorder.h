// SPDX-License-Identifier: GPL-3.0-or-later
// Records the monitor of the session's null sink ($NAVICELLA_SINK) through
// parec, and keeps the steady-clock time at which every block arrived. A
// server address records the sink of that name on another server.
//
// Create it, wait() about 2.5 s so that the sink has settled on a short
// latency, make the sounds, wait for them to pass, then stop(). While it
// settles the sink hands over audio in bursts, rendered far ahead, so only
// the blocks that arrive after the first wait() count for the clock.
//
// A recording knows when each block arrived: arrivalOf(i) is the latest time
// at which sample i can have left the sink. timeOf(i) is a steadier estimate:
// the earliest arrival of any settled block, less the audio after it, laid
// out at the nominal rate.
#pragma once

#include "support/ChildProcess.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace navicella::test {

struct Recording {
    static constexpr int Rate = 44100;
    std::vector<float> samples;  // mono, full scale is 1
    std::int64_t startNs = 0;    // steady clock of sample 0
    struct Block {
        std::size_t end;         // one past its last sample
        std::int64_t arrivalNs;  // steady clock
    };
    std::vector<Block> blocks;

    std::int64_t timeOf(std::size_t index) const;
    std::int64_t arrivalOf(std::size_t index) const;
    std::size_t indexAt(std::int64_t ns) const;
};

class SinkRecorder {
public:
    explicit SinkRecorder(int latencyMs = 20, const std::string& server = {});
    ~SinkRecorder();
    SinkRecorder(const SinkRecorder&) = delete;
    SinkRecorder& operator=(const SinkRecorder&) = delete;

    bool running() { return m_parec.running(); }
    // Seconds of audio received so far.
    double received() const;
    // Waits until `seconds` more of audio have arrived, or the timeout passes.
    bool wait(double seconds, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // What has been recorded so far; recording goes on.
    Recording snapshot() const;
    Recording stop();

private:
    void readLoop();

    ChildProcess m_parec;
    std::thread m_reader;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<std::int16_t> m_samples;
    std::vector<Recording::Block> m_blocks;
    std::int64_t m_settledNs = INT64_MAX;  // blocks after this count for the clock
};

}  // namespace navicella::test
