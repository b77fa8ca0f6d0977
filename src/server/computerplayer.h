// The computer players' three decisions, each a fixed rule over the seat's
// own hand and the table. They keep no memory between moves; the engine
// carries each decision out through the same handlers as a human's message.
#pragma once

#include "server/serverstate.h"

namespace quillet {

// The bid for seat n (never refused by the hook rule).
int computerBid(const ServerState &s, int n);

// The trump choice for seat n: the rank-13 card of the strongest suit
// (13, 26, 39 or 52); never no trump.
int computerTrump(const ServerState &s, int n);

// The hand slot (1..13) seat n plays, or 0 when the hand is empty.
int computerCard(const ServerState &s, int n);

} // namespace quillet
