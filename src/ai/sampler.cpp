#include "ai/sampler.h"

#include <algorithm>

namespace quillet::ai {

namespace {

// What a Classic player's card says about the cards it did not hold at that
// moment. `top` is the highest card of the led suit on the table.
CardSet classicExclusion(int card, int led, int top, int trumpsuit, int bid, int tricks)
{
    const bool hasBid = tricks == bid;
    const bool needs = bid > tricks;
    const int r = rankOf(card);
    const CardSet trumps = suitSet(trumpsuit);
    if (led != 0) {
        const CardSet follow = suitSet(led);
        if (suitOf(card) == led) {
            // The first rule would have played under (or over) the top.
            if (hasBid && card > top)
                return follow & below(top);
            if (needs && card < top)
                return follow & above(top);
            return 0;
        }
        if (needs)
            return suitOf(card) == trumpsuit ? 0 : trumps;  // it would have ruffed
        if (hasBid) {
            if (trumpsuit != 0 && suitOf(card) == trumpsuit)
                return kAllCards & ~trumps;  // it only had trumps left
            // Its highest discard: no ace, nothing of a higher rank.
            return r == 13 ? 0 : (kAces | rankAbove(r)) & ~trumps;
        }
        return 0;
    }
    if (hasBid)  // led its lowest card; an ace only from a hand of aces
        return r == 13 ? kAllCards & ~kAces : rankBelow(r) & ~kAces;
    if (needs)   // led its highest card
        return r == 13 ? 0 : kAces | rankAbove(r);
    return 0;
}

// The winner's card so far of a trick: a trump beats the led suit.
bool beats(int card, int best, int trumpsuit)
{
    if (best == 0)
        return true;
    const int s = suitOf(card), b = suitOf(best);
    if (s == b)
        return card > best;
    return trumpsuit != 0 && s == trumpsuit;
}

} // namespace

Knowledge learn(const View &v)
{
    Knowledge k;
    k.me = v.seat;
    k.pool = v.unseen();
    int dealt = 0;
    for (int s = 1; s <= kSeats; ++s) {
        if (s == v.seat)
            continue;
        k.size[std::size_t(s)] = v.handSize(s);
        dealt += k.size[std::size_t(s)];
        for (int suit = 1; suit <= 4; ++suit)
            if (v.voidSuits(s) & (1u << suit))
                k.voidOut[std::size_t(s)] |= suitSet(suit);
        k.classic[std::size_t(s)] = true;
    }
    // A table that missed part of the round sees fewer cards than the seats
    // hold; it deals what it can.
    while (dealt > count(k.pool)) {
        int most = 0;
        for (int s = 1; s <= kSeats; ++s)
            if (k.size[std::size_t(s)] > k.size[std::size_t(most)])
                most = s;
        --k.size[std::size_t(most)];
        --dealt;
    }
    for (int i = 0; i < v.playCount; ++i)
        k.playedBy[std::size_t(v.plays[std::size_t(i)].seat)] |= cardBit(v.plays[std::size_t(i)].card);

    // The Classic reading needs the whole round from its first card.
    const int open = v.onTable();
    const bool whole = v.playCount == kSeats * v.completedTricks() + open &&
                       (v.playCount == 0 || v.plays[0].trick == 1);
    if (!whole) {
        k.classic.fill(false);
        return k;
    }

    const int trumpsuit = v.trumpSuit();
    std::array<int, 5> tricks{};
    std::array<CardSet, 52> excluded{};
    int led = 0, top = 0, best = 0, winner = 0, inTrick = 0;
    for (int i = 0; i < v.playCount; ++i) {
        const SeenCard &p = v.plays[std::size_t(i)];
        if (!isSeat(p.seat))
            continue;
        if (p.seat != v.seat)
            excluded[std::size_t(i)] = classicExclusion(p.card, led, top, trumpsuit, v.bids[std::size_t(p.seat)],
                                                        tricks[std::size_t(p.seat)]);
        if (inTrick == 0)
            led = suitOf(p.card);
        if (suitOf(p.card) == led && p.card > top)
            top = p.card;
        if (beats(p.card, best, trumpsuit)) {
            best = p.card;
            winner = p.seat;
        }
        if (++inTrick == kSeats) {
            ++tricks[std::size_t(winner)];
            led = top = best = winner = inTrick = 0;
        }
    }
    // A seat that later played a card its rules said it did not hold is no
    // Classic player.
    std::array<CardSet, 5> later{};
    for (int i = v.playCount - 1; i >= 0; --i) {
        const SeenCard &p = v.plays[std::size_t(i)];
        if (!isSeat(p.seat) || p.seat == v.seat)
            continue;
        const auto s = std::size_t(p.seat);
        if (excluded[std::size_t(i)] & later[s])
            k.classic[s] = false;
        k.classicOut[s] |= excluded[std::size_t(i)];
        later[s] |= cardBit(p.card);
    }

    // The bids, as a Classic player would have made them.
    k.bidTrumpSuit = v.type == GameType::vale ? 0 : trumpsuit;
    int others = 0;
    for (int n = 0, s = v.firstBidder(); n < kSeats; ++n, s = nextSeat(s)) {
        if (!v.hasBid[std::size_t(s)])
            break;
        if (s != v.seat && k.classic[std::size_t(s)]) {
            k.checkBid[std::size_t(s)] = true;
            k.bidOthers[std::size_t(s)] = others;
            k.bidLast[std::size_t(s)] = s == v.dealer;
        }
        others += v.bids[std::size_t(s)];
    }
    if (v.type == GameType::vale && (isCard(v.trumpcard) || v.trumpcard == kNoTrumpCard)) {
        int chooser = 1;
        for (int s = 2; s <= kSeats; ++s)
            if (v.bids[std::size_t(s)] > v.bids[std::size_t(chooser)])
                chooser = s;
        if (chooser != v.seat) {
            if (v.trumpcard == kNoTrumpCard)
                k.classic[std::size_t(chooser)] = false;  // Classic never chooses no trump
            else if (k.classic[std::size_t(chooser)])
                k.chooser = chooser;
        }
    }
    for (int s = 1; s <= kSeats; ++s)
        if (!k.classic[std::size_t(s)]) {
            k.classicOut[std::size_t(s)] = 0;
            k.checkBid[std::size_t(s)] = false;
        }
    return k;
}

classic::Hand orderedHand(CardSet cards)
{
    classic::Hand h{};
    int k = 1;
    for (CardSet m = cards; m && k <= kHandSlots; m &= m - 1)
        h[std::size_t(k++)] = lowestCard(m);
    return h;
}

classic::Hand shuffledHand(CardSet cards, Random &rng)
{
    classic::Hand h = orderedHand(cards);
    const int n = std::min(count(cards), kHandSlots);
    for (int i = n; i > 1; --i)
        std::swap(h[std::size_t(i)], h[std::size_t(1 + rng.below(i))]);
    return h;
}

Sampler::Sampler(const View &v, const Knowledge &k) : v_(v), k_(k) {}

bool Sampler::dealOnce(Random &rng, Deal &out) const
{
    // Holders: the other seats, and 0 for the cards nobody holds (the rest
    // of the deck in a Full or Half game).
    std::array<int, 5> cap{};
    std::array<CardSet, 5> out_{};
    int dealt = 0;
    for (int s = 1; s <= kSeats; ++s) {
        if (s == k_.me)
            continue;
        cap[std::size_t(s)] = k_.size[std::size_t(s)];
        dealt += cap[std::size_t(s)];
        if (level_ >= 1)
            out_[std::size_t(s)] |= k_.voidOut[std::size_t(s)];
        if (level_ >= 2 && k_.classic[std::size_t(s)])
            out_[std::size_t(s)] |= k_.classicOut[std::size_t(s)];
    }
    cap[0] = count(k_.pool) - dealt;

    // The most constrained cards first; at random within a class.
    std::array<std::uint8_t, 52> cards;
    std::array<std::uint8_t, 52> allowed;
    int n = 0;
    for (CardSet m = k_.pool; m; m &= m - 1) {
        const int c = lowestCard(m);
        unsigned a = 0;
        for (int h = 0; h <= kSeats; ++h)
            if (cap[std::size_t(h)] > 0 && !has(out_[std::size_t(h)], c))
                a |= 1u << h;
        if (a == 0)
            return false;
        cards[std::size_t(n)] = std::uint8_t(c);
        allowed[std::size_t(n)] = std::uint8_t(a);
        ++n;
    }
    for (int i = n; i > 1; --i) {
        const int j = rng.below(i);
        std::swap(cards[std::size_t(i - 1)], cards[std::size_t(j)]);
        std::swap(allowed[std::size_t(i - 1)], allowed[std::size_t(j)]);
    }
    std::array<std::uint8_t, 52> order;
    int o = 0;
    for (int want = 1; want <= 5; ++want)
        for (int i = 0; i < n; ++i)
            if (__builtin_popcount(allowed[std::size_t(i)]) == want)
                order[std::size_t(o++)] = std::uint8_t(i);

    Deal d;
    for (int j = 0; j < n; ++j) {
        const int i = order[std::size_t(j)];
        int total = 0;
        for (unsigned a = allowed[std::size_t(i)]; a; a &= a - 1)
            total += cap[std::size_t(__builtin_ctz(a))];
        if (total == 0)
            return false;
        int pick = rng.below(total);
        int h = 0;
        for (unsigned a = allowed[std::size_t(i)]; a; a &= a - 1) {
            h = __builtin_ctz(a);
            pick -= cap[std::size_t(h)];
            if (pick < 0)
                break;
        }
        --cap[std::size_t(h)];
        if (h != 0)
            d.hands[std::size_t(h)] |= cardBit(cards[std::size_t(i)]);
    }
    d.hands[std::size_t(k_.me)] = v_.ownCards();
    out = d;
    return true;
}

bool Sampler::checks(const Deal &d) const
{
    for (int s = 1; s <= kSeats; ++s) {
        const auto i = std::size_t(s);
        if (!k_.checkBid[i])
            continue;
        const classic::Hand h = orderedHand(d.hands[i] | k_.playedBy[i]);
        if (classic::bid(h, v_.type, v_.numcards, k_.bidTrumpSuit, k_.bidOthers[i], k_.bidLast[i]) != v_.bids[i])
            return false;
    }
    if (k_.chooser) {
        const auto i = std::size_t(k_.chooser);
        if (classic::trump(orderedHand(d.hands[i] | k_.playedBy[i])) != v_.trumpcard)
            return false;
    }
    return true;
}

Deal Sampler::next(Random &rng)
{
    // Tries before a level is given up for the rest of the decision.
    constexpr int kDealTries = 24;
    constexpr int kCheckTries = 600;
    Deal d;
    for (;;) {
        int dealFails = 0, checkFails = 0;
        while (dealFails < kDealTries && checkFails < kCheckTries) {
            if (!dealOnce(rng, d)) {
                ++dealFails;
                continue;
            }
            if (level_ < 3 || checks(d))
                return d;
            ++checkFails;
        }
        if (level_ == 0) {
            // Sizes alone always fit the pool; only a broken View gets here.
            d = Deal{};
            d.hands[std::size_t(k_.me)] = v_.ownCards();
            return d;
        }
        --level_;
    }
}

} // namespace quillet::ai
