// Wire format shared by the table and the server: a command name, fields each
// introduced by '+', and the terminator byte 0xFF.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace quillet {

inline constexpr char kTerminator = '\xFF';

// Limits that keep one peer from exhausting memory.
inline constexpr std::size_t kMaxUnterminatedBytes = 64 * 1024;
inline constexpr std::size_t kMaxPendingPerConnection = 1000;

// Reads a decimal number: an optional '-' and 1 to 9 digits, nothing else.
// Returns false for anything else (empty text, blanks, signs, overflow).
bool parseNumber(std::string_view text, int &out);

// The field-reading convention of both ends: next() returns the text before
// the first '+' and removes it and the '+'; rest() is everything left,
// '+' signs included. A missing '+' makes next() return the whole rest.
class FieldReader {
public:
    explicit FieldReader(std::string_view fields) : rest_(fields) {}

    std::string_view next();
    // Reads the next field as a number; false when it is not one.
    bool nextInt(int &out) { return parseNumber(next(), out); }
    std::string_view rest() const { return rest_; }
    bool atEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

// Splits a pending entry into its command and field text. Returns false (the
// entry does nothing) when it has no '+' or the command is empty.
bool splitCommand(std::string_view entry, std::string_view &command, std::string_view &fields);

// Marker for messages that end with a '+' before the terminator.
struct TrailingPlus {};
inline constexpr TrailingPlus trailing{};

namespace detail {
inline void appendField(std::string &out, std::string_view s) { out += '+'; out += s; }
inline void appendField(std::string &out, const std::string &s) { out += '+'; out += s; }
inline void appendField(std::string &out, const char *s) { out += '+'; out += s; }
inline void appendField(std::string &out, int n) { out += '+'; out += std::to_string(n); }
inline void appendField(std::string &out, TrailingPlus) { out += '+'; }
} // namespace detail

// Builds a whole message, terminator included:
// makeMessage("CMD_startround", 1, 4, 1, trailing) == "CMD_startround+1+4+1+\xFF".
template <class... Fields>
std::string makeMessage(std::string_view command, const Fields &...fields)
{
    std::string out;
    out.reserve(32);
    out += command;
    (detail::appendField(out, fields), ...);
    out += kTerminator;
    return out;
}

// Cuts a byte stream into messages at 0xFF. Bytes after the last terminator
// wait for the next append.
class MessageFramer {
public:
    // Appends received bytes and moves every complete message to `out`.
    // Returns false when the unterminated remainder exceeds `maxUnterminated`
    // (the caller should drop the connection); complete messages found before
    // that point are still delivered.
    bool append(std::string_view bytes, std::deque<std::string> &out,
                std::size_t maxUnterminated = kMaxUnterminatedBytes);
    std::size_t buffered() const { return buffer_.size(); }
    void clear() { buffer_.clear(); }

private:
    std::string buffer_;
};

// Makes a player name safe to carry in any field and to store in files:
// '+', 0xFF and control characters become blanks.
std::string sanitizeName(std::string_view name);

} // namespace quillet
