// SPDX-License-Identifier: GPL-3.0-or-later
// Plays the real window round after round, for memory checks from outside
// (valgrind, the resident set size).
//
// The window is the real Form1 on Qt's offscreen platform, with the real
// clock-seeded chance and the real cue player, so that the sound thread's
// allocations are measured with the window's. Every press is a real mouse
// press through QTest, with a mouse button and modifiers that change from
// press to press. Each round is started on a level taken in turn from the
// menu; its answers are read from the game's state, with some wrong answers,
// a level change or an info box now and then, and now and then a round
// abandoned with "Pulisci" and started again. Info boxes go to a presenter
// that only counts them.
//
// Usage: navicella_round_driver ROUNDS [FROM_ROUND POINTS LIMIT_KB]
// With FROM_ROUND, the resident set size is read after that round and at
// POINTS - 1 more rounds evenly spaced up to the last, and the run fails when
// the trend of those sizes (their least-squares line) grows by more than
// LIMIT_KB from the first point to the last: a trend, unlike two single
// readings, is not thrown by one allocation that happens to fall between them.
// Exit status 0 when every round ended as the game's rules say (and the size
// stayed within the limit), 1 otherwise, 2 on a usage error. The counts and
// sizes are written to stdout.
#include "game/ClockRandom.h"
#include "sound/SoundCuePlayer.h"
#include "ui/Form1.h"
#include "ui/GraphicalOptionButton.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTest>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using navicella::Form1;
using navicella::GraphicalOptionButton;

// The resident set size in kB, from /proc, whole and in its parts: memory of
// the program's own, pages of mapped files (the libraries' code among them)
// and shared memory.
struct Resident {
    long total = -1;
    long anonymous = -1;
    long files = -1;
    long shared = -1;
};

Resident resident()
{
    Resident r;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return r;
    const std::array<std::pair<const char*, long Resident::*>, 4> fields{
        {{"VmRSS:", &Resident::total},
         {"RssAnon:", &Resident::anonymous},
         {"RssFile:", &Resident::files},
         {"RssShmem:", &Resident::shared}}};
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        for (const auto& [name, field] : fields) {
            if (line.startsWith(name))
                r.*field = line.mid(static_cast<qsizetype>(std::strlen(name)))
                               .trimmed()
                               .split(' ')
                               .first()
                               .toLong();
        }
    }
    return r;
}

void print(long round, const Resident& r)
{
    std::printf("resident after round %ld: %ld kB (own %ld, files %ld, shared %ld)\n", round,
                r.total, r.anonymous, r.files, r.shared);
}

struct Counts {
    long presses = 0;
    long wrong = 0;
    long clears = 0;
    long infos = 0;
    long errors = 0;
};

class Player {
public:
    explicit Player(Form1& window) : m_window(window) {}

    // Plays one whole round on `level` (0 Facile, 1 Semplice, 2 Complesso);
    // false, with a line on stderr, when the game did not follow its rules.
    bool playRound(long round, int level);

    Counts counts;

private:
    void press(GraphicalOptionButton* button);
    const std::string& expected() const
    {
        const auto& state = m_window.game().state();
        return state.Turns(state.AnswerIndex);
    }
    bool fail(long round, const char* what) const
    {
        const auto& state = m_window.game().state();
        std::fprintf(stderr, "round %ld: %s (answer %d)\n", round, what,
                     static_cast<int>(state.AnswerIndex));
        return false;
    }

    Form1& m_window;
    unsigned m_press = 0;
};

void Player::press(GraphicalOptionButton* button)
{
    static constexpr std::array<Qt::MouseButton, 4> Buttons{Qt::LeftButton, Qt::RightButton,
                                                            Qt::MiddleButton, Qt::BackButton};
    static constexpr std::array<Qt::KeyboardModifiers, 4> Modifiers{
        Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier,
        Qt::AltModifier | Qt::ShiftModifier};
    const Qt::MouseButton mouse = Buttons[m_press % Buttons.size()];
    const Qt::KeyboardModifiers modifiers = Modifiers[(m_press / 3) % Modifiers.size()];
    ++m_press;
    ++counts.presses;
    QTest::mousePress(button, mouse, modifiers);
    QTest::mouseRelease(button, mouse, modifiers);
}

bool Player::playRound(long round, int level)
{
    auto& state = m_window.game().state();
    std::array<QAction*, 3> levels{m_window.Easy(), m_window.Simple(), m_window.Complex()};
    levels[static_cast<std::size_t>(level)]->trigger();
    if (!m_window.Opt_Via()->isVisible())
        return fail(round, "no start button before the round");

    // Every seventh round is first abandoned after one answer and started again.
    const bool abandon = round % 7 == 3;
    press(m_window.Opt_Via());
    if (abandon) {
        press(expected() == "Sinistra" ? m_window.Opt_Sinistra() : m_window.Opt_Destra());
        if (m_window.Opt_Via()->isVisible())
            return fail(round, "a round of one answer");
        press(m_window.Opt_Pulisci());
        ++counts.clears;
        if (!m_window.Opt_Via()->isVisible() || state.AnswerIndex != 0)
            return fail(round, "the clear did not end the round");
        press(m_window.Opt_Via());
    }
    if (m_window.Opt_Via()->isVisible() || !m_window.Opt_Destra()->isVisible())
        return fail(round, "the round did not start");

    int turns = 0;
    while (turns < navicella::TurnsCount && !state.Turns(static_cast<std::int16_t>(turns)).empty())
        ++turns;
    for (int step = 0; !m_window.Opt_Via()->isVisible(); ++step) {
        if (step > 3 * navicella::TurnsCount)
            return fail(round, "the round does not end");
        const auto before = state.AnswerIndex;
        const bool left = expected() == "Sinistra";
        if (!left && expected() != "Destra")
            return fail(round, "no expected answer in a round");
        if ((round + step) % 5 == 2) {
            press(left ? m_window.Opt_Destra() : m_window.Opt_Sinistra());
            ++counts.wrong;
            if (state.AnswerIndex != before)
                return fail(round, "a wrong answer moved the ship");
        }
        if ((round + step) % 11 == 4) {
            m_window.info()->trigger();
            // Changing the level during a round takes effect from the next press.
            levels[static_cast<std::size_t>((level + step) % 3)]->trigger();
        }
        press(left ? m_window.Opt_Sinistra() : m_window.Opt_Destra());
        const int moved = state.AnswerIndex - before;
        if (moved < 1 || moved > 2)
            return fail(round, "a right answer did not move the ship");
    }
    if (state.AnswerIndex != turns)
        return fail(round, "the round ended before its last turn");
    if (m_window.game().controls().Shape1.FillColor != navicella::colour::Red)
        return fail(round, "the goal did not fill red");
    if (counts.errors > 0)
        return fail(round, "a run-time error was shown");
    return true;
}

// A count from the command line, or -1 if the text is not one.
long number(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return end == text || *end != '\0' || value < 0 ? -1 : value;
}

}  // namespace

// The growth over [first, last] round of the least-squares line through the points.
double trendGrowth(const std::vector<std::pair<long, long>>& points)
{
    double meanX = 0;
    double meanY = 0;
    for (const auto& [x, y] : points) {
        meanX += static_cast<double>(x) / static_cast<double>(points.size());
        meanY += static_cast<double>(y) / static_cast<double>(points.size());
    }
    double covariance = 0;
    double variance = 0;
    for (const auto& [x, y] : points) {
        covariance += (static_cast<double>(x) - meanX) * (static_cast<double>(y) - meanY);
        variance += (static_cast<double>(x) - meanX) * (static_cast<double>(x) - meanX);
    }
    const double span = static_cast<double>(points.back().first - points.front().first);
    return variance > 0 ? covariance / variance * span : 0.0;
}

int main(int argc, char* argv[])
{
    const long rounds = argc >= 2 ? number(argv[1]) : -1;
    const long from = argc == 5 ? number(argv[2]) : 0;
    const long pointCount = argc == 5 ? number(argv[3]) : 0;
    const long limitKb = argc == 5 ? number(argv[4]) : 0;
    if ((argc != 2 && argc != 5) || rounds < 1 || from < 0 || limitKb < 0 || from >= rounds ||
        (argc == 5 && (from < 1 || pointCount < 2))) {
        std::fprintf(stderr, "usage: %s ROUNDS [FROM_ROUND POINTS LIMIT_KB]\n", argv[0]);
        return 2;
    }
    // The rounds after which the size is read.
    std::vector<long> measured;
    for (long i = 0; i < pointCount; ++i)
        measured.push_back(from + (rounds - from) * i / (pointCount - 1));

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    int status = 0;
    {
        navicella::ClockRandom random;
        navicella::SoundCuePlayer player;
        Form1 window(random, player);
        Player driver(window);
        window.setMessagePresenter(
            [&](QWidget*, const QString&, const QString& text, bool isError) {
                ++(isError ? driver.counts.errors : driver.counts.infos);
                if (isError)
                    std::fprintf(stderr, "run-time error shown: %s\n", qPrintable(text));
            });
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;

        std::vector<std::pair<long, long>> points;  // round, resident kB
        for (long round = 0; round < rounds; ++round) {
            if (!driver.playRound(round, static_cast<int>(round % 3))) {
                status = 1;
                break;
            }
            // Before each measurement (ten times a run when nothing is
            // measured) and at the end, let the cues play out: their streams
            // close, what is measured is the memory kept rather than cues on
            // their way, and the run ends as a player's does, after its last
            // sound.
            const bool last = round + 1 == rounds;
            const bool measure =
                std::find(measured.begin(), measured.end(), round + 1) != measured.end();
            const bool tenth = measured.empty() && round % std::max(1L, rounds / 10) == 0;
            if (tenth || measure || last)
                QTest::qWait(1500);
            else
                QCoreApplication::processEvents();
            if (measure) {
                const Resident r = resident();
                print(round + 1, r);
                points.emplace_back(round + 1, r.total);
            }
        }
        const Counts& c = driver.counts;
        std::printf("rounds %ld, presses %ld, wrong answers %ld, clears %ld, info boxes %ld\n",
                    rounds, c.presses, c.wrong, c.clears, c.infos);
        if (!measured.empty() && status == 0) {
            const double growth = trendGrowth(points);
            std::printf(
                "from round %ld to %ld: %+ld kB between the readings, %+.0f kB by the trend\n",
                from, rounds, points.back().second - points.front().second, growth);
            if (points.front().second <= 0 || growth > static_cast<double>(limitKb)) {
                std::printf("the trend grew by more than %ld kB\n", limitKb);
                status = 1;
            }
        }
    }
    return status;
}
