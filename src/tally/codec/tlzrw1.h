// Tlzrw1: compresses one whole file (or stream) into another and back. The
// container holds a 4-byte codec identifier ("WRZL" Fast, "!HZL" Good), the
// uncompressed size (32 bits, little-endian) and the codec data.
#pragma once

#include "tally/codec/tlzh.h"
#include "tally/codec/tlzr.h"

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

namespace quillet {

namespace container {
class Input;
class Output;
} // namespace container

class ELzrw1Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TCompressMode { Good = 0, Fast = 1, Auto = 2 };

class Tlzrw1 {
public:
    static constexpr std::size_t kBufferSize = TLZR::kBlockSize + TLZR::kSpare;
    // Inputs this size and up cannot be described by the 32-bit size field.
    static constexpr std::uint64_t kMaxInput = std::uint64_t(1) << 32;

    Tlzrw1();

    std::string InputFile;
    std::string OutputFile;
    // Work on InputStream/OutputStream instead of the two files. The input
    // runs from the stream's current position to its end.
    bool UseStream = false;
    std::istream *InputStream = nullptr;
    std::ostream *OutputStream = nullptr;
    TCompressMode CompressMode = TCompressMode::Good;
    int Threshold = 40; // percent, for Advise

    // Progress and result captions; an unset callback shows none. It is only
    // told, it must not start another operation on this object.
    std::function<void(const std::string &)> OnCaption;

    // Returns the bytes written, header included.
    std::uint64_t Compress();
    // Returns the bytes written. Reads either codec, whatever CompressMode.
    std::uint64_t Decompress();
    // Good or Fast for the input; a small input also sets CompressMode to Good.
    TCompressMode Advise();

private:
    // The input and output of one operation (file or stream); null when they
    // cannot be opened, so each operation reports it with its own text. An
    // output file that is the input file is refused with its own text.
    std::unique_ptr<container::Input> openInput() const;
    std::unique_ptr<container::Output> openOutput() const;

    void caption(const std::string &text) const
    {
        if (OnCaption)
            OnCaption(text);
    }

    TLZR lzr_;
    TLZH lzh_;
};

} // namespace quillet
