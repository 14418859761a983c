// SPDX-License-Identifier: GPL-3.0-or-later
// Sixteen-bit game arithmetic.
//
// Every addition and subtraction on a game variable goes through add16 or
// sub16, and every real stored into one through roundToInt16; each raises the
// overflow error when the result leaves -32768..32767. checkedReal raises the
// floating-point error for a result that is not a finite number.
#pragma once

#include <cstdint>

namespace navicella {

using Int16 = std::int16_t;

Int16 add16(Int16 a, Int16 b);
Int16 sub16(Int16 a, Int16 b);

// Rounds to the nearest integer, halves to even (2.5 -> 2, 3.5 -> 4).
Int16 roundToInt16(double value);

double checkedReal(double value);
float checkedReal(float value);

}  // namespace navicella
