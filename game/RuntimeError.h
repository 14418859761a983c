// SPDX-License-Identifier: GPL-3.0-or-later
// The run-time errors a game procedure can raise.
//
// No procedure catches one: it ends the running handler at the step where it
// arises, and the steps already done stay done. Only the window, where events
// enter the game, catches it and tells the user.
#pragma once

#include <stdexcept>
#include <string>

namespace navicella {

class RuntimeError : public std::runtime_error {
public:
    enum class Kind {
        Overflow = 6,
        SubscriptOutOfRange = 9,
        FloatingPointFault = 16,
        MissingControlElement = 340,
    };

    RuntimeError(Kind kind, const std::string& message) : std::runtime_error(message), m_kind(kind)
    {
    }

    Kind kind() const { return m_kind; }
    int number() const { return static_cast<int>(m_kind); }

private:
    Kind m_kind;
};

}  // namespace navicella
