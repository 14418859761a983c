// SPDX-License-Identifier: GPL-3.0-or-later
// A minute of a child let loose on the real window: presses and releases
// anywhere on the buttons, shown or hidden, with any mouse button and
// modifier, menus opened and chosen from, info boxes opened and closed, the
// window resized; every few seconds a check that the window still answers.
// Then "Esci". The program must not crash, hang, or say anything on stderr
// (no Qt warning, no sanitizer report), and must end with status 0.
//
// The run is seeded; the seed is printed. NAVICELLA_RANDOM_PLAY_SEED repeats
// a run's choices, NAVICELLA_RANDOM_PLAY_SECONDS changes its length.
#include "reliability/WatchedProgram.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <deque>
#include <iostream>
#include <random>

namespace navicella::test {
namespace {

constexpr int AnswerTimeoutMs = 10000;
constexpr auto ProbeEvery = std::chrono::seconds(5);

struct Target {
    const char* name;
    Point at;  // on the board
    bool esci = false;
};

// The five captioned buttons, the corner of "Esci" where the neutral Option1
// hides behind it, and two plain spots of the board.
const std::array<Target, 8> Targets{
    {{"Via", board::Via},
     {"Sinistra", board::Sinistra},
     {"Destra", board::Destra},
     {"Pulisci", board::Pulisci},
     {"Esci", board::Esci, true},
     {"Esci's corner", {pixels(layout::Option1).left + 2, pixels(layout::Opt_Esci).top + 2}, true},
     {"field", centre(board::Field)},
     {"label", centre(pixels(layout::Lbl_Livello))}}};
constexpr std::size_t Field = 6;

std::uint64_t chosenSeed()
{
    bool ok = false;
    const qulonglong seed = qEnvironmentVariable("NAVICELLA_RANDOM_PLAY_SEED").toULongLong(&ok);
    return ok ? seed : std::random_device{}();
}

int chosenSeconds()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("NAVICELLA_RANDOM_PLAY_SECONDS", &ok);
    return ok && seconds > 0 ? seconds : 60;
}

class Child {
public:
    Child(WatchedProgram& program, std::uint64_t seed) : m_program(program), m_random(seed) {}

    // One random thing a child may do; returns what it did, in words.
    QString act();

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_random); }
    QString press();
    QString menu();
    QString infoBox();
    QString closeBoxes();
    QString resize();
    QString burst();

    WatchedProgram& m_program;
    std::mt19937_64 m_random;
};

QString Child::act()
{
    const int roll = pick(100);
    if (roll < 50)
        return press();
    if (roll < 60)
        return menu();
    if (roll < 68)
        return infoBox();
    if (roll < 78)
        return closeBoxes();
    if (roll < 86)
        return resize();
    if (roll < 93)
        return burst();
    const int ms = pick(500);
    sleepFor(ms);
    return QStringLiteral("wait %1 ms").arg(ms);
}

// A press and, somewhere, its release. "Esci" acts on a left click, which
// would end the run early: a left press on it is released elsewhere.
QString Child::press()
{
    static const std::array<int, 9> Buttons{1, 1, 1, 2, 3, 3, 8, 9, 4};
    static const std::array<const char*, 4> Modifiers{"shift", "ctrl", "alt", "super"};
    const Target& from = Targets[static_cast<std::size_t>(pick(Targets.size()))];
    const Target* to =
        chance(0.3) ? &Targets[static_cast<std::size_t>(pick(Targets.size()))] : &from;
    const int button = Buttons[static_cast<std::size_t>(pick(Buttons.size()))];
    if (button == 1 && from.esci && to->esci)
        to = &Targets[Field];
    QStringList held;
    for (const char* modifier : Modifiers) {
        if (chance(0.15))
            held << modifier;
    }
    DesktopSession& d = m_program.desktop();
    XInput& input = d.input();
    const std::string modifiers = held.join('+').toStdString();
    if (!held.isEmpty())
        input.key(modifiers, true);
    d.moveTo(from.at);
    input.press(button);
    // Now and then a second button joins in and lets go first; never the
    // left one, whose click on "Esci" would end the run.
    static const std::array<int, 4> Others{2, 3, 8, 9};
    const int second = chance(0.1) ? Others[static_cast<std::size_t>(pick(Others.size()))] : 0;
    if (second != 0 && second != button)
        input.click(second);
    if (chance(0.3))
        sleepFor(100 * pick(3));
    d.moveTo(to->at);
    input.release(button);
    if (!held.isEmpty())
        input.key(modifiers, false);
    return QStringLiteral("press %1 on %2%3, release on %4%5")
        .arg(button)
        .arg(from.name,
             second != 0 && second != button ? QStringLiteral(" (and %1)").arg(second) : QString(),
             to->name, held.isEmpty() ? QString() : " with " + held.join('+'));
}

QString Child::menu()
{
    DesktopSession& d = m_program.desktop();
    static const std::array<const char*, 6> Keys{"Down", "Down", "Up", "Right", "Return", "Escape"};
    // Return or Escape closes the menu; a key after it would reach the focused
    // button, and on "Esci" end the run early, as a left click there would.
    std::vector<std::string> keys;
    for (int k = pick(4) + 1; k > 0; --k) {
        keys.emplace_back(Keys[static_cast<std::size_t>(pick(Keys.size()))]);
        if (keys.back() == "Return" || keys.back() == "Escape")
            break;
    }
    std::string typed;
    for (const std::string& key : keys)
        typed += " " + key;
    if (chance(0.5)) {
        keys.insert(keys.begin(), "alt+o");
        d.keys(keys);
        return QString::fromStdString("alt+o" + typed);
    }
    d.clickWindow({20 + pick(40), d.menuBarHeight() / 2});
    sleepFor(100);
    if (chance(0.3)) {
        // A click that closes the menu goes on to what lies beneath: not "Esci".
        const Target* t = &Targets[static_cast<std::size_t>(pick(Targets.size()))];
        if (t->esci)
            t = &Targets[Field];
        d.clickBoard(t->at);
        return QStringLiteral("menu bar, then a click on %1").arg(t->name);
    }
    // The click may have closed a menu instead of opening one, and a Return
    // would then reach the focused button: only arrows and Escape follow it.
    std::erase(keys, std::string("Return"));
    d.input().type(keys, std::chrono::milliseconds(30));
    typed.clear();
    for (const std::string& key : keys)
        typed += " " + key;
    return QString::fromStdString("menu bar" + typed);
}

QString Child::infoBox()
{
    m_program.desktop().keys({"alt+i"});
    return QStringLiteral("alt+i");
}

QString Child::closeBoxes()
{
    static const std::array<const char*, 3> Keys{"Return", "Escape", "space"};
    const char* key = Keys[static_cast<std::size_t>(pick(Keys.size()))];
    DesktopSession& d = m_program.desktop();
    for (const unsigned long box : d.infoBoxes())
        d.keys({key}, box);
    return QStringLiteral("close boxes with %1").arg(key);
}

QString Child::resize()
{
    DesktopSession& d = m_program.desktop();
    const int width = chance(0.4) ? board::Whole.width : 100 + pick(3901);
    const int height = chance(0.4) ? board::Whole.height + d.menuBarHeight() : 100 + pick(2901);
    d.resizeWindow(width, height);
    return QStringLiteral("resize to %1 x %2").arg(width).arg(height);
}

QString Child::burst()
{
    const Target& t = Targets[static_cast<std::size_t>(pick(4))];
    const int button = 1 + pick(3);
    m_program.desktop().moveTo(t.at);
    m_program.desktop().input().click(button, 2 + pick(10));
    return QStringLiteral("burst of %1 clicks on %2").arg(button).arg(t.name);
}

std::string recent(const std::deque<QString>& actions)
{
    std::string text;
    for (const QString& action : actions)
        text += "\n  " + action.toStdString();
    return text;
}

std::string exitText(WatchedProgram& program)
{
    const std::optional<int> status = program.waitForExit(0);
    if (status && WIFEXITED(*status))
        return "status " + std::to_string(WEXITSTATUS(*status));
    return status ? "signal " + std::to_string(WTERMSIG(*status)) : std::string("not ended");
}

TEST(RandomPlay, OfAMinuteEndsWithEsciAndNothingOnStderr)
{
    const std::uint64_t seed = chosenSeed();
    const int seconds = chosenSeconds();
    std::cout << "random play seed " << seed << " for " << seconds
              << " s (NAVICELLA_RANDOM_PLAY_SEED repeats it)" << std::endl;
    RecordProperty("seed", std::to_string(seed));

    WatchedProgram program;
    ASSERT_TRUE(program.desktop().waitForWindow());
    Child child(program, seed);
    std::deque<QString> actions;
    int count = 0;
    int probes = 0;
    const auto start = std::chrono::steady_clock::now();
    auto lastProbe = start;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds)) {
        actions.push_back(child.act());
        ++count;
        if (actions.size() > 25)
            actions.pop_front();
        ASSERT_TRUE(program.running())
            << "the program ended, " << exitText(program) << ", after:" << recent(actions)
            << "\nseed " << seed << ", stderr:\n"
            << program.errorText().toStdString();
        if (std::chrono::steady_clock::now() - lastProbe > ProbeEvery) {
            ASSERT_TRUE(program.answers(AnswerTimeoutMs))
                << "the window stopped answering: " << program.problem().toStdString()
                << "\nafter:" << recent(actions) << "\nseed " << seed;
            ++probes;
            lastProbe = std::chrono::steady_clock::now();
        }
    }
    std::cout << count << " random actions, " << probes << " checks that the window answers"
              << std::endl;

    ASSERT_TRUE(program.tidy(AnswerTimeoutMs))
        << program.problem().toStdString() << "\nseed " << seed;
    program.desktop().clickBoard(board::Esci);
    EXPECT_EQ(program.waitForExit(AnswerTimeoutMs), 0) << "seed " << seed;
    EXPECT_EQ(program.errorText().toStdString(), "") << "seed " << seed;
}

}  // namespace
}  // namespace navicella::test
