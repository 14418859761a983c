// SPDX-License-Identifier: GPL-3.0-or-later
#include "reliability/WatchedProgram.h"

#include <QFile>

#include <gtest/gtest.h>

#include <chrono>

namespace navicella::test {
namespace {

const QColor ButtonFace(255, 255, 128);
const QColor Red(255, 0, 0);

// The window's own size: the board's 760 x 529 pixels below the menu bar.
constexpr int BoardWidth = 760;
constexpr int BoardHeight = 529;

template <typename Condition>
bool waitUntil(Condition condition, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        sleepFor(50);
    }
    return true;
}

}  // namespace

bool shows(const QImage& board, QPoint button)
{
    const QPoint face(button.x(), button.y() - 10);
    return board.rect().contains(face) && board.pixelColor(face) == ButtonFace;
}

int countInField(const QImage& board, const QColor& colour)
{
    int count = 0;
    for (int y = 40; y < 420 && y < board.height(); ++y)
        for (int x = 0; x < board.width(); ++x)
            count += board.pixelColor(x, y) == colour ? 1 : 0;
    return count;
}

QString runXdotool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    if (!tool.waitForFinished(20000))
        tool.kill();
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

std::int64_t steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

WatchedProgram::WatchedProgram(const Options& options)
{
    QStringList environment = options.environment;
    environment << QStringLiteral("NAVICELLA_PROGRAM=" NAVICELLA_BINARY)
                << QStringLiteral("NAVICELLA_STDERR=") +
                       m_dir.filePath(QStringLiteral("stderr.txt"));
    if (!options.workingDirectory.isEmpty())
        environment << QStringLiteral("NAVICELLA_WORKDIR=") + options.workingDirectory;
    if (options.traced)
        environment << QStringLiteral("NAVICELLA_STRACE=") + tracePath();
    m_desktop = std::make_unique<DesktopSession>(QStringLiteral(NAVICELLA_LAUNCHER), environment);
}

QString WatchedProgram::errorText() const
{
    QFile file(m_dir.filePath(QStringLiteral("stderr.txt")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList WatchedProgram::errorLines() const
{
    return errorText().split(u'\n', Qt::SkipEmptyParts);
}

// QProcess learns of the end only in its event loop or a wait; the test runs
// no event loop, so ask with a wait that does not wait.
bool WatchedProgram::running()
{
    QProcess& process = m_desktop->process();
    return process.state() != QProcess::NotRunning && !process.waitForFinished(0);
}

std::optional<int> WatchedProgram::waitForExit(int timeoutMs)
{
    QProcess& process = m_desktop->process();
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(timeoutMs))
        return std::nullopt;
    if (process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return process.exitCode();
}

bool WatchedProgram::tidy(int timeoutMs)
{
    m_problem.clear();
    DesktopSession& d = *m_desktop;
    const bool closed = waitUntil(
        [&] {
            const QStringList windows =
                runXdotool({"search", "--onlyvisible", "--class", "navicella"})
                    .split(u'\n', Qt::SkipEmptyParts);
            bool others = false;
            for (const QString& window : windows) {
                if (window == d.windowId())
                    continue;
                others = true;
                // An info box takes Return; a menu closes with Escape, which
                // goes to the menu holding the keyboard.
                if (runXdotool({"getwindowname", window}) == QLatin1String("Velmora"))
                    d.keys({QStringLiteral("Return")}, window);
                else
                    runXdotool({"key", "Escape"});
            }
            return !others;
        },
        timeoutMs);
    if (!closed)
        return fail("boxes or menus stay open");
    d.resizeWindow(BoardWidth, BoardHeight + d.menuBarHeight());
    if (!d.waitForBoard(
            [](const QImage& b) { return b.width() == BoardWidth && b.height() == BoardHeight; },
            timeoutMs))
        return fail("the window keeps another size");
    return true;
}

bool WatchedProgram::fail(const char* what)
{
    m_problem = QString::fromLatin1(what);
    for (const QString& window : runXdotool({"search", "--onlyvisible", "--class", "navicella"})
                                     .split(u'\n', Qt::SkipEmptyParts)) {
        m_problem += QStringLiteral("; window %1 \"%2\" %3")
                         .arg(window, runXdotool({"getwindowname", window}),
                              runXdotool({"getwindowgeometry", window}).simplified());
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
        d.clickBoard(Via.x(), Via.y());
        if (!d.waitForBoard([](const QImage& b) { return shows(b, Sinistra) && !shows(b, Via); },
                            timeoutMs))
            return fail("a press on the start button started no round");
    }
    d.clickBoard(Pulisci.x(), Pulisci.y());
    if (!d.waitForBoard([](const QImage& b) { return shows(b, Via) && !shows(b, Sinistra); },
                        timeoutMs))
        return fail("a press on \"Pulisci\" did not end the round");
    return true;
}

void WatchedProgram::playRound(int gapMs, std::vector<Press>& presses)
{
    DesktopSession& d = *m_desktop;
    const auto pressAndWait = [&](QPoint button, Press::Kind kind) {
        presses.push_back({kind, steadyNs()});
        d.clickBoard(button.x(), button.y());
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
