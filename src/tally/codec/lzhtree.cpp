#include "tally/codec/lzhtree.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

namespace quillet::lzh {

namespace {

// Count of equal leading bytes of a and b, starting from index 1 (index 0
// is the tree's own byte), capped at kMaxMatch.
inline int equalPrefix(const std::uint8_t *a, const std::uint8_t *b)
{
    for (int i = 1; i < kMaxMatch; i += 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (const std::uint64_t d = x ^ y) {
            const int same = std::endian::native == std::endian::little
                                 ? std::countr_zero(d) >> 3
                                 : std::countl_zero(d) >> 3;
            return std::min(i + same, kMaxMatch);
        }
    }
    return kMaxMatch;
}

} // namespace

void SearchTree::start()
{
    std::memset(text_, 0, sizeof text_);
    std::memset(text_, ' ', kWindow - kMaxMatch);
    std::fill(std::begin(left_), std::end(left_), std::uint16_t(kNil));
    std::fill(std::begin(right_), std::end(right_), std::uint16_t(kNil));
    std::fill(std::begin(parent_), std::end(parent_), std::uint16_t(kNil));
    matchPosition_ = 0;
    matchLength_ = 0;
}

void SearchTree::insert(int r)
{
    const std::uint8_t *key = &text_[r];
    int cmp = 1;
    int p = kWindow + 1 + key[0];
    right_[r] = left_[r] = kNil;
    matchLength_ = 0;
    for (;;) {
        if (cmp >= 0) {
            if (right_[p] == kNil) {
                right_[p] = std::uint16_t(r);
                parent_[r] = std::uint16_t(p);
                return;
            }
            p = right_[p];
        } else {
            if (left_[p] == kNil) {
                left_[p] = std::uint16_t(r);
                parent_[r] = std::uint16_t(p);
                return;
            }
            p = left_[p];
        }
        const int i = equalPrefix(key, &text_[p]);
        cmp = i < kMaxMatch ? int(key[i]) - int(text_[p + i]) : 0;
        if (i > kThreshold) {
            const int c = ((r - p) & (kWindow - 1)) - 1;
            if (i > matchLength_) {
                matchPosition_ = c;
                matchLength_ = i;
                if (i >= kMaxMatch)
                    break;
            } else if (i == matchLength_ && c < matchPosition_) {
                matchPosition_ = c;
            }
        }
    }
    // r replaces p, which held the same 60 bytes.
    parent_[r] = parent_[p];
    left_[r] = left_[p];
    right_[r] = right_[p];
    parent_[left_[p]] = std::uint16_t(r);
    parent_[right_[p]] = std::uint16_t(r);
    if (right_[parent_[p]] == p)
        right_[parent_[p]] = std::uint16_t(r);
    else
        left_[parent_[p]] = std::uint16_t(r);
    parent_[p] = kNil;
}

void SearchTree::remove(int p)
{
    if (parent_[p] == kNil)
        return;
    int q;
    if (right_[p] == kNil) {
        q = left_[p];
    } else if (left_[p] == kNil) {
        q = right_[p];
    } else {
        q = left_[p];
        if (right_[q] != kNil) {
            do {
                q = right_[q];
            } while (right_[q] != kNil);
            right_[parent_[q]] = left_[q];
            parent_[left_[q]] = parent_[q];
            left_[q] = left_[p];
            parent_[left_[p]] = std::uint16_t(q);
        }
        right_[q] = right_[p];
        parent_[right_[p]] = std::uint16_t(q);
    }
    parent_[q] = parent_[p];
    if (right_[parent_[p]] == p)
        right_[parent_[p]] = std::uint16_t(q);
    else
        left_[parent_[p]] = std::uint16_t(q);
    parent_[p] = kNil;
}

} // namespace quillet::lzh
