// quillet-sim: computer-only games in-process, for timing the engine and
// judging the computer players.
//   quillet-sim [--type h|f|m] [--games N] [--seed S] [--seat1 classic|expert]
//               [--seats L,L,L,L] [--json]
#include "simhost.h"
#include "simstats.h"

#include "cli/standardoptions.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

using namespace quillet;

namespace {

const cli::Program kProgram{
    "quillet-sim",
    "Usage: quillet-sim [--type h|f|m] [--games N] [--seed S] [--seat1 classic|expert]\n"
    "                   [--seats L,L,L,L] [--json]\n"
    "  --type h|f|m   game type: Half, Full (default) or Vale\n"
    "  --games N      number of games to play (default 10000)\n"
    "  --seed S       seed of the deals (default: from the clock); game g is dealt from (S, g)\n"
    "  --seat1 L      who plays seat 1: classic (default) or expert\n"
    "  --seats L,L,L,L  who plays each seat, e.g. expert,classic,classic,classic\n"
    "  --json         one JSON object with the figures instead of the report\n"
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
const char *levelName(ComputerLevel l) { return l == ComputerLevel::expert ? "expert" : "classic"; }

bool parseLevel(std::string_view text, ComputerLevel &level)
{
    if (text == "classic")
        level = ComputerLevel::classic;
    else if (text == "expert")
        level = ComputerLevel::expert;
    else
        return false;
    return true;
}

bool parseSeats(std::string_view text, std::array<ComputerLevel, 5> &levels)
{
    for (int seat = 1; seat <= 4; ++seat) {
        const std::size_t comma = text.find(',');
        if ((seat < 4) != (comma != std::string_view::npos))
            return false;
        if (!parseLevel(text.substr(0, comma), levels[std::size_t(seat)]))
            return false;
        text.remove_prefix(seat < 4 ? comma + 1 : text.size());
    }
    return true;
}

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
    std::array<ComputerLevel, 5> levels{};
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--json") {
            json = true;
            continue;
        }
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
        } else if (a == "--seat1") {
            if (!parseLevel(v, levels[1]))
                return usage();
        } else if (a == "--seats") {
            if (!parseSeats(v, levels))
                return usage();
        } else {
            return usage();
        }
    }

    sim::SimHost host;
    for (int seat = 1; seat <= 4; ++seat)
        host.engine().setComputerLevel(seat, levels[std::size_t(seat)]);
    sim::Stats stats;
    if (std::find(levels.begin() + 1, levels.end(), ComputerLevel::expert) != levels.end())
        host.engine().setExpertMeter([&stats](int seat, double ms) { stats.expertDecision(seat, ms); });

    std::map<int, long long> winning;
    long long virtualMs = 0;
    constexpr int kBin = 10;

    const double cpu0 = cpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    for (long long g = 0; g < games; ++g) {
        host.seed(sim::gameSeed(seed, std::uint64_t(g)));
        const sim::GameTally t = host.play(static_cast<GameType>(type));
        std::array<int, 5> scores{};
        for (int seat = 1; seat <= 4; ++seat)
            scores[std::size_t(seat)] = host.state().players[seat].score;
        stats.game(scores, t.bids, t.made, t.winningScore);
        ++winning[t.winningScore / kBin];
        virtualMs += t.virtualMs;
    }
    const double cpu = cpuSeconds() - cpu0;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const int failed = host.notices() || host.stalls() ? 1 : 0;

    if (json) {
        std::printf("{\"games\": %lld, \"type\": \"%c\", \"seed\": %llu, \"seats\": [\"%s\", \"%s\", \"%s\", \"%s\"], ",
                    games, type, seed, levelName(levels[1]), levelName(levels[2]), levelName(levels[3]),
                    levelName(levels[4]));
        std::printf("%s, \"cpu_seconds\": %.3f, \"host_notices\": %lld, \"stalled_games\": %lld}\n",
                    stats.json().c_str(), cpu, host.notices(), host.stalls());
        return failed;
    }

    std::printf("quillet-sim: %lld %s games, seed %llu", games, typeName(type), seed);
    if (std::find(levels.begin() + 1, levels.end(), ComputerLevel::expert) != levels.end())
        std::printf(", seats %s %s %s %s", levelName(levels[1]), levelName(levels[2]), levelName(levels[3]),
                    levelName(levels[4]));
    std::printf("\ntime: %.3f s CPU (%.3f s wall), %.0f games/s, %.1f us CPU per game\n", cpu,
                wall, cpu > 0 ? double(games) / cpu : 0.0, cpu * 1e6 / double(games));
    std::printf("virtual time per game: %.1f min\n", double(virtualMs) / double(games) / 60000.0);
    std::printf("%s", stats.report().c_str());
    printHistogram(winning, kBin);
    if (host.notices())
        std::printf("host notices: %lld\n", host.notices());
    if (host.stalls())
        std::printf("stalled games: %lld\n", host.stalls());
    return failed;
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
