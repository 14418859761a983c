// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Game.h"

#include <optional>
#include <string>

namespace navicella {
namespace {

bool isTrue(Int16 flag) { return flag == True; }

// The unit vector of a heading on the screen (y grows downwards), and the
// side on which the centre line runs from vertex A, in halves of the ship.
struct Direction {
    int dx, dy;
    int sideX, sideY;
};

std::optional<Direction> directionOf(Int16 heading)
{
    switch (heading) {
    case Up: return Direction{0, -1, +1, 0};
    case Right: return Direction{+1, 0, 0, +1};
    case Down: return Direction{0, +1, -1, 0};
    case Left: return Direction{-1, 0, 0, -1};
    default: return std::nullopt;
    }
}

// A coordinate moved by `length` along one axis of a heading; 16-bit checked.
Int16 moved(Int16 coordinate, int direction, Int16 length)
{
    if (direction > 0)
        return add16(coordinate, length);
    if (direction < 0)
        return sub16(coordinate, length);
    return coordinate;
}

float toReal(double value) { return static_cast<float>(checkedReal(value)); }

}  // namespace

// clang-format off
const std::array<Game::TurnRow, 4> Game::RightTurns{{
    {Up,    Right, {+1, -1, -1, +1, +1, +1}},
    {Right, Down,  {+1, +1, -1, -1, -1, +1}},
    {Down,  Left,  {-1, +1, +1, -1, -1, -1}},
    {Left,  Up,    {-1, -1, +1, +1, +1, -1}},
}};
const std::array<Game::TurnRow, 4> Game::LeftTurns{{
    {Up,    Left,  {+1, +1, -1, -1, -1, +1}},
    {Left,  Down,  {+1, -1, -1, +1, +1, +1}},
    {Down,  Right, {-1, -1, +1, +1, +1, -1}},
    {Right, Up,    {-1, +1, +1, -1, -1, -1}},
}};
// clang-format on

Game::Game(RandomSource& random, CuePlayer& player) : m_random(random), m_player(player) {}

// ---- Start-up, board reset and levels ------------------------------------

void Game::Form_Load()
{
    m_state.EasyMode = True;
    m_state.RandomLength = True;
    m_controls.Lbl_Livello.Visible = true;
    m_controls.Lbl_Livello.Caption = text::Easy;
    ResetBoard();
}

void Game::ResetBoard()
{
    GameState& s = m_state;
    Controls& c = m_controls;
    clearTrailAndTurns();
    s.StepLength = FirstStepLength;
    PlaceShip();
    c.Lbl_Domanda.Caption.clear();
    s.SegmentIndex = 0;
    s.AnswerIndex = 0;
    c.Shape1.Visible = false;
    c.Opt_Destra.Visible = false;
    c.Opt_Sinistra.Visible = false;
    c.Opt_Pulisci.Visible = false;
    c.Opt_Via.Visible = true;
    c.setValue(c.Option1, true);
    s.TurnOffset = 0;
}

// SegmentIndex is the loop counter here; callers set it back to 0 afterwards.
void Game::clearTrailAndTurns()
{
    GameState& s = m_state;
    for (s.SegmentIndex = 0; s.SegmentIndex <= Line1Count - 1;
         s.SegmentIndex = add16(s.SegmentIndex, 1)) {
        Line& segment = m_controls.Line1(s.SegmentIndex);
        segment.X1 = 0;
        segment.Y1 = 0;
        segment.X2 = 0;
        segment.Y2 = 0;
        segment.BorderColor = colour::Green;  // undoes the red of the last round
        s.Turns(s.SegmentIndex).clear();
    }
}

void Game::Easy_Click() { setLevel(True, True, text::Easy); }

void Game::Simple_Click()
{
    setLevel(False, True, text::Simple);
    m_controls.Shape2.Visible = false;
}

void Game::Complex_Click()
{
    setLevel(False, False, text::Complex);
    m_controls.Shape2.Visible = false;
}

// The level lives only in the two flags and the label: the board, the ship
// and a round in progress stay as they are, and later operations read the flags.
void Game::setLevel(Int16 easyMode, Int16 randomLength, std::string_view caption)
{
    m_state.EasyMode = easyMode;
    m_state.RandomLength = randomLength;
    m_controls.Lbl_Livello.Visible = true;
    m_controls.Lbl_Livello.Caption = caption;
}

// ---- The ship -------------------------------------------------------------

// Always the same home layout, whatever the ship did before.
void Game::PlaceShip()
{
    GameState& s = m_state;
    s.HomeX = HomeLeft;
    s.ShipAX = HomeLeft;
    s.ShipSize = HomeShipSize;
    s.ShipBX = static_cast<Int16>(HomeLeft + HomeShipSize);
    s.ShipCX = roundToInt16(s.ShipAX + s.ShipSize / 2.0);
    s.HomeY = HomeTop;
    s.ShipAY = HomeTop;
    s.ShipBY = HomeTop;
    s.ShipCY = roundToInt16(HomeTop - s.ShipSize / 2.0);
    s.Heading = Up;
    // The easy level shows the ship as a marker; the triangle's lines keep their ends.
    const bool triangleShown = !isTrue(s.EasyMode);
    for (Int16 side = 0; side < Line3Count; ++side)
        m_controls.Line3(side).Visible = triangleShown;
    if (triangleShown)
        copyShipToLines();
}

void Game::DrawShip()
{
    if (isTrue(m_state.EasyMode)) {
        DrawShipEasy();
        return;
    }
    copyShipToLines();
}

void Game::copyShipToLines()
{
    const GameState& s = m_state;
    Line& base = m_controls.Line3(0);
    base.X1 = s.ShipAX;
    base.Y1 = s.ShipAY;
    base.X2 = s.ShipBX;
    base.Y2 = s.ShipBY;
    Line& leftFlank = m_controls.Line3(1);
    leftFlank.X1 = s.ShipAX;
    leftFlank.Y1 = s.ShipAY;
    leftFlank.X2 = s.ShipCX;
    leftFlank.Y2 = s.ShipCY;
    Line& rightFlank = m_controls.Line3(2);
    rightFlank.X1 = s.ShipBX;
    rightFlank.Y1 = s.ShipBY;
    rightFlank.X2 = s.ShipCX;
    rightFlank.Y2 = s.ShipCY;
}

// The marker shows where the ship is, never where it points: at home before
// the first step, then at the end of the segment just drawn. Home and segment
// ends are 100 and 90 twips from the marker's corner.
void Game::DrawShipEasy()
{
    const GameState& s = m_state;
    Shape& marker = m_controls.Shape2;
    marker.Visible = true;
    marker.Left = sub16(s.HomeX, 100);
    marker.Top = sub16(s.HomeY, 100);
    if (s.SegmentIndex >= 1 && s.SegmentIndex <= LongestEasyThread) {
        const Line& segment = m_controls.Line1(s.SegmentIndex);
        marker.Left = checkedReal(segment.X2 - 90.0f);
        marker.Top = checkedReal(segment.Y2 - 90.0f);
    }
}

void Game::TurnRight() { rotate(RightTurns); }

void Game::TurnLeft() { rotate(LeftTurns); }

// A quarter turn about the midpoint of the base. In the easy level only the
// heading changes: the marker that stands for the ship has no direction.
void Game::rotate(const std::array<TurnRow, 4>& table)
{
    GameState& s = m_state;
    for (const TurnRow& row : table) {
        if (row.from != s.Heading)
            continue;
        if (!isTrue(s.EasyMode)) {
            const double half = checkedReal(s.ShipSize / 2.0);
            const std::array<Int16*, 6> coordinates{&s.ShipAX, &s.ShipAY, &s.ShipBX,
                                                    &s.ShipBY, &s.ShipCX, &s.ShipCY};
            for (std::size_t k = 0; k < coordinates.size(); ++k)
                *coordinates[k] = roundToInt16(*coordinates[k] + row.sign[k] * half);
        }
        s.Heading = row.to;
        DrawShip();
        return;
    }
}

// The forward step, the click handler of the never-shown button "Avanti".
void Game::Cmd_Avanti_Click()
{
    GameState& s = m_state;
    s.SegmentIndex = add16(s.SegmentIndex, 1);
    s.StepLength = add16(s.StepLength, s.StepGrowth);
    const std::optional<Direction> direction = directionOf(s.Heading);
    if (!direction)
        return;

    // Outside the easy level the segment runs along the ship's centre line,
    // half a ship to the side of vertex A; in the easy level along A itself.
    const Int16 length = s.StepLength;
    const Int16 ax = s.ShipAX;
    const Int16 ay = s.ShipAY;
    double sideX = 0;
    double sideY = 0;
    if (!isTrue(s.EasyMode)) {
        const double half = checkedReal(s.ShipSize / 2.0);
        sideX = direction->sideX * half;
        sideY = direction->sideY * half;
    }
    Line& segment = m_controls.Line1(s.SegmentIndex);
    segment.X1 = toReal(ax + sideX);
    segment.Y1 = toReal(ay + sideY);
    segment.X2 = toReal(moved(ax, direction->dx, length) + sideX);
    segment.Y2 = toReal(moved(ay, direction->dy, length) + sideY);

    if (direction->dx != 0) {
        s.ShipAX = moved(s.ShipAX, direction->dx, length);
        s.ShipBX = moved(s.ShipBX, direction->dx, length);
        s.ShipCX = moved(s.ShipCX, direction->dx, length);
    } else {
        s.ShipAY = moved(s.ShipAY, direction->dy, length);
        s.ShipBY = moved(s.ShipBY, direction->dy, length);
        s.ShipCY = moved(s.ShipCY, direction->dy, length);
    }
    DrawShip();
}

// ---- The thread -----------------------------------------------------------

// True when the coin says left. The clock re-seed before every draw is part
// of the game's behaviour, not an accident.
bool Game::coinDraw()
{
    m_random.reseedFromClock();
    m_state.Coin = roundToInt16(m_random.draw());
    return m_state.Coin > 0.5;
}

void Game::BuildThread()
{
    GameState& s = m_state;
    if (isTrue(s.RandomLength)) {
        m_random.reseedFromClock();
        s.LastPick = roundToInt16(2.0 * m_random.draw() + 1.0);
        const Int16 lastPick = s.LastPick;
        for (s.TurnIndex = 0; s.TurnIndex <= lastPick; s.TurnIndex = add16(s.TurnIndex, 1)) {
            s.StepGrowth = RandomLengthGrowth;
            bool left = coinDraw();
            // The guards make left and right pairs alternate, across rounds too.
            while ((left && s.LeftPairs == 1) || (!left && s.RightPairs == 1))
                left = coinDraw();
            makePair(left);
        }
    } else {
        s.LastPick = FixedLengthLastPick;
        s.TurnOffset = 0;
        for (s.TurnIndex = 0; s.TurnIndex <= FixedLengthLastPick;
             s.TurnIndex = add16(s.TurnIndex, 1)) {
            s.StepGrowth = FixedLengthGrowth;
            if (coinDraw()) {
                s.Turns(s.TurnIndex) = text::Sinistra;
                TurnLeft();
            } else {
                s.Turns(s.TurnIndex) = text::Destra;
                TurnRight();
            }
            Cmd_Avanti_Click();
        }
    }
    placeGoalMarker();
}

// One turn and its opposite, each followed by a step: a sideways step, then up.
void Game::makePair(bool left)
{
    GameState& s = m_state;
    Int16& sameGuard = left ? s.LeftPairs : s.RightPairs;
    Int16& otherGuard = left ? s.RightPairs : s.LeftPairs;
    if (otherGuard == 1)
        otherGuard = 0;
    s.Turns(add16(s.TurnOffset, s.TurnIndex)) = left ? text::Sinistra : text::Destra;
    left ? TurnLeft() : TurnRight();
    Cmd_Avanti_Click();
    sameGuard = add16(sameGuard, 1);
    left ? TurnRight() : TurnLeft();
    Cmd_Avanti_Click();
    s.TurnOffset = add16(s.TurnOffset, 1);
    s.Turns(add16(s.TurnOffset, s.TurnIndex)) = left ? text::Destra : text::Sinistra;
}

void Game::placeGoalMarker()
{
    const GameState& s = m_state;
    Shape& goal = m_controls.Shape1;
    goal.Visible = true;
    const Int16 last = add16(s.TurnOffset, s.LastPick);
    if (last >= 2 && last <= 8) {
        const Int16 lastSegment = add16(last, 1);
        goal.Left = checkedReal(m_controls.Line1(lastSegment).X2 - 250.0f);
        goal.Top = checkedReal(m_controls.Line1(lastSegment).Y2 - 320.0f);
    }
    goal.BackColor = colour::LightYellow;
    goal.BorderColor = colour::Red;
    goal.FillColor = colour::LightYellow;
}

// ---- The buttons of a round -----------------------------------------------

void Game::Opt_Via_MouseDown()
{
    GameState& s = m_state;
    Controls& c = m_controls;
    ResetBoard();
    BuildThread();
    PlayCue(cue::StartCue);
    // Back home with the step state of generation, so that every right answer
    // repeats one generation step exactly, over the same segment.
    PlaceShip();
    s.StepLength = FirstStepLength;
    s.SegmentIndex = 0;
    s.AnswerIndex = 0;
    c.Opt_Destra.Visible = true;
    c.Opt_Sinistra.Visible = true;
    c.Opt_Pulisci.Visible = true;
    c.Opt_Via.Visible = false;
    c.Lbl_Domanda.Visible = true;
    c.Lbl_Domanda.Caption = text::Question;
    if (isTrue(s.EasyMode))
        DrawShipEasy();
}

void Game::Opt_Via_MouseUp() { m_controls.setValue(m_controls.Opt_Via, false); }

// The clear command repeats the board reset's work on the trail, the answers
// and the ship, in its own order, and differs on purpose where it shows: the
// "Pulisci" button stays on show, only it is released (the neutral Option1 is
// not selected), and TurnOffset keeps its value.
void Game::Opt_Pulisci_MouseDown()
{
    GameState& s = m_state;
    Controls& c = m_controls;
    clearTrailAndTurns();
    s.StepLength = FirstStepLength;
    PlaceShip();
    c.Lbl_Domanda.Caption.clear();
    s.AnswerIndex = 0;
    s.SegmentIndex = 0;
    c.Shape1.Visible = false;
    c.Opt_Destra.Visible = false;
    c.Opt_Sinistra.Visible = false;
    c.setValue(c.Opt_Pulisci, false);
    c.Opt_Via.Visible = true;
}

void Game::Opt_Pulisci_MouseUp() { m_controls.setValue(m_controls.Opt_Pulisci, false); }

void Game::Opt_Destra_MouseDown()
{
    answer(text::Destra, text::Sinistra, &Game::TurnRight, &Game::TurnLeft);
}

void Game::Opt_Destra_MouseUp() { m_controls.setValue(m_controls.Opt_Destra, false); }

void Game::Opt_Sinistra_MouseDown()
{
    answer(text::Sinistra, text::Destra, &Game::TurnLeft, &Game::TurnRight);
}

void Game::Opt_Sinistra_MouseUp() { m_controls.setValue(m_controls.Opt_Sinistra, false); }

void Game::answer(std::string_view word, std::string_view otherWord, Turn turn, Turn followOn)
{
    GameState& s = m_state;
    if (s.Turns(s.AnswerIndex) != word) {
        m_controls.Lbl_Domanda.Caption = text::Retry;
        PlayCue(cue::WrongCue);
        return;
    }
    rightAnswer(turn);
    // In the easy level the second turn of a pair follows by itself, once.
    if (isTrue(s.EasyMode) && s.Turns(s.AnswerIndex) == otherWord)
        rightAnswer(followOn);
}

void Game::rightAnswer(Turn turn)
{
    GameState& s = m_state;
    m_controls.Line1(add16(s.AnswerIndex, 1)).BorderColor = colour::Red;
    (this->*turn)();
    Cmd_Avanti_Click();
    s.AnswerIndex = add16(s.AnswerIndex, 1);
    m_controls.Lbl_Domanda.Caption = text::Question;
    PlayCue(cue::RightCue);
    if (s.AnswerIndex == add16(add16(s.LastPick, 1), s.TurnOffset))
        endOfThread();
}

void Game::endOfThread()
{
    Controls& c = m_controls;
    c.Shape1.FillColor = colour::Red;
    c.Lbl_Domanda.Visible = false;
    c.Opt_Destra.Visible = false;
    c.Opt_Sinistra.Visible = false;
    c.Opt_Via.Visible = true;
    c.setValue(c.Opt_Pulisci, false);
    PlayCue(cue::EndCue);
    c.Shape2.Visible = false;
}

void Game::PlayCue(std::string_view path) { m_player.play(path); }

}  // namespace navicella
