// The Fast block decoder on arbitrary blocks. Whatever it restores must
// compress and restore again to the same bytes.
#include "fuzzcheck.h"
#include "tally/codec/tlzr.h"

#include <cstring>
#include <memory>
#include <vector>

using namespace quillet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > TLZR::kBlockSize + 1)
        return 0; // the container refuses longer blocks before decoding
    // Exactly one block of output room, so any overrun hits the sanitizer.
    const std::vector<std::uint8_t> block(data, data + size);
    std::vector<std::uint8_t> out(TLZR::kBlockSize);
    const auto n = TLZR::Decompress(block, out);
    if (!n)
        return 0;
    FUZZ_CHECK(*n <= TLZR::kBlockSize);

    static TLZR lzr;
    std::vector<std::uint8_t> packed(*n + TLZR::kSpare);
    const std::size_t len = lzr.Compress({out.data(), *n}, packed);
    FUZZ_CHECK(len <= *n + 1);
    packed.resize(len);
    std::vector<std::uint8_t> again(TLZR::kBlockSize);
    const auto m = TLZR::Decompress(packed, again);
    FUZZ_CHECK(m && *m == *n);
    FUZZ_CHECK(std::memcmp(again.data(), out.data(), *n) == 0);
    return 0;
}
