// SPDX-License-Identifier: GPL-3.0-or-later
// How long play() keeps the window's thread, and how soon the cue reaches
// the sink. Both print their figures.
#include "Analysis.h"
#include "BundledCues.h"
#include "CueSession.h"
#include "RetryOnce.h"
#include "WavBuilder.h"

#include <QFile>
#include <QTemporaryDir>

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

TEST(CueLatency, PlayReturnsAtOnceAndLeavesTheLoopFree)
{
    CueSession session(nullptr);
    ASSERT_TRUE(session.ready());
    std::vector<double> inPlay;
    std::vector<double> untilLoop;
    for (int i = 0; i < 200; ++i) {
        const Press p = session.play(bundledCues()[static_cast<std::size_t>(i) % 4].path);
        ASSERT_GT(p.calledNs, 0);
        inPlay.push_back(static_cast<double>(p.playNs) / 1e3);
        untilLoop.push_back(static_cast<double>(p.loopNs) / 1e3);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const Spread play = spread(inPlay);
    const Spread loop = spread(untilLoop);
    std::printf("play() over 200 calls: median %.1f us, 90%% %.1f us, max %.1f us\n", play.median,
                play.p90, play.max);
    std::printf("play() return to the next loop pass: median %.1f us, max %.1f us\n", loop.median,
                loop.max);
    EXPECT_LE(play.median, 500.0);
    EXPECT_LE(loop.median, 500.0);
}

TEST(CueLatency, TheCueReachesTheSinkSoonAfterThePress)
{
    withOneRetry([] {
        if (!CueSession::hasSink())
            GTEST_SKIP() << "needs the null sink of tests/support/session.sh";
        CueSession session(CueSession::sharedRecorder());
        ASSERT_TRUE(session.audible());

        // The start cue out of silence, as when a round begins. Only its
        // opening matters here, so a file of a few milliseconds of silence cuts
        // it short and lets quiet return sooner.
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString quiet = dir.filePath(QStringLiteral("quiet.wav"));
        QFile file(quiet);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(wav({}, QByteArray(882, '\0')));
        file.close();

        const BundledCue& cue = bundledCue("start");
        std::vector<Press> presses;
        for (int i = 0; i < 20; ++i) {
            presses.push_back(session.play(cue.path));
            session.pass(0.12);
            session.play(quiet.toStdString());
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
        EXPECT_LT(bound.median, 50.0);
    });
}

}  // namespace
}  // namespace navicella::test
