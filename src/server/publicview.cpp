#include "server/publicview.h"

#include <algorithm>

namespace quillet {

ai::View publicView(const ServerState &s, int seat)
{
    ai::View v;
    if (!isSeat(seat))
        return v;
    v.seat = seat;
    v.type = s.gametype;
    v.round = s.round;
    v.numcards = s.numcards;
    v.dealer = s.lastbidder;
    v.trumpcard = s.trumpcard;
    v.hand = s.players[std::size_t(seat)].cards;
    // While bidding, the seats from the first bidder up to the one asked
    // have bid; afterwards all four have.
    const int first = isSeat(s.lastbidder) ? nextSeat(s.lastbidder) : 1;
    for (int n = 0, b = first; n < kSeats; ++n, b = nextSeat(b)) {
        if (s.bidder != 0 && b == s.bidder)
            break;
        v.hasBid[std::size_t(b)] = true;
        v.bids[std::size_t(b)] = s.players[std::size_t(b)].bid;
    }
    for (int b = 1; b <= kSeats; ++b) {
        v.tricks[std::size_t(b)] = s.players[std::size_t(b)].tricks;
        v.scores[std::size_t(b)] = s.players[std::size_t(b)].score;
    }
    // The finished tricks: the first bidder leads the first, each winner
    // the next, and play goes round in seat order.
    const int trumpsuit = suitOf(s.trumpcard);
    int leader = first;
    const int done = std::clamp(s.trickcount, 0, kHandSlots);
    for (int t = 0; t < done; ++t) {
        int best = 0, winner = leader;
        for (int n = 0, p = leader; n < kSeats; ++n, p = nextSeat(p)) {
            const int card = s.tricklog[std::size_t(kSeats * t + p - 1)];
            v.addPlay(p, card, t + 1);
            const int suit = suitOf(card);
            if (best == 0 || (suit == suitOf(best) ? card > best : suit == trumpsuit && trumpsuit != 0)) {
                best = card;
                winner = p;
            }
        }
        leader = winner;
    }
    // The open trick, from the seat that led it.
    if (s.cardsontable > 0 && s.cardsontable < kSeats && isSeat(s.turn)) {
        int p = s.turn;
        for (int n = 0; n < s.cardsontable; ++n)
            p = p == 1 ? kSeats : p - 1;
        for (int n = 0; n < s.cardsontable; ++n, p = nextSeat(p))
            v.addPlay(p, s.players[std::size_t(p)].played, done + 1);
    }
    return v;
}

} // namespace quillet
