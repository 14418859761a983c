// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/ModelRun.h"

#include "game/RuntimeError.h"
#include "model/Differences.h"

#include <sstream>

namespace navicella::model {
namespace {

constexpr std::size_t LogLength = 40;
constexpr int HeldPercent = 15;  // presses whose release comes only after other events

struct Weight {
    int start, clear, right, wrong, release, level, info, exit;
};
// Mostly answers, so that rounds get played to their end; "Esci" about once
// in fifteen hundred events, so that a run starts the program many times over.
constexpr Weight Weights{220, 50, 800, 260, 120, 25, 20, 1};

const char* eventName(Event event)
{
    switch (event) {
    case Event::Load: return "load";
    case Event::Start: return "press Via";
    case Event::Clear: return "press Pulisci";
    case Event::Right: return "right answer";
    case Event::Wrong: return "wrong answer";
    case Event::Release: return "release";
    case Event::Level: return "level";
    case Event::Info: return "info";
    case Event::Exit: return "Esci";
    }
    return "?";
}

}  // namespace

ModelRun::ModelRun(std::uint64_t seed, test::ScriptedRandom& random, std::string replay)
    : m_seed(seed), m_replay(std::move(replay)), m_choices(seed), m_random(random)
{
}

std::optional<std::string> ModelRun::play(long events)
{
    startProgram();
    while (!m_failure && m_counts.delivered < events) {
        const Choice choice = choose();
        switch (choice) {
        case Choice::Start: press(Member::Via, Event::Start, {}); break;
        case Choice::Clear: press(Member::Pulisci, Event::Clear, {}); break;
        case Choice::Right:
        case Choice::Wrong: {
            const bool right = choice == Choice::Right;
            std::string word = m_model.expectedWord();
            if (word.empty())
                word = m_choices.below(2) == 0 ? "Destra" : "Sinistra";
            if (!right)
                word = word == "Destra" ? "Sinistra" : "Destra";
            press(word == "Destra" ? Member::Destra : Member::Sinistra,
                  right ? Event::Right : Event::Wrong, word);
            break;
        }
        case Choice::Release: releaseHeld(); break;
        case Choice::Facile: chooseLevel(Level::Facile); break;
        case Choice::Semplice: chooseLevel(Level::Semplice); break;
        case Choice::Complesso: chooseLevel(Level::Complesso); break;
        case Choice::Info: info(); break;
        case Choice::Exit: exit(); break;
        }
    }
    return m_failure;
}

ModelRun::Choice ModelRun::choose()
{
    const Weight& w = Weights;
    for (;;) {
        int pick = m_choices.below(w.start + w.clear + w.right + w.wrong + w.release + 3 * w.level +
                                   w.info + w.exit);
        if ((pick -= w.start) < 0)
            return Choice::Start;
        if ((pick -= w.clear) < 0)
            return Choice::Clear;
        if ((pick -= w.right) < 0)
            return Choice::Right;
        if ((pick -= w.wrong) < 0)
            return Choice::Wrong;
        if ((pick -= w.release) < 0) {
            if (m_held == Member::None)
                continue;  // nothing is held down
            return Choice::Release;
        }
        if ((pick -= w.level) < 0)
            return Choice::Facile;
        if ((pick -= w.level) < 0)
            return Choice::Semplice;
        if ((pick -= w.level) < 0)
            return Choice::Complesso;
        if ((pick -= w.info) < 0)
            return Choice::Info;
        return Choice::Exit;
    }
}

void ModelRun::startProgram()
{
    m_game = std::make_unique<Game>(m_random, m_player);
    m_model.load(m_game->controls());
    m_checks.programStarted();
    m_held = Member::None;
    ++m_counts.programs;
    guarded([&] { m_game->Form_Load(); });
    check(Event::Load, "program start " + std::to_string(m_counts.programs), 0);
}

OptionButton& ModelRun::button(Member member)
{
    Controls& c = m_game->controls();
    switch (member) {
    case Member::Via: return c.Opt_Via;
    case Member::Pulisci: return c.Opt_Pulisci;
    case Member::Destra: return c.Opt_Destra;
    case Member::Sinistra: return c.Opt_Sinistra;
    case Member::Esci: return c.Opt_Esci;
    default: return c.Option1;
    }
}

// The mouse is pressed on a button: the game hears of it only if the button
// is on show. Most presses are released at once; some are held while other
// events (a menu chosen with the keyboard) come in between.
void ModelRun::press(Member member, Event event, std::string_view word)
{
    if (m_held != Member::None)
        releaseHeld();
    if (m_failure)
        return;
    if (!button(member).Visible) {
        ++m_counts.dropped;
        if (m_log.size() == LogLength)
            m_log.pop_front();
        m_log.push_back(std::string("  (press on hidden ") + nameOf(member) +
                        " kept from the game)");
        return;
    }

    const int answeredBefore = m_game->state().AnswerIndex;
    Game& game = *m_game;
    switch (member) {
    case Member::Via:
        guarded([&] { game.Opt_Via_MouseDown(); });
        m_lastStartCalls = m_random.take();
        m_model.start(m_lastStartCalls);
        m_roundMixed = false;
        break;
    case Member::Pulisci:
        guarded([&] { game.Opt_Pulisci_MouseDown(); });
        m_model.clear();
        break;
    case Member::Destra:
    case Member::Sinistra:
        if (event == Event::Right && !m_roundMixed &&
            (m_model.level() == Level::Facile) != (m_model.roundLevel() == Level::Facile)) {
            m_roundMixed = true;
            ++m_counts.mixedRounds;
        }
        guarded([&] {
            if (member == Member::Destra)
                game.Opt_Destra_MouseDown();
            else
                game.Opt_Sinistra_MouseDown();
        });
        m_model.answer(word);
        break;
    default: break;
    }
    check(event, std::string(eventName(event)) + " " + nameOf(member), answeredBefore);

    m_held = member;
    if (m_choices.below(100) >= HeldPercent)
        releaseHeld();
    else
        ++m_counts.held;
}

// The window selects the member the mouse was released on, then calls its
// release handler, also when the press itself hid the button.
void ModelRun::releaseHeld()
{
    const Member member = m_held;
    m_held = Member::None;
    if (member == Member::None || m_failure)
        return;
    Game& game = *m_game;
    guarded([&] {
        game.controls().setValue(button(member), true);
        switch (member) {
        case Member::Via: game.Opt_Via_MouseUp(); break;
        case Member::Pulisci: game.Opt_Pulisci_MouseUp(); break;
        case Member::Destra: game.Opt_Destra_MouseUp(); break;
        case Member::Sinistra: game.Opt_Sinistra_MouseUp(); break;
        default: break;
        }
    });
    m_model.release(member);
    check(Event::Release, std::string("release ") + nameOf(member), game.state().AnswerIndex);
}

void ModelRun::chooseLevel(Level level)
{
    Game& game = *m_game;
    guarded([&] { test::choose(game, level); });
    m_model.chooseLevel(level);
    check(Event::Level, std::string("level ") + nameOf(level), game.state().AnswerIndex);
}

// The info box belongs to the window alone: the game hears nothing of it,
// and the model, expecting no change at all, checks that it came out as it went in.
void ModelRun::info() { check(Event::Info, "info", m_game->state().AnswerIndex); }

// "Esci" is selected by its click and the program ends; the run goes on with
// a fresh start of the program.
void ModelRun::exit()
{
    if (m_held != Member::None)
        releaseHeld();
    if (m_failure)
        return;
    guarded([&] { m_game->controls().setValue(m_game->controls().Opt_Esci, true); });
    m_model.exitChosen();
    check(Event::Exit, "Esci", m_game->state().AnswerIndex);
    if (!m_failure)
        startProgram();
}

template <typename Action>
void ModelRun::guarded(Action&& action)
{
    try {
        action();
    } catch (const RuntimeError& error) {
        m_errors.push_back("run-time error " + std::to_string(error.number()) + " (" +
                           error.what() + ") raised by the game");
    } catch (const std::exception& error) {
        m_errors.push_back(std::string("exception raised by the game: ") + error.what());
    }
}

std::vector<Cue> ModelRun::playedCues()
{
    std::vector<Cue> cues;
    for (const std::string& path : m_player.cues) {
        if (path == cue::StartCue)
            cues.push_back(Cue::Start);
        else if (path == cue::RightCue)
            cues.push_back(Cue::Right);
        else if (path == cue::WrongCue)
            cues.push_back(Cue::Wrong);
        else if (path == cue::EndCue)
            cues.push_back(Cue::End);
        else
            m_errors.push_back("the game played an unknown cue \"" + path + "\"");
    }
    m_player.cues.clear();
    return cues;
}

void ModelRun::check(Event event, const std::string& what, int answeredBefore)
{
    ++m_counts.delivered;
    const Game& game = *m_game;
    const std::vector<Cue> played = playedCues();
    std::vector<std::string> problems = std::move(m_errors);
    m_errors.clear();

    if (event != Event::Start) {
        const RandomCalls stray = m_random.take();
        if (!stray.calls.empty())
            problems.push_back(std::to_string(stray.calls.size()) +
                               " calls of the random source outside a start");
    }
    for (std::string& problem : m_model.takeProblems())
        problems.push_back("model: " + problem);
    for (std::string& problem : m_checks.check(game, m_model, event, answeredBefore, played))
        problems.push_back("rule: " + problem);

    const std::vector<Cue> expectedCues = m_model.takeCues();
    if (played != expectedCues) {
        std::string line = "cues: expected";
        for (Cue cue : expectedCues)
            line += std::string(" ") + nameOf(cue);
        line += ", the game played";
        for (Cue cue : played)
            line += std::string(" ") + nameOf(cue);
        problems.push_back(line);
    }
    if (!(game.state() == m_model.state())) {
        for (std::string& difference : stateDifferences(m_model.state(), game.state()))
            problems.push_back("state: " + difference);
    }
    const Controls expected = m_model.controls();
    if (!(game.controls() == expected)) {
        for (std::string& difference : controlDifferences(expected, game.controls()))
            problems.push_back("controls: " + difference);
    }

    std::ostringstream entry;
    entry << "#" << m_counts.delivered << " " << what << " -> " << nameOf(m_model.round()) << ", "
          << nameOf(m_model.level());
    if (m_model.round() != Round::None)
        entry << ", AnswerIndex " << game.state().AnswerIndex << " of " << m_model.turnCount();
    if (m_log.size() == LogLength)
        m_log.pop_front();
    m_log.push_back(entry.str());

    if (!problems.empty())
        fail(problems);
}

void ModelRun::fail(const std::vector<std::string>& problems)
{
    if (m_failure)
        return;
    std::ostringstream report;
    report << "The game broke a rule at event #" << m_counts.delivered << " (program start "
           << m_counts.programs << ") with seed " << m_seed << ".\n"
           << m_replay << "\n"
           << "What went wrong:\n";
    for (const std::string& problem : problems)
        report << "  " << problem << "\n";
    report.precision(9);
    report << "Draws of the latest start:";
    for (std::size_t k = 0; k < m_lastStartCalls.drawn.size() && k < 40; ++k)
        report << " " << m_lastStartCalls.drawn[k];
    if (m_lastStartCalls.drawn.size() > 40)
        report << " ... (" << m_lastStartCalls.drawn.size() << " in all)";
    report << "\nThe latest events, oldest first:\n";
    for (const std::string& entry : m_log)
        report << "  " << entry << "\n";
    m_failure = report.str();
}

}  // namespace navicella::model
