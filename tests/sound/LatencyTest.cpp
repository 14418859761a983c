// SPDX-License-Identifier: GPL-3.0-or-later
// How long play() keeps the window's thread, and how soon the cue reaches
// the sink. Both print their figures.
#include "Analysis.h"
#include "BundledCues.h"
#include "CueSession.h"
#include "RetryOnce.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace navicella::test {
namespace {

struct Spread {
    double median;
    double p90;
    double max;
};

Spread spread(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[v.size() * 9 / 10], v.back()};
}

TEST(CueLatency, PlayReturnsAtOnce)
{
    CueSession session(nullptr);
    ASSERT_TRUE(session.ready());
    std::vector<double> inPlay;
    for (int i = 0; i < 200; ++i) {
        const Press p = session.play(bundledCues()[static_cast<std::size_t>(i) % 4].path);
        ASSERT_GT(p.calledNs, 0);
        inPlay.push_back(static_cast<double>(p.playNs) / 1e3);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const Spread play = spread(inPlay);
    std::printf("play() over 200 calls: median %.1f us, 90%% %.1f us, max %.1f us\n", play.median,
                play.p90, play.max);
    EXPECT_LE(play.median, 500.0);
}

TEST(CueLatency, TheCueReachesTheSinkSoonAfterThePress)
{
    withOneRetry([] {
        if (!CueSession::hasSink())
            GTEST_SKIP() << "needs the null sink of tests/support/session.sh";
        CueSession session(CueSession::sharedRecorder());
        ASSERT_TRUE(session.audible());

        // The start cue out of silence, as when a round begins. Only its
        // opening matters here, so a path without a sound cuts it short and
        // lets quiet return sooner.
        const BundledCue& cue = bundledCue("start");
        std::vector<Press> presses;
        for (int i = 0; i < 20; ++i) {
            presses.push_back(session.play(cue.path));
            session.pass(0.12);
            session.play("quiet");
            session.pass(0.23);
        }
        session.pass(0.3);
        const Recording r = session.recording();

        std::vector<double> latest;
        std::vector<double> estimate;
        for (const Press& p : presses) {
            const Heard heard = findCue(r, cue, p.calledNs);
            ASSERT_LT(heard.firstError, 2.0f / 32768);
            // The block that brought the first sound can only have left the
            // sink before it arrived here; the steady clock of the recording
            // places it more closely.
            latest.push_back(static_cast<double>(r.arrivalOf(heard.onset) - p.calledNs) / 1e6);
            estimate.push_back(static_cast<double>(r.timeOf(heard.onset) - p.calledNs) / 1e6);
        }
        const Spread bound = spread(latest);
        const Spread placed = spread(estimate);
        std::printf(
            "press to first sound at the sink, 20 presses: at most %.1f ms (median), "
            "90%% %.1f ms, max %.1f ms\n",
            bound.median, bound.p90, bound.max);
        std::printf("the same by the recording's clock: median %.1f ms, max %.1f ms\n",
                    placed.median, placed.max);
        EXPECT_LT(bound.median, 60.0);
    });
}

}  // namespace
}  // namespace navicella::test
