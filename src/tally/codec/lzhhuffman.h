// The adaptive Huffman code of the Good codec: 314 symbols (bytes 0-255 and
// match lengths 3-60), updated after every symbol and rebuilt with halved
// frequencies whenever the root reaches 0x8000. Encoder and decoder keep
// identical trees by making the same updates.
#pragma once

#include <cstdint>

namespace quillet::lzh {

inline constexpr int kWindow = 4096;          // N
inline constexpr int kMaxMatch = 60;          // F
inline constexpr int kThreshold = 2;
inline constexpr int kSymbols = 256 - kThreshold + kMaxMatch; // N_CHAR = 314
inline constexpr int kNodes = 2 * kSymbols - 1;              // T = 627
inline constexpr int kRoot = kNodes - 1;                     // R = 626
inline constexpr unsigned kMaxFreq = 0x8000;

class Huffman {
public:
    void start();

    // The code of symbol c: its bits left-aligned in 32 bits, the bit nearest
    // the root first. The length stays below 22 bits: a leaf that deep would
    // need a root frequency beyond 0x8000.
    struct Code {
        std::uint32_t bits;
        unsigned length;
    };
    Code code(int c) const
    {
        std::uint32_t bits = 0;
        unsigned length = 0;
        int k = parent_[c + kNodes];
        do {
            bits >>= 1;
            if (k & 1)
                bits |= 0x80000000u;
            ++length;
            k = parent_[k];
        } while (k != kRoot);
        return {bits, length};
    }

    // Walks from the root taking one bit per step from nextBit().
    template <class NextBit>
    int decode(NextBit &&nextBit) const
    {
        unsigned c = child_[kRoot];
        while (c < unsigned(kNodes))
            c = child_[c + nextBit()];
        return int(c) - kNodes;
    }

    void update(int c);

    // Read access for tests.
    unsigned frequency(int node) const { return freq_[node]; }

private:
    void rebuild();

    std::uint16_t freq_[kNodes + 1];            // entry T is a sentinel 0xFFFF
    std::uint16_t parent_[kNodes + kSymbols];   // at T + c: the leaf node of symbol c
    std::uint16_t child_[kNodes];               // leaf: T + symbol; else the smaller child
};

} // namespace quillet::lzh
