// SPDX-License-Identifier: GPL-3.0-or-later
// The real program when the computer around it is not as it should be: no
// display, no sound server, a broken sound file where a cue is looked for.
#include "reliability/WatchedProgram.h"
#include "sound/Analysis.h"
#include "sound/SinkRecorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <iostream>
#include <span>

namespace navicella::test {
namespace {

// A display number that no X server answers: neither its socket file nor its
// abstract socket exists.
QString deadDisplay()
{
    QFile sockets(QStringLiteral("/proc/net/unix"));
    const QString open =
        sockets.open(QIODevice::ReadOnly) ? QString::fromUtf8(sockets.readAll()) : QString();
    for (int number = 917;; ++number) {
        const QString path = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
        if (!QFile::exists(path) && !open.contains(path))
            return QStringLiteral(":%1").arg(number);
    }
}

struct DisplayCase {
    const char* name;
    bool dead;  // DISPLAY names a display no server answers; otherwise it is unset
};

class NoDisplay : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(NoDisplay, SaysWhyInOneLineAndEndsWithStatusOne)
{
    std::vector<std::string> environment{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                         "XDG_SESSION_TYPE"};
    const QString display = deadDisplay();
    if (GetParam().dead)
        environment.push_back("DISPLAY=" + display.toStdString());
    ChildProcess program({NAVICELLA_BINARY}, environment);
    const std::optional<int> status = program.wait(std::chrono::seconds(20));
    ASSERT_TRUE(status) << "still running without a display";
    const QString errors = QString::fromStdString(program.errorText());
    const QStringList lines = errors.split(u'\n', Qt::SkipEmptyParts);

    EXPECT_TRUE(WIFEXITED(*status)) << "crashed or aborted";
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    ASSERT_EQ(lines.size(), 1) << errors.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QLatin1String("navicella: cannot open the window: ")))
        << lines[0].toStdString();
    EXPECT_GT(lines[0].size(), 40) << "a reason is given";
    if (GetParam().dead) {
        EXPECT_TRUE(lines[0].contains(display)) << lines[0].toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Displays, NoDisplay,
                         ::testing::Values(DisplayCase{"Unset", false}, DisplayCase{"Dead", true}),
                         [](const auto& param) { return std::string(param.param.name); });

// Run under session.sh --no-audio. Where the session has a sound server,
// the program is pointed at one that does not exist.
TEST(NoAudioServer, ARoundPlaysWithOneLineAboutSoundAtMost)
{
    WatchedProgram::Options options;
    if (qEnvironmentVariableIsSet("NAVICELLA_SINK"))
        options.environment.emplace_back("PULSE_SERVER=unix:/nonexistent/navicella-pulse");
    WatchedProgram program(options);
    ASSERT_TRUE(program.desktop().waitForWindow());
    std::vector<WatchedProgram::Press> presses;
    program.playRound(100, presses);
    ASSERT_FALSE(HasFatalFailure());

    program.desktop().clickBoard(board::Esci);
    EXPECT_EQ(program.waitForExit(10000), 0);
    const QStringList lines = program.errorLines();
    ASSERT_LE(lines.size(), 1) << program.errorText().toStdString();
    if (!lines.isEmpty()) {
        EXPECT_TRUE(lines[0].startsWith(QLatin1String("navicella: no sound server")))
            << lines[0].toStdString();
    }
}

// The chime is looked for as a file named by its Windows path, taken as a
// name relative to the working directory. A broken file there means a
// silent chime, while the other cues still sound and the round goes on.
TEST(BrokenCueFile, SilencesThatCueAndTheGameGoesOn)
{
    if (!qEnvironmentVariableIsSet("NAVICELLA_SINK"))
        GTEST_SKIP() << "needs the null sink of tests/support/session.sh";
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    {
        // A file cut off in the middle of its format chunk: PCM, one channel, then nothing.
        static constexpr char Header[] = "RIFF\x24\x10\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xac";
        QFile chime(work.filePath(QStringLiteral("C:\\WINDOWS\\Media\\chimes.wav")));
        ASSERT_TRUE(chime.open(QIODevice::WriteOnly));
        chime.write(Header, sizeof Header - 1);
    }
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.running());
    ASSERT_TRUE(recorder.wait(2.5));

    WatchedProgram::Options options;
    options.workingDirectory = work.path();
    WatchedProgram program(options);
    ASSERT_TRUE(program.desktop().waitForWindow());
    // Far enough apart that each cue has sounded and ended before the next press.
    std::vector<WatchedProgram::Press> presses;
    program.playRound(1500, presses);
    ASSERT_FALSE(HasFatalFailure());
    const Recording recording = recorder.stop();

    const auto loudAfter = [&](std::int64_t atNs) {
        const std::size_t from = recording.indexAt(atNs);
        const std::size_t length =
            std::min<std::size_t>(Recording::Rate * 6 / 5, recording.samples.size() - from);
        return peak(std::span(recording.samples).subspan(from, length)) > SilenceLevel;
    };
    int chimes = 0;
    for (std::size_t i = 0; i < presses.size(); ++i) {
        const auto kind = presses[i].kind;
        SCOPED_TRACE(testing::Message() << "press " << i << " of " << presses.size());
        if (kind == WatchedProgram::Press::Kind::Right) {
            ++chimes;
            EXPECT_FALSE(loudAfter(presses[i].atNs)) << "the broken chime sounded";
        } else {
            EXPECT_TRUE(loudAfter(presses[i].atNs)) << "start, wrong-answer and end cues sound";
        }
    }
    EXPECT_GE(chimes, 1) << "the round had a right answer before the last";
    std::cout << presses.size() << " presses, " << chimes << " of them silent chimes\n";

    program.desktop().clickBoard(board::Esci);
    EXPECT_EQ(program.waitForExit(10000), 0);
    const QStringList lines = program.errorLines();
    ASSERT_LE(lines.size(), 1) << program.errorText().toStdString();
    if (!lines.isEmpty()) {
        EXPECT_TRUE(lines[0].contains(QLatin1String("chimes.wav"))) << lines[0].toStdString();
    }
}

}  // namespace
}  // namespace navicella::test
