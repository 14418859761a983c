// SPDX-License-Identifier: GPL-3.0-or-later
// The cues our synthesiser makes, and the paths that choose them.
#include "Analysis.h"
#include "BundledCues.h"
#include "game/Constants.h"
#include "game/CueSynth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <span>

namespace navicella::test {
namespace {

TEST(BundledCues, AreChosenByTheFileNameOfTheirPathInAnyCase)
{
    using synth::Cue;
    const std::vector<std::pair<std::string_view, std::optional<Cue>>> cases{
        {cue::StartCue, Cue::Start},
        {cue::RightCue, Cue::Right},
        {cue::WrongCue, Cue::Wrong},
        {cue::EndCue, Cue::End},
        {"D:\\Elsewhere\\CHIMES.WAV", Cue::Right},
        {"C:/WINDOWS/Media/Tada.wav", Cue::End},
        {"chord.wav", Cue::Wrong},
        {"C:\\WINDOWS\\Media\\windows xp - BARRA informazioni.wav", Cue::Start},
        {"C:\\WINDOWS\\Media\\ding.wav", std::nullopt},
        {"C:\\WINDOWS\\Media\\chimes.wav.bak", std::nullopt},
        {"C:\\WINDOWS\\Media\\", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(synth::cueFor(path), expected) << path;
}

TEST(BundledCues, AreShortCleanPcmWithPaddedTails)
{
    // The click finder finds a tone that is switched on and off hard.
    std::vector<float> abrupt(4410, 0.0f);
    for (std::size_t i = 1000; i < 3000; ++i)
        abrupt[i] = 0.5f * static_cast<float>(std::sin(0.06 * static_cast<double>(i)));
    ASSERT_NE(clickAt(abrupt), 0u);
    for (std::size_t i = 1000; i < 3000; ++i)
        abrupt[i] *= static_cast<float>(std::sin(3.1416 * static_cast<double>(i - 1000) / 2000.0));
    ASSERT_EQ(clickAt(abrupt), 0u);

    for (const BundledCue& cue : bundledCues()) {
        SCOPED_TRACE(cue.name);
        const std::vector<float>& s = cue.samples;
        const double seconds = static_cast<double>(s.size()) / 44100;
        EXPECT_GT(seconds, 0.5);
        EXPECT_LT(seconds, 1.5);

        // At least 0.2 s of digital silence closes the file, and the sound
        // itself reaches almost to it.
        std::size_t zeros = 0;
        while (zeros < s.size() && s[s.size() - 1 - zeros] == 0.0f)
            ++zeros;
        EXPECT_GE(zeros, 8820u);
        EXPECT_LT(zeros, 8820u + 441u);

        // Clear of clipping yet well audible; no offset.
        EXPECT_LT(peak(s), 0.71f);  // -3 dBFS
        EXPECT_GT(peak(s), 0.35f);  // -9 dBFS
        EXPECT_LT(std::abs(mean(s)), 1e-3);

        // Soft edges: it starts from silence and fades into the padding, and
        // no step between samples stands out from the steps around it.
        EXPECT_LT(std::abs(s.front()), 0.001f);
        EXPECT_LT(peak(std::span(s).subspan(s.size() - zeros - 44, 44)), 0.005f);
        EXPECT_EQ(clickAt(s), 0u);
    }
}

TEST(BundledCues, AreClearlyDistinct)
{
    const auto& cues = bundledCues();
    for (std::size_t a = 0; a < cues.size(); ++a) {
        const double fa = cues[a].dominantHz;
        // Each lies where its sketch put it: a high C, a higher bell, a low
        // D chord, a fanfare on G.
        EXPECT_NEAR(fa, cues[a].expectedHz, cues[a].expectedHz * 0.02) << cues[a].name;
        for (std::size_t b = a + 1; b < cues.size(); ++b) {
            const double fb = cues[b].dominantHz;
            const double lengthA = static_cast<double>(cues[a].soundLength) / 44100;
            const double lengthB = static_cast<double>(cues[b].soundLength) / 44100;
            // More than a whole tone apart in pitch, or a fifth of a second in length.
            EXPECT_TRUE(std::abs(std::log2(fa / fb)) > 2.0 / 12 ||
                        std::abs(lengthA - lengthB) > 0.2)
                << cues[a].name << " and " << cues[b].name;
        }
    }
}

}  // namespace
}  // namespace navicella::test
