#include "ai/view.h"

namespace quillet::ai {

void View::addPlay(int s, int card, int trick)
{
    if (!isSeat(s) || !isCard(card) || trick < 1 || trick > kHandSlots)
        return;
    if (playCount < int(plays.size()))
        plays[std::size_t(playCount++)] = {s, card, trick};
}

int View::completedTricks() const
{
    int done = 0;
    for (int s = 1; s <= kSeats; ++s)
        done += tricks[std::size_t(s)];
    return done;
}

int View::trickStart() const
{
    // The open trick is the run of plays after the last completed trick.
    const int open = completedTricks() + 1;
    int i = playCount;
    while (i > 0 && plays[std::size_t(i - 1)].trick == open && playCount - i < kSeats - 1)
        --i;
    return i;
}

int View::leader() const
{
    const int start = trickStart();
    return start < playCount ? plays[std::size_t(start)].seat : 0;
}

int View::ledSuit() const
{
    const int start = trickStart();
    return start < playCount ? suitOf(plays[std::size_t(start)].card) : 0;
}

int View::turn() const
{
    if (playCount > trickStart())
        return nextSeat(plays[std::size_t(playCount - 1)].seat);
    // Leading: the first trick's leader, or the winner of the last.
    return seat;
}

CardSet View::ownCards() const
{
    CardSet s = 0;
    for (int k = 1; k <= kHandSlots; ++k)
        s |= cardBit(hand[std::size_t(k)]);
    return s;
}

CardSet View::playedCards() const
{
    CardSet s = 0;
    for (int i = 0; i < playCount; ++i)
        s |= cardBit(plays[std::size_t(i)].card);
    return s;
}

CardSet View::unseen() const
{
    CardSet known = ownCards() | playedCards();
    if (type != GameType::vale)
        known |= cardBit(trumpcard);
    return kAllCards & ~known;
}

int View::handSize(int s) const
{
    if (s == seat)
        return count(ownCards());
    if (!isSeat(s))
        return 0;
    int left = numcards - completedTricks();
    for (int i = trickStart(); i < playCount; ++i)
        if (plays[std::size_t(i)].seat == s)
            --left;
    return left < 0 ? 0 : left;
}

unsigned View::voidSuits(int s) const
{
    unsigned voids = 0;
    int led = 0;
    for (int i = 0; i < playCount; ++i) {
        const SeenCard &p = plays[std::size_t(i)];
        const bool leads = i == 0 || p.trick != plays[std::size_t(i - 1)].trick;
        if (leads)
            led = suitOf(p.card);
        else if (p.seat == s && suitOf(p.card) != led)
            voids |= 1u << led;
    }
    return voids;
}

int View::bidsSoFar() const
{
    int sum = 0;
    for (int s = 1; s <= kSeats; ++s)
        if (hasBid[std::size_t(s)])
            sum += bids[std::size_t(s)];
    return sum;
}

unsigned legalBids(const View &v)
{
    unsigned bids = 0;
    for (int b = 0; b <= v.numcards; ++b)
        bids |= 1u << b;
    if (v.type == GameType::vale && v.seat == v.dealer) {
        const int forbidden = v.numcards - v.bidsSoFar();
        if (forbidden >= 0 && forbidden <= v.numcards)
            bids &= ~(1u << forbidden);
    }
    return bids;
}

std::uint32_t legalSlots(const View &v)
{
    std::uint32_t held = 0, follow = 0;
    const int led = v.ledSuit();
    for (int k = 1; k <= kHandSlots; ++k) {
        const int card = v.hand[std::size_t(k)];
        if (!isCard(card))
            continue;
        held |= 1u << (k - 1);
        if (led && suitOf(card) == led)
            follow |= 1u << (k - 1);
    }
    return follow ? follow : held;
}

} // namespace quillet::ai
