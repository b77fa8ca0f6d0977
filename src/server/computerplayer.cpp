#include "server/computerplayer.h"

#include "ai/classic.h"
#include "protocol/cards.h"

namespace quillet {

int computerBid(const ServerState &s, int n)
{
    if (!isSeat(n))
        return 0;
    int others = 0;
    for (int seat = 1; seat <= kSeats; ++seat)
        others += s.players[std::size_t(seat)].bid;
    return classic::bid(s.players[std::size_t(n)].cards, s.gametype, s.numcards, s.trumpsuit, others,
                        n == s.lastbidder);
}

int computerTrump(const ServerState &s, int n)
{
    return isSeat(n) ? classic::trump(s.players[std::size_t(n)].cards) : 13;
}

int computerCard(const ServerState &s, int n)
{
    if (!isSeat(n))
        return 0;
    const tplayer &p = s.players[std::size_t(n)];
    // The highest card of the led suit on the table; trumps and other suits
    // are ignored here. The led suit's cards are lo+1..lo+13, so starting
    // from lo one comparison a side finds it.
    auto top = [&s] {
        if (s.ledsuit < 1 || s.ledsuit > 4)
            return 0;
        const int lo = 13 * (s.ledsuit - 1);
        int best = lo;
        for (int seat = 1; seat <= kSeats; ++seat) {
            const int card = s.players[std::size_t(seat)].played;
            if (card > best && card <= lo + 13)
                best = card;
        }
        return best == lo ? 0 : best;
    };
    return classic::card(p.cards, p.bid, p.tricks, s.ledsuit, s.trumpsuit, top);
}

} // namespace quillet
