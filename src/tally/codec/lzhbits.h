// Bit packing of the Good codec: most significant bit first, the last byte
// padded with zero bits.
#pragma once

#include "tally/codec/bytestream.h"

#include <cstdint>

namespace quillet::lzh {

class BitWriter {
public:
    explicit BitWriter(ByteSink &out) : out_(out) {}

    // Writes the top `length` bits (1-32) of `bits`; the bits below them must be 0.
    void put(std::uint32_t bits, unsigned length)
    {
        acc_ |= (std::uint64_t(bits) << 32) >> held_;
        held_ += length;
        while (held_ >= 8) {
            out_.put(std::uint8_t(acc_ >> 56));
            acc_ <<= 8;
            held_ -= 8;
        }
    }

    // Writes the last partial byte, if any.
    void finish()
    {
        if (held_ != 0)
            out_.put(std::uint8_t(acc_ >> 56));
        acc_ = 0;
        held_ = 0;
    }

private:
    ByteSink &out_;
    std::uint64_t acc_ = 0; // held bits at the top
    unsigned held_ = 0;     // always below 8 between calls
};

// Reads ahead into a 64-bit buffer; past the input's end it supplies zero
// bits but remembers how many, so that a decoder can tell whether it has
// actually used any of them.
class BitReader {
public:
    explicit BitReader(ByteSource &in) : in_(in) {}

    // Tops the buffer up to at least 57 bits.
    void fill()
    {
        while (held_ <= 56) {
            int b = -1;
            if (!ended_) {
                b = in_.get();
                ended_ = b < 0;
            }
            if (b < 0) {
                b = 0;
                padding_ += 8;
            }
            acc_ |= std::uint64_t(b) << (56 - held_);
            held_ += 8;
        }
    }

    unsigned bit()
    {
        if (held_ == 0)
            fill();
        const unsigned b = unsigned(acc_ >> 63);
        acc_ <<= 1;
        --held_;
        return b;
    }

    // The next 8 bits without taking them (the buffer must hold them).
    unsigned peekByte() const { return unsigned(acc_ >> 56); }

    // Takes n bits (1-32; the buffer must hold them) and returns them.
    std::uint32_t take(unsigned n)
    {
        const auto v = std::uint32_t(acc_ >> (64 - n));
        acc_ <<= n;
        held_ -= n;
        return v;
    }

    unsigned held() const { return held_; }

    // True once bits beyond the last input byte have been taken.
    bool overrun() const { return held_ < padding_; }

private:
    ByteSource &in_;
    std::uint64_t acc_ = 0;
    unsigned held_ = 0;
    unsigned padding_ = 0; // zero bits appended after the input's end
    bool ended_ = false;
};

} // namespace quillet::lzh
