#include "net/guard.h"

#include <cstdio>

namespace quillet {

namespace {
ErrorSink &defaultSink()
{
    static ErrorSink sink;
    return sink;
}
} // namespace

void setDefaultErrorSink(ErrorSink sink) { defaultSink() = std::move(sink); }

void reportUncaught(const std::string &text) noexcept
{
    try {
        if (defaultSink()) {
            defaultSink()(text);
            return;
        }
    } catch (...) {
    }
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

} // namespace quillet
