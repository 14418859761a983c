// SPDX-License-Identifier: GPL-3.0-or-later
// The real player, heard at the null sink: every cue whole and in its place,
// cut off by the next, started again when repeated, never queued.
#include "Analysis.h"
#include "BundledCues.h"
#include "CueSession.h"
#include "RetryOnce.h"
#include "sound/SoundCuePlayer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <thread>

namespace navicella::test {
namespace {

constexpr std::size_t PerMs = 44;  // samples per millisecond, near enough
// A sample of our own cue as it reaches the sink may differ from the file by
// a rounding step; anything more means the sound was changed.
constexpr float Exact = 2.0f / 32768;

class Playback : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (SinkRecorder* recorder = CueSession::sharedRecorder())
            s_session = new CueSession(recorder);
    }
    static void TearDownTestSuite()
    {
        // Right after a cue, when the stream is still open, is when an exit
        // has been seen to crash.
        if (s_session) {
            EXPECT_EQ(s_session->quit(), 0);
        }
        delete s_session;
        s_session = nullptr;
    }
    void SetUp() override
    {
        if (!s_session)
            GTEST_SKIP() << "needs the null sink of tests/support/session.sh";
        ASSERT_TRUE(s_session->ready());
        ASSERT_TRUE(s_session->audible());
    }
    static void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    static std::span<const float> window(const Recording& r, std::size_t from, std::size_t length)
    {
        from = std::min(from, r.samples.size());
        return std::span(r.samples).subspan(from, std::min(length, r.samples.size() - from));
    }

    static CueSession* s_session;
};

CueSession* Playback::s_session = nullptr;

TEST_F(Playback, EveryCueIsHeardWholeAndInItsPlace)
{
    withOneRetry([] {
        std::vector<Press> presses;
        for (const BundledCue& cue : bundledCues()) {
            presses.push_back(s_session->play(cue.path));
            s_session->pass(static_cast<double>(cue.samples.size()) / 44100 + 0.3);
        }
        const Recording r = s_session->recording();

        std::vector<double> heardHz;
        for (std::size_t i = 0; i < bundledCues().size(); ++i) {
            const BundledCue& cue = bundledCues()[i];
            SCOPED_TRACE(cue.name);
            const Heard heard = findCue(r, cue, presses[i].calledNs);
            EXPECT_LT(heard.firstError, Exact);
            EXPECT_LT(heard.wholeError, Exact);

            // It starts right after the press, out of silence and into silence.
            const double delayMs =
                static_cast<double>(r.timeOf(heard.onset) - presses[i].calledNs) / 1e6;
            EXPECT_GT(delayMs, -20.0);
            EXPECT_LT(delayMs, 60.0);
            EXPECT_LT(peak(window(r, heard.start - 100 * PerMs, 100 * PerMs)), SilenceLevel);
            EXPECT_LT(peak(window(r, heard.start + cue.samples.size(), 100 * PerMs)), SilenceLevel);

            const auto sound = window(r, heard.start, cue.soundLength);
            heardHz.push_back(dominantFrequency(sound, Recording::Rate));
            EXPECT_NEAR(heardHz.back(), cue.dominantHz, cue.dominantHz * 0.01);
        }
        for (std::size_t a = 0; a < heardHz.size(); ++a) {
            for (std::size_t b = a + 1; b < heardHz.size(); ++b)
                EXPECT_GT(std::abs(std::log2(heardHz[a] / heardHz[b])), 2.0 / 12) << a << " " << b;
        }
    });
}

TEST_F(Playback, ANewCueCutsOffTheOneSounding)
{
    withOneRetry([] {
        const BundledCue& chime = bundledCue("right");
        const BundledCue& chord = bundledCue("wrong");
        const Press first = s_session->play(chime.path);
        sleepMs(150);
        const Press second = s_session->play(chord.path);
        s_session->pass(1.2);
        const Recording r = s_session->recording();

        const Heard a = findCue(r, chime, first.calledNs);
        const Heard b = findCue(r, chord, second.calledNs);
        EXPECT_LT(a.firstError, Exact);
        EXPECT_LT(b.wholeError, Exact);
        // The chord follows the press after what was already queued of the
        // chime and its fade.
        EXPECT_LT(static_cast<double>(r.timeOf(b.start) - second.calledNs) / 1e6,
                  SoundCuePlayer::QueuedMs + 30.0);

        // Left alone the chime would still ring 8 dB below its start; once the
        // chord has begun it is gone.
        const double before = toneLevel(window(r, a.start + 20 * PerMs, 80 * PerMs), 44100, 1568.0);
        const double after = toneLevel(window(r, b.start + 10 * PerMs, 80 * PerMs), 44100, 1568.0);
        EXPECT_GT(before, 1e-3);
        EXPECT_LT(after, before * 1e-3);
        // The chord follows on the chime's stream: between the two nothing
        // falls silent, and nothing clicks, as the chime fades out within a
        // few milliseconds.
        const auto seam = window(r, a.start, b.onset - a.start);
        EXPECT_EQ(soundSegments(seam, 2 * PerMs).size(), 1u);
        EXPECT_EQ(clickAt(window(r, a.start, b.onset + 50 * PerMs - a.start)), 0u);
    });
}

TEST_F(Playback, TheSameCueTwiceStartsAgainFromItsBeginning)
{
    withOneRetry([] {
        const BundledCue& chime = bundledCue("right");
        const Press first = s_session->play(chime.path);
        sleepMs(250);
        const Press second = s_session->play(chime.path);
        s_session->pass(1.2);
        const Recording r = s_session->recording();

        const Heard a = findCue(r, chime, first.calledNs);
        const Heard b = findCue(r, chime, second.calledNs);
        EXPECT_LT(a.firstError, Exact);
        EXPECT_GT(b.start, a.start + 200 * PerMs);
        // The second is the whole chime from its strike, on its own, into silence.
        EXPECT_LT(b.wholeError, Exact);
        EXPECT_LT(peak(window(r, b.start + chime.samples.size(), 100 * PerMs)), SilenceLevel);
    });
}

TEST_F(Playback, PressesInQuickSuccessionDoNotQueue)
{
    withOneRetry([] {
        std::vector<Press> presses;
        for (const BundledCue& cue : bundledCues())
            presses.push_back(s_session->play(cue.path));
        s_session->pass(1.6);
        const Recording r = s_session->recording();

        const BundledCue& last = bundledCues().back();
        const Heard heard = findCue(r, last, presses.back().calledNs);
        EXPECT_LT(heard.wholeError, Exact);
        // Before it, at most what the stream had taken of the first cue and a
        // fade: no earlier cue plays out, before it or after.
        const std::size_t from = r.indexAt(presses.front().calledNs - 50 * Ms);
        const auto before = soundSegments(window(r, from, heard.start - from), 2 * PerMs);
        std::size_t sounding = 0;
        for (const Segment& s : before)
            sounding += s.length();
        EXPECT_LT(sounding, static_cast<std::size_t>(SoundCuePlayer::QueuedMs + 20) * PerMs);
        EXPECT_LT(peak(window(r, heard.start + last.samples.size(), 300 * PerMs)), SilenceLevel);
    });
}

}  // namespace
}  // namespace navicella::test
