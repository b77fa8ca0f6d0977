#include "tally/codec/tlzh.h"

#include "tally/codec/lzhbits.h"
#include "tally/codec/lzhhuffman.h"
#include "tally/codec/lzhposition.h"
#include "tally/codec/lzhtree.h"

#include <cstring>
#include <memory>
#include <new>

namespace quillet {

using namespace lzh;

namespace {

struct EncoderTables {
    Huffman huffman;
    SearchTree tree;
};

struct DecoderTables {
    Huffman huffman;
    std::uint8_t text[kWindow];
};

template <class Tables>
std::unique_ptr<Tables> getTables()
{
    try {
        return std::make_unique<Tables>();
    } catch (const std::bad_alloc &) {
        throw ElzhException("LZH : Cannot get memory for dictionary tables");
    }
}

constexpr int kMask = kWindow - 1;
constexpr int kStart = kWindow - kMaxMatch; // first position coded: 4036

} // namespace

void TLZH::Encode(ByteSource &in, ByteSink &out)
{
    auto tables = getTables<EncoderTables>();
    Huffman &huffman = tables->huffman;
    SearchTree &tree = tables->tree;
    std::uint8_t *const text = tree.text();
    huffman.start();
    tree.start();
    BitWriter bits(out);

    auto codeSymbol = [&](int c) {
        const Huffman::Code code = huffman.code(c);
        bits.put(code.bits, code.length);
        huffman.update(c);
    };

    int s = 0;
    int r = kStart;
    int len = 0;
    bool ended = false;
    while (len < kMaxMatch) {
        const int c = in.get();
        if (c < 0) {
            ended = true;
            break;
        }
        text[r + len++] = std::uint8_t(c);
    }
    if (len == 0)
        return;

    for (int i = 1; i <= kMaxMatch; ++i)
        tree.insert(r - i);
    tree.insert(r);

    do {
        int matchLength = tree.matchLength();
        if (matchLength > len)
            matchLength = len;
        if (matchLength <= kThreshold) {
            matchLength = 1;
            codeSymbol(text[r]);
        } else {
            codeSymbol(255 - kThreshold + matchLength);
            const unsigned position = unsigned(tree.matchPosition());
            const unsigned upper = position >> 6;
            bits.put(std::uint32_t(kPositionCode.code[upper]) << 24, kPositionCode.length[upper]);
            bits.put(std::uint32_t(position & 63) << 26, 6);
        }

        int i = 0;
        for (; i < matchLength && !ended; ++i) {
            const int c = in.get();
            if (c < 0) {
                ended = true;
                break;
            }
            tree.remove(s);
            text[s] = std::uint8_t(c);
            if (s < kMaxMatch - 1)
                text[s + kWindow] = std::uint8_t(c);
            s = (s + 1) & kMask;
            r = (r + 1) & kMask;
            tree.insert(r);
        }
        // The input is exhausted: slide over the rest of the match.
        for (; i < matchLength; ++i) {
            tree.remove(s);
            s = (s + 1) & kMask;
            r = (r + 1) & kMask;
            if (--len)
                tree.insert(r);
        }
    } while (len > 0);
    bits.finish();
}

TLZH::DecodeResult TLZH::Decode(ByteSource &in, ByteSink &out, std::uint64_t size)
{
    if (size == 0)
        return DecodeResult::Ok;

    auto tables = getTables<DecoderTables>();
    Huffman &huffman = tables->huffman;
    std::uint8_t *const text = tables->text;
    huffman.start();
    std::memset(text, 0, kWindow);
    std::memset(text, ' ', kStart);
    BitReader bits(in);

    unsigned r = kStart;
    std::uint64_t produced = 0;
    while (produced < size) {
        bits.fill();
        const int c = huffman.decode([&bits] { return bits.bit(); });
        huffman.update(c);
        if (c < 256) {
            if (bits.overrun())
                return DecodeResult::Truncated;
            out.put(std::uint8_t(c));
            text[r] = std::uint8_t(c);
            r = (r + 1) & kMask;
            ++produced;
            continue;
        }

        if (bits.held() < 14)
            bits.fill();
        const unsigned head = bits.peekByte();
        const unsigned code = bits.take(kPositionCode.upperLength[head] + 6u);
        const unsigned position = unsigned(kPositionCode.upper[head]) << 6 | (code & 63);
        if (bits.overrun())
            return DecodeResult::Truncated;

        const unsigned length = unsigned(c) - (255 - kThreshold);
        if (size - produced < length)
            return DecodeResult::TooLong;
        const unsigned from = (r - position - 1) & kMask;
        for (unsigned k = 0; k < length; ++k) {
            const std::uint8_t b = text[(from + k) & kMask];
            out.put(b);
            text[r] = b;
            r = (r + 1) & kMask;
        }
        produced += length;
    }
    return DecodeResult::Ok;
}

} // namespace quillet
