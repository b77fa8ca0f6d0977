// Deals the cards a seat has not seen to the other seats, consistently with
// what it has seen: the hand sizes, the suits a seat has shown void in (a
// rule, so always true) and, for seats that have played like the Classic
// computer player so far, what that player's rules say it cannot hold and
// the bid and trump choice they would have made. A seat that has done
// anything the Classic rules would not is modelled by the voids alone.
#pragma once

#include "ai/cardset.h"
#include "ai/classic.h"
#include "ai/random.h"
#include "ai/view.h"

#include <array>

namespace quillet::ai {

// What the deal of one sample must respect, worked out once per decision.
struct Knowledge {
    int me = 0;
    CardSet pool = 0;                 // the unseen cards
    std::array<int, 5> size{};        // cards to give each other seat
    std::array<CardSet, 5> voidOut{}; // cards a seat cannot hold by the follow rule
    std::array<CardSet, 5> classicOut{};  // cards a Classic seat would not have kept
    std::array<bool, 5> classic{};    // has played like a Classic player so far
    std::array<CardSet, 5> playedBy{};    // this round
    // The Classic bid check: the bid and the numbers it was made with.
    std::array<bool, 5> checkBid{};
    std::array<int, 5> bidOthers{};
    std::array<bool, 5> bidLast{};
    int bidTrumpSuit = 0;  // the trump suit the bidders knew (0 in Vale)
    int chooser = 0;       // Vale: a Classic seat whose trump choice is checked
};

Knowledge learn(const View &v);

// One sampled layout: every seat's cards now (the own seat's as held).
struct Deal {
    std::array<CardSet, 5> hands{};
};

class Sampler {
public:
    Sampler(const View &v, const Knowledge &k);
    // The next deal. Constraints the sampler cannot meet (a seat that did not
    // play by the Classic rules in a way they do not show) are dropped in
    // turn: the Classic checks first, then the Classic exclusions, then, only
    // for a View that contradicts itself, the voids.
    Deal next(Random &rng);
    int level() const { return level_; }  // 3 all, 2 no bid/trump checks, 1 voids only, 0 sizes only

private:
    bool dealOnce(Random &rng, Deal &out) const;
    bool checks(const Deal &d) const;

    const View &v_;
    Knowledge k_;
    int level_ = 3;
};

// The hand as a Classic player's slot array, the cards in a random order.
classic::Hand shuffledHand(CardSet cards, Random &rng);
classic::Hand orderedHand(CardSet cards);

} // namespace quillet::ai
