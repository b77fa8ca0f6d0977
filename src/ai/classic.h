// The Classic computer player's three rules over plain values: a hand by
// slot and the few numbers of the table each rule reads. The server's
// computer seats use them on their real hands; the Expert uses them to play
// out sampled deals for the seats it models as Classic. Inline, because the
// engine runs them on every computer move.
#pragma once

#include "ai/handslots.h"
#include "protocol/cards.h"

#include <algorithm>
#include <array>

namespace quillet::classic {

using Hand = std::array<int, 14>;  // hand slots 1..13, index 0 unused, 0 = empty

// The rules speak of "n mod 13", which is the rank except that the ace
// (rank 13) gives 0.

// The highest card among the slots of `among`, in slot order: an ace always
// takes the choice (so the last ace wins); another card only beats a non-ace
// choice of strictly lower rank (so among equals the first stays).
inline int highest(const HandSlots &h, std::uint32_t among)
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
inline int lowest(const HandSlots &h, std::uint32_t among)
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

// The bid from the hand's number of trumps and of aces, kings and queens
// (n mod 13 of 0, 12 or 11). `others` is the sum of the bids made so far
// this round; `last` says the seat bids last (the dealer), where the Vale
// hook rule binds.
inline int bidFromCounts(int trumps, int faces, GameType type, int numcards, int others, bool last)
{
    const bool vale = type == GameType::vale;
    int est = trumps;
    // With nothing bid yet a Vale bidder guesses from the hand size alone.
    if (vale && others == 0)
        est = numcards <= 5 ? 1 : numcards <= 9 ? 2 : 3;
    // A trump honour counts twice.
    est += faces;

    est = std::max(std::min(est, numcards), 0);

    if (vale && last && others + est == numcards) {
        --est;
        if (est < 0)
            est = 1;
    }
    return est;
}

inline int bid(const Hand &cards, GameType type, int numcards, int trumpsuit, int others, bool last)
{
    const HandSlots h(cards);
    return bidFromCounts(slotCount(h.suit(trumpsuit)), slotCount(h.faces()), type, numcards, others, last);
}

// The strength of each suit 1..4 that the trump choice compares: one for
// every card, three more for the ace, two for the king, one for the queen.
inline int trumpFromStrengths(const int (&strength)[5])
{
    int best = 1;
    for (int t = 2; t <= 4; ++t)
        if (strength[t] > strength[best])
            best = t;
    return best * 13;
}

// The trump choice: the rank-13 card of the strongest suit (13, 26, 39 or
// 52); never no trump.
inline int trump(const Hand &cards)
{
    int strength[5] = {};
    for (int k = 1; k <= kHandSlots; ++k) {
        const int card = cards[std::size_t(k)];
        if (!isCard(card))
            continue;
        const int r = rankOf(card);
        strength[suitOf(card)] += 1 + (r == 13 ? 3 : r == 12 ? 2 : r == 11 ? 1 : 0);
    }
    return trumpFromStrengths(strength);
}

// The hand slot to play, 0 for an empty hand. `top()` gives the highest
// card of the led suit on the table; it is asked only when following.
template <class Top>
inline int card(const Hand &cards, int bid, int tricks, int led, int trumpsuit, Top &&top)
{
    const HandSlots h(cards);
    if (h.held == 0)
        return 0;
    const bool hasBid = tricks == bid;
    const bool needs = bid > tricks;
    const int first = firstSlotOf(h.held);

    if (led != 0) {
        const std::uint32_t follow = h.suit(led);
        if (hasBid) {
            if (const std::uint32_t under = follow & h.below(top()))
                return firstSlotOf(under);
        } else if (needs) {
            if (const std::uint32_t over = follow & h.above(top()))
                return firstSlotOf(over);
        }
        if (follow)
            return firstSlotOf(follow);
        if (needs) {
            if (const std::uint32_t ruff = h.suit(trumpsuit))
                return firstSlotOf(ruff);
        }
        if (hasBid) {
            if (const std::uint32_t discard = h.held & ~h.suit(trumpsuit))
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

} // namespace quillet::classic
