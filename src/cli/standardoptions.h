// The options every program shares: --help and --version print to standard output
// and end with status 0; a command line the program does not understand prints the
// reason and the usage to standard error and ends with status 2. Header-only and
// plain C++, so the windowless programs need no extra library.
#pragma once

#include "protocol/commands.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace quillet::cli {

inline constexpr int kUsageError = 2;

struct Program {
    const char *name;                 // as typed on the command line
    std::string usage;                // the whole --help text, ending in a newline
    std::string_view version = kVersion;
};

inline int printUsage(const Program &program)
{
    std::fputs(program.usage.c_str(), stdout);
    return 0;
}

inline int printVersion(const Program &program)
{
    std::printf("%s %.*s\n", program.name, int(program.version.size()), program.version.data());
    return 0;
}

// Returns kUsageError, for `return usageError(...)` from main.
inline int usageError(const Program &program, const std::string &reason)
{
    if (!reason.empty())
        std::fprintf(stderr, "%s: %s\n", program.name, reason.c_str());
    std::fputs(program.usage.c_str(), stderr);
    return kUsageError;
}

// For programs whose own parser knows nothing of --help and --version: answers them
// wherever they stand (up to a "--"), before any other word is judged.
inline std::optional<int> helpOrVersion(const Program &program, int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (!std::strcmp(arg, "--"))
            break;
        if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h"))
            return printUsage(program);
        if (!std::strcmp(arg, "--version"))
            return printVersion(program);
    }
    return std::nullopt;
}

} // namespace quillet::cli
