// Bidding and the Vale trump choice.
#include "server/gameengine.h"

#include "protocol/cards.h"
#include "protocol/commands.h"
#include "protocol/message.h"

namespace quillet {

void GameEngine::hisbid(std::string_view fields)
{
    Entry entry(*this);
    FieldReader r(fields);
    int n = 0, bid = 0;
    if (!r.nextInt(n) || !parseNumber(r.rest(), bid))
        return;
    // Only the seat asked may bid, and only a possible number of tricks.
    if (!s_.gameon || !isSeat(n) || n != s_.bidder || bid < 0 || bid > s_.numcards)
        return;

    tplayer &p = s_.players[n];
    p.bid = bid;
    s_.totalbids = 0;
    for (int seat = 1; seat <= kSeats; ++seat)
        s_.totalbids += s_.players[seat].bid;

    // Hook rule: the dealer may not make the bids add up to the cards dealt.
    if (s_.gametype == "m" && n == s_.lastbidder && s_.totalbids == s_.numcards) {
        p.bid = 0;
        s_.totalbids -= bid;
        if (p.connected)
            sendTo(n, makeMessage(cmd::nobid, n, bid, trailing));
        return;
    }

    broadcast(makeMessage(cmd::hisbid, n, bid, s_.totalbids));

    const int next = nextSeat(n);
    if (next == s_.firstbidder) {
        allBidsIn();
        return;
    }
    s_.bidder = next;
    broadcast(makeMessage(cmd::bid, s_.bidder, s_.numcards, s_.firstbidder, s_.totalbids,
                          s_.lastbidder, trailing));
    if (s_.isComputer(s_.bidder))
        cbid(s_.bidder);
}

void GameEngine::allBidsIn()
{
    s_.bidder = 0;
    if (s_.gametype == "m") {
        // The highest bid chooses; a tie goes to the lowest seat.
        int chooser = 1;
        for (int seat = 2; seat <= kSeats; ++seat)
            if (s_.players[seat].bid > s_.players[chooser].bid)
                chooser = seat;
        s_.chooser = chooser;
        broadcast(makeMessage(cmd::choosetrump, s_.chooser, trailing));
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
    broadcast(makeMessage(cmd::nextplayer, "c", s_.turn));
    if (s_.isComputer(s_.turn))
        armComputertimer(1, s_.turn);
}

void GameEngine::mychoose(std::string_view fields)
{
    Entry entry(*this);
    FieldReader r(fields);
    int n = 0, card = 0;
    if (!r.nextInt(n) || !r.nextInt(card))
        return;
    if (!s_.gameon || !isSeat(n) || s_.chooser == 0 || n != s_.chooser)
        return;
    // Only the four aces (a suit) and 53 (no trump) are choices; any other
    // number would be drawn as a card picture on every table.
    if (card != 13 && card != 26 && card != 39 && card != 52 && card != kNoTrumpCard)
        return;

    stopComputertimer();
    s_.chooser = 0;
    s_.trumpcard = card;
    s_.trumpsuit = suitOf(card);
    broadcast(makeMessage(cmd::trump, s_.trumpcard));
    startPlay();
}

} // namespace quillet
