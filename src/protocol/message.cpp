#include "protocol/message.h"

namespace quillet {

bool parseNumber(std::string_view text, int &out)
{
    std::size_t i = 0;
    bool negative = false;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        i = 1;
    }
    const std::size_t digits = text.size() - i;
    if (digits == 0 || digits > 9)
        return false;
    int value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    out = negative ? -value : value;
    return true;
}

std::string_view FieldReader::next()
{
    const std::size_t plus = rest_.find('+');
    std::string_view field;
    if (plus == std::string_view::npos) {
        field = rest_;
        rest_ = {};
    } else {
        field = rest_.substr(0, plus);
        rest_.remove_prefix(plus + 1);
    }
    return field;
}

bool splitCommand(std::string_view entry, std::string_view &command, std::string_view &fields)
{
    const std::size_t plus = entry.find('+');
    if (plus == std::string_view::npos || plus == 0)
        return false;
    command = entry.substr(0, plus);
    fields = entry.substr(plus + 1);
    return true;
}

bool MessageFramer::append(std::string_view bytes, std::deque<std::string> &out,
                           std::size_t maxUnterminated)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = bytes.find(kTerminator, start);
        if (end == std::string_view::npos)
            break;
        if (buffer_.empty()) {
            out.emplace_back(bytes.substr(start, end - start));
        } else {
            buffer_.append(bytes.substr(start, end - start));
            out.push_back(std::move(buffer_));
            buffer_.clear();
        }
        start = end + 1;
    }
    buffer_.append(bytes.substr(start));
    if (buffer_.size() > maxUnterminated) {
        buffer_.clear();
        return false;
    }
    return true;
}

std::string sanitizeName(std::string_view name)
{
    std::string out(name);
    for (char &c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '+' || u == 0xFF || u < 0x20 || u == 0x7F)
            c = ' ';
    }
    return out;
}

} // namespace quillet
