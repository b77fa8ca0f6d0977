#include "tally/codec/lzhtree.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

namespace quillet::lzh {

namespace {

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);

struct Comparison {
    int equal;   // equal leading bytes, 1..kMaxMatch (byte 0 is the tree's own)
    bool right;  // the key sorts at or after the node at the first difference
};

// Eight bytes as a big-endian number: comparing two such numbers compares
// the bytes in order, so the walk's direction is one comparison.
inline std::uint64_t loadOrdered(const std::uint8_t *p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    if constexpr (std::endian::native == std::endian::little)
        v = __builtin_bswap64(v);
    return v;
}

inline Comparison differ(int i, std::uint64_t x, std::uint64_t y)
{
    const int same = std::countl_zero(x ^ y) >> 3;
    if (i + same >= kMaxMatch)
        return {kMaxMatch, true};
    return {i + same, x > y};
}

// Compares the 59 bytes after the first, eight at a time; the first eight
// (bytes 1-8) come already loaded.
inline Comparison compareKeys(std::uint64_t keyWord, std::uint64_t nodeWord, const std::uint8_t *key,
                              const std::uint8_t *node)
{
    if (keyWord != nodeWord)
        return differ(1, keyWord, nodeWord);
    for (int i = 9; i < kMaxMatch; i += 8) {
        const std::uint64_t x = loadOrdered(key + i);
        const std::uint64_t y = loadOrdered(node + i);
        if (x != y)
            return differ(i, x, y);
    }
    return {kMaxMatch, true};
}

} // namespace

void SearchTree::start()
{
    std::memset(text_, 0, sizeof text_);
    std::memset(text_, ' ', kWindow - kMaxMatch);
    for (auto &c : child_)
        c[kLeft] = c[kRight] = kNil;
    std::fill(std::begin(parent_), std::end(parent_), std::uint16_t(kNil));
    matchPosition_ = 0;
    matchLength_ = 0;
}

void SearchTree::insert(int r)
{
    const std::uint8_t *key = &text_[r];
    const std::uint64_t keyWord = loadOrdered(key + 1);
    child_[r][kLeft] = child_[r][kRight] = kNil;
    int bestLength = 0;
    int bestPosition = matchPosition_;
    int p = kWindow + 1 + key[0];
    int side = kRight;
    int next = child_[p][kRight];
    // The absent node's "text" lies inside the buffer too, so these loads
    // need no check.
    std::uint64_t nextWord = loadOrdered(&text_[next + 1]);
    for (;;) {
        if (next == kNil) {
            child_[p][side] = std::uint16_t(r);
            parent_[r] = std::uint16_t(p);
            matchLength_ = bestLength;
            matchPosition_ = bestPosition;
            return;
        }
        p = next;
        // Fetch both children and their first words while p is compared;
        // the walk then only selects.
        const int left = child_[p][kLeft];
        const int right = child_[p][kRight];
        const std::uint64_t leftWord = loadOrdered(&text_[left + 1]);
        const std::uint64_t rightWord = loadOrdered(&text_[right + 1]);

        const Comparison cmp = compareKeys(keyWord, nextWord, key, &text_[p]);
        const int i = cmp.equal;
        if (i >= kMaxMatch) {
            // A longer match ends the walk; a 60-byte one met earlier already did.
            bestPosition = ((r - p) & (kWindow - 1)) - 1;
            bestLength = kMaxMatch;
            break;
        }
        // Longest first, then nearest; shorter than 3 does not count.
        const int c = ((r - p) & (kWindow - 1)) - 1;
        const bool better = i > kThreshold && (i > bestLength || (i == bestLength && c < bestPosition));
        bestPosition = better ? c : bestPosition;
        bestLength = better ? i : bestLength;
        side = cmp.right ? kRight : kLeft;
        next = cmp.right ? right : left;
        nextWord = cmp.right ? rightWord : leftWord;
    }
    matchLength_ = bestLength;
    matchPosition_ = bestPosition;

    // r replaces p, which held the same 60 bytes.
    const int up = parent_[p];
    parent_[r] = std::uint16_t(up);
    child_[r][kLeft] = child_[p][kLeft];
    child_[r][kRight] = child_[p][kRight];
    parent_[child_[p][kLeft]] = std::uint16_t(r);
    parent_[child_[p][kRight]] = std::uint16_t(r);
    child_[up][child_[up][kRight] == p ? kRight : kLeft] = std::uint16_t(r);
    parent_[p] = kNil;
}

void SearchTree::remove(int p)
{
    const int up = parent_[p];
    if (up == kNil)
        return;
    int q;
    if (child_[p][kRight] == kNil) {
        q = child_[p][kLeft];
    } else if (child_[p][kLeft] == kNil) {
        q = child_[p][kRight];
    } else {
        q = child_[p][kLeft];
        if (child_[q][kRight] != kNil) {
            do {
                q = child_[q][kRight];
            } while (child_[q][kRight] != kNil);
            child_[parent_[q]][kRight] = child_[q][kLeft];
            parent_[child_[q][kLeft]] = parent_[q];
            child_[q][kLeft] = child_[p][kLeft];
            parent_[child_[p][kLeft]] = std::uint16_t(q);
        }
        child_[q][kRight] = child_[p][kRight];
        parent_[child_[p][kRight]] = std::uint16_t(q);
    }
    parent_[q] = std::uint16_t(up);
    child_[up][child_[up][kRight] == p ? kRight : kLeft] = std::uint16_t(q);
    parent_[p] = kNil;
}

} // namespace quillet::lzh
