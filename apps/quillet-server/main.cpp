// quillet-server: the game server without a window, for dedicated hosting and
// black-box tests. Its first connection is the host (slot 1, seat 1).
#include "cli/standardoptions.h"
#include "net/guard.h"
#include "net/tsock.h"
#include "protocol/commands.h"
#include "server/tserver.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

quillet::cli::Program program()
{
    const std::string port = std::to_string(quillet::kGamePort);
    return {"quillet-server",
            "Usage: quillet-server [--port N] [--trick-pause MS] [--round-pause MS] [--bot-delay MS]\n"
            "                      [--computer classic|expert]\n"
            "  --port N           TCP port to listen on, all addresses (default " + port + "; 0 = any free)\n"
            "  --trick-pause MS   pause before the next trick, at most 3000 (tests)\n"
            "  --round-pause MS   pause before the next round, at most 5000 (tests)\n"
            "  --bot-delay MS     computer players' delay, replacing the host's setting\n"
            "  --computer LEVEL   who plays the computer seats: classic (default) or expert\n"
            "  --version          print the version and end\n"
            "  --help             print this text and end\n"};
}

[[noreturn]] void fail(const std::string &text)
{
    std::fprintf(stderr, "quillet-server: %s\n", text.c_str());
    std::exit(1);
}

int readNumber(const char *option, const char *text, int lo, int hi)
{
    int value = 0;
    if (!text || !quillet::parseNumber(text, value) || value < lo || value > hi)
        fail(std::string("bad value for ") + option + ": " + (text ? text : "(missing)") +
             " (expected " + std::to_string(lo) + ".." + std::to_string(hi) + ")");
    return value;
}

} // namespace

int main(int argc, char **argv)
{
    if (const auto status = quillet::cli::helpOrVersion(program(), argc, argv))
        return *status;
    QCoreApplication app(argc, argv);
    quillet::Timings timings;
    int port = quillet::kGamePort;
    quillet::ComputerLevel level = quillet::ComputerLevel::classic;

    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!std::strcmp(arg, "--port")) {
            port = readNumber(arg, value, 0, 65535);
            ++i;
        } else if (!std::strcmp(arg, "--trick-pause")) {
            // The pauses may only be shortened.
            timings.trickPauseMs = readNumber(arg, value, 0, 3000);
            ++i;
        } else if (!std::strcmp(arg, "--round-pause")) {
            timings.roundPauseMs = readNumber(arg, value, 0, 5000);
            ++i;
        } else if (!std::strcmp(arg, "--bot-delay")) {
            timings.botDelayMs = readNumber(arg, value, 0, 60000);
            ++i;
        } else if (!std::strcmp(arg, "--computer")) {
            if (value && !std::strcmp(value, "classic"))
                level = quillet::ComputerLevel::classic;
            else if (value && !std::strcmp(value, "expert"))
                level = quillet::ComputerLevel::expert;
            else
                fail(std::string("bad value for --computer: ") + (value ? value : "(missing)") +
                     " (expected classic or expert)");
            ++i;
        } else {
            return quillet::cli::usageError(program(), std::string("unknown option: ") + arg);
        }
    }

    quillet::TServer server;
    server.setTimings(timings);
    server.engine().setComputerLevel(level);
    server.setNoticeHandler([](const std::string &text) {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
    });
    try {
        server.startListening(port, false);
    } catch (const ESockException &e) {
        fail("cannot listen on port " + std::to_string(port) + ": " + e.what());
    }
    std::printf("quillet-server %s listening on port %d\n", std::string(quillet::kVersion).c_str(),
                server.listeningPort());
    std::fflush(stdout);
    return app.exec();
}
