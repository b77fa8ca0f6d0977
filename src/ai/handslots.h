// A seat's hand seen as sets of slots (bit k-1 for hand slot k): the slots
// that hold a card, those of a suit, the aces, the court cards, those under
// or over a card. The computer's rules ask their questions of these sets, so
// that "the first card of the led suit in slot order" is the lowest bit of
// one mask rather than a walk over thirteen slots.
#pragma once

#include <array>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillet {

// The lowest and the highest slot of a non-empty set (1..13).
inline int firstSlotOf(std::uint32_t mask) { return __builtin_ctz(mask) + 1; }
inline int lastSlotOf(std::uint32_t mask) { return 32 - __builtin_clz(mask); }
// How many slots a set holds (the portable build has no population count
// instruction, and a call for it would cost more than this).
inline int slotCount(std::uint32_t mask)
{
    mask = mask - ((mask >> 1) & 0x5555u);
    mask = (mask & 0x3333u) + ((mask >> 2) & 0x3333u);
    mask = (mask + (mask >> 4)) & 0x0F0Fu;
    return int((mask + (mask >> 8)) & 0x1Fu);
}

#if defined(__SSE2__)

// The hand as 16 byte lanes, lane k-1 for slot k (lanes 13..15 empty).
class HandSlots {
public:
    explicit HandSlots(const std::array<int, 14> &cards)
    {
        auto load = [&](int from) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i *>(cards.data() + from));
        };
        // Slot 13 comes from the last four, shifted down.
        const __m128i lo = _mm_packs_epi32(load(1), load(5));
        const __m128i hi = _mm_packs_epi32(load(9), _mm_srli_si128(load(10), 12));
        const __m128i c = _mm_packs_epi16(lo, hi);
        heldLanes_ = _mm_and_si128(_mm_cmpgt_epi8(c, _mm_setzero_si128()),
                                   _mm_cmplt_epi8(c, _mm_set1_epi8(53)));
        card_ = _mm_and_si128(c, heldLanes_);
        held = bits(heldLanes_);
    }

    std::uint32_t held = 0;  // slots holding a card 1..52

    // Slots of suit 1..4; none for any other number.
    std::uint32_t suit(int s) const
    {
        if (s < 1 || s > 4)
            return 0;
        const __m128i lo = _mm_set1_epi8(char(13 * (s - 1)));
        const __m128i hi = _mm_set1_epi8(char(13 * s + 1));
        return bits(_mm_and_si128(_mm_cmpgt_epi8(card_, lo), _mm_cmplt_epi8(card_, hi)));
    }
    // Held slots whose card number is below / above `card`.
    std::uint32_t below(int card) const
    {
        return bits(_mm_cmplt_epi8(card_, _mm_set1_epi8(char(card)))) & held;
    }
    std::uint32_t above(int card) const { return bits(_mm_cmpgt_epi8(card_, _mm_set1_epi8(char(card)))); }
    // Slots by rank: the aces, and the ace, king and queen of every suit.
    std::uint32_t aces() const { return rankAtLeast(13); }
    std::uint32_t faces() const { return rankAtLeast(11); }
    // Rank 1..13 of every slot, by slot - 1 (0 where empty).
    std::array<std::uint8_t, 16> ranks() const
    {
        alignas(16) std::array<std::uint8_t, 16> out;
        _mm_store_si128(reinterpret_cast<__m128i *>(out.data()), rankLanes());
        return out;
    }

private:
    static std::uint32_t bits(__m128i m) { return std::uint32_t(_mm_movemask_epi8(m)) & 0x1FFFu; }
    // c - 13 for each of 13, 26, 39 that c is over.
    __m128i rankLanes() const
    {
        const __m128i thirteen = _mm_set1_epi8(13);
        auto step = [&](int over) {
            return _mm_and_si128(_mm_cmpgt_epi8(card_, _mm_set1_epi8(char(over))), thirteen);
        };
        return _mm_sub_epi8(card_, _mm_add_epi8(_mm_add_epi8(step(13), step(26)), step(39)));
    }
    std::uint32_t rankAtLeast(int r) const
    {
        return bits(_mm_cmpgt_epi8(rankLanes(), _mm_set1_epi8(char(r - 1))));
    }

    __m128i heldLanes_;
    __m128i card_;  // 0 where empty
};

#else

class HandSlots {
public:
    explicit HandSlots(const std::array<int, 14> &cards)
    {
        for (int k = 1; k <= 13; ++k) {
            const int c = cards[std::size_t(k)];
            if (c >= 1 && c <= 52) {
                held |= 1u << (k - 1);
                card_[std::size_t(k - 1)] = c;
            }
        }
    }

    std::uint32_t held = 0;

    std::uint32_t suit(int s) const
    {
        return match([s](int c) { return c != 0 && 1 + (c - 1) / 13 == s; });
    }
    std::uint32_t below(int card) const { return match([card](int c) { return c != 0 && c < card; }); }
    std::uint32_t above(int card) const { return match([card](int c) { return c > card; }); }
    std::uint32_t aces() const { return match([](int c) { return c != 0 && c % 13 == 0; }); }
    std::uint32_t faces() const { return match([](int c) { return c != 0 && (c - 1) % 13 >= 10; }); }
    std::array<std::uint8_t, 16> ranks() const
    {
        std::array<std::uint8_t, 16> out{};
        for (int i = 0; i < 13; ++i)
            if (const int c = card_[std::size_t(i)])
                out[std::size_t(i)] = std::uint8_t(c - 13 * ((c - 1) / 13));
        return out;
    }

private:
    template <class Pred>
    std::uint32_t match(Pred &&pred) const
    {
        std::uint32_t m = 0;
        for (int i = 0; i < 13; ++i)
            if (pred(card_[std::size_t(i)]))
                m |= 1u << i;
        return m;
    }
    std::array<int, 13> card_{};
};

#endif

} // namespace quillet
