// SPDX-License-Identifier: GPL-3.0-or-later
// What one cue's stream carries, frame by frame: a little silence first, then
// the cue; once cut off, what follows of the cue fades out on a raised cosine
// within FadeMs, and the cue that is to follow starts from its beginning right
// after the fade, or the feed ends there.
//
// It knows no sound server and no clock. The player's stream asks fill() for
// as many frames as the server wants; cut() and follow() change what comes
// next; once ended() the stream has all of it and may play out and close.
#pragma once

#include "game/Constants.h"

#include <cstddef>
#include <functional>
#include <optional>

namespace navicella {

// What a cue sounds from: interleaved float frames at the cue's own rate.
struct CueSource {
    unsigned rate = 0;
    unsigned channels = 1;
    // Reads up to `frames` frames into `out`; fewer once the sound ends.
    std::function<std::size_t(float* out, std::size_t frames)> read;
};

class CueFeed {
public:
    // A new stream is heard from a little later than the server's clock says,
    // as the server splices it into audio it has already mixed ahead: the
    // feed opens with this much silence, and the cue after it is heard whole.
    static constexpr unsigned LeadInMs = 20;
    static constexpr unsigned FadeMs = cue::FadeMs;

    explicit CueFeed(CueSource source);

    const CueSource& source() const { return m_source; }
    bool ended() const { return m_ended; }

    // The cue fades out from the next frame on; one cut off while the feed is
    // still silent is never heard. What was to follow is dropped. A cue that
    // is fading already goes on fading.
    void cut();
    // After cut(): `next`, of the same rate and channels, follows the fade.
    void follow(CueSource next);
    // Writes up to `frames` frames to `out` and says how many; fewer only
    // once the feed has ended.
    std::size_t fill(float* out, std::size_t frames);

private:
    CueSource m_source;
    std::optional<CueSource> m_next;
    std::size_t m_leadIn;               // frames of silence still to write
    std::optional<std::size_t> m_fade;  // once cut off: frames of the fade still to write
    bool m_ended = false;
};

}  // namespace navicella
