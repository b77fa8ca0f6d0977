#include "tally/codec/tlzrw1.h"

#include "tally/codec/containerio.h"
#include "tally/codec/lzrw1texts.h"
#include "tally/codec/safefile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

namespace quillet {

using namespace container;

namespace {

constexpr std::uint8_t kIdFast[4] = {0x57, 0x52, 0x5A, 0x4C}; // "WRZL"
constexpr std::uint8_t kIdGood[4] = {0x21, 0x48, 0x5A, 0x4C}; // "!HZL"
constexpr std::size_t kBlock = TLZR::kBlockSize;
constexpr std::size_t kMaxBlockLength = kBlock + 1; // a stored full block
constexpr std::uint64_t kSmallInput = 3 * kBlock;

struct Buffers {
    std::unique_ptr<std::uint8_t[]> in;
    std::unique_ptr<std::uint8_t[]> out;
};

Buffers getBuffers(const std::string &failText)
{
    Buffers b;
    b.in.reset(new (std::nothrow) std::uint8_t[Tlzrw1::kBufferSize]);
    b.out.reset(new (std::nothrow) std::uint8_t[Tlzrw1::kBufferSize]);
    if (!b.in || !b.out)
        throw ELzrw1Exception(failText);
    return b;
}

void putLE32(std::uint8_t *p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

std::uint32_t getLE32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

std::string percent(std::uint64_t part, std::uint64_t whole)
{
    return std::to_string(part * 100 / std::max<std::uint64_t>(whole, 1)) + "%";
}

std::string progressText(const char *codec, std::uint64_t in, std::uint64_t out)
{
    return std::string(codec) + " Bytes in : " + std::to_string(in) + " Bytes out : " +
           std::to_string(out);
}

// The output of one operation and the count of bytes written to it.
class Writer {
public:
    Writer(Output &out, std::string error) : out_(out), error_(std::move(error)) {}

    void put(const std::uint8_t *data, std::size_t n)
    {
        if (!out_.write(data, n))
            throw ELzrw1Exception(error_);
        count += n;
    }

    std::uint64_t count = 0;

private:
    Output &out_;
    std::string error_;
};

// Serves the Good codec's input from reads of one block size.
class BlockSource : public ByteSource {
public:
    BlockSource(Input &in, std::uint8_t *buf, std::uint64_t &readCount, std::uint64_t limit,
                std::string error, std::function<void()> progress)
        : in_(in), buf_(buf), readCount_(readCount), limit_(limit), error_(std::move(error)),
          progress_(std::move(progress)) {}

protected:
    bool refill() override
    {
        if (ended_)
            return false;
        const auto got = in_.read(buf_, kBlock);
        if (!got)
            throw ELzrw1Exception(error_);
        readCount_ += *got;
        if (readCount_ > limit_)
            throw ELzrw1Exception(error_);
        progress_();
        ended_ = *got < kBlock;
        cur_ = buf_;
        end_ = buf_ + *got;
        return *got != 0;
    }

private:
    Input &in_;
    std::uint8_t *buf_;
    std::uint64_t &readCount_;
    std::uint64_t limit_;
    std::string error_;
    std::function<void()> progress_;
    bool ended_ = false;
};

// Collects the Good codec's output and writes it a block at a time.
class BlockSink : public ByteSink {
public:
    BlockSink(Writer &writer, std::uint8_t *buf, std::function<void()> progress)
        : writer_(writer), buf_(buf), progress_(std::move(progress))
    {
        cur_ = buf_;
        end_ = buf_ + kBlock;
    }

    void finish() { writeOut(); }

protected:
    void drain() override { writeOut(); }

private:
    void writeOut()
    {
        writer_.put(buf_, std::size_t(cur_ - buf_));
        cur_ = buf_;
        progress_();
    }

    Writer &writer_;
    std::uint8_t *buf_;
    std::function<void()> progress_;
};

} // namespace

Tlzrw1::Tlzrw1() = default;

std::unique_ptr<Input> Tlzrw1::openInput() const
{
    if (UseStream)
        return InputStream ? openStreamInput(*InputStream) : nullptr;
    return openFileInput(InputFile);
}

std::unique_ptr<Output> Tlzrw1::openOutput() const
{
    if (UseStream)
        return OutputStream ? openStreamOutput(*OutputStream) : nullptr;
    // Replacing the input by its own result would lose it if anything went
    // wrong, and the input is never changed.
    if (safefile::sameFile(InputFile, OutputFile))
        throw ELzrw1Exception(Texts{UseStream, InputFile, OutputFile}.sameFile());
    return createFileOutput(OutputFile);
}

std::uint64_t Tlzrw1::Compress()
{
    TCompressMode mode = CompressMode;
    if (mode == TCompressMode::Auto)
        mode = Advise();
    const bool fast = mode == TCompressMode::Fast;
    const Texts t{UseStream, InputFile, OutputFile};
    Buffers buf = getBuffers(t.buffers());

    std::optional<std::uint64_t> size;
    if (UseStream)
        size = InputStream ? streamSize(*InputStream) : std::nullopt;
    else
        size = fileSize(InputFile);
    if (!size || *size >= kMaxInput)
        throw ELzrw1Exception(t.size());

    std::unique_ptr<Input> in = openInput();
    if (!in)
        throw ELzrw1Exception(t.openInput());
    std::unique_ptr<Output> out = openOutput();
    if (!out)
        throw ELzrw1Exception(t.openOutput());

    Writer writer(*out, t.write());
    std::uint64_t readCount = 0;
    try {
        std::uint8_t header[8];
        std::memcpy(header, fast ? kIdFast : kIdGood, 4);
        putLE32(header + 4, std::uint32_t(*size));
        writer.put(header, sizeof header);

        // The header promised *size bytes: an input that changes while it is
        // read fails rather than leave a file that cannot be restored.
        if (fast) {
            std::size_t n;
            do {
                const auto got = in->read(buf.in.get(), kBlock);
                if (!got)
                    throw ELzrw1Exception(t.readFast());
                n = *got;
                readCount += n;
                if (readCount > *size)
                    throw ELzrw1Exception(t.readFast());
                const std::size_t len = lzr_.Compress({buf.in.get(), n}, {buf.out.get(), kBufferSize});
                const std::uint8_t lenBytes[2] = {std::uint8_t(len), std::uint8_t(len >> 8)};
                writer.put(lenBytes, 2);
                writer.put(buf.out.get(), len);
                caption(progressText("(LZRW1/KH)", readCount, writer.count));
            } while (n == kBlock);
            if (readCount != *size)
                throw ELzrw1Exception(t.readFast());
        } else {
            auto progress = [&] { caption(progressText("(LZH)", readCount, writer.count)); };
            BlockSource source(*in, buf.in.get(), readCount, *size, t.readGood(), progress);
            BlockSink sink(writer, buf.out.get(), progress);
            lzh_.Encode(source, sink);
            sink.finish();
            if (readCount != *size)
                throw ELzrw1Exception(t.readGood());
        }
        if (!out->commit())
            throw ELzrw1Exception(t.write());
    } catch (...) {
        out->discard();
        throw;
    }
    caption(InputFile + " : Lzrw1 : successfully compressed at " + percent(writer.count, readCount));
    return writer.count;
}

std::uint64_t Tlzrw1::Decompress()
{
    const Texts t{UseStream, InputFile, OutputFile};
    Buffers buf = getBuffers(t.buffers());

    std::unique_ptr<Input> in = openInput();
    if (!in)
        throw ELzrw1Exception(t.openInput());
    std::unique_ptr<Output> out = openOutput();
    if (!out)
        throw ELzrw1Exception(t.openOutput());

    Writer writer(*out, t.write());
    std::uint64_t readCount = 0;
    auto readExact = [&](std::uint8_t *p, std::size_t n) {
        const auto got = in->read(p, n);
        if (!got || *got != n)
            throw ELzrw1Exception(t.read());
        readCount += n;
    };

    try {
        std::uint8_t header[8];
        readExact(header, 4);
        const bool fast = std::memcmp(header, kIdFast, 4) == 0;
        if (!fast && std::memcmp(header, kIdGood, 4) != 0)
            throw ELzrw1Exception(t.header());
        readExact(header + 4, 4);
        const std::uint64_t size = getLE32(header + 4);

        if (fast) {
            // Blocks never decode beyond one block size, never beyond the size
            // promised, and never read or write outside their buffers.
            std::size_t n;
            do {
                std::uint8_t lenBytes[2];
                readExact(lenBytes, 2);
                const std::size_t len = std::size_t(lenBytes[0]) | std::size_t(lenBytes[1]) << 8;
                if (len > kMaxBlockLength)
                    throw ELzrw1Exception(Texts::mismatchFast());
                readExact(buf.in.get(), len);
                const auto decoded = TLZR::Decompress({buf.in.get(), len}, {buf.out.get(), kBufferSize});
                if (!decoded || writer.count + *decoded > size)
                    throw ELzrw1Exception(Texts::mismatchFast());
                n = *decoded;
                writer.put(buf.out.get(), n);
                caption(progressText("(LZRW1/KH)", readCount, writer.count));
            } while (n == kBlock);
            if (writer.count != size)
                throw ELzrw1Exception(Texts::mismatchFast());
        } else {
            auto progress = [&] { caption(progressText("(LZH)", readCount, writer.count)); };
            BlockSource source(*in, buf.in.get(), readCount, UINT64_MAX, t.readGood(), progress);
            BlockSink sink(writer, buf.out.get(), progress);
            switch (lzh_.Decode(source, sink, size)) {
            case TLZH::DecodeResult::Ok:
                break;
            case TLZH::DecodeResult::Truncated:
                throw ELzrw1Exception(t.readGood());
            case TLZH::DecodeResult::TooLong:
                throw ELzrw1Exception(Texts::mismatchGood());
            }
            sink.finish();
            if (writer.count != size)
                throw ELzrw1Exception(Texts::mismatchGood());
        }
        if (!out->commit())
            throw ELzrw1Exception(t.write());
    } catch (...) {
        out->discard();
        throw;
    }
    caption(InputFile + " : Lzrw1 : successfully decompressed at " + percent(writer.count, readCount));
    return writer.count;
}

TCompressMode Tlzrw1::Advise()
{
    const Texts t{UseStream, InputFile, OutputFile};
    caption("Guessing the best compression mode for : " + InputFile);
    Buffers buf = getBuffers(t.adviseBuffers());

    std::optional<std::uint64_t> size;
    if (UseStream)
        size = InputStream ? streamSize(*InputStream) : std::nullopt;
    else
        size = fileSize(InputFile);
    if (!size)
        throw ELzrw1Exception(t.adviseSize());
    std::unique_ptr<Input> in = openInput();
    if (!in)
        throw ELzrw1Exception(t.adviseOpen());

    if (*size < kSmallInput) {
        CompressMode = TCompressMode::Good;
        caption("Lzrw1 recommends GOOD compression :  small file !!");
        return TCompressMode::Good;
    }

    // A stream is left where it was found.
    struct Rewind {
        Input &in;
        ~Rewind() { in.seek(0); }
    } rewind{*in};

    auto sample = [&](std::uint64_t offset, std::uint64_t &read, std::uint64_t &coded) {
        if (!in->seek(offset))
            throw ELzrw1Exception(t.adviseRead());
        const auto got = in->read(buf.in.get(), kBlock);
        if (!got)
            throw ELzrw1Exception(t.adviseRead());
        read = *got;
        coded = lzr_.Compress({buf.in.get(), *got}, {buf.out.get(), kBufferSize});
    };
    std::uint64_t na = 0, ca = 0, nb = 0, cb = 0;
    sample(*size / 3 / kBlock * kBlock, na, ca);
    sample(*size * 2 / 3 / kBlock * kBlock, nb, cb);
    if (na + nb == 0)
        throw ELzrw1Exception(t.adviseRead());

    const std::string p = std::to_string((ca + cb) * 100 / (na + nb)) + "%.";
    if (std::int64_t(ca + cb) < std::int64_t(na + nb) * Threshold / 100) {
        caption("Lzrw1 recommends FAST compression : " + p);
        return TCompressMode::Fast;
    }
    caption("Lzrw1 recommends GOOD compression : " + p);
    return TCompressMode::Good;
}

} // namespace quillet
