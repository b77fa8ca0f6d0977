#include "client/tablehint.h"

#include <algorithm>

namespace quillet {

ai::View tableView(const TableModel &m)
{
    ai::View v;
    v.seat = m.myseat();
    v.type = m.gameType().value_or(GameType::full);
    v.round = m.scoreround();
    v.numcards = m.cardsPerHand();
    v.dealer = m.lastBidder();
    v.trumpcard = m.trumpcard();
    v.hand = m.hand();
    // A bid or trick count no round can have is read as the nearest that can.
    for (int s = 1; s <= kSeats; ++s) {
        const auto i = std::size_t(s);
        v.hasBid[i] = m.hasBid(s);
        v.bids[i] = std::clamp(m.bid(s), 0, kHandSlots);
        v.tricks[i] = std::clamp(m.tricks(s), 0, kHandSlots);
        v.scores[i] = m.score(s);
    }
    for (const PlayedCard &p : m.history())
        v.addPlay(p.seat, p.card, p.trick);
    return v;
}

Hint::Kind awaitedDecision(const TableModel &m)
{
    const int me = m.myseat();
    if (!m.loggedin() || !isSeat(me) || m.watching(me))
        return Hint::Kind::none;
    if (m.bidder() == me)
        return Hint::Kind::bid;
    if (m.gameType() == GameType::vale && m.chooser() == me && m.trumpcard() == 0)
        return Hint::Kind::trump;
    return m.playableSlots().empty() ? Hint::Kind::none : Hint::Kind::card;
}

Hint tableHint(const TableModel &m, ai::Expert &expert)
{
    Hint h;
    h.kind = awaitedDecision(m);
    switch (h.kind) {
    case Hint::Kind::none:
        break;
    case Hint::Kind::bid:
        h.value = expert.bid(tableView(m));
        break;
    case Hint::Kind::trump:
        h.value = expert.trump(tableView(m));
        break;
    case Hint::Kind::card: {
        const std::vector<int> playable = m.playableSlots();
        h.value = expert.card(tableView(m));
        // A card the server refused this turn is not offered again.
        if (std::find(playable.begin(), playable.end(), h.value) == playable.end())
            h.value = playable.front();
        break;
    }
    }
    return h;
}

} // namespace quillet
