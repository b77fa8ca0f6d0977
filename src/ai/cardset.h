// Sets of cards as 64-bit masks, bit c for card c (1..52).
#pragma once

#include "protocol/cards.h"

#include <cstdint>

namespace quillet::ai {

using CardSet = std::uint64_t;

inline constexpr CardSet cardBit(int card) { return isCard(card) ? CardSet(1) << card : 0; }
inline constexpr CardSet suitSet(int suit)
{
    return suit >= 1 && suit <= 4 ? CardSet(0x1FFF) << (13 * (suit - 1) + 1) : 0;
}
inline constexpr CardSet kAllCards = suitSet(1) | suitSet(2) | suitSet(3) | suitSet(4);
// Aces, and aces with kings and queens, of every suit.
inline constexpr CardSet kAces = cardBit(13) | cardBit(26) | cardBit(39) | cardBit(52);
inline constexpr CardSet kFaces = kAces | (kAces >> 1) | (kAces >> 2);

// Counted by halves: the portable build has no population count instruction,
// and the library call for it costs more than this.
inline int count(CardSet s)
{
    s = s - ((s >> 1) & 0x5555555555555555ull);
    s = (s & 0x3333333333333333ull) + ((s >> 2) & 0x3333333333333333ull);
    s = (s + (s >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return int((s * 0x0101010101010101ull) >> 56);
}
inline int lowestCard(CardSet s) { return s ? __builtin_ctzll(s) : 0; }
inline int highestCard(CardSet s) { return s ? 63 - __builtin_clzll(s) : 0; }
inline bool has(CardSet s, int card) { return (s & cardBit(card)) != 0; }
// Cards below / above `card` by number (within a suit: by rank).
inline constexpr CardSet below(int card) { return card <= 1 ? 0 : ((CardSet(1) << card) - 1) & kAllCards; }
inline constexpr CardSet above(int card)
{
    return card >= 52 ? 0 : card < 1 ? kAllCards : ~((CardSet(2) << card) - 1) & kAllCards;
}
// Cards of rank below / above r in every suit.
inline constexpr CardSet rankBelow(int r)
{
    CardSet s = 0;
    for (int suit = 1; suit <= 4; ++suit)
        for (int k = 1; k < r; ++k)
            s |= cardBit(13 * (suit - 1) + k);
    return s;
}
inline constexpr CardSet rankAbove(int r)
{
    CardSet s = 0;
    for (int suit = 1; suit <= 4; ++suit)
        for (int k = r + 1; k <= 13; ++k)
            s |= cardBit(13 * (suit - 1) + k);
    return s;
}

} // namespace quillet::ai
