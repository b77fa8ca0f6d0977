// The deal's random numbers: the 64-bit Mersenne Twister (the same sequence
// as std::mt19937_64 for the same seed) and the two uniform draws the game
// makes from it, a seat 1..4 and a deck position 1..52, each giving exactly
// what std::uniform_int_distribution<int> gives for that range.
//
// A shuffle draws about 240 positions per round, most of them taken ones, so
// the outputs are made a block at a time and their deck positions worked out
// with them; a draw is then a table lookup.
#pragma once

#include <array>
#include <cstdint>

namespace quillet {

class DealRandom {
public:
    explicit DealRandom(std::uint64_t seed = 5489u) { seed_(seed); }
    void seed(std::uint64_t s) { seed_(s); }

    // The next raw output, as std::mt19937_64 would give it.
    std::uint64_t next()
    {
        if (index_ == kN)
            refill();
        return out_[index_++];
    }
    // 1..4, as uniform_int_distribution<int>(1, 4).
    int seat() { return int(next() >> 62) + 1; }
    // 1..52, as uniform_int_distribution<int>(1, 52).
    int position()
    {
        if (index_ == kN)
            refill();
        const int p = int(position_[std::size_t(index_)]);
        if (p != 0) {
            ++index_;
            return p;
        }
        return positionSlow();
    }

    // Deals the 52 cards into deck positions 1..52: each card in turn takes the
    // first free position drawn, as drawing position() until one is free would.
    void shuffle(std::array<int, 53> &deck);

    // Scaling a 64-bit output x into 1..range the way the standard
    // distribution does (multiply, keep the high half, reject the few low
    // halves below 2^64 mod range). `more` supplies the next output after a
    // rejection. Public for the tests that pin it against the standard.
    template <class Next>
    static int scaled(std::uint64_t x, std::uint64_t range, Next &&more)
    {
        unsigned __int128 product = static_cast<unsigned __int128>(x) * range;
        auto low = static_cast<std::uint64_t>(product);
        if (low < range) {
            const std::uint64_t threshold = (0 - range) % range;
            while (low < threshold) {
                product = static_cast<unsigned __int128>(more()) * range;
                low = static_cast<std::uint64_t>(product);
            }
        }
        return int(product >> 64) + 1;
    }

private:
    static constexpr int kN = 312;
    void seed_(std::uint64_t s);
    void refill();
    void refillAvx2();
    void emitOne(int k);
    int positionSlow();

    alignas(32) std::array<std::uint64_t, kN> state_{};
    alignas(32) std::array<std::uint64_t, kN> out_{};  // tempered outputs of the block
    // 1..52, 0 where a rejection may follow; one 0 more after the block.
    alignas(32) std::array<std::uint32_t, kN + 1> position_{};
    int index_ = kN;
};

} // namespace quillet
