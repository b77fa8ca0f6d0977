// Playing a sampled deal out to the end of the round: the seats modelled as
// Classic players by the Classic rules on their slot arrays, the deciding
// seat by a simple player that tries to take exactly its bid.
#pragma once

#include "ai/cardset.h"
#include "ai/classic.h"

#include <array>

namespace quillet::ai {

struct Table {
    std::array<CardSet, 5> cards{};         // every seat's cards
    std::array<classic::Hand, 5> slotHands{};   // the Classic seats' hands in slot order
    std::array<bool, 5> classicSeat{};
    std::array<int, 5> bids{};
    std::array<int, 5> tricks{};
    int trumpsuit = 0;
    int led = 0;       // 0 while leading
    int top = 0;       // highest card of the led suit on the table
    int best = 0;      // the card that wins the trick so far
    int winner = 0;
    int turn = 0;
    int onTable = 0;
    int tricksLeft = 0;  // the open trick included

    // Plays `card` for the seat whose turn it is.
    void play(int card);
    // The card the seat to play would choose.
    int choice() const;
    // Plays every remaining card.
    void finish();
    int score(int seat) const;
};

// The simple bid-minded player: wins cheaply while it needs tricks, sheds
// high cards under the winner once it has its bid.
int simpleCard(const Table &t, int seat);

} // namespace quillet::ai
