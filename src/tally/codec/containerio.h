// The two ends of one container operation: a file or a caller's stream to
// read, a file or a caller's stream to write. A file output is a safefile
// replacement: put in place only when committed, so a failed or killed
// operation leaves no partial file and an old file stays intact.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quillet::container {

class Input {
public:
    virtual ~Input() = default;
    // Reads until n bytes or the end of the input; nothing on a read error.
    virtual std::optional<std::size_t> read(std::uint8_t *buf, std::size_t n) = 0;
    // Moves to `offset` bytes after where the input started.
    virtual bool seek(std::uint64_t offset) = 0;
};

class Output {
public:
    virtual ~Output() = default;
    virtual bool write(const std::uint8_t *data, std::size_t n) = 0;
    // Flushes and closes; a file is then put in place. False on any error.
    virtual bool commit() = 0;
    // Gives up: a file output removes its temporary file.
    virtual void discard() = 0;
};

// Size of a file that can be read as one; nothing when it cannot be had.
std::optional<std::uint64_t> fileSize(const std::string &path);
// Bytes from the stream's current position to its end; the position is kept.
std::optional<std::uint64_t> streamSize(std::istream &in);

std::unique_ptr<Input> openFileInput(const std::string &path);
// Nothing when the stream cannot tell its position.
std::unique_ptr<Input> openStreamInput(std::istream &in);

std::unique_ptr<Output> createFileOutput(const std::string &path);
std::unique_ptr<Output> openStreamOutput(std::ostream &out);

} // namespace quillet::container
