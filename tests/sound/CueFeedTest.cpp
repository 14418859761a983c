// SPDX-License-Identifier: GPL-3.0-or-later
// What a cue's stream carries, frame by frame, with no server and no clock:
// the lead-in, the cue, its fade once cut off, the cue that follows, the end.
#include "sound/CueFeed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

namespace navicella::test {
namespace {

constexpr unsigned Rate = 44100;
constexpr std::size_t LeadIn = Rate * CueFeed::LeadInMs / 1000;
constexpr std::size_t Fade = Rate * CueFeed::FadeMs / 1000;
constexpr std::size_t Length = 3000;  // frames of every cue here

// Every sample tells its cue, frame and channel.
float sampleOf(int cue, std::size_t frame, std::size_t channel)
{
    return static_cast<float>(static_cast<std::size_t>(cue) * 10000 + frame) +
           0.25f * static_cast<float>(channel);
}

CueSource cue(int number, unsigned channels)
{
    return {Rate, channels, [=, at = std::size_t{0}](float* out, std::size_t frames) mutable {
                const std::size_t n = std::min(frames, Length - at);
                for (std::size_t i = 0; i < n * channels; ++i)
                    out[i] = sampleOf(number, at + i / channels, i % channels);
                at += n;
                return n;
            }};
}

struct Case {
    const char* name;
    std::optional<std::size_t> cutAt;  // frames written before cue 1 is cut off
    std::vector<int> following;        // cues cutting in one after the other at that moment
    unsigned channels = 1;
};

// The lead-in's silence; cue 1 up to the cut, unless cut in the lead-in;
// its fade, a raised cosine from full to nothing, ending early with the cue;
// then the last cue to cut in, whole.
std::vector<float> expected(const Case& c)
{
    std::vector<float> out(LeadIn * c.channels, 0.0f);
    const auto append = [&](int number, std::size_t from, std::size_t to, auto gain) {
        for (std::size_t f = from; f < to; ++f) {
            for (std::size_t ch = 0; ch < c.channels; ++ch)
                out.push_back(static_cast<float>(gain(f - from)) * sampleOf(number, f, ch));
        }
    };
    const auto full = [](std::size_t) { return 1.0; };
    if (!c.cutAt) {
        append(1, 0, Length, full);
    } else if (*c.cutAt >= LeadIn) {
        const std::size_t plain = *c.cutAt - LeadIn;
        append(1, 0, plain, full);
        append(1, plain, std::min(Length, plain + Fade), [](std::size_t i) {
            return 0.5 + 0.5 * std::cos(std::numbers::pi * static_cast<double>(i + 1) / Fade);
        });
    }
    if (!c.following.empty())
        append(c.following.back(), 0, Length, full);
    return out;
}

// What the feed writes for a stream that takes at most `block` frames at a time.
std::vector<float> written(const Case& c, std::size_t block)
{
    CueFeed feed(cue(1, c.channels));
    std::vector<float> out;
    const auto fillTo = [&](std::size_t frames) {
        while (!feed.ended() && out.size() < frames * c.channels) {
            std::vector<float> buffer(std::min(block, frames - out.size() / c.channels) *
                                      c.channels);
            const std::size_t got = feed.fill(buffer.data(), buffer.size() / c.channels);
            EXPECT_TRUE(got * c.channels == buffer.size() || feed.ended()) << "short, not ended";
            out.insert(out.end(), buffer.begin(),
                       buffer.begin() + std::ptrdiff_t(got * c.channels));
        }
    };
    if (c.cutAt) {
        fillTo(*c.cutAt);
        feed.cut();
        for (int next : c.following) {
            feed.cut();
            feed.follow(cue(next, c.channels));
        }
    }
    fillTo(10 * Length);
    EXPECT_TRUE(feed.ended());
    return out;
}

TEST(CueFeed, WritesTheLeadInTheCueItsFadeAndTheNextCue)
{
    const std::vector<Case> cases{
        {"played out after the lead-in", std::nullopt, {}},
        {"cut in the lead-in: never heard", 300, {}},
        {"cut in the lead-in: the next follows the whole lead-in", 300, {2}},
        {"cut as the lead-in ends: the opening fades", LeadIn, {}},
        {"cut mid-cue: it fades out and ends", LeadIn + 1000, {}},
        {"cut mid-cue: the next follows the fade", LeadIn + 1000, {2}},
        {"cut near its end: the fade ends with the cue", LeadIn + Length - 100, {2}},
        {"a later cue replaces the one that was to follow", LeadIn + 1000, {2, 3}},
        {"stereo: both channels fade", LeadIn + 1000, {2}, 2},
    };
    for (const Case& c : cases) {
        for (const std::size_t block : {1, 7, 441, 100000}) {
            SCOPED_TRACE(std::string(c.name) + ", blocks of " + std::to_string(block));
            const std::vector<float> got = written(c, block);
            const std::vector<float> want = expected(c);
            ASSERT_EQ(got.size(), want.size());
            for (std::size_t i = 0; i < want.size(); ++i) {
                if (std::abs(got[i] - want[i]) > 1e-5f * std::max(1.0f, std::abs(want[i]))) {
                    ADD_FAILURE() << "sample " << i << " is " << got[i] << ", not " << want[i];
                    break;
                }
            }
        }
    }
}

}  // namespace
}  // namespace navicella::test
