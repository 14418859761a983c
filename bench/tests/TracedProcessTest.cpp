// SPDX-License-Identifier: GPL-3.0-or-later
// The harness's hold on a measured program: it must find the right paint,
// also in a line that came in pieces, give up on time, pass the environment,
// and end a program that will not end.
#include "TracedProcess.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <chrono>
#include <string>

namespace navicella::bench {
namespace {

using std::chrono::milliseconds;

TracedProcess shell(const std::string& script, const std::vector<std::string>& environment = {})
{
    return TracedProcess({"/bin/sh", "-c", script}, environment);
}

TEST(TracedProcessTest, TakesPaintsInOrderAndSkipsEarlierOnes)
{
    auto p = shell(
        "echo 'x: painted 10' >&2; echo 'a warning' >&2; printf 'x: pain' >&2; sleep 0.2;"
        "echo 'ted 20' >&2; echo 'x: painted 30' >&2; sleep 5");
    ASSERT_TRUE(p.running());
    EXPECT_EQ(p.nextPaint(milliseconds(5000)), 10);
    EXPECT_EQ(p.paintAfter(25, milliseconds(5000)), 30);
    EXPECT_EQ(p.log(), "a warning\n");
    EXPECT_GT(p.spawnedAt(), 0);
}

TEST(TracedProcessTest, GivesUpWhenNoPaintComes)
{
    struct Case {
        const char* script;
        const char* what;
    };
    const Case cases[] = {
        {"sleep 5", "a program that stays silent"},
        {"exit 0", "a program that has ended"},
        {"echo 'x: painted 5' >&2; sleep 5", "a program whose only paint is too early"},
    };
    for (const Case& c : cases) {
        auto p = shell(c.script);
        const auto before = std::chrono::steady_clock::now();
        EXPECT_FALSE(p.paintAfter(100, milliseconds(300))) << c.what;
        EXPECT_LT(std::chrono::steady_clock::now() - before, milliseconds(2000)) << c.what;
    }
}

TEST(TracedProcessTest, PassesItsEnvironmentOverTheInheritedOne)
{
    setenv("NAVICELLA_TRACE_PAINTS", "inherited", 1);
    auto p = shell("echo \"x: painted $NAVICELLA_TRACE_PAINTS\" >&2", {"NAVICELLA_TRACE_PAINTS=7"});
    EXPECT_EQ(p.nextPaint(milliseconds(5000)), 7);
    unsetenv("NAVICELLA_TRACE_PAINTS");
}

TEST(TracedProcessTest, StopEndsEvenAProgramThatIgnoresTerm)
{
    auto p = shell("trap '' TERM; echo 'x: painted 1' >&2; while :; do sleep 1; done");
    ASSERT_EQ(p.nextPaint(milliseconds(5000)), 1);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(WIFSIGNALED(p.stop()));
    EXPECT_LT(std::chrono::steady_clock::now() - before, milliseconds(4000));
    EXPECT_GT(p.peakRssKb(), 0);
    EXPECT_FALSE(p.running());
}

TEST(TracedProcessTest, CountsPaintsUntilTheProgramFallsQuiet)
{
    auto p = shell("for i in 1 2 3; do echo \"x: painted $i\" >&2; done; sleep 5");
    EXPECT_EQ(p.settle(milliseconds(300)), 3);
    EXPECT_FALSE(p.nextPaint(milliseconds(50)));
    EXPECT_GT(p.scheduling().onCpuNs, 0);
}

}  // namespace
}  // namespace navicella::bench
