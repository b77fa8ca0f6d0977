// TLZR: the Fast block codec. One block of at most 32768 bytes at a time;
// blocks share nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>

namespace quillet {

class ELzrw1KHCompressor : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TLZR {
public:
    static constexpr std::size_t kBlockSize = 32768;
    // Room the encoder may use beyond the block size in its output.
    static constexpr std::size_t kSpare = 16;

    static constexpr std::uint8_t kFlagStored = 0x80;
    static constexpr std::uint8_t kFlagCompressed = 0x40;

    // Allocates the hash table (and room for one block's precomputed
    // hashes) once, for the object's lifetime.
    TLZR();

    // Compresses src (at most kBlockSize bytes) into dst, which must hold
    // src.size() + kSpare bytes. Returns the compressed size, at most
    // src.size() + 1 (a block that would not shrink is stored).
    std::size_t Compress(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst);

    // Restores one compressed block into dst. The output is limited to
    // min(dst.size(), kBlockSize) bytes; bytes of dst beyond that limit may be
    // scratched. Returns nothing for a block that is not well formed: an item
    // past the block's end, a copy reaching before the output's start, or
    // output beyond the limit.
    static std::optional<std::size_t> Decompress(std::span<const std::uint8_t> src,
                                                 std::span<std::uint8_t> dst);

private:
    std::unique_ptr<std::uint16_t[]> hash_;
};

} // namespace quillet
