// The Good stream decoder on arbitrary streams: the first two bytes give the
// size to produce. Whatever it restores must code and restore again.
#include "fuzzcheck.h"
#include "tally/codec/tlzh.h"

#include <vector>

using namespace quillet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint64_t want = std::uint64_t(data[0]) << 8 | data[1];
    MemorySource in(data + 2, size - 2);
    std::vector<std::uint8_t> out;
    MemorySink sink(out);
    TLZH lzh;
    const auto result = lzh.Decode(in, sink, want);
    sink.finish();
    FUZZ_CHECK(out.size() <= want);
    if (result != TLZH::DecodeResult::Ok)
        return 0;
    FUZZ_CHECK(out.size() == want);

    std::vector<std::uint8_t> packed;
    MemorySource plain(out.data(), out.size());
    MemorySink packedSink(packed);
    lzh.Encode(plain, packedSink);
    packedSink.finish();
    std::vector<std::uint8_t> back;
    MemorySource again(packed.data(), packed.size());
    MemorySink backSink(back);
    FUZZ_CHECK(lzh.Decode(again, backSink, out.size()) == TLZH::DecodeResult::Ok);
    backSink.finish();
    FUZZ_CHECK(back == out);
    return 0;
}
