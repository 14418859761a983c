// SPDX-License-Identifier: GPL-3.0-or-later
// The view record: the controls of the browser edition's window as floats,
// in one fixed order, for the page to read after every handler. The same
// tables fill the record in the WebAssembly (web/Binding.cpp) and name its
// fields in the description the page reads (web/describe/), so the two
// cannot come apart. Colours are below 2^24, so a float holds them exactly;
// a flag is 0 or 1.
#pragma once

#include "game/Window.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace navicella::view {

template <typename Control>
struct Field {
    std::string_view name;
    float (*read)(const Control&);
    bool flag = false;
};
constexpr float flag(bool value) { return value ? 1.0f : 0.0f; }
constexpr float asFloat(Colour colour) { return static_cast<float>(colour); }

inline constexpr std::array<Field<Line>, 6> LineFields{{
    {"X1", [](const Line& l) { return l.X1; }},
    {"Y1", [](const Line& l) { return l.Y1; }},
    {"X2", [](const Line& l) { return l.X2; }},
    {"Y2", [](const Line& l) { return l.Y2; }},
    {"BorderColor", [](const Line& l) { return asFloat(l.BorderColor); }},
    {"Visible", [](const Line& l) { return flag(l.Visible); }, true},
}};
inline constexpr std::array<Field<Shape>, 7> ShapeFields{{
    {"Left", [](const Shape& s) { return s.Left; }},
    {"Top", [](const Shape& s) { return s.Top; }},
    {"Width", [](const Shape& s) { return s.Width; }},
    {"Height", [](const Shape& s) { return s.Height; }},
    {"BorderColor", [](const Shape& s) { return asFloat(s.BorderColor); }},
    {"FillColor", [](const Shape& s) { return asFloat(s.FillColor); }},
    {"Visible", [](const Shape& s) { return flag(s.Visible); }, true},
}};
inline constexpr std::array<Field<Label>, 1> LabelFields{{
    {"Visible", [](const Label& l) { return flag(l.Visible); }, true},
}};
inline constexpr std::array<Field<OptionButton>, 2> ButtonFields{{
    {"Visible", [](const OptionButton& b) { return flag(b.Visible); }, true},
    {"Value", [](const OptionButton& b) { return flag(b.Value); }, true},
}};

inline constexpr std::size_t Size =
    (Line1Count + Line3Count) * LineFields.size() + window::Shapes.size() * ShapeFields.size() +
    window::Labels.size() * LabelFields.size() + window::Buttons.size() * ButtonFields.size();

// Calls visit(name, count, fields, control at) for every part of the record
// in its order: count is 0 for a single control.
template <typename Visit>
void forEachPart(Visit visit)
{
    for (const window::LineArray& array : window::LineArrays)
        visit(array.name, array.count, LineFields,
              [&array](const Controls& c, int k) -> const Line& {
                  return array.at(c, static_cast<Int16>(k));
              });
    for (const window::NamedShape& shape : window::Shapes)
        visit(shape.name, 0, ShapeFields,
              [&shape](const Controls& c, int) -> const Shape& { return c.*shape.control; });
    for (const window::LabelPlace& label : window::Labels)
        visit(label.name, 0, LabelFields,
              [&label](const Controls& c, int) -> const Label& { return c.*label.control; });
    for (const window::Button& button : window::Buttons)
        visit(
            button.name, 0, ButtonFields,
            [&button](const Controls& c, int) -> const OptionButton& { return c.*button.control; });
}

// Writes the record of the controls c into out.
inline void fill(const Controls& c, std::array<float, Size>& out)
{
    std::size_t i = 0;
    forEachPart([&](std::string_view, int count, const auto& fields, auto at) {
        for (int k = 0; k < std::max(count, 1); ++k)
            for (const auto& field : fields)
                out[i++] = field.read(at(c, k));
    });
}

}  // namespace navicella::view
