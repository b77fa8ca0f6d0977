// The Good encoder's window and its match finder: one binary search tree of
// window positions per first byte, ordered by the 60 bytes that follow.
#pragma once

#include "tally/codec/lzhhuffman.h"

#include <cstdint>

namespace quillet::lzh {

class SearchTree {
public:
    static constexpr int kNil = kWindow;
    // The window plus a copy of its first 59 bytes behind its end, so that
    // comparisons run past the end without wrapping; 8 more bytes let the
    // comparison read whole words.
    static constexpr int kTextSize = kWindow + kMaxMatch - 1 + 8;

    // Empties the trees and the window (spaces before the first position
    // coded, zeros elsewhere).
    void start();

    // Inserts position r and records the longest (then nearest) match met on
    // the way down. A 60-byte match takes over the matched node's place.
    void insert(int r);
    void remove(int p);

    int matchLength() const { return matchLength_; }
    // Distance back from r minus one, as coded.
    int matchPosition() const { return matchPosition_; }

    std::uint8_t *text() { return text_; }

private:
    std::uint8_t text_[kTextSize];
    static_assert(kWindow + 1 + 8 <= kTextSize, "the absent node's first word must lie inside the buffer");
    enum { kLeft = 0, kRight = 1 };
    // Children side by side, so the walk picks one by the comparison's sign
    // without a branch. Entries N+1..N+256 are the roots (right children
    // only); N is the absent node.
    std::uint16_t child_[kWindow + 257][2];
    std::uint16_t parent_[kWindow + 257];
    int matchPosition_ = 0;
    int matchLength_ = 0;
};

} // namespace quillet::lzh
