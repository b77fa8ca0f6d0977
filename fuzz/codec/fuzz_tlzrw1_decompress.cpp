// Decompress of a whole container in stream mode: it restores exactly the
// size its header states, or fails with one of the container's texts.
#include "fuzzcheck.h"
#include "tally/codec/tlzrw1.h"

#include <cstring>
#include <sstream>
#include <string>

using namespace quillet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::stringstream in(std::string(reinterpret_cast<const char *>(data), size));
    std::stringstream out;
    Tlzrw1 c;
    c.UseStream = true;
    c.InputStream = &in;
    c.OutputStream = &out;
    try {
        const std::uint64_t written = c.Decompress();
        FUZZ_CHECK(size >= 8);
        const std::uint64_t stated = std::uint64_t(data[4]) | std::uint64_t(data[5]) << 8 |
                                     std::uint64_t(data[6]) << 16 | std::uint64_t(data[7]) << 24;
        FUZZ_CHECK(written == stated);
        FUZZ_CHECK(out.str().size() == stated);
    } catch (const ELzrw1Exception &e) {
        FUZZ_CHECK(std::strncmp(e.what(), "Lzrw1", 5) == 0);
    }
    return 0;
}
