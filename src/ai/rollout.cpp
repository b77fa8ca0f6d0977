#include "ai/rollout.h"

namespace quillet::ai {

namespace {

constexpr std::array<CardSet, 14> makeRanks()
{
    std::array<CardSet, 14> r{};
    for (int k = 1; k <= 13; ++k)
        for (int s = 0; s < 4; ++s)
            r[std::size_t(k)] |= cardBit(13 * s + k);
    return r;
}
constexpr std::array<CardSet, 14> kRank = makeRanks();

int lowestRank(CardSet s)
{
    for (int r = 1; r <= 13; ++r)
        if (const CardSet m = s & kRank[std::size_t(r)])
            return lowestCard(m);
    return 0;
}

int highestRank(CardSet s)
{
    for (int r = 13; r >= 1; --r)
        if (const CardSet m = s & kRank[std::size_t(r)])
            return lowestCard(m);
    return 0;
}

// The cards of `s` that would win the trick over `best`.
CardSet winners(CardSet s, int best, int led, int trumpsuit)
{
    if (best == 0)
        return s;
    const int b = suitOf(best);
    CardSet w = s & suitSet(b) & above(best);
    if (trumpsuit != 0 && b != trumpsuit)
        w |= s & suitSet(trumpsuit);
    (void)led;
    return w;
}

} // namespace

int simpleCard(const Table &t, int seat)
{
    const CardSet hand = t.cards[std::size_t(seat)];
    const int need = t.bids[std::size_t(seat)] - t.tricks[std::size_t(seat)];
    const CardSet trumps = hand & suitSet(t.trumpsuit);
    const bool last = t.onTable == 3;
    if (t.led != 0) {
        const CardSet follow = hand & suitSet(t.led);
        const CardSet pool = follow ? follow : hand;
        const CardSet win = winners(pool, t.best, t.led, t.trumpsuit);
        const CardSet lose = pool & ~win;
        if (need > 0) {
            if (win) {
                if (!follow)  // ruff as low as will do
                    return lowestCard(win & trumps) ? lowestCard(win & trumps) : lowestCard(win);
                return last ? lowestCard(win) : highestCard(win);
            }
            return follow ? lowestCard(follow) : (hand & ~trumps ? lowestRank(hand & ~trumps) : lowestCard(trumps));
        }
        if (lose) {
            if (follow)
                return highestCard(lose);
            return lose & ~trumps ? highestRank(lose & ~trumps) : highestCard(lose);
        }
        return last ? highestCard(win) : lowestCard(win);
    }
    if (need > 0) {
        if (const CardSet aces = hand & kAces & ~trumps)
            return lowestCard(aces);
        if (trumps)
            return highestCard(trumps);
        return highestRank(hand);
    }
    return hand & ~trumps ? lowestRank(hand & ~trumps) : lowestCard(trumps);
}

int Table::choice() const
{
    const auto i = std::size_t(turn);
    if (!classicSeat[i])
        return simpleCard(*this, turn);
    const int k = classic::card(slotHands[i], bids[i], tricks[i], led, trumpsuit, [this] { return top; });
    return slotHands[i][std::size_t(k)];
}

void Table::play(int card)
{
    const auto i = std::size_t(turn);
    cards[i] &= ~cardBit(card);
    if (classicSeat[i])
        for (int k = 1; k <= kHandSlots; ++k)
            if (slotHands[i][std::size_t(k)] == card) {
                slotHands[i][std::size_t(k)] = 0;
                break;
            }
    const int suit = suitOf(card);
    if (onTable == 0)
        led = suit;
    if (suit == led && card > top)
        top = card;
    if (best == 0 || (suit == suitOf(best) ? card > best : suit == trumpsuit && trumpsuit != 0)) {
        best = card;
        winner = turn;
    }
    if (++onTable == kSeats) {
        ++tricks[std::size_t(winner)];
        turn = winner;
        led = top = best = winner = onTable = 0;
        --tricksLeft;
    } else {
        turn = nextSeat(turn);
    }
}

void Table::finish()
{
    while (tricksLeft > 0 && cards[std::size_t(turn)])
        play(choice());
}

int Table::score(int seat) const
{
    const auto i = std::size_t(seat);
    if (tricks[i] != bids[i])
        return 0;
    return bids[i] == 0 ? 5 : bids[i] + 10;
}

} // namespace quillet::ai
