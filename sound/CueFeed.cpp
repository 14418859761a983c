// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/CueFeed.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace navicella {

namespace {

std::size_t framesIn(unsigned ms, const CueSource& source)
{
    return std::size_t{source.rate} * ms / 1000;
}

}  // namespace

CueFeed::CueFeed(CueSource source)
    : m_source(std::move(source)), m_leadIn(framesIn(LeadInMs, m_source))
{
}

void CueFeed::cut()
{
    if (!m_fade)
        m_fade = m_leadIn > 0 ? 0 : framesIn(FadeMs, m_source);
    m_next.reset();
}

void CueFeed::follow(CueSource next) { m_next = std::move(next); }

std::size_t CueFeed::fill(float* out, std::size_t frames)
{
    const std::size_t channels = m_source.channels;
    std::size_t done = std::min(m_leadIn, frames);
    std::fill_n(out, done * channels, 0.0f);
    m_leadIn -= done;
    if (m_leadIn > 0)
        return done;  // silence to the end of the frames asked for
    for (;;) {
        float* const at = out + done * channels;
        const std::size_t wanted = std::min(frames - done, m_fade.value_or(frames));
        const std::size_t got = m_source.read(at, wanted);
        if (m_fade) {
            // From just under full gain down to nothing at the fade's last frame.
            const auto length = static_cast<double>(framesIn(FadeMs, m_source));
            for (std::size_t i = 0; i < got; ++i) {
                const double x = (length - static_cast<double>(*m_fade - i) + 1.0) / length;
                const auto gain = static_cast<float>(0.5 + 0.5 * std::cos(std::numbers::pi * x));
                for (std::size_t c = 0; c < channels; ++c)
                    at[i * channels + c] *= gain;
            }
            *m_fade -= got;
        }
        done += got;
        const bool over = got < wanted || m_fade == std::size_t{0};
        if (!over || !m_next) {
            m_ended = over;
            return done;
        }
        // The next cue takes over on the same frames: no gap, and nothing of
        // the old cue beside the new one.
        m_source = *std::exchange(m_next, std::nullopt);
        m_fade.reset();
    }
}

}  // namespace navicella
