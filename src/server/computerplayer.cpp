#include "server/computerplayer.h"

#include "protocol/cards.h"

#include <algorithm>

namespace quillet {

namespace {

// The rules below speak of "n mod 13", which is the rank except that the
// ace (rank 13) gives 0.
bool isAce(int card) { return rankOf(card) == 13; }

int firstSlot(const tplayer &p, auto &&accept)
{
    for (int k = 1; k <= kHandSlots; ++k)
        if (isCard(p.cards[k]) && accept(p.cards[k]))
            return k;
    return 0;
}

// The highest card among those accepted, scanning in slot order: an ace
// always takes the choice (so the last ace wins); another card only beats a
// non-ace choice of strictly lower rank (so among equals the first stays).
int highestSlot(const tplayer &p, auto &&accept)
{
    int choice = 0;
    for (int k = 1; k <= kHandSlots; ++k) {
        const int card = p.cards[k];
        if (!isCard(card) || !accept(card))
            continue;
        if (choice == 0 || isAce(card)) {
            choice = k;
            continue;
        }
        const int current = p.cards[choice];
        if (!isAce(current) && rankOf(card) > rankOf(current))
            choice = k;
    }
    return choice;
}

// The lowest card: a non-ace replaces an ace choice or a strictly higher
// rank, so an ace is led only from a hand of aces.
int lowestSlot(const tplayer &p)
{
    int choice = 0;
    for (int k = 1; k <= kHandSlots; ++k) {
        const int card = p.cards[k];
        if (!isCard(card))
            continue;
        if (choice == 0) {
            choice = k;
            continue;
        }
        const int current = p.cards[choice];
        if (!isAce(card) && (isAce(current) || rankOf(card) < rankOf(current)))
            choice = k;
    }
    return choice;
}

} // namespace

int computerBid(const ServerState &s, int n)
{
    if (!isSeat(n))
        return 0;
    const tplayer &p = s.players[n];
    const bool vale = s.gametype == GameType::vale;

    int others = 0;
    for (int seat = 1; seat <= kSeats; ++seat)
        others += s.players[seat].bid;

    int est = 0;
    for (int k = 1; k <= kHandSlots; ++k)
        if (isCard(p.cards[k]) && suitOf(p.cards[k]) == s.trumpsuit)
            ++est;

    // With nothing bid yet a Vale bidder guesses from the hand size alone.
    if (vale && others == 0)
        est = s.numcards <= 5 ? 1 : s.numcards <= 9 ? 2 : 3;

    for (int k = 1; k <= kHandSlots; ++k) {
        const int card = p.cards[k];
        if (isCard(card) && (card % 13 == 0 || card % 13 == 12 || card % 13 == 11))
            ++est;
    }

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
        const int card = s.players[n].cards[k];
        if (!isCard(card))
            continue;
        const int rank = rankOf(card);
        strength[suitOf(card)] += 1 + (rank == 13 ? 3 : rank == 12 ? 2 : rank == 11 ? 1 : 0);
    }
    int suit = 1;
    for (int t = 2; t <= 4; ++t)
        if (strength[t] > strength[suit])
            suit = t;
    return suit * 13;
}

int computerCard(const ServerState &s, int n)
{
    if (!isSeat(n))
        return 0;
    const tplayer &p = s.players[n];
    const bool hasBid = p.tricks == p.bid;
    const bool needs = p.bid > p.tricks;
    const int led = s.ledsuit;
    const int trump = s.trumpsuit;

    if (led != 0) {
        int top = 0;
        for (int seat = 1; seat <= kSeats; ++seat) {
            const int card = s.players[seat].played;
            if (suitOf(card) == led && card > top)
                top = card;
        }
        int k = 0;
        if (hasBid)
            k = firstSlot(p, [&](int c) { return suitOf(c) == led && c < top; });
        else if (needs)
            k = firstSlot(p, [&](int c) { return suitOf(c) == led && c > top; });
        if (!k)
            k = firstSlot(p, [&](int c) { return suitOf(c) == led; });
        if (!k && needs)
            k = firstSlot(p, [&](int c) { return suitOf(c) == trump; });
        if (!k && hasBid)
            k = highestSlot(p, [&](int c) { return suitOf(c) != trump; });
        if (k)
            return k;
    } else {
        if (hasBid)
            return lowestSlot(p);
        if (needs)
            return highestSlot(p, [](int) { return true; });
    }
    return firstSlot(p, [](int) { return true; });
}

} // namespace quillet
