// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/RulesModel.h"

#include "support/Headings.h"

#include <array>
#include <cstdint>
#include <string>

namespace navicella::model {
namespace {

constexpr std::string_view Sinistra = "Sinistra";
constexpr std::string_view Destra = "Destra";
constexpr std::string_view Question = "Sinistra o Destra ?";
constexpr std::string_view Retry = "Ritenta - Sinistra o Destra ?";

constexpr Colour Green = 0x0000FF00;
constexpr Colour Red = 0x000000FF;
constexpr Colour Blue = 0x00FF0000;
constexpr Colour LightYellow = 0x00C0FFFF;
constexpr Colour DarkGreen = 0x0000C000;

Int16 i16(int value) { return static_cast<Int16>(value); }
float real(int value) { return static_cast<float>(value); }

bool isClock(int heading) { return heading == 12 || heading == 3 || heading == 6 || heading == 9; }

std::string shortened(const std::string& calls)
{
    constexpr std::size_t Shown = 60;
    if (calls.size() <= Shown)
        return calls;
    return calls.substr(0, Shown) + "... (" + std::to_string(calls.size()) + " calls)";
}

}  // namespace

const char* nameOf(Round round)
{
    switch (round) {
    case Round::None: return "no round";
    case Round::Asking: return "asking";
    case Round::Retry: return "retry";
    case Round::Ended: return "ended";
    }
    return "?";
}

const char* nameOf(Cue cue)
{
    switch (cue) {
    case Cue::Start: return "start";
    case Cue::Right: return "chime";
    case Cue::Wrong: return "chord";
    case Cue::End: return "fanfare";
    }
    return "?";
}

const char* nameOf(Member member)
{
    switch (member) {
    case Member::None: return "none";
    case Member::Esci: return "Opt_Esci";
    case Member::Option1: return "Option1";
    case Member::Via: return "Opt_Via";
    case Member::Destra: return "Opt_Destra";
    case Member::Sinistra: return "Opt_Sinistra";
    case Member::Pulisci: return "Opt_Pulisci";
    }
    return "?";
}

void RulesModel::load(const Controls& created)
{
    const ModelCounts counts = m_counts;
    *this = RulesModel{};
    m_counts = counts;

    // The window as it is created.
    for (Line& line : m_c.Line1)
        line = Line{0, 0, 0, 0, Green, true};
    for (Int16 k = 0; k < 3; ++k) {
        const Line& made = created.Line3(k);
        m_c.Line3(k) = Line{made.X1, made.Y1, made.X2, made.Y2, Blue, true};
    }
    m_c.Shape1 = Shape{480, 800, 495, 600, Red, LightYellow, LightYellow, true};
    m_c.Shape2 = Shape{600, 1800, 255, 240, DarkGreen, LightYellow, LightYellow, false};
    m_c.Label1 = Label{"Guida la navicella: segui il filo di Velmora!", true};
    m_c.Lbl_Domanda = Label{"", true};
    m_c.Lbl_Livello = Label{"", false};
    for (OptionButton* member : {&m_c.Opt_Esci, &m_c.Option1, &m_c.Opt_Via, &m_c.Opt_Destra,
                                 &m_c.Opt_Sinistra, &m_c.Opt_Pulisci})
        member->Visible = true;
    m_selected = Member::Option1;

    // Form_Load.
    m_s.EasyMode = -1;
    m_s.RandomLength = -1;
    m_level = Level::Facile;
    m_c.Lbl_Livello = Label{"Facile", true};
    resetBoard();
}

Controls RulesModel::controls() const
{
    Controls expected = m_c;
    expected.Opt_Esci.Value = m_selected == Member::Esci;
    expected.Option1.Value = m_selected == Member::Option1;
    expected.Opt_Via.Value = m_selected == Member::Via;
    expected.Opt_Destra.Value = m_selected == Member::Destra;
    expected.Opt_Sinistra.Value = m_selected == Member::Sinistra;
    expected.Opt_Pulisci.Value = m_selected == Member::Pulisci;
    return expected;
}

std::vector<Cue> RulesModel::takeCues() { return std::exchange(m_cues, {}); }

std::vector<std::string> RulesModel::takeProblems() { return std::exchange(m_problems, {}); }

std::string RulesModel::expectedWord() const
{
    if (m_round != Round::Asking && m_round != Round::Retry)
        return {};
    return m_s.Turns(m_s.AnswerIndex);
}

void RulesModel::resetBoard()
{
    clearTrailAndTurns();
    m_s.StepLength = 100;
    placeShip();
    m_c.Lbl_Domanda.Caption.clear();
    m_s.SegmentIndex = 0;
    m_s.AnswerIndex = 0;
    m_c.Shape1.Visible = false;
    m_c.Opt_Destra.Visible = false;
    m_c.Opt_Sinistra.Visible = false;
    m_c.Opt_Pulisci.Visible = false;
    m_c.Opt_Via.Visible = true;
    select(Member::Option1);
    m_s.TurnOffset = 0;
    m_round = Round::None;
}

void RulesModel::clearTrailAndTurns()
{
    for (Int16 k = 0; k < 20; ++k) {
        m_c.Line1(k) = Line{0, 0, 0, 0, Green, true};
        m_s.Turns(k).clear();
    }
}

void RulesModel::placeShip()
{
    m_s.HomeX = 5500;
    m_s.HomeY = 3500;
    m_s.ShipSize = 500;
    const std::array<int, 6> home = test::shipLayout(12, 5750, 3500, 250);
    m_s.ShipAX = i16(home[0]);
    m_s.ShipAY = i16(home[1]);
    m_s.ShipBX = i16(home[2]);
    m_s.ShipBY = i16(home[3]);
    m_s.ShipCX = i16(home[4]);
    m_s.ShipCY = i16(home[5]);
    m_s.Heading = 12;
    for (Line& side : m_c.Line3)
        side.Visible = !easy();
    if (!easy())
        copyShipToLines();
}

void RulesModel::drawShip()
{
    if (easy())
        drawShipEasy();
    else
        copyShipToLines();
}

void RulesModel::copyShipToLines()
{
    const GameState& s = m_s;
    auto set = [](Line& line, Int16 x1, Int16 y1, Int16 x2, Int16 y2) {
        line.X1 = x1;
        line.Y1 = y1;
        line.X2 = x2;
        line.Y2 = y2;
    };
    set(m_c.Line3(0), s.ShipAX, s.ShipAY, s.ShipBX, s.ShipBY);
    set(m_c.Line3(1), s.ShipAX, s.ShipAY, s.ShipCX, s.ShipCY);
    set(m_c.Line3(2), s.ShipBX, s.ShipBY, s.ShipCX, s.ShipCY);
}

// The marker stands 100 twips up and left of home, or 90 up and left of the
// end of the segment just drawn while that is one of the first eight.
void RulesModel::drawShipEasy()
{
    Shape& marker = m_c.Shape2;
    marker.Visible = true;
    marker.Left = real(m_s.HomeX - 100);
    marker.Top = real(m_s.HomeY - 100);
    if (m_s.SegmentIndex >= 1 && m_s.SegmentIndex <= 8) {
        const Line& last = m_c.Line1(m_s.SegmentIndex);
        marker.Left = last.X2 - 90.0f;
        marker.Top = last.Y2 - 90.0f;
    }
}

// Outside the easy level a quarter turn takes the triangle from the layout of
// one heading to that of the next: each vertex moves by the difference of the
// two layouts, whatever the triangle looked like before.
void RulesModel::turn(bool clockwise)
{
    const int from = m_s.Heading;
    if (!isClock(from))
        return;
    const int to = clockwise ? test::clockwise(from) : test::counterClockwise(from);
    if (!easy()) {
        const int h = m_s.ShipSize / 2;
        const std::array<int, 6> before = test::shipLayout(from, 0, 0, h);
        const std::array<int, 6> after = test::shipLayout(to, 0, 0, h);
        std::array<Int16*, 6> v{&m_s.ShipAX, &m_s.ShipAY, &m_s.ShipBX,
                                &m_s.ShipBY, &m_s.ShipCX, &m_s.ShipCY};
        for (std::size_t k = 0; k < v.size(); ++k)
            *v[k] = i16(*v[k] + after[k] - before[k]);
    }
    m_s.Heading = i16(to);
    drawShip();
}

// The segment runs from the base's midpoint outside the easy level, from
// vertex A in it; the layout of the heading says where the midpoint lies from A.
void RulesModel::step()
{
    m_s.SegmentIndex = i16(m_s.SegmentIndex + 1);
    m_s.StepLength = i16(m_s.StepLength + m_s.StepGrowth);
    const int heading = m_s.Heading;
    if (!isClock(heading))
        return;
    const int length = m_s.StepLength;
    const auto [dx, dy] = test::unitStep(heading);
    int sideX = 0;
    int sideY = 0;
    if (!easy()) {
        const std::array<int, 6> shape = test::shipLayout(heading, 0, 0, m_s.ShipSize / 2);
        sideX = -shape[0];
        sideY = -shape[1];
    }
    const int ax = m_s.ShipAX;
    const int ay = m_s.ShipAY;
    Line& segment = m_c.Line1(m_s.SegmentIndex);
    segment.X1 = real(ax + sideX);
    segment.Y1 = real(ay + sideY);
    segment.X2 = real(ax + dx * length + sideX);
    segment.Y2 = real(ay + dy * length + sideY);
    for (Int16* x : {&m_s.ShipAX, &m_s.ShipBX, &m_s.ShipCX})
        *x = i16(*x + dx * length);
    for (Int16* y : {&m_s.ShipAY, &m_s.ShipBY, &m_s.ShipCY})
        *y = i16(*y + dy * length);
    drawShip();
}

float RulesModel::nextDraw(const RandomCalls& random, std::size_t& used)
{
    if (used >= random.drawn.size()) {
        if (!m_outOfDraws)
            m_problems.push_back("the rules need more draws than the game made");
        m_outOfDraws = true;
        return 0.0f;
    }
    return random.drawn[used++];
}

void RulesModel::buildThread(const RandomCalls& random)
{
    // Every draw comes right after its own re-seed from the clock.
    std::string protocol;
    for (std::size_t k = 0; k < random.drawn.size(); ++k)
        protocol += "rd";
    if (random.calls != protocol)
        m_problems.push_back("not every draw follows its own re-seed: calls \"" +
                             shortened(random.calls) + "\"");

    std::size_t used = 0;
    m_outOfDraws = false;
    // A draw above one half, and only that, says left.
    auto coin = [&] {
        const float r = nextDraw(random, used);
        if (r == 0.5f)
            ++m_counts.coinTies;
        m_s.Coin = i16(r > 0.5f ? 1 : 0);
        return m_s.Coin == 1;
    };

    if (m_s.RandomLength == -1) {
        const float r = nextDraw(random, used);
        if (r == 0.25f || r == 0.75f)
            ++m_counts.lengthEdges;
        m_s.LastPick = i16(r < 0.25f ? 1 : (r <= 0.75f ? 2 : 3));
        for (m_s.TurnIndex = 0; m_s.TurnIndex <= m_s.LastPick; ++m_s.TurnIndex) {
            m_s.StepGrowth = 100;
            bool left = coin();
            while (!m_outOfDraws &&
                   ((left && m_s.LeftPairs == 1) || (!left && m_s.RightPairs == 1))) {
                ++m_counts.rejectedDraws;
                left = coin();
            }
            makePair(left);
        }
    } else {
        m_s.LastPick = 8;
        m_s.TurnOffset = 0;
        for (m_s.TurnIndex = 0; m_s.TurnIndex <= 8; ++m_s.TurnIndex) {
            m_s.StepGrowth = 150;
            const bool left = coin();
            m_s.Turns(m_s.TurnIndex) = left ? Sinistra : Destra;
            turn(!left);
            step();
        }
    }
    if (used != random.drawn.size())
        m_problems.push_back("the game drew " + std::to_string(random.drawn.size()) +
                             " values where the rules lay out this thread of " +
                             std::to_string(turnCount()) + " turns from " + std::to_string(used));

    // The goal marker at the end of the last segment.
    Shape& goal = m_c.Shape1;
    goal.Visible = true;
    const int last = m_s.TurnOffset + m_s.LastPick;
    if (last >= 2 && last <= 8) {
        const Line& end = m_c.Line1(i16(last + 1));
        goal.Left = end.X2 - 250.0f;
        goal.Top = end.Y2 - 320.0f;
    }
    goal.BackColor = LightYellow;
    goal.BorderColor = Red;
    goal.FillColor = LightYellow;
}

void RulesModel::makePair(bool left)
{
    Int16& same = left ? m_s.LeftPairs : m_s.RightPairs;
    Int16& opposite = left ? m_s.RightPairs : m_s.LeftPairs;
    if (opposite == 1)
        opposite = 0;
    m_s.Turns(i16(m_s.TurnOffset + m_s.TurnIndex)) = left ? Sinistra : Destra;
    turn(!left);
    step();
    same = i16(same + 1);
    turn(left);
    step();
    m_s.TurnOffset = i16(m_s.TurnOffset + 1);
    m_s.Turns(i16(m_s.TurnOffset + m_s.TurnIndex)) = left ? Destra : Sinistra;
}

void RulesModel::start(const RandomCalls& random)
{
    resetBoard();
    buildThread(random);
    m_cues.push_back(Cue::Start);
    placeShip();
    m_s.StepLength = 100;
    m_s.SegmentIndex = 0;
    m_s.AnswerIndex = 0;
    m_c.Opt_Destra.Visible = true;
    m_c.Opt_Sinistra.Visible = true;
    m_c.Opt_Pulisci.Visible = true;
    m_c.Opt_Via.Visible = false;
    m_c.Lbl_Domanda.Visible = true;
    m_c.Lbl_Domanda.Caption = Question;
    if (easy())
        drawShipEasy();

    m_round = Round::Asking;
    m_roundLevel = m_level;
    m_everStarted = true;
    ++m_counts.rounds[static_cast<int>(m_level)];
    const int n = turnCount();
    if (n >= 0 && n < 10)
        ++m_counts.threadLengths[n];
}

void RulesModel::clear()
{
    clearTrailAndTurns();
    m_s.StepLength = 100;
    placeShip();
    m_c.Lbl_Domanda.Caption.clear();
    m_s.AnswerIndex = 0;
    m_s.SegmentIndex = 0;
    m_c.Shape1.Visible = false;
    m_c.Opt_Destra.Visible = false;
    m_c.Opt_Sinistra.Visible = false;
    releaseIf(Member::Pulisci);
    m_c.Opt_Via.Visible = true;
    m_round = Round::None;
}

void RulesModel::answer(std::string_view word)
{
    const std::string_view other = word == Destra ? Sinistra : Destra;
    if (m_s.Turns(m_s.AnswerIndex) != word) {
        m_c.Lbl_Domanda.Caption = Retry;
        m_cues.push_back(Cue::Wrong);
        m_round = Round::Retry;
        return;
    }
    rightAnswer(word == Destra);
    if (easy() && m_s.Turns(m_s.AnswerIndex) == other) {
        ++m_counts.followOns;
        if (m_roundLevel != Level::Facile)
            ++m_counts.foreignFollowOns;
        rightAnswer(word != Destra);
    }
}

void RulesModel::rightAnswer(bool clockwise)
{
    m_c.Line1(i16(m_s.AnswerIndex + 1)).BorderColor = Red;
    turn(clockwise);
    step();
    m_s.AnswerIndex = i16(m_s.AnswerIndex + 1);
    m_c.Lbl_Domanda.Caption = Question;
    m_cues.push_back(Cue::Right);
    m_round = Round::Asking;
    if (m_s.AnswerIndex == turnCount())
        endOfThread();
}

void RulesModel::endOfThread()
{
    m_c.Shape1.FillColor = Red;
    m_c.Lbl_Domanda.Visible = false;
    m_c.Opt_Destra.Visible = false;
    m_c.Opt_Sinistra.Visible = false;
    m_c.Opt_Via.Visible = true;
    releaseIf(Member::Pulisci);
    m_cues.push_back(Cue::End);
    m_c.Shape2.Visible = false;
    m_round = Round::Ended;
    ++m_counts.roundsEnded[static_cast<int>(m_roundLevel)];
}

void RulesModel::release(Member member)
{
    select(member);
    releaseIf(member);
}

// Value false releases the member and selects no other.
void RulesModel::releaseIf(Member member)
{
    if (m_selected == member)
        m_selected = Member::None;
}

void RulesModel::chooseLevel(Level level)
{
    m_level = level;
    m_s.EasyMode = level == Level::Facile ? -1 : 0;
    m_s.RandomLength = level == Level::Complesso ? 0 : -1;
    m_c.Lbl_Livello = Label{nameOf(level), true};
    if (level != Level::Facile)
        m_c.Shape2.Visible = false;
}

void RulesModel::exitChosen() { select(Member::Esci); }

}  // namespace navicella::model
