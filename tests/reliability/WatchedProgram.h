// SPDX-License-Identifier: GPL-3.0-or-later
// The real program as the reliability tests drive it on an X display.
//
// A WatchedProgram starts the program through launch.sh inside a
// DesktopSession, so that it can run in a folder of the test's choice, and if
// asked with a log of its system calls. It adds the moves the tests share:
// closing info boxes and menus, checking that the window still answers, and
// playing a round by watching the screen.
//
// Needs DISPLAY to name a running X server (tests/support/session.sh gives
// one). Create one WatchedProgram per run of the program; its destructor
// kills a program that is still running.
#pragma once

#include "e2e/DesktopSession.h"

#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace navicella::test {

class WatchedProgram {
public:
    struct Options {
        QString workingDirectory;              // empty: the test's own
        bool traced = false;                   // run under strace (see launch.sh)
        std::vector<std::string> environment;  // more "NAME=value" settings
    };

    WatchedProgram() : WatchedProgram(Options{}) {}
    explicit WatchedProgram(const Options& options);

    DesktopSession& desktop() { return *m_desktop; }
    bool running() { return m_desktop->process().running(); }

    // Its standard error so far, line by line, blank lines left out.
    QStringList errorLines() const;
    QString errorText() const { return QString::fromStdString(m_desktop->process().errorText()); }
    QString tracePath() const { return m_dir.filePath(QStringLiteral("trace.log")); }
    // Waits for the program to end by itself: its status as from waitpid(),
    // or nothing if it was still running after the timeout.
    std::optional<int> waitForExit(int timeoutMs);

    // Closes open info boxes and menus and gives the window its own size
    // back; false if that did not happen within the time.
    bool tidy(int timeoutMs);

    // Whether the window still answers: after tidying, a press on the start
    // button (when it shows) starts a round and a press on "Pulisci" ends it,
    // each seen on the screen within the time.
    bool answers(int timeoutMs);
    // Why the last tidy() or answers() failed, with the open windows.
    QString problem() const { return m_problem; }

    struct Press {
        enum class Kind { Start, Right, Wrong, Last };
        Kind kind;
        std::int64_t atNs;  // just before the press was sent
    };
    // Plays one round from the start button to the goal in the current level,
    // leaving `gapMs` between presses, and tells what each press was.
    // Reports failures through GoogleTest; check HasFatalFailure() after it.
    void playRound(int gapMs, std::vector<Press>& presses);

private:
    bool fail(const char* what);

    QTemporaryDir m_dir;
    std::unique_ptr<DesktopSession> m_desktop;
    QString m_problem;
};

}  // namespace navicella::test
