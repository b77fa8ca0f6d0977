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

Sampler::Sampler(const View &v, const Knowledge &k, Random &rng) : v_(v), k_(k)
{
    for (CardSet m = k_.pool; m; m &= m - 1)
        cards_[std::size_t(n_++)] = std::uint8_t(lowestCard(m));
    int dealt = 0;
    for (int s = 1; s <= kSeats; ++s)
        if (s != k_.me) {
            size_[std::size_t(s)] = k_.size[std::size_t(s)];
            dealt += size_[std::size_t(s)];
        }
    size_[0] = n_ - dealt;
    constexpr int kDeals = 16;
    for (;;) {
        for (int s = 1; s <= kSeats; ++s) {
            const auto i = std::size_t(s);
            forbid_[i] = 0;
            if (s == k_.me)
                continue;
            if (level_ >= 1)
                forbid_[i] |= k_.voidOut[i];
            if (level_ >= 2 && k_.classic[i])
                forbid_[i] |= k_.classicOut[i];
        }
        bool found = false;
        for (int t = 0; t < kDeals && !found; ++t)
            found = dealOnce(rng) && (level_ < 3 || repair(rng));
        if (found || level_ == 0)
            break;
        --level_;
    }
    if (level_ == 0 && !dealOnce(rng)) {
        // Only a View that contradicts itself gets here: deal in pool order.
        hands_.fill(0);
        int next = 0;
        for (int s = 1; s <= kSeats; ++s)
            for (int c = 0; c < size_[std::size_t(s)] && next < n_; ++c, ++next) {
                hands_[std::size_t(s)] |= cardBit(cards_[std::size_t(next)]);
                holder_[cards_[std::size_t(next)]] = std::uint8_t(s);
            }
        for (; next < n_; ++next) {
            hands_[0] |= cardBit(cards_[std::size_t(next)]);
            holder_[cards_[std::size_t(next)]] = 0;
        }
    }
}

// A first layout that respects the forbidden cards: the most constrained
// cards first, each to a holder with room, weighted by the room left.
bool Sampler::dealOnce(Random &rng)
{
    std::array<int, 5> room = size_;
    std::array<std::uint8_t, 52> allowed{};
    std::array<std::uint8_t, 52> order{};
    for (int i = 0; i < n_; ++i) {
        const int c = cards_[std::size_t(i)];
        unsigned a = 0;
        for (int h = 0; h <= kSeats; ++h)
            if (room[std::size_t(h)] > 0 && !has(forbid_[std::size_t(h)], c))
                a |= 1u << h;
        if (a == 0)
            return false;
        allowed[std::size_t(i)] = std::uint8_t(a);
        order[std::size_t(i)] = std::uint8_t(i);
    }
    for (int i = n_; i > 1; --i)
        std::swap(order[std::size_t(i - 1)], order[std::size_t(rng.below(i))]);
    std::stable_sort(order.begin(), order.begin() + n_, [&](std::uint8_t x, std::uint8_t y) {
        return __builtin_popcount(allowed[x]) < __builtin_popcount(allowed[y]);
    });
    hands_.fill(0);
    for (int j = 0; j < n_; ++j) {
        const int i = order[std::size_t(j)];
        int total = 0;
        for (unsigned a = allowed[std::size_t(i)]; a; a &= a - 1)
            total += room[std::size_t(__builtin_ctz(a))];
        if (total == 0)
            return false;
        int pick = rng.below(total);
        int h = 0;
        for (unsigned a = allowed[std::size_t(i)]; a; a &= a - 1) {
            h = __builtin_ctz(a);
            pick -= room[std::size_t(h)];
            if (pick < 0)
                break;
        }
        --room[std::size_t(h)];
        const int c = cards_[std::size_t(i)];
        hands_[std::size_t(h)] |= cardBit(c);
        holder_[std::size_t(c)] = std::uint8_t(h);
    }
    return true;
}

int Sampler::misfit(int holder, CardSet hand) const
{
    if (level_ < 3 || holder == 0)
        return 0;
    const auto i = std::size_t(holder);
    int off = 0;
    const CardSet full = hand | k_.playedBy[i];
    if (k_.checkBid[i]) {
        const int bid = classic::bidFromCounts(count(full & suitSet(k_.bidTrumpSuit)), count(full & kFaces),
                                               v_.type, v_.numcards, k_.bidOthers[i], k_.bidLast[i]);
        off += bid > v_.bids[i] ? bid - v_.bids[i] : v_.bids[i] - bid;
    }
    if (holder == k_.chooser) {
        int strength[5] = {};
        for (int s = 1; s <= 4; ++s) {
            const CardSet suit = full & suitSet(s);
            strength[s] = count(suit) + 3 * count(suit & kAces) + 2 * count(suit & (kAces >> 1)) +
                          count(suit & (kAces >> 2));
        }
        off += classic::trumpFromStrengths(strength) != v_.trumpcard;
    }
    return off;
}

// Two random cards of different holders, and the hands a swap would give
// them; none when a hand would take a card its seat cannot hold.
bool Sampler::propose(Random &rng, Swap &w) const
{
    w.a = cards_[std::size_t(rng.below(n_))];
    w.b = cards_[std::size_t(rng.below(n_))];
    w.ha = holder_[std::size_t(w.a)];
    w.hb = holder_[std::size_t(w.b)];
    if (w.ha == w.hb)
        return false;
    w.na = (hands_[std::size_t(w.ha)] & ~cardBit(w.a)) | cardBit(w.b);
    w.nb = (hands_[std::size_t(w.hb)] & ~cardBit(w.b)) | cardBit(w.a);
    return !(w.na & forbid_[std::size_t(w.ha)]) && !(w.nb & forbid_[std::size_t(w.hb)]);
}

void Sampler::take(const Swap &w)
{
    hands_[std::size_t(w.ha)] = w.na;
    hands_[std::size_t(w.hb)] = w.nb;
    holder_[std::size_t(w.a)] = std::uint8_t(w.hb);
    holder_[std::size_t(w.b)] = std::uint8_t(w.ha);
}

// Swaps that never move away from a fitting layout, until one fits.
bool Sampler::repair(Random &rng)
{
    int off = 0;
    for (int h = 1; h <= kSeats; ++h)
        off += misfit(h, hands_[std::size_t(h)]);
    Swap w;
    for (int step = 0; off > 0 && step < 40 * n_ + 200; ++step) {
        if (!propose(rng, w))
            continue;
        const int before = misfit(w.ha, hands_[std::size_t(w.ha)]) + misfit(w.hb, hands_[std::size_t(w.hb)]);
        const int after = misfit(w.ha, w.na) + misfit(w.hb, w.nb);
        if (after > before)
            continue;
        take(w);
        off += after - before;
    }
    return off == 0;
}

void Sampler::walk(Random &rng, int steps)
{
    Swap w;
    for (int step = 0; step < steps; ++step)
        if (propose(rng, w) && !misfit(w.ha, w.na) && !misfit(w.hb, w.nb))
            take(w);
}

Deal Sampler::current() const
{
    Deal d;
    for (int s = 1; s <= kSeats; ++s)
        d.hands[std::size_t(s)] = hands_[std::size_t(s)];
    d.hands[std::size_t(k_.me)] = v_.ownCards();
    return d;
}

Deal Sampler::next(Random &rng)
{
    if (n_ > 1)
        walk(rng, 3 * n_);
    return current();
}

} // namespace quillet::ai
