// What a computer seat may know, taken from the server's state: its own
// hand and what every table has been shown. Nothing of another seat's hand.
#pragma once

#include "ai/view.h"
#include "server/serverstate.h"

namespace quillet {

ai::View publicView(const ServerState &s, int seat);

} // namespace quillet
