// What one seat may know of a round: its own hand, the game, the bids, the
// cards played so far and by whom, tricks and scores. Nothing of another
// seat's hand is in it; the Expert decides from a View alone.
#pragma once

#include "ai/cardset.h"
#include "protocol/cards.h"

#include <array>

namespace quillet::ai {

struct SeenCard {
    int seat = 0;
    int card = 0;
    int trick = 0;  // 1 for the round's first trick
    bool operator==(const SeenCard &) const = default;
};

struct View {
    int seat = 0;  // who decides, 1..4
    GameType type = GameType::full;
    int round = 0;
    int numcards = 0;   // cards per hand this round
    int dealer = 0;     // bids last; the seat after him bids and leads first
    int trumpcard = 0;  // 1..52, 53 no trump, 0 not known yet (Vale bidding)
    std::array<int, 14> hand{};    // own hand by slot 1..13, 0 = empty
    std::array<int, 5> bids{};     // by seat; meaningful where hasBid
    std::array<bool, 5> hasBid{};
    std::array<int, 5> tricks{};   // taken this round
    std::array<int, 5> scores{};   // game totals before this round's score
    std::array<SeenCard, 52> plays{};  // this round, in play order
    int playCount = 0;

    // Appends a play; one that names no seat or card, or comes beyond 52
    // (a table that missed a round start), is dropped.
    void addPlay(int seat, int card, int trick);

    int trumpSuit() const { return suitOf(trumpcard); }
    int firstBidder() const { return isSeat(dealer) ? nextSeat(dealer) : 1; }
    int completedTricks() const;
    // The open trick: its first play's index in `plays` and how many cards
    // lie on the table (0 when leading).
    int trickStart() const;
    int onTable() const { return playCount - trickStart(); }
    int leader() const;   // of the open trick; the seat to lead when none is on the table is turn()
    int ledSuit() const;
    int turn() const;     // the seat to play now
    CardSet ownCards() const;
    CardSet playedCards() const;
    // Cards no one has shown: not in the own hand, not played, not the
    // turned trump card.
    CardSet unseen() const;
    // Cards still in the hand of `seat` (the own seat: the hand as held).
    int handSize(int seat) const;
    // Seats known to hold no card of a suit: bit s of voids(seat).
    unsigned voidSuits(int seat) const;
    // The bids made so far, in bidding order, and their sum.
    int bidsSoFar() const;
    bool operator==(const View &) const = default;
};

// The legal moves of the own seat.
// Bids 0..numcards, the Vale dealer's bid that makes the total equal the
// cards per hand left out; bit b of the result.
unsigned legalBids(const View &v);
// Hand slots that may be played now (follow suit): bit k-1 for slot k.
std::uint32_t legalSlots(const View &v);
inline constexpr int kTrumpChoices[5] = {13, 26, 39, 52, kNoTrumpCard};

} // namespace quillet::ai
