#include "server/computerplayer.h"

#include "protocol/cards.h"
#include "server/handslots.h"

#include <algorithm>

namespace quillet {

namespace {

// The rules speak of "n mod 13", which is the rank except that the ace
// (rank 13) gives 0.

// The highest card among the slots of `among`, in slot order: an ace always
// takes the choice (so the last ace wins); another card only beats a non-ace
// choice of strictly lower rank (so among equals the first stays).
int highest(const HandSlots &h, std::uint32_t among)
{
    if (const std::uint32_t aces = among & h.aces())
        return lastSlotOf(aces);
    const auto rank = h.ranks();
    int slot = 0, best = -1;
    for (std::uint32_t m = among; m; m &= m - 1) {
        const int k = firstSlotOf(m);
        const int r = rank[std::size_t(k - 1)];
        if (r > best) {
            slot = k;
            best = r;
        }
    }
    return slot;
}

// The lowest card: a non-ace replaces an ace choice or a strictly higher
// rank, so an ace is led only from a hand of aces.
int lowest(const HandSlots &h, std::uint32_t among)
{
    const std::uint32_t plain = among & ~h.aces();
    if (plain == 0)
        return among ? firstSlotOf(among) : 0;
    const auto rank = h.ranks();
    int slot = 0, best = 14;
    for (std::uint32_t m = plain; m; m &= m - 1) {
        const int k = firstSlotOf(m);
        const int r = rank[std::size_t(k - 1)];
        if (r < best) {
            slot = k;
            best = r;
        }
    }
    return slot;
}

} // namespace

int computerBid(const ServerState &s, int n)
{
    if (!isSeat(n))
        return 0;
    const HandSlots h(s.players[std::size_t(n)].cards);
    const bool vale = s.gametype == GameType::vale;

    int others = 0;
    for (int seat = 1; seat <= kSeats; ++seat)
        others += s.players[std::size_t(seat)].bid;

    int est = slotCount(h.suit(s.trumpsuit));
    // With nothing bid yet a Vale bidder guesses from the hand size alone.
    if (vale && others == 0)
        est = s.numcards <= 5 ? 1 : s.numcards <= 9 ? 2 : 3;
    // Every ace, king and queen (n mod 13 of 0, 12 or 11); a trump of those
    // counts twice.
    est += slotCount(h.faces());

    est = std::max(std::min(est, s.numcards), 0);

    if (vale && n == s.lastbidder && others + est == s.numcards) {
        --est;
        if (est < 0)
            est = 1;
    }
    return est;
}

int computerTrump(const ServerState &s, int n)
{
    if (!isSeat(n))
        return 13;
    int strength[5] = {};
    for (int k = 1; k <= kHandSlots; ++k) {
        const int card = s.players[std::size_t(n)].cards[std::size_t(k)];
        if (!isCard(card))
            continue;
        const int r = rankOf(card);
        strength[suitOf(card)] += 1 + (r == 13 ? 3 : r == 12 ? 2 : r == 11 ? 1 : 0);
    }
    int best = 1;
    for (int t = 2; t <= 4; ++t)
        if (strength[t] > strength[best])
            best = t;
    return best * 13;
}

int computerCard(const ServerState &s, int n)
{
    if (!isSeat(n))
        return 0;
    const tplayer &p = s.players[std::size_t(n)];
    const HandSlots h(p.cards);
    if (h.held == 0)
        return 0;
    const bool hasBid = p.tricks == p.bid;
    const bool needs = p.bid > p.tricks;
    const int led = s.ledsuit;
    const int first = firstSlotOf(h.held);

    if (led != 0) {
        // The highest card of the led suit on the table; trumps and other
        // suits are ignored here.
        int top = 0;
        for (int seat = 1; seat <= kSeats; ++seat) {
            const int card = s.players[std::size_t(seat)].played;
            if (suitOf(card) == led && card > top)
                top = card;
        }
        const std::uint32_t follow = h.suit(led);
        if (hasBid) {
            if (const std::uint32_t under = follow & h.below(top))
                return firstSlotOf(under);
        } else if (needs) {
            if (const std::uint32_t over = follow & h.above(top))
                return firstSlotOf(over);
        }
        if (follow)
            return firstSlotOf(follow);
        if (needs) {
            if (const std::uint32_t ruff = h.suit(s.trumpsuit))
                return firstSlotOf(ruff);
        }
        if (hasBid) {
            if (const std::uint32_t discard = h.held & ~h.suit(s.trumpsuit))
                return highest(h, discard);
        }
        return first;
    }

    if (hasBid)
        return lowest(h, h.held);
    if (needs)
        return highest(h, h.held);
    return first;
}

} // namespace quillet
