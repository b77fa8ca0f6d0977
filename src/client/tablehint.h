// Hints for the own seat: the Expert's choice, worked out from what the
// table model holds, which is only what the server sent this table. Plain
// C++, no widgets.
#pragma once

#include "ai/expert.h"
#include "ai/view.h"
#include "client/tablemodel.h"

namespace quillet {

// The own seat's View of the round as the table has seen it.
ai::View tableView(const TableModel &m);

struct Hint {
    enum class Kind { none, bid, trump, card };
    Kind kind = Kind::none;
    int value = 0;  // the bid, the trump card (13, 26, 39, 52, 53) or the hand slot
};

// What the own seat must decide now (its kind only; cheap): none when the
// table awaits nothing of it.
Hint::Kind awaitedDecision(const TableModel &m);

// What the own seat must decide now, and the Expert's choice for it; none
// when the table awaits nothing of it.
Hint tableHint(const TableModel &m, ai::Expert &expert);

} // namespace quillet
