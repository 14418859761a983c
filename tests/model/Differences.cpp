// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Differences.h"

#include "game/Window.h"

#include <sstream>

namespace navicella::model {
namespace {

template <typename Value>
void compare(std::vector<std::string>& out, const std::string& name, const Value& expected,
             const Value& actual)
{
    if (expected == actual)
        return;
    std::ostringstream line;
    line << name << ": expected " << expected << ", the game has " << actual;
    out.push_back(line.str());
}

void compare(std::vector<std::string>& out, const std::string& name, const std::string& expected,
             const std::string& actual)
{
    if (expected != actual)
        out.push_back(name + ": expected \"" + expected + "\", the game has \"" + actual + "\"");
}

void compare(std::vector<std::string>& out, const std::string& name, bool expected, bool actual)
{
    if (expected != actual)
        out.push_back(name + ": expected " + (expected ? "true" : "false") + ", the game has " +
                      (actual ? "true" : "false"));
}

std::string hex(Colour colour)
{
    std::ostringstream text;
    text << "0x" << std::hex << colour;
    return text.str();
}

void compareLine(std::vector<std::string>& out, const std::string& name, const Line& expected,
                 const Line& actual)
{
    if (expected.X1 != actual.X1 || expected.Y1 != actual.Y1 || expected.X2 != actual.X2 ||
        expected.Y2 != actual.Y2)
        out.push_back(name + ": expected " + describe(expected) + ", the game has " +
                      describe(actual));
    compare(out, name + ".BorderColor", hex(expected.BorderColor), hex(actual.BorderColor));
    compare(out, name + ".Visible", expected.Visible, actual.Visible);
}

void compareShape(std::vector<std::string>& out, const std::string& name, const Shape& expected,
                  const Shape& actual)
{
    compare(out, name + ".Left", expected.Left, actual.Left);
    compare(out, name + ".Top", expected.Top, actual.Top);
    compare(out, name + ".Width", expected.Width, actual.Width);
    compare(out, name + ".Height", expected.Height, actual.Height);
    compare(out, name + ".BorderColor", hex(expected.BorderColor), hex(actual.BorderColor));
    compare(out, name + ".BackColor", hex(expected.BackColor), hex(actual.BackColor));
    compare(out, name + ".FillColor", hex(expected.FillColor), hex(actual.FillColor));
    compare(out, name + ".Visible", expected.Visible, actual.Visible);
}

void compareLabel(std::vector<std::string>& out, const std::string& name, const Label& expected,
                  const Label& actual)
{
    compare(out, name + ".Caption", expected.Caption, actual.Caption);
    compare(out, name + ".Visible", expected.Visible, actual.Visible);
}

void compareButton(std::vector<std::string>& out, const std::string& name,
                   const OptionButton& expected, const OptionButton& actual)
{
    compare(out, name + ".Visible", expected.Visible, actual.Visible);
    compare(out, name + ".Value", expected.Value, actual.Value);
}

}  // namespace

std::string describe(const Line& line)
{
    std::ostringstream text;
    text << "(" << line.X1 << ", " << line.Y1 << ")-(" << line.X2 << ", " << line.Y2 << ")";
    return text.str();
}

std::vector<std::string> stateDifferences(const GameState& e, const GameState& a)
{
    std::vector<std::string> out;
    auto field = [&](const char* name, Int16 expected, Int16 actual) {
        compare(out, name, static_cast<int>(expected), static_cast<int>(actual));
    };
    field("ShipSize", e.ShipSize, a.ShipSize);
    field("ShipAX", e.ShipAX, a.ShipAX);
    field("ShipBX", e.ShipBX, a.ShipBX);
    field("ShipCX", e.ShipCX, a.ShipCX);
    field("ShipAY", e.ShipAY, a.ShipAY);
    field("ShipBY", e.ShipBY, a.ShipBY);
    field("ShipCY", e.ShipCY, a.ShipCY);
    field("HomeX", e.HomeX, a.HomeX);
    field("HomeY", e.HomeY, a.HomeY);
    field("Heading", e.Heading, a.Heading);
    field("StepLength", e.StepLength, a.StepLength);
    field("SegmentIndex", e.SegmentIndex, a.SegmentIndex);
    field("TurnIndex", e.TurnIndex, a.TurnIndex);
    field("Coin", e.Coin, a.Coin);
    for (Int16 k = 0; k < TurnsCount; ++k)
        compare(out, "Turns(" + std::to_string(k) + ")", e.Turns(k), a.Turns(k));
    field("AnswerIndex", e.AnswerIndex, a.AnswerIndex);
    field("RandomLength", e.RandomLength, a.RandomLength);
    field("EasyMode", e.EasyMode, a.EasyMode);
    field("RightPairs", e.RightPairs, a.RightPairs);
    field("LeftPairs", e.LeftPairs, a.LeftPairs);
    field("StepGrowth", e.StepGrowth, a.StepGrowth);
    field("LastPick", e.LastPick, a.LastPick);
    field("TurnOffset", e.TurnOffset, a.TurnOffset);
    return out;
}

std::vector<std::string> controlDifferences(const Controls& e, const Controls& a)
{
    std::vector<std::string> out;
    for (Int16 k = 0; k < Line1Count; ++k)
        compareLine(out, "Line1(" + std::to_string(k) + ")", e.Line1(k), a.Line1(k));
    for (Int16 k = 0; k < Line3Count; ++k)
        compareLine(out, "Line3(" + std::to_string(k) + ")", e.Line3(k), a.Line3(k));
    compareShape(out, "Shape1", e.Shape1, a.Shape1);
    compareShape(out, "Shape2", e.Shape2, a.Shape2);
    for (const window::LabelPlace& label : window::Labels)
        compareLabel(out, std::string(label.name), e.*label.control, a.*label.control);
    for (const window::Button& button : window::Buttons)
        compareButton(out, std::string(button.name), e.*button.control, a.*button.control);
    return out;
}

}  // namespace navicella::model
