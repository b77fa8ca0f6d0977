#include "ai/expert.h"

#include "ai/rollout.h"
#include "ai/sampler.h"

#include <algorithm>
#include <array>

namespace quillet::ai {

namespace {

// The round as the deal stands before the first bid.
Table freshTable(const View &v, const Deal &d, Random &rng)
{
    Table t;
    for (int s = 1; s <= kSeats; ++s) {
        const auto i = std::size_t(s);
        t.cards[i] = d.hands[i];
        t.classicSeat[i] = s != v.seat;
        if (t.classicSeat[i])
            t.slotHands[i] = shuffledHand(d.hands[i], rng);
        t.bids[i] = v.bids[i];
    }
    t.tricksLeft = v.numcards;
    t.turn = v.firstBidder();
    return t;
}

// The deal at the current point of play: the open trick on the table.
Table tableNow(const View &v, const Deal &d, Random &rng)
{
    Table t = freshTable(v, d, rng);
    t.trumpsuit = v.trumpSuit();
    for (int s = 1; s <= kSeats; ++s)
        t.tricks[std::size_t(s)] = v.tricks[std::size_t(s)];
    t.tricksLeft = v.numcards - v.completedTricks();
    const int start = v.trickStart();
    t.turn = start < v.playCount ? v.plays[std::size_t(start)].seat : v.seat;
    for (int i = start; i < v.playCount; ++i) {
        // The cards on the table are in no hand any more: play() only lays them.
        t.turn = v.plays[std::size_t(i)].seat;
        t.play(v.plays[std::size_t(i)].card);
    }
    t.turn = v.seat;
    return t;
}

double utility(const Table &t, int me, double othersWeight)
{
    double others = 0;
    for (int s = 1; s <= kSeats; ++s)
        if (s != me)
            others += t.score(s);
    return t.score(me) - othersWeight * others / 3.0;
}

// The rest of the bidding by the Classic rules, then in Vale the trump
// choice of the highest bidder.
void finishBidding(Table &t, const View &v, int myBid)
{
    const int me = v.seat;
    t.bids[std::size_t(me)] = myBid;
    int others = 0;
    bool after = false;
    const int trumpsuit = v.type == GameType::vale ? 0 : v.trumpSuit();
    for (int n = 0, s = v.firstBidder(); n < kSeats; ++n, s = nextSeat(s)) {
        const auto i = std::size_t(s);
        if (s == me) {
            after = true;
        } else if (after || !v.hasBid[i]) {
            t.bids[i] = classic::bid(t.slotHands[i], v.type, v.numcards, trumpsuit, others, s == v.dealer);
        }
        others += t.bids[i];
    }
    if (v.type == GameType::vale) {
        int chooser = 1;
        for (int s = 2; s <= kSeats; ++s)
            if (t.bids[std::size_t(s)] > t.bids[std::size_t(chooser)])
                chooser = s;
        t.trumpsuit = chooser == me ? suitOf(classic::trump(orderedHand(t.cards[std::size_t(me)])))
                                    : suitOf(classic::trump(t.slotHands[std::size_t(chooser)]));
    } else {
        t.trumpsuit = trumpsuit;
    }
}

// Own cards that play alike: neighbours in a suit with no unplayed card of
// another seat between them. Only the lowest of each run is tried.
std::uint32_t distinctSlots(const View &v, std::uint32_t slots)
{
    const CardSet mine = v.ownCards();
    const CardSet gone = v.playedCards();
    std::uint32_t keep = 0;
    for (std::uint32_t m = slots; m; m &= m - 1) {
        const int k = __builtin_ctz(m) + 1;
        const int card = v.hand[std::size_t(k)];
        // Kept unless the next lower card still out of play is our own and legal too.
        bool covered = false;
        for (int c = card - 1; c >= 1 && suitOf(c) == suitOf(card); --c) {
            if (has(gone, c))
                continue;
            if (has(mine, c)) {
                for (std::uint32_t n = slots; n; n &= n - 1)
                    if (v.hand[std::size_t(__builtin_ctz(n) + 1)] == c)
                        covered = true;
            }
            break;
        }
        if (!covered)
            keep |= 1u << (k - 1);
    }
    return keep;
}

} // namespace

// Plays every candidate (bit i of `candidates`) out on `deals` deals of the
// unseen cards, all candidates on the same deals, and returns the one with
// the best total: `start` lays a deal's table, `apply` makes candidate i.
template <class Start, class Apply>
int Expert::best(const View &v, std::uint32_t candidates, int deals, Start &&start, Apply &&apply)
{
    const Knowledge k = learn(v);
    Sampler sampler(v, k, rng_);
    std::array<double, 32> total{};
    for (int n = 0; n < deals; ++n) {
        const Table base = start(sampler.next(rng_));
        for (std::uint32_t m = candidates; m; m &= m - 1) {
            const int i = __builtin_ctz(m);
            Table t = base;
            apply(t, i);
            t.finish();
            total[std::size_t(i)] += utility(t, v.seat, options_.othersWeight);
        }
    }
    int chosen = -1;
    for (std::uint32_t m = candidates; m; m &= m - 1) {
        const int i = __builtin_ctz(m);
        if (chosen < 0 || total[std::size_t(i)] > total[std::size_t(chosen)])
            chosen = i;
    }
    return chosen;
}

int Expert::bid(const View &v)
{
    const unsigned legal = legalBids(v);
    if (legal == 0)
        return 0;
    if ((legal & (legal - 1)) == 0)
        return __builtin_ctz(legal);
    return best(
        v, legal, options_.bidDeals, [&](const Deal &d) { return freshTable(v, d, rng_); },
        [&](Table &t, int b) { finishBidding(t, v, b); });
}

int Expert::trump(const View &v)
{
    const int choice = best(
        v, 0x1F, options_.trumpDeals, [&](const Deal &d) { return freshTable(v, d, rng_); },
        [&](Table &t, int c) { t.trumpsuit = suitOf(kTrumpChoices[c]); });
    return kTrumpChoices[choice];
}

int Expert::card(const View &v)
{
    const std::uint32_t legal = legalSlots(v);
    if (legal == 0)
        return 0;
    const std::uint32_t tried = distinctSlots(v, legal);
    if ((tried & (tried - 1)) == 0)
        return __builtin_ctz(tried) + 1;
    return 1 + best(
                   v, tried, options_.cardDeals, [&](const Deal &d) { return tableNow(v, d, rng_); },
                   [&](Table &t, int i) { t.play(v.hand[std::size_t(i + 1)]); });
}

} // namespace quillet::ai
