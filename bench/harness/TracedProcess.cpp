// SPDX-License-Identifier: GPL-3.0-or-later
#include "TracedProcess.h"

#include <dirent.h>
#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace navicella::bench {

std::optional<std::int64_t> parsePaintLine(std::string_view line)
{
    constexpr std::string_view marker = ": painted ";
    const std::size_t at = line.find(marker);
    // The program's name comes first: one word, no spaces.
    if (at == 0 || at == std::string_view::npos ||
        line.substr(0, at).find(' ') != std::string_view::npos)
        return std::nullopt;
    const std::string_view digits = line.substr(at + marker.size());
    std::int64_t ns = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), ns);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty() || ns < 0)
        return std::nullopt;
    return ns;
}

std::optional<std::int64_t> TracedProcess::nextPaint(std::chrono::milliseconds timeout)
{
    const std::int64_t deadline = steadyNs() + timeout.count() * 1'000'000;
    for (;;) {
        const std::int64_t left = std::max<std::int64_t>(deadline - steadyNs(), 0);
        const auto line = readErrorLine(std::chrono::milliseconds(left / 1'000'000));
        if (!line)
            return std::nullopt;
        if (const auto paint = parsePaintLine(*line))
            return paint;
    }
}

std::optional<std::int64_t> TracedProcess::paintAfter(std::int64_t ns,
                                                      std::chrono::milliseconds timeout)
{
    const std::int64_t deadline = steadyNs() + timeout.count() * 1'000'000;
    for (;;) {
        const std::int64_t left = std::max<std::int64_t>(deadline - steadyNs(), 0);
        const auto paint = nextPaint(std::chrono::milliseconds(left / 1'000'000));
        if (!paint || *paint >= ns)
            return paint;
    }
}

int TracedProcess::settle(std::chrono::milliseconds quiet)
{
    int paints = 0;
    while (const auto line = readErrorLine(quiet))
        paints += parsePaintLine(*line) ? 1 : 0;
    return paints;
}

TracedProcess::Scheduling TracedProcess::scheduling() const
{
    Scheduling total;
    if (pid() <= 0)
        return total;
    const std::string tasks = "/proc/" + std::to_string(pid()) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return total;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
        std::int64_t onCpu = 0;
        std::int64_t waiting = 0;
        if (stat >> onCpu >> waiting) {
            total.onCpuNs += onCpu;
            total.waitingNs += waiting;
        }
    }
    closedir(dir);
    return total;
}

std::string TracedProcess::log() const
{
    std::string other;
    std::istringstream lines(errorText());
    for (std::string line; std::getline(lines, line);) {
        if (!parsePaintLine(line))
            other.append(line).push_back('\n');
    }
    return other;
}

}  // namespace navicella::bench
