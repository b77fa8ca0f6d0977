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

// Deals are drawn by a walk over the layouts that fit: a first one is dealt
// at random (and repaired, card swap by card swap, until the Classic checks
// hold), then each next deal is the last one after many random swaps of two
// cards between holders, a swap being kept only when both hands still fit.
// Every fitting layout is then as likely as any other, and a deal costs a
// few hundred swaps instead of many redeals.
class Sampler {
public:
    Sampler(const View &v, const Knowledge &k, Random &rng);
    Deal next(Random &rng);
    // What the deals respect: 3 everything, 2 not the Classic bid and trump
    // checks, 1 the voids only, 0 the hand sizes only. A constraint that
    // cannot be met (a seat that did not play by the Classic rules in a way
    // they do not show) is dropped in that order.
    int level() const { return level_; }

private:
    struct Swap {
        int a = 0, b = 0, ha = 0, hb = 0;
        CardSet na = 0, nb = 0;
    };
    bool dealOnce(Random &rng);
    bool propose(Random &rng, Swap &w) const;
    void take(const Swap &w);
    bool repair(Random &rng);
    void walk(Random &rng, int steps);
    // How far a holder's hand is from what its seat showed; 0 when it fits.
    int misfit(int holder, CardSet hand) const;
    Deal current() const;

    const View &v_;
    Knowledge k_;
    int level_ = 3;
    std::array<CardSet, 5> forbid_{};  // by holder; 0 is the cards nobody holds
    std::array<int, 5> size_{};
    std::array<CardSet, 5> hands_{};
    std::array<std::uint8_t, 52> cards_{};
    std::array<std::uint8_t, 53> holder_{};
    int n_ = 0;
};

// The hand as a Classic player's slot array, the cards in a random order.
classic::Hand shuffledHand(CardSet cards, Random &rng);
classic::Hand orderedHand(CardSet cards);

} // namespace quillet::ai
