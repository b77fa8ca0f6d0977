// Byte-at-a-time pull and push ends for the stream codec. The owner keeps the
// buffer; the codec only calls get()/put(), which stay inline on the hot path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillet {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // The next byte, or -1 once the input is exhausted (and on every call after).
    int get()
    {
        if (cur_ == end_ && !refill())
            return -1;
        return *cur_++;
    }

protected:
    // Points cur_/end_ at fresh bytes; false at the end of the input.
    virtual bool refill() = 0;

    const std::uint8_t *cur_ = nullptr;
    const std::uint8_t *end_ = nullptr;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;

    void put(std::uint8_t b)
    {
        if (cur_ == end_)
            drain();
        *cur_++ = b;
    }

protected:
    // Hands the filled buffer on and leaves room for at least one more byte.
    virtual void drain() = 0;

    std::uint8_t *cur_ = nullptr;
    std::uint8_t *end_ = nullptr;
};

// A source over bytes already in memory.
class MemorySource : public ByteSource {
public:
    MemorySource(const std::uint8_t *data, std::size_t size)
        : data_(data), size_(size) {}

protected:
    bool refill() override
    {
        if (served_)
            return false;
        served_ = true;
        cur_ = data_;
        end_ = data_ + size_;
        return size_ != 0;
    }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    bool served_ = false;
};

// A sink that appends to a vector, for callers that code into memory.
class MemorySink : public ByteSink {
public:
    explicit MemorySink(std::vector<std::uint8_t> &out) : out_(out)
    {
        cur_ = buf_;
        end_ = buf_ + sizeof buf_;
    }
    // Appends what is still buffered; call once coding is done.
    void finish()
    {
        out_.insert(out_.end(), buf_, cur_);
        cur_ = buf_;
    }

protected:
    void drain() override { finish(); }

private:
    std::vector<std::uint8_t> &out_;
    std::uint8_t buf_[4096];
};

} // namespace quillet
