// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GameState.h"

#include "game/RuntimeError.h"

namespace navicella {
namespace {

std::size_t checkedTurnIndex(Int16 index)
{
    if (index < 0 || index >= TurnsCount)
        throw RuntimeError(RuntimeError::Kind::SubscriptOutOfRange, "Subscript out of range");
    return static_cast<std::size_t>(index);
}

}  // namespace

std::string& TurnList::operator()(Int16 index) { return m_entries[checkedTurnIndex(index)]; }

const std::string& TurnList::operator()(Int16 index) const
{
    return m_entries[checkedTurnIndex(index)];
}

}  // namespace navicella
