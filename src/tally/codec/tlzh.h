// TLZH: the Good stream codec. A 4096-byte sliding window with tree match
// search; symbols coded with an adaptive Huffman code, match positions with a
// fixed prefix code for their upper 6 bits.
#pragma once

#include "tally/codec/bytestream.h"

#include <cstdint>
#include <stdexcept>

namespace quillet {

class ElzhException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TLZH {
public:
    // Codes every byte of `in` onto `out`, the last byte padded with zero
    // bits. An empty input codes nothing.
    void Encode(ByteSource &in, ByteSink &out);

    enum class DecodeResult {
        Ok,
        Truncated, // the stream needs bits beyond the input's last byte
        TooLong,   // a match would run past the requested size
    };
    // Produces exactly `size` bytes onto `out`; bytes after the end of the
    // coded data are never needed and are left unread where possible.
    DecodeResult Decode(ByteSource &in, ByteSink &out, std::uint64_t size);
};

} // namespace quillet
