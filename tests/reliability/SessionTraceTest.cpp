// SPDX-License-Identifier: GPL-3.0-or-later
// A whole session of the real program under strace: start, one round, the
// info box, "Esci". It writes nothing to the file system and uses no
// network; its only connections are to the servers of the desktop session
// (the X server, the sound server and, where one runs, the D-Bus session bus;
// see TraceAudit.h for each and for the few writes of libraries let through).
// The account is a fresh one (an empty home folder), the hardest case:
// nothing that a first run creates is there yet.
#include "reliability/TraceAudit.h"
#include "reliability/WatchedProgram.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iostream>

namespace navicella::test {
namespace {

QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(folder.size());
    files.sort();
    return files;
}

void print(const char* title, const QStringList& items)
{
    std::cout << title << ":\n";
    for (const QString& item : items)
        std::cout << "  " << item.toStdString() << '\n';
}

TEST(SessionTrace, WritesNothingAndListensToNothing)
{
    if (!qEnvironmentVariableIsSet("NAVICELLA_SINK"))
        GTEST_SKIP() << "needs the sound server of tests/support/session.sh";
    QTemporaryDir home;
    QTemporaryDir work;
    ASSERT_TRUE(home.isValid() && work.isValid());
    WatchedProgram::Options options;
    options.traced = true;
    options.workingDirectory = work.path();
    const std::string homePath = home.path().toStdString();
    options.environment = {"HOME=" + homePath, "XDG_CONFIG_HOME=" + homePath + "/.config",
                           "XDG_CACHE_HOME=" + homePath + "/.cache",
                           "XDG_DATA_HOME=" + homePath + "/.local/share"};
    WatchedProgram program(options);
    DesktopSession& desktop = program.desktop();
    ASSERT_TRUE(desktop.waitForWindow());

    std::vector<WatchedProgram::Press> presses;
    program.playRound(100, presses);
    ASSERT_FALSE(HasFatalFailure());
    desktop.keys({"alt+i"});
    const unsigned long box = desktop.waitForInfoBox(10000);
    ASSERT_NE(box, 0UL) << "no info box";
    desktop.keys({"Return"}, box);
    ASSERT_TRUE(program.tidy(10000));
    desktop.clickBoard(board::Esci);
    ASSERT_EQ(program.waitForExit(20000), 0) << program.errorText().toStdString();

    QFile log(program.tracePath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    const TraceAudit audit = auditTrace(
        lines,
        {qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("XDG_RUNTIME_DIR"), home.path()});
    std::cout << audit.calls << " system calls traced\n";
    print("local connections", audit.unixPeers);
    print("programs started", audit.programs);
    print("let through", audit.allowed);

    EXPECT_GT(audit.calls, 100) << "the trace is too short to be the session";
    EXPECT_TRUE(audit.writes.isEmpty()) << "writes:\n" << audit.writes.join('\n').toStdString();
    EXPECT_TRUE(audit.network.isEmpty()) << "network:\n" << audit.network.join('\n').toStdString();
    // Both servers were seen: the trace covers the session, and the
    // whitelist was put to use.
    const QString display = qEnvironmentVariable("DISPLAY").section(u':', 1).section(u'.', 0, 0);
    EXPECT_TRUE(audit.unixPeers.contains("@/tmp/.X11-unix/X" + display) ||
                audit.unixPeers.contains("/tmp/.X11-unix/X" + display));
    EXPECT_TRUE(
        audit.unixPeers.contains(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pulse/native"));
    // What is left behind: at most the sound server's cookie.
    const QStringList left = filesUnder(home.path());
    EXPECT_TRUE(left.isEmpty() ||
                left == QStringList({"/.config", "/.config/pulse", "/.config/pulse/cookie"}))
        << left.join(' ').toStdString();
    EXPECT_TRUE(filesUnder(work.path()).isEmpty())
        << filesUnder(work.path()).join(' ').toStdString();
}

}  // namespace
}  // namespace navicella::test
