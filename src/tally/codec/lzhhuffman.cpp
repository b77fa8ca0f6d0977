#include "tally/codec/lzhhuffman.h"

#include <cstring>

namespace quillet::lzh {

void Huffman::start()
{
    for (int c = 0; c < kSymbols; ++c) {
        freq_[c] = 1;
        child_[c] = std::uint16_t(c + kNodes);
        parent_[c + kNodes] = std::uint16_t(c);
    }
    for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
        freq_[j] = std::uint16_t(freq_[i] + freq_[i + 1]);
        child_[j] = std::uint16_t(i);
        parent_[i] = parent_[i + 1] = std::uint16_t(j);
    }
    freq_[kNodes] = 0xFFFF;
    parent_[kRoot] = 0;
}

void Huffman::rebuild()
{
    // Gather the leaves, in node order, at the front with halved counts.
    int j = 0;
    for (int i = 0; i < kNodes; ++i) {
        if (child_[i] >= kNodes) {
            freq_[j] = std::uint16_t((freq_[i] + 1u) / 2);
            child_[j] = child_[i];
            ++j;
        }
    }
    // Join pairs in order, each sum inserted at its sorted place.
    for (int i = 0, n = kSymbols; n < kNodes; i += 2, ++n) {
        const unsigned f = unsigned(freq_[i]) + freq_[i + 1];
        int k = n - 1;
        while (f < freq_[k])
            --k;
        ++k;
        const std::size_t moved = std::size_t(n - k) * sizeof(std::uint16_t);
        std::memmove(&freq_[k + 1], &freq_[k], moved);
        freq_[k] = std::uint16_t(f);
        std::memmove(&child_[k + 1], &child_[k], moved);
        child_[k] = std::uint16_t(i);
    }
    for (int i = 0; i < kNodes; ++i) {
        const int k = child_[i];
        if (k >= kNodes)
            parent_[k] = std::uint16_t(i);
        else
            parent_[k] = parent_[k + 1] = std::uint16_t(i);
    }
}

void Huffman::update(int symbol)
{
    if (freq_[kRoot] == kMaxFreq)
        rebuild();
    int c = parent_[symbol + kNodes];
    do {
        const unsigned k = ++freq_[c];
        // Frequencies never decrease along the node order; an increased node
        // trades places with the last node still below its new count.
        if (k > freq_[c + 1]) {
            int l = c + 1;
            while (k > freq_[++l]) {
            }
            --l;
            freq_[c] = freq_[l];
            freq_[l] = std::uint16_t(k);

            const int i = child_[c];
            parent_[i] = std::uint16_t(l);
            if (i < kNodes)
                parent_[i + 1] = std::uint16_t(l);

            const int j = child_[l];
            child_[l] = std::uint16_t(i);
            parent_[j] = std::uint16_t(c);
            if (j < kNodes)
                parent_[j + 1] = std::uint16_t(c);
            child_[c] = std::uint16_t(j);
            c = l;
        }
        c = parent_[c];
    } while (c != 0);
}

} // namespace quillet::lzh
