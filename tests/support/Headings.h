// SPDX-License-Identifier: GPL-3.0-or-later
// The ship's four headings as clock positions (12 up, 3 right, 6 down, 9
// left), worked out by the tests on their own: quarter turns, the unit step
// on the screen (y grows downwards), and the ship's triangle.
#pragma once

#include <array>

namespace navicella::test {

inline int clockwise(int heading) { return heading == 12 ? 3 : heading + 3; }

inline int counterClockwise(int heading) { return heading == 3 ? 12 : heading - 3; }

inline std::array<int, 2> unitStep(int heading)
{
    switch (heading) {
    case 12: return {0, -1};
    case 3: return {1, 0};
    case 6: return {0, 1};
    default: return {-1, 0};
    }
}

// Vertices A, B and C of the ship's triangle, as x, y pairs, around the
// midpoint (mx, my) of its base: the base is 2h wide and the nose h in front.
inline std::array<int, 6> shipLayout(int heading, int mx, int my, int h)
{
    switch (heading) {
    case 12: return {mx - h, my, mx + h, my, mx, my - h};
    case 3: return {mx, my - h, mx, my + h, mx + h, my};
    case 6: return {mx + h, my, mx - h, my, mx, my + h};
    default: return {mx, my + h, mx, my - h, mx - h, my};
    }
}

}  // namespace navicella::test
