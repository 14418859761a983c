// SPDX-License-Identifier: GPL-3.0-or-later
#include "reliability/WatchedProgram.h"

#include <gtest/gtest.h>

#include <chrono>

namespace navicella::test {
namespace {

using namespace board;

const QColor Red(rgb(colour::Red));

std::vector<std::string> launchEnvironment(const WatchedProgram::Options& options,
                                           const QString& tracePath)
{
    std::vector<std::string> environment = options.environment;
    environment.emplace_back("NAVICELLA_PROGRAM=" NAVICELLA_BINARY);
    if (!options.workingDirectory.isEmpty())
        environment.push_back("NAVICELLA_WORKDIR=" + options.workingDirectory.toStdString());
    if (options.traced)
        environment.push_back("NAVICELLA_STRACE=" + tracePath.toStdString());
    return environment;
}

}  // namespace

WatchedProgram::WatchedProgram(const Options& options)
    : m_desktop(std::make_unique<DesktopSession>(NAVICELLA_LAUNCHER,
                                                 launchEnvironment(options, tracePath())))
{
}

QStringList WatchedProgram::errorLines() const
{
    return errorText().split(u'\n', Qt::SkipEmptyParts);
}

std::optional<int> WatchedProgram::waitForExit(int timeoutMs)
{
    return m_desktop->process().wait(std::chrono::milliseconds(timeoutMs));
}

bool WatchedProgram::tidy(int timeoutMs)
{
    m_problem.clear();
    DesktopSession& d = *m_desktop;
    const bool closed = waitUntil(
        [&] {
            bool others = false;
            for (const unsigned long window : d.input().windows("navicella")) {
                if (window == d.window())
                    continue;
                others = true;
                // An info box takes Return; a menu closes with Escape, which
                // goes to the menu holding the keyboard.
                if (d.input().title(window) == "Velmora")
                    d.keys({"Return"}, window);
                else
                    d.input().type({"Escape"}, std::chrono::milliseconds(0));
            }
            return !others;
        },
        timeoutMs);
    if (!closed)
        return fail("boxes or menus stay open");
    d.resizeWindow(Whole.width, Whole.height + d.menuBarHeight());
    if (!d.waitForBoard(
            [](const QImage& b) { return b.width() == Whole.width && b.height() == Whole.height; },
            timeoutMs))
        return fail("the window keeps another size");
    return true;
}

bool WatchedProgram::fail(const char* what)
{
    m_problem = QString::fromLatin1(what);
    XInput& input = m_desktop->input();
    for (const unsigned long window : input.windows("navicella")) {
        const Region at = input.geometry(window);
        m_problem += QStringLiteral("; window %1 \"%2\" at %3,%4 size %5 x %6")
                         .arg(window)
                         .arg(QString::fromStdString(input.title(window)))
                         .arg(at.left)
                         .arg(at.top)
                         .arg(at.width)
                         .arg(at.height);
    }
    const QImage board = m_desktop->board();
    m_problem += QStringLiteral("; board %1 x %2, start button %3, Sinistra %4")
                     .arg(board.width())
                     .arg(board.height())
                     .arg(shows(board, Via) ? "shown" : "hidden",
                          shows(board, Sinistra) ? "shown" : "hidden");
    return false;
}

bool WatchedProgram::answers(int timeoutMs)
{
    DesktopSession& d = *m_desktop;
    if (!tidy(timeoutMs))
        return false;
    if (shows(d.board(), Via)) {
        d.clickBoard(Via);
        if (!d.waitForBoard([](const QImage& b) { return shows(b, Sinistra) && !shows(b, Via); },
                            timeoutMs))
            return fail("a press on the start button started no round");
    }
    d.clickBoard(Pulisci);
    if (!d.waitForBoard([](const QImage& b) { return shows(b, Via) && !shows(b, Sinistra); },
                        timeoutMs))
        return fail("a press on \"Pulisci\" did not end the round");
    return true;
}

void WatchedProgram::playRound(int gapMs, std::vector<Press>& presses)
{
    DesktopSession& d = *m_desktop;
    const auto pressAndWait = [&](Point button, Press::Kind kind) {
        presses.push_back({kind, steadyNs()});
        d.clickBoard(button);
    };
    const auto pause = [&] {
        const std::int64_t since = steadyNs() - presses.back().atNs;
        if (since < gapMs * 1'000'000LL)
            sleepFor(static_cast<int>(gapMs - since / 1'000'000));
    };

    ASSERT_TRUE(shows(d.board(), Via)) << "no start button";
    pressAndWait(Via, Press::Kind::Start);
    ASSERT_TRUE(
        d.waitForBoard([](const QImage& b) { return !shows(b, Via) && shows(b, Sinistra); }, 10000))
        << "the round did not start";
    pause();

    for (int answer = 0; answer < 20 && !shows(d.board(), Via); ++answer) {
        // "Sinistra" first; when the red trail does not grow, it was wrong
        // and "Destra" is right.
        const QImage before = d.board();
        const int red = countInField(before, Red);
        pressAndWait(Sinistra, Press::Kind::Right);
        ASSERT_TRUE(d.waitForBoard([&](const QImage& b) { return b != before; }, 10000))
            << "a press changed nothing on the screen";
        sleepFor(100);
        QImage after = d.board();
        if (countInField(after, Red) <= red) {
            presses.back().kind = Press::Kind::Wrong;
            pause();
            pressAndWait(Destra, Press::Kind::Right);
            ASSERT_TRUE(
                d.waitForBoard([&](const QImage& b) { return countInField(b, Red) > red; }, 10000))
                << "neither answer was right";
            sleepFor(100);
            after = d.board();
        }
        if (shows(after, Via))
            presses.back().kind = Press::Kind::Last;
        pause();
    }
    ASSERT_TRUE(shows(d.board(), Via)) << "the round did not end";
}

}  // namespace navicella::test
