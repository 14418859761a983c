// SPDX-License-Identifier: GPL-3.0-or-later
#include "SinkRecorder.h"

#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <string>

namespace navicella::test {

namespace {

std::vector<std::string> parecCommand(int latencyMs, const std::string& server)
{
    const char* sink = std::getenv("NAVICELLA_SINK");
    std::vector<std::string> command{"parec",
                                     "--raw",
                                     "--format=s16le",
                                     "--rate=" + std::to_string(Recording::Rate),
                                     "--channels=1",
                                     "--latency-msec=" + std::to_string(latencyMs),
                                     "-d",
                                     std::string(sink ? sink : "navicella_null") + ".monitor"};
    if (!server.empty())
        command.push_back("--server=" + server);
    return command;
}

}  // namespace

std::int64_t Recording::timeOf(std::size_t index) const
{
    return startNs + static_cast<std::int64_t>(index) * 1'000'000'000 / Rate;
}

std::int64_t Recording::arrivalOf(std::size_t index) const
{
    const auto block = std::upper_bound(blocks.begin(), blocks.end(), index,
                                        [](std::size_t i, const Block& b) { return i < b.end; });
    return block == blocks.end() ? INT64_MAX : block->arrivalNs;
}

std::size_t Recording::indexAt(std::int64_t ns) const
{
    if (ns <= startNs)
        return 0;
    const auto i = static_cast<std::size_t>((ns - startNs) * Rate / 1'000'000'000);
    return std::min(i, samples.size());
}

SinkRecorder::SinkRecorder(int latencyMs, const std::string& server)
    : m_parec(parecCommand(latencyMs, server))
{
    if (m_parec.running())
        m_reader = std::thread([this] { readLoop(); });
}

SinkRecorder::~SinkRecorder() { stop(); }

void SinkRecorder::readLoop()
{
    std::vector<char> buffer(1 << 16);
    std::size_t carry = 0;  // an odd byte left from the last read
    while (!m_stop.load()) {
        pollfd p{m_parec.outputFd(), POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        const ssize_t n = read(m_parec.outputFd(), buffer.data() + carry, buffer.size() - carry);
        const std::int64_t arrival = steadyNs();
        if (n <= 0)
            return;
        const std::size_t bytes = carry + static_cast<std::size_t>(n);
        const std::size_t frames = bytes / 2;
        std::lock_guard lock(m_mutex);
        for (std::size_t i = 0; i < frames; ++i) {
            const auto lo = static_cast<unsigned char>(buffer[2 * i]);
            const auto hi = static_cast<unsigned char>(buffer[2 * i + 1]);
            m_samples.push_back(static_cast<std::int16_t>(lo | (hi << 8)));
        }
        carry = bytes % 2;
        if (carry)
            buffer[0] = buffer[bytes - 1];
        m_blocks.push_back({m_samples.size(), arrival});
    }
}

double SinkRecorder::received() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<double>(m_samples.size()) / Recording::Rate;
}

bool SinkRecorder::wait(double seconds, std::chrono::milliseconds timeout)
{
    const double target = received() + seconds;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (received() < target) {
        if (std::chrono::steady_clock::now() > deadline || !m_parec.running())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::lock_guard lock(m_mutex);
    m_settledNs = std::min(m_settledNs, steadyNs());
    return true;
}

Recording SinkRecorder::stop()
{
    m_stop.store(true);
    if (m_reader.joinable())
        m_reader.join();
    m_parec.stop();
    return snapshot();
}

Recording SinkRecorder::snapshot() const
{
    Recording r;
    std::lock_guard lock(m_mutex);
    r.samples.reserve(m_samples.size());
    for (std::int16_t s : m_samples)
        r.samples.push_back(static_cast<float>(s) / 32768.0f);
    r.blocks = m_blocks;
    std::int64_t best = INT64_MAX;
    for (const Recording::Block& b : m_blocks) {
        if (b.arrivalNs > m_settledNs)
            best = std::min(best, b.arrivalNs - static_cast<std::int64_t>(b.end) * 1'000'000'000 /
                                                    Recording::Rate);
    }
    r.startNs = best == INT64_MAX ? 0 : best;
    return r;
}

}  // namespace navicella::test
