// Bidding and the Vale trump choice.
#include "server/gameengine.h"

#include "protocol/cards.h"
#include "ai/handslots.h"

namespace quillet {

bool GameEngine::playAwaited(int n) const
{
    if (!awaited(Move::play, n))
        return false;
    return HandSlots(s_.players[std::size_t(n)].cards).held != 0;
}

void GameEngine::hisbid(int n, int bid)
{
    Entry entry(*this);
    // Only the seat asked may bid, and only a possible number of tricks.
    if (!awaited(Move::bid, n) || bid < 0 || bid > s_.numcards)
        return;

    tplayer &p = s_.players[n];
    p.bid = bid;
    s_.totalbids = 0;
    for (int seat = 1; seat <= kSeats; ++seat)
        s_.totalbids += s_.players[seat].bid;

    // Hook rule: the dealer may not make the bids add up to the cards dealt.
    if (s_.gametype == GameType::vale && n == s_.lastbidder && s_.totalbids == s_.numcards) {
        p.bid = 0;
        s_.totalbids -= bid;
        sendTo(n, toTable::NoBid{n, bid});
        return;
    }

    broadcast(toTable::HisBid{n, bid, s_.totalbids});

    const int next = nextSeat(n);
    if (next == s_.firstbidder) {
        allBidsIn();
        return;
    }
    s_.bidder = next;
    askBid();
}

void GameEngine::allBidsIn()
{
    s_.bidder = 0;
    if (s_.gametype == GameType::vale) {
        // The highest bid chooses; a tie goes to the lowest seat.
        int chooser = 1;
        for (int seat = 2; seat <= kSeats; ++seat)
            if (s_.players[seat].bid > s_.players[chooser].bid)
                chooser = seat;
        s_.chooser = chooser;
        broadcast(toTable::ChooseTrump{s_.chooser});
        if (s_.isComputer(s_.chooser))
            armComputertimer(2, s_.chooser);
        return;
    }
    startPlay();
}

// The seat after the dealer leads, whoever chose trump.
void GameEngine::startPlay()
{
    s_.turn = s_.firstbidder;
    s_.firstbidder = 0;
    broadcast(toTable::NextPlayer{true, s_.turn});
    if (s_.isComputer(s_.turn))
        armComputertimer(1, s_.turn);
}

void GameEngine::mychoose(int n, int card)
{
    Entry entry(*this);
    if (!awaited(Move::choose, n))
        return;
    // Only the four aces (a suit) and 53 (no trump) are choices; any other
    // number would be drawn as a card picture on every table.
    if (card != 13 && card != 26 && card != 39 && card != 52 && card != kNoTrumpCard)
        return;

    stopComputertimer();
    s_.chooser = 0;
    s_.trumpcard = card;
    s_.trumpsuit = suitOf(card);
    broadcast(toTable::Trump{s_.trumpcard});
    startPlay();
}

} // namespace quillet
