// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Arithmetic.h"

#include "game/RuntimeError.h"

#include <cmath>
#include <limits>

namespace navicella {
namespace {

constexpr int Min16 = std::numeric_limits<Int16>::min();
constexpr int Max16 = std::numeric_limits<Int16>::max();

[[noreturn]] void overflow() { throw RuntimeError(RuntimeError::Kind::Overflow, "Overflow"); }

Int16 narrow(int value)
{
    if (value < Min16 || value > Max16)
        overflow();
    return static_cast<Int16>(value);
}

}  // namespace

Int16 add16(Int16 a, Int16 b) { return narrow(a + b); }

Int16 sub16(Int16 a, Int16 b) { return narrow(a - b); }

Int16 roundToInt16(double value)
{
    checkedReal(value);
    // std::nearbyint rounds in the current mode, which is round-to-nearest-even
    // unless someone changed it; std::round would send halves away from zero.
    const double rounded = std::nearbyint(value);
    if (rounded < Min16 || rounded > Max16)
        overflow();
    return static_cast<Int16>(rounded);
}

double checkedReal(double value)
{
    if (!std::isfinite(value))
        throw RuntimeError(RuntimeError::Kind::FloatingPointFault, "Floating-point fault");
    return value;
}

float checkedReal(float value)
{
    return static_cast<float>(checkedReal(static_cast<double>(value)));
}

}  // namespace navicella
