// SPDX-License-Identifier: GPL-3.0-or-later
#include "PaintTrace.h"

#include <charconv>

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

void PaintTrace::feed(std::string_view bytes)
{
    m_pending.append(bytes);
    std::size_t start = 0;
    for (std::size_t nl = m_pending.find('\n'); nl != std::string::npos;
         nl = m_pending.find('\n', start)) {
        const std::string_view line(m_pending.data() + start, nl - start);
        if (const auto ns = parsePaintLine(line))
            m_paints.push_back(*ns);
        else
            m_other.append(line).push_back('\n');
        start = nl + 1;
    }
    m_pending.erase(0, start);
}

std::int64_t PaintTrace::takePaint()
{
    const std::int64_t ns = m_paints.front();
    m_paints.pop_front();
    return ns;
}

}  // namespace navicella::bench
