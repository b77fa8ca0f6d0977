#include "tally/codec/tlzr.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace quillet {

namespace {

constexpr std::uint16_t kEmpty = 0xFFFF;
constexpr std::size_t kHashSize = 4096;
constexpr std::size_t kMinRun = 16;
constexpr std::size_t kMaxRun = 4095;
constexpr std::size_t kMinCopy = 3;
constexpr std::size_t kMaxCopy = 18;
constexpr std::size_t kMaxOffset = 4095;
static_assert(kEmpty >= TLZR::kBlockSize, "the empty marker must not be a position");

// A group of 16 items reads at most 15 copies of 18 bytes plus one 24-byte
// look, and writes at most 15 copies and a run item (plus a literal's spare
// byte); with this much room on both sides it needs no per-item checks and
// cannot pass n, so it stops exactly where the item-by-item loop would.
constexpr std::size_t kGroupInput = 15 * kMaxCopy + 24;
constexpr std::size_t kGroupOutput = 15 * 2 + 4 + 1 + 6;

// The decoder's unchecked group: 16 items read at most 32 bytes plus a
// 24-byte look, and write at most 16 copies of 18 bytes.
constexpr std::ptrdiff_t kGroupRead = 16 * 2 + 24;
constexpr std::ptrdiff_t kGroupWrite = 16 * 18;

inline void putWord(std::uint8_t *at, unsigned v)
{
    at[0] = std::uint8_t(v >> 8);
    at[1] = std::uint8_t(v);
}

// A run item: 0x00, the length less 16 (high byte first), the byte. Returns
// the item's size.
inline std::size_t putRun(std::uint8_t *at, std::size_t run, std::uint8_t b)
{
    at[0] = 0;
    putWord(at + 1, unsigned(run - kMinRun));
    at[3] = b;
    return 4;
}

inline std::uint64_t load64(const std::uint8_t *p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

constexpr bool kLittleEndian = std::endian::native == std::endian::little;

// Index of the first differing byte of two 8-byte loads; 8 when equal.
inline std::size_t firstDifference(std::uint64_t d)
{
    return kLittleEndian ? std::size_t(std::countr_zero(d)) >> 3 : std::size_t(std::countl_zero(d)) >> 3;
}

// Equal leading bytes of a and c, at most kMaxCopy; both must have 24
// readable bytes, and aWord holds a's first eight.
inline std::size_t matchLength(std::uint64_t aWord, const std::uint8_t *a, const std::uint8_t *c)
{
    if (const std::uint64_t d = aWord ^ load64(c))
        return firstDifference(d);
    if (const std::uint64_t d = load64(a + 8) ^ load64(c + 8))
        return 8 + firstDifference(d);
    if (const std::uint64_t d = load64(a + 16) ^ load64(c + 16))
        return std::min(kMaxCopy, 16 + firstDifference(d));
    return kMaxCopy;
}

} // namespace

TLZR::TLZR()
{
    try {
        // The table, then room for one block's precomputed hashes.
        hash_ = std::make_unique<std::uint16_t[]>(kHashSize + kBlockSize);
    } catch (const std::bad_alloc &) {
        throw ELzrw1KHCompressor("LZRW1KH : no memory for HASH table");
    }
}

std::size_t TLZR::Compress(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst)
{
    const std::size_t n = src.size();
    if (n > kBlockSize || dst.size() < n + kSpare)
        throw std::invalid_argument("TLZR::Compress: block too large or output too small");

    const std::uint8_t *const in = src.data();
    std::uint8_t *const out = dst.data();
    std::uint16_t *const table = hash_.get();
    std::fill_n(table, kHashSize, kEmpty);
    // Every position's hash up front, in one loop the compiler can vectorize;
    // only bits 4-15 of the product are used, so 16-bit arithmetic suffices.
    std::uint16_t *const hashes = hash_.get() + kHashSize;
    for (std::size_t i = 0; i + 2 < n; ++i) {
        const unsigned key = (unsigned(in[i]) << 8) ^ (unsigned(in[i + 1]) << 4) ^ in[i + 2];
        hashes[i] = std::uint16_t(std::uint16_t(key * 40543u) >> 4);
    }

    out[0] = kFlagCompressed;
    std::size_t ctrlAt = 1; // reserved place of the current group's control word
    std::size_t y = 3;
    std::size_t x = 0;
    unsigned ctrl = 0;
    unsigned items = 0;

    // Y may pass n by at most one control word and one run item (6 bytes)
    // before the loop notices; kSpare covers that.
    while (x < n && y <= n) {
        if (items == 16) {
            putWord(out + ctrlAt, ctrl);
            ctrlAt = y;
            y += 2;
            items = 0;
            ctrl = 0;
        }

        if (kLittleEndian && items == 0 && n - x >= kGroupInput && y + kGroupOutput <= n) {
            // A whole group far from both ends: no item can reach the input's
            // end or take the output past n, so no item needs those checks.
            // The literal/copy choice is a coin toss on binary data; the
            // candidate check is arithmetic instead of a branch (one out of
            // reach compares x with itself and is forced to length 0).
            for (; items < 16; ++items) {
                const std::uint64_t w0 = load64(in + x);
                const std::uint64_t t = w0 ^ (w0 >> 8);
                if ((t << 8) == 0 && load64(in + x + 8) == w0) [[unlikely]] {
                    const std::uint8_t b = std::uint8_t(w0);
                    const std::size_t runLimit = std::min(kMaxRun, n - x);
                    std::size_t run = 16;
                    while (run < runLimit && in[x + run] == b)
                        ++run;
                    y += putRun(out + y, run, b);
                    x += run;
                    ctrl = (ctrl << 1) | 1;
                    ++items;
                    break; // x may now be near the end
                }
                const unsigned h = hashes[x];
                const std::size_t p = table[h];
                table[h] = std::uint16_t(x);
                const std::size_t offset = x - p; // wraps past the reach for the empty marker
                const std::size_t near = offset <= kMaxOffset;
                const std::size_t nearMask = 0 - near;
                const std::uint8_t *c = in + ((p & nearMask) | (x & ~nearMask));
                std::size_t len = firstDifference((w0 ^ load64(c)) | (near ^ 1));
                if (len == 8) [[unlikely]]
                    len = matchLength(w0, in + x, c);
                if (len >= kMinCopy) {
                    putWord(out + y, unsigned(offset << 4 | (len - kMinCopy)));
                    y += 2;
                    x += len;
                    ctrl = (ctrl << 1) | 1;
                } else {
                    out[y++] = std::uint8_t(w0);
                    ++x;
                    ctrl <<= 1;
                }
            }
            continue;
        }

        const std::uint8_t b = in[x];
        const std::size_t left = n - x;
        const std::size_t runLimit = std::min(kMaxRun, left);
        std::size_t run = 1;
        while (run < runLimit && in[x + run] == b)
            ++run;

        if (run >= kMinRun) {
            y += putRun(out + y, run, b);
            x += run;
            ctrl = (ctrl << 1) | 1;
        } else {
            std::size_t len = 0;
            std::size_t offset = 0;
            // The last two positions can never start a match, so they are
            // neither hashed nor entered: the output is the same either way.
            if (left >= kMinCopy) {
                const unsigned h = hashes[x];
                const std::size_t p = table[h];
                table[h] = std::uint16_t(x);
                if (x - p <= kMaxOffset) {
                    const std::uint8_t *a = in + x;
                    const std::uint8_t *c = in + p;
                    const std::size_t limit = std::min(kMaxCopy, left);
                    while (len < limit && a[len] == c[len])
                        ++len;
                    offset = x - p;
                }
            }
            if (len >= kMinCopy) {
                putWord(out + y, unsigned(offset << 4 | (len - kMinCopy)));
                y += 2;
                x += len;
                ctrl = (ctrl << 1) | 1;
            } else {
                out[y++] = b;
                ++x;
                ctrl <<= 1;
            }
        }
        ++items;
    }
    putWord(out + ctrlAt, (ctrl << (16 - items)) & 0xFFFF);

    if (y > n) {
        out[0] = kFlagStored;
        if (n != 0)
            std::memcpy(out + 1, in, n);
        return n + 1;
    }
    return y;
}

std::optional<std::size_t> TLZR::Decompress(std::span<const std::uint8_t> src,
                                            std::span<std::uint8_t> dst)
{
    const std::size_t m = src.size();
    if (m < 2)
        return 0;

    const std::uint8_t *ip = src.data();
    const std::uint8_t *const iend = ip + m;
    std::uint8_t *const ostart = dst.data();
    std::uint8_t *op = ostart;
    std::uint8_t *const olimit = ostart + std::min(dst.size(), kBlockSize);
    std::uint8_t *const obufEnd = ostart + dst.size();

    if (ip[0] == kFlagStored) {
        if (m - 1 > std::size_t(olimit - op))
            return std::nullopt;
        std::memcpy(op, ip + 1, m - 1);
        return m - 1;
    }
    if (m < 3)
        return 0; // a control word and no room for an item

    // The remaining control bits stand at the top of ctrl.
    std::uint32_t ctrl = std::uint32_t(ip[1] << 8 | ip[2]) << 16;
    unsigned bits = 16;
    ip += 3;

    while (ip < iend) {
        if (bits == 0) {
            if (iend - ip < 2)
                return std::nullopt;
            ctrl = std::uint32_t(ip[0] << 8 | ip[1]) << 16;
            bits = 16;
            ip += 2;
        }

        if (bits == 16 && iend - ip >= kGroupRead && olimit - op >= kGroupWrite &&
            obufEnd - op >= kGroupWrite + 24) {
            // A whole group with room on both sides: literals and ordinary
            // copies go without a branch on their kind or a bounds check.
            // Runs, short offsets and bad offsets leave for the checked code.
            for (; bits > 0; --bits) {
                // All ones for a copy, zero for a literal; the compiler would
                // turn a plain condition back into a mispredicted branch.
                const std::size_t copy = ctrl >> 31;
                const std::size_t mask = 0 - copy;
                const unsigned word = unsigned(ip[0]) << 8 | ip[1];
                const std::size_t offset = word >> 4;
                if (copy & (std::size_t(offset < 8) | std::size_t(offset > std::size_t(op - ostart))))
                    break;
                const auto at = reinterpret_cast<std::uintptr_t>(ip);
                const auto back = reinterpret_cast<std::uintptr_t>(op) - offset;
                const auto *from = reinterpret_cast<const std::uint8_t *>(at ^ ((at ^ back) & mask));
                const std::size_t len = 1 + (((word & 15) + kMinCopy - 1) & mask);
                ip += 1 + copy;
                // 8 bytes at a time: a copy's source then lies wholly in
                // bytes already written.
                std::memcpy(op, from, 8);
                std::memcpy(op + 8, from + 8, 8);
                std::memcpy(op + 16, from + 16, 8);
                op += len;
                ctrl <<= 1;
            }
            if (bits == 0)
                continue;
        }

        if (!(ctrl & 0x80000000u)) {
            // A stretch of literals; zero bits past the block's last item
            // simply find no more bytes.
            std::size_t k = std::min<std::size_t>(unsigned(std::countl_zero(ctrl)), bits);
            k = std::min<std::size_t>(k, std::size_t(iend - ip));
            if (k > std::size_t(olimit - op))
                return std::nullopt;
            if (iend - ip >= 16 && obufEnd - op >= 16)
                std::memcpy(op, ip, 16); // k <= 16; the rest is overwritten later
            else
                std::memcpy(op, ip, k);
            op += k;
            ip += k;
            ctrl = k < 32 ? ctrl << k : 0;
            bits -= unsigned(k);
            continue;
        }

        ctrl <<= 1;
        --bits;
        if (iend - ip < 2)
            return std::nullopt;
        const std::size_t offset = std::size_t(ip[0]) << 4 | ip[1] >> 4;
        if (offset == 0) {
            if (iend - ip < 4)
                return std::nullopt;
            const std::size_t len = (std::size_t(ip[1]) << 8 | ip[2]) + kMinRun;
            if (len > std::size_t(olimit - op))
                return std::nullopt;
            std::memset(op, ip[3], len);
            op += len;
            ip += 4;
        } else {
            const std::size_t len = (ip[1] & 15u) + kMinCopy;
            ip += 2;
            if (offset > std::size_t(op - ostart) || len > std::size_t(olimit - op))
                return std::nullopt;
            const std::uint8_t *from = op - offset;
            if (offset >= 8 && obufEnd - op >= 24) {
                // Each 8-byte step reads only bytes already written.
                std::memcpy(op, from, 8);
                std::memcpy(op + 8, from + 8, 8);
                std::memcpy(op + 16, from + 16, 8);
            } else if (offset == 1) {
                std::memset(op, op[-1], len);
            } else {
                for (std::size_t k = 0; k < len; ++k)
                    op[k] = from[k];
            }
            op += len;
        }
    }
    return std::size_t(op - ostart);
}

} // namespace quillet
