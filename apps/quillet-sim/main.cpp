// quillet-sim: computer-only games in-process, for timing the engine and
// judging the computer players.
//   quillet-sim [--type h|f|m] [--games N] [--seed S]
#include "simhost.h"

#include "cli/standardoptions.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <string>

using namespace quillet;

namespace {

const cli::Program kProgram{
    "quillet-sim",
    "Usage: quillet-sim [--type h|f|m] [--games N] [--seed S]\n"
    "  --type h|f|m   game type: Half, Full (default) or Vale\n"
    "  --games N      number of games to play (default 10000)\n"
    "  --seed S       seed of the deals (default: from the clock)\n"
    "  --version      print the version and end\n"
    "  --help         print this text and end\n"};

int usage() { return cli::usageError(kProgram, {}); }

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

const char *typeName(char t) { return t == 'h' ? "Half" : t == 'f' ? "Full" : "Vale"; }

void printHistogram(const std::map<int, long long> &bins, int width)
{
    long long most = 0;
    for (const auto &[bin, n] : bins)
        most = std::max(most, n);
    for (const auto &[bin, n] : bins) {
        const int bar = most ? int((n * 50 + most - 1) / most) : 0;
        std::printf("  %4d-%-4d %-50s %lld\n", bin * width, bin * width + width - 1,
                    std::string(bar, '#').c_str(), n);
    }
}

int run(int argc, char **argv)
{
    char type = 'f';
    long long games = 10000;
    unsigned long long seed =
        static_cast<unsigned long long>(std::chrono::system_clock::now().time_since_epoch().count());
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (i + 1 >= argc)
            return usage();
        const std::string_view v = argv[++i];
        if (a == "--type" && v.size() == 1 && std::strchr("hfm", v[0])) {
            type = v[0];
        } else if (a == "--games") {
            char *end = nullptr;
            games = std::strtoll(argv[i], &end, 10);
            if (*end || games < 1)
                return usage();
        } else if (a == "--seed") {
            char *end = nullptr;
            seed = std::strtoull(argv[i], &end, 10);
            if (*end || v.empty())
                return usage();
        } else {
            return usage();
        }
    }

    sim::SimHost host;
    host.seed(seed);

    std::array<long long, 5> scoreSum{}, bids{}, made{};
    std::map<int, long long> winning;
    long long winSum = 0, virtualMs = 0;
    int winMin = 1 << 30, winMax = -1;
    constexpr int kBin = 10;

    const double cpu0 = cpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    for (long long g = 0; g < games; ++g) {
        const sim::GameTally t = host.play(static_cast<GameType>(type));
        for (int seat = 1; seat <= 4; ++seat) {
            scoreSum[seat] += host.state().players[seat].score;
            bids[seat] += t.bids[seat];
            made[seat] += t.made[seat];
        }
        ++winning[t.winningScore / kBin];
        winSum += t.winningScore;
        winMin = std::min(winMin, t.winningScore);
        winMax = std::max(winMax, t.winningScore);
        virtualMs += t.virtualMs;
    }
    const double cpu = cpuSeconds() - cpu0;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();

    std::printf("quillet-sim: %lld %s games, seed %llu\n", games, typeName(type), seed);
    std::printf("time: %.3f s CPU (%.3f s wall), %.0f games/s, %.1f us CPU per game\n", cpu,
                wall, cpu > 0 ? double(games) / cpu : 0.0, cpu * 1e6 / double(games));
    std::printf("virtual time per game: %.1f min\n", double(virtualMs) / double(games) / 60000.0);
    std::printf("mean score:");
    for (int seat = 1; seat <= 4; ++seat)
        std::printf("  seat %d %.2f", seat, double(scoreSum[seat]) / double(games));
    long long allBids = 0, allMade = 0;
    for (int seat = 1; seat <= 4; ++seat) {
        allBids += bids[seat];
        allMade += made[seat];
    }
    std::printf("\nbids made: %.2f%% of %lld;", allBids ? 100.0 * double(allMade) / double(allBids) : 0.0,
                allBids);
    for (int seat = 1; seat <= 4; ++seat)
        std::printf("  seat %d %.2f%%", seat,
                    bids[seat] ? 100.0 * double(made[seat]) / double(bids[seat]) : 0.0);
    std::printf("\nwinning score: mean %.2f, min %d, max %d\n", double(winSum) / double(games),
                winMin, winMax);
    printHistogram(winning, kBin);
    if (host.notices())
        std::printf("host notices: %lld\n", host.notices());
    if (host.stalls())
        std::printf("stalled games: %lld\n", host.stalls());
    return host.notices() || host.stalls() ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (const auto status = cli::helpOrVersion(kProgram, argc, argv))
        return *status;
    try {
        return run(argc, argv);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "quillet-sim: %s\n", e.what());
        return 1;
    }
}
