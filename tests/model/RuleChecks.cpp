// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/RuleChecks.h"

#include "support/Headings.h"

#include <algorithm>
#include <sstream>

namespace navicella::model {
namespace {

constexpr std::string_view Sinistra = "Sinistra";
constexpr std::string_view Destra = "Destra";
constexpr Colour Green = 0x0000FF00;
constexpr Colour Red = 0x000000FF;
constexpr Colour LightYellow = 0x00C0FFFF;

int turnCount(const GameState& s) { return s.LastPick + 1 + s.TurnOffset; }

bool collapsed(const Line& line)
{
    return line.X1 == 0 && line.Y1 == 0 && line.X2 == 0 && line.Y2 == 0;
}

std::array<int, 6> vertices(const GameState& s)
{
    return {s.ShipAX, s.ShipAY, s.ShipBX, s.ShipBY, s.ShipCX, s.ShipCY};
}

std::string text(const std::array<int, 6>& v)
{
    std::ostringstream out;
    out << "A(" << v[0] << ", " << v[1] << ") B(" << v[2] << ", " << v[3] << ") C(" << v[4] << ", "
        << v[5] << ")";
    return out.str();
}

std::string text(const std::vector<Cue>& cues)
{
    std::string out = "[";
    for (Cue cue : cues)
        out += std::string(out.size() > 1 ? ", " : "") + nameOf(cue);
    return out + "]";
}

// The heading after answering the first `count` words of the thread from home.
int headingAfter(const GameState& s, int count)
{
    int heading = 12;
    for (Int16 k = 0; k < count; ++k)
        heading = s.Turns(k) == Destra ? (heading == 12 ? 3 : heading + 3)
                                       : (heading == 3 ? 12 : heading - 3);
    return heading;
}

}  // namespace

void RuleChecks::programStarted()
{
    m_lastPairWord.clear();
    m_mixedLevels = false;
}

std::vector<std::string> RuleChecks::check(const Game& game, const RulesModel& model, Event event,
                                           int answeredBefore, const std::vector<Cue>& played)
{
    m_problems.clear();
    if (event == Event::Right && (model.level() == Level::Facile) != m_roundEasy)
        m_mixedLevels = true;

    checkLevel(game, model);
    checkButtons(game, model);
    if (event == Event::Start)
        checkStart(game, model);
    if (model.round() != Round::None)
        checkThread(game, model);
    checkAnswer(game, model, event, answeredBefore, played);
    return m_problems;
}

void RuleChecks::checkLevel(const Game& game, const RulesModel& model)
{
    const GameState& s = game.state();
    const Controls& c = game.controls();
    const Level level = model.level();
    if (s.EasyMode != (level == Level::Facile ? -1 : 0) ||
        s.RandomLength != (level == Level::Complesso ? 0 : -1))
        fail(std::string("level ") + nameOf(level) + " with EasyMode " +
             std::to_string(s.EasyMode) + " and RandomLength " + std::to_string(s.RandomLength));
    if (!c.Lbl_Livello.Visible || c.Lbl_Livello.Caption != nameOf(level))
        fail(std::string("the level label does not show ") + nameOf(level));
    if (level != Level::Facile && c.Shape2.Visible)
        fail(std::string("the easy-level marker is shown in ") + nameOf(level));

    const int selected = c.Opt_Esci.Value + c.Option1.Value + c.Opt_Via.Value + c.Opt_Destra.Value +
                         c.Opt_Sinistra.Value + c.Opt_Pulisci.Value;
    if (selected > 1)
        fail(std::to_string(selected) + " members of the option group are selected at once");
    if (!c.Opt_Esci.Visible)
        fail("\"Esci\" is hidden");
    if (!c.Label1.Visible || c.Label1.Caption != "Guida la navicella: segui il filo di Velmora!")
        fail("the title line changed");

    const int n = turnCount(s);
    if (s.AnswerIndex < 0 || s.AnswerIndex > n)
        fail("AnswerIndex " + std::to_string(s.AnswerIndex) + " outside 0.." + std::to_string(n));
}

void RuleChecks::checkButtons(const Game& game, const RulesModel& model)
{
    const Controls& c = game.controls();
    const GameState& s = game.state();
    const Round round = model.round();
    const bool answering = round == Round::Asking || round == Round::Retry;
    const bool pulisci = round != Round::None || model.everStarted();
    if (c.Opt_Via.Visible == answering || c.Opt_Destra.Visible != answering ||
        c.Opt_Sinistra.Visible != answering || c.Opt_Pulisci.Visible != pulisci)
        fail(std::string("buttons in the state \"") + nameOf(round) + "\": Via " +
             (c.Opt_Via.Visible ? "shown" : "hidden") + ", Destra " +
             (c.Opt_Destra.Visible ? "shown" : "hidden") + ", Sinistra " +
             (c.Opt_Sinistra.Visible ? "shown" : "hidden") + ", Pulisci " +
             (c.Opt_Pulisci.Visible ? "shown" : "hidden"));

    switch (round) {
    case Round::None:
        if (!c.Lbl_Domanda.Caption.empty())
            fail("a question \"" + c.Lbl_Domanda.Caption + "\" with no round");
        if (c.Shape1.Visible)
            fail("the goal marker is shown with no round");
        for (Int16 k = 0; k < 20; ++k) {
            if (!s.Turns(k).empty() || !collapsed(c.Line1(k)) || c.Line1(k).BorderColor != Green)
                fail("with no round, entry or segment " + std::to_string(k) + " is not cleared");
        }
        break;
    case Round::Asking:
    case Round::Retry: {
        const char* question =
            round == Round::Asking ? "Sinistra o Destra ?" : "Ritenta - Sinistra o Destra ?";
        if (!c.Lbl_Domanda.Visible || c.Lbl_Domanda.Caption != question)
            fail(std::string("expected the question \"") + question +
                 "\" on show, the label has \"" + c.Lbl_Domanda.Caption + "\"" +
                 (c.Lbl_Domanda.Visible ? "" : ", hidden"));
        if (!c.Shape1.Visible || c.Shape1.FillColor != LightYellow)
            fail("the goal marker is not shown unfilled during the round");
        if (s.AnswerIndex >= turnCount(s))
            fail("still asking with all " + std::to_string(turnCount(s)) + " turns answered");
        break;
    }
    case Round::Ended:
        if (c.Lbl_Domanda.Visible)
            fail("the question is still shown after the end of the thread");
        if (!c.Shape1.Visible || c.Shape1.FillColor != Red)
            fail("the goal marker is not filled red at the end");
        if (c.Shape2.Visible)
            fail("the easy-level marker is shown after the end of the thread");
        if (s.AnswerIndex != turnCount(s))
            fail("the round ended with AnswerIndex " + std::to_string(s.AnswerIndex) + " of " +
                 std::to_string(turnCount(s)));
        break;
    }
}

void RuleChecks::checkThread(const Game& game, const RulesModel& model)
{
    const GameState& s = game.state();
    const Controls& c = game.controls();
    const int n = turnCount(s);
    const bool randomLength = model.roundLevel() != Level::Complesso;
    if (randomLength) {
        if (s.LastPick < 1 || s.LastPick > 3 || s.TurnOffset != s.LastPick + 1 ||
            s.StepGrowth != 100)
            fail("a random-length thread with LastPick " + std::to_string(s.LastPick) +
                 ", TurnOffset " + std::to_string(s.TurnOffset) + ", StepGrowth " +
                 std::to_string(s.StepGrowth));
    } else if (s.LastPick != 8 || s.TurnOffset != 0 || s.StepGrowth != 150) {
        fail("a fixed-length thread with LastPick " + std::to_string(s.LastPick) + ", TurnOffset " +
             std::to_string(s.TurnOffset) + ", StepGrowth " + std::to_string(s.StepGrowth));
    }
    if (n < 1 || n > 9) {
        fail("a thread of " + std::to_string(n) + " turns");
        return;
    }

    for (Int16 k = 0; k < 20; ++k) {
        const std::string& word = s.Turns(k);
        if (k < n ? (word != Sinistra && word != Destra) : !word.empty())
            fail("Turns(" + std::to_string(k) + ") is \"" + word + "\" in a thread of " +
                 std::to_string(n));
    }
    if (randomLength) {
        for (Int16 k = 0; k + 1 < n; ++k) {
            const bool same = s.Turns(k) == s.Turns(static_cast<Int16>(k + 1));
            if (same == (k % 2 == 0))
                fail("Turns(" + std::to_string(k) + ") and Turns(" + std::to_string(k + 1) +
                     (k % 2 == 0 ? ") make a pair of the same word" : ") differ between pairs"));
        }
    }

    // Red are exactly the segments travelled; the rest of the thread keeps
    // the ends the start gave it, in green.
    for (Int16 k = 0; k < 20; ++k) {
        const Line& line = c.Line1(k);
        const bool travelled = k >= 1 && k <= s.AnswerIndex;
        if ((line.BorderColor == Red) != travelled)
            fail("Line1(" + std::to_string(k) + ") is " +
                 (line.BorderColor == Red ? "red" : "not red") + " with AnswerIndex " +
                 std::to_string(s.AnswerIndex));
        if (!travelled && line.BorderColor != Green)
            fail("Line1(" + std::to_string(k) + ") is neither red nor green");
        if (!travelled && (line.X1 != m_thread[static_cast<std::size_t>(k)].X1 ||
                           line.Y1 != m_thread[static_cast<std::size_t>(k)].Y1 ||
                           line.X2 != m_thread[static_cast<std::size_t>(k)].X2 ||
                           line.Y2 != m_thread[static_cast<std::size_t>(k)].Y2))
            fail("Line1(" + std::to_string(k) + ") moved although the ship has not travelled it");
        if ((k == 0 || k > n) && !collapsed(line))
            fail("Line1(" + std::to_string(k) + ") is drawn outside a thread of " +
                 std::to_string(n));
    }
}

void RuleChecks::checkStart(const Game& game, const RulesModel& model)
{
    const GameState& s = game.state();
    const Controls& c = game.controls();
    const bool easy = model.level() == Level::Facile;

    if (vertices(s) != test::shipLayout(12, 5750, 3500, 250) || s.Heading != 12)
        fail("after a start the ship is not at home pointing up: " + text(vertices(s)) +
             " heading " + std::to_string(s.Heading));
    if (s.StepLength != 100 || s.SegmentIndex != 0 || s.AnswerIndex != 0)
        fail("after a start StepLength " + std::to_string(s.StepLength) + ", SegmentIndex " +
             std::to_string(s.SegmentIndex) + ", AnswerIndex " + std::to_string(s.AnswerIndex));
    const std::array<int, 6> home = test::shipLayout(12, 5750, 3500, 250);
    const std::array<std::array<int, 4>, 3> sides{{{home[0], home[1], home[2], home[3]},
                                                   {home[0], home[1], home[4], home[5]},
                                                   {home[2], home[3], home[4], home[5]}}};
    for (Int16 k = 0; k < 3; ++k) {
        const Line& side = c.Line3(k);
        const auto& end = sides[static_cast<std::size_t>(k)];
        if (side.Visible == easy)
            fail("after a start in " + std::string(nameOf(model.level())) + " Line3(" +
                 std::to_string(k) + ") is " + (side.Visible ? "shown" : "hidden"));
        if (!easy &&
            (side.X1 != static_cast<float>(end[0]) || side.Y1 != static_cast<float>(end[1]) ||
             side.X2 != static_cast<float>(end[2]) || side.Y2 != static_cast<float>(end[3])))
            fail("after a start Line3(" + std::to_string(k) + ") is not the home triangle's side");
    }
    if (c.Shape2.Visible != easy || (easy && (c.Shape2.Left != 5400.0f || c.Shape2.Top != 3400.0f)))
        fail("after a start the easy-level marker is not where the level wants it");

    checkLaidOutThread(game, model);

    // Left and right pairs alternate, also from one random-length round to the next.
    const int n = turnCount(s);
    if (model.roundLevel() != Level::Complesso && n >= 4 && n <= 8) {
        if (!m_lastPairWord.empty() && s.Turns(0) == m_lastPairWord)
            fail("the round begins with a \"" + s.Turns(0) +
                 "\" pair like the last pair of the round before");
        m_lastPairWord = s.Turns(static_cast<Int16>(n - 2));
    }
    for (Int16 k = 0; k < 20; ++k)
        m_thread[static_cast<std::size_t>(k)] = c.Line1(k);
    m_roundEasy = easy;
    m_mixedLevels = false;
}

// Driven from home, each turn of the thread followed by a step 100 + k x
// growth long: from vertex A in the easy level, from the base's middle else.
void RuleChecks::checkLaidOutThread(const Game& game, const RulesModel& model)
{
    const GameState& s = game.state();
    const Controls& c = game.controls();
    const int n = turnCount(s);
    if (n < 1 || n > 9)
        return;
    float x = model.level() == Level::Facile ? 5500.0f : 5750.0f;
    float y = 3500.0f;
    for (Int16 k = 1; k <= n; ++k) {
        const int heading = headingAfter(s, k);
        const float length = static_cast<float>(100 + k * s.StepGrowth);
        const float dx = heading == 3 ? length : (heading == 9 ? -length : 0.0f);
        const float dy = heading == 6 ? length : (heading == 12 ? -length : 0.0f);
        const Line& line = c.Line1(k);
        if (line.X1 != x || line.Y1 != y || line.X2 != x + dx || line.Y2 != y + dy ||
            line.BorderColor != Green) {
            std::ostringstream out;
            out << "segment " << k << " of the new thread should run (" << x << ", " << y << ")-("
                << x + dx << ", " << y + dy << ") in green";
            fail(out.str());
            return;
        }
        x += dx;
        y += dy;
    }
    if (c.Shape1.Left != x - 250.0f || c.Shape1.Top != y - 320.0f || c.Shape1.BorderColor != Red ||
        c.Shape1.BackColor != LightYellow)
        fail("the goal marker does not stand at the end of the thread");
}

void RuleChecks::checkAnswer(const Game& game, const RulesModel& model, Event event,
                             int answeredBefore, const std::vector<Cue>& played)
{
    const GameState& s = game.state();
    const auto chimes = std::count(played.begin(), played.end(), Cue::Right);
    const auto fanfares = std::count(played.begin(), played.end(), Cue::End);
    switch (event) {
    case Event::Start:
        if (played != std::vector<Cue>{Cue::Start})
            fail("a start played " + text(played));
        return;
    case Event::Wrong:
        if (played != std::vector<Cue>{Cue::Wrong} || s.AnswerIndex != answeredBefore)
            fail("a wrong answer played " + text(played) + " and moved AnswerIndex from " +
                 std::to_string(answeredBefore) + " to " + std::to_string(s.AnswerIndex));
        return;
    case Event::Right: break;
    default:
        if (!played.empty())
            fail("an event with no sound played " + text(played));
        return;
    }

    // A chime per turn travelled, two only in the easy level; the fanfare
    // once, last, exactly when the thread is done.
    const bool ended = model.round() == Round::Ended;
    const bool twice = chimes == 2 && model.level() == Level::Facile;
    if ((chimes != 1 && !twice) || fanfares != (ended ? 1 : 0) ||
        static_cast<std::size_t>(chimes + fanfares) != played.size() ||
        (ended && played.back() != Cue::End) || played.front() != Cue::Right)
        fail("a right answer in " + std::string(nameOf(model.level())) + " played " + text(played));
    if (s.AnswerIndex != answeredBefore + chimes)
        fail("AnswerIndex went from " + std::to_string(answeredBefore) + " to " +
             std::to_string(s.AnswerIndex) + " with " + std::to_string(chimes) + " chimes");
    if (s.SegmentIndex != s.AnswerIndex)
        fail("after a right answer SegmentIndex " + std::to_string(s.SegmentIndex) +
             " but AnswerIndex " + std::to_string(s.AnswerIndex));
    if (!m_mixedLevels)
        checkShipOnThread(game);
}

// As long as every answer came in the level of the start, the ship retraces
// the thread: it stands at the end of the segment it just travelled, turned
// by every answer so far.
void RuleChecks::checkShipOnThread(const Game& game)
{
    const GameState& s = game.state();
    const Controls& c = game.controls();
    const int answered = s.AnswerIndex;
    if (answered < 1 || answered > 9)
        return;
    const Line& last = c.Line1(static_cast<Int16>(answered));
    const int x = static_cast<int>(last.X2);
    const int y = static_cast<int>(last.Y2);
    const int heading = headingAfter(s, answered);
    if (s.Heading != heading)
        fail("after " + std::to_string(answered) + " answers the ship heads " +
             std::to_string(s.Heading) + ", not " + std::to_string(heading));

    if (m_roundEasy) {
        // The easy level never rotates the triangle, and vertex A travels the thread.
        const std::array<int, 6> expected{x, y, x + 500, y, x + 250, y - 250};
        if (vertices(s) != expected)
            fail("the easy-level ship " + text(vertices(s)) + " is not at the end of Line1(" +
                 std::to_string(answered) + "), " + text(expected));
        const bool ended = answered == turnCount(s);
        if (!ended && answered <= 8 &&
            (!c.Shape2.Visible || c.Shape2.Left != last.X2 - 90.0f ||
             c.Shape2.Top != last.Y2 - 90.0f))
            fail("the easy-level marker is not 90 twips up and left of the end of Line1(" +
                 std::to_string(answered) + ")");
        return;
    }
    const std::array<int, 6> expected = test::shipLayout(heading, x, y, 250);
    if (vertices(s) != expected)
        fail("the ship " + text(vertices(s)) + " is not " + text(expected) +
             ", its base's middle at the end of Line1(" + std::to_string(answered) + ")");
    const std::array<std::array<int, 4>, 3> sides{
        {{expected[0], expected[1], expected[2], expected[3]},
         {expected[0], expected[1], expected[4], expected[5]},
         {expected[2], expected[3], expected[4], expected[5]}}};
    for (Int16 k = 0; k < 3; ++k) {
        const Line& side = c.Line3(k);
        const auto& end = sides[static_cast<std::size_t>(k)];
        if (side.X1 != static_cast<float>(end[0]) || side.Y1 != static_cast<float>(end[1]) ||
            side.X2 != static_cast<float>(end[2]) || side.Y2 != static_cast<float>(end[3]))
            fail("Line3(" + std::to_string(k) + ") does not follow the ship");
    }
}

}  // namespace navicella::model
