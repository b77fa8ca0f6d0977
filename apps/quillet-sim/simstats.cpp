#include "simstats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quillet::sim {

std::uint64_t gameSeed(std::uint64_t seed, std::uint64_t game)
{
    std::uint64_t z = seed + 0x9E3779B97F4A7C15ull * (game + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

Interval wilson(double p, double n)
{
    if (n <= 0)
        return {};
    constexpr double z = 1.959963984540054;
    const double z2 = z * z;
    const double centre = (p + z2 / (2 * n)) / (1 + z2 / n);
    const double half = z / (1 + z2 / n) * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n));
    return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

double Stats::Mean::stderror() const
{
    if (n < 2)
        return 0;
    const double m = mean();
    const double var = std::max(0.0, (squares - double(n) * m * m) / double(n - 1));
    return std::sqrt(var / double(n));
}

void Stats::expertDecision(int seat, double cpuMs)
{
    decisionMs_.push_back(cpuMs);
    if (seat >= 1 && seat <= 4)
        gameCpuMs_[std::size_t(seat)] += cpuMs;
}

void Stats::game(const std::array<int, 5> &scores, const std::array<long long, 5> &bids,
                 const std::array<long long, 5> &made, int winningScore)
{
    ++games_;
    int best = scores[1], tied = 0;
    for (int s = 1; s <= 4; ++s)
        best = std::max(best, scores[std::size_t(s)]);
    for (int s = 1; s <= 4; ++s)
        tied += scores[std::size_t(s)] == best;
    double others = 0;
    for (int s = 1; s <= 4; ++s) {
        score_[std::size_t(s)].add(scores[std::size_t(s)]);
        bids_[std::size_t(s)] += bids[std::size_t(s)];
        made_[std::size_t(s)] += made[std::size_t(s)];
        if (scores[std::size_t(s)] == best)
            winShare_[std::size_t(s)] += 1.0 / tied;
        if (s > 1)
            others += scores[std::size_t(s)];
    }
    margin_.add(scores[1] - others / 3.0);
    winning_.add(winningScore);
    winMin_ = std::min(winMin_, winningScore);
    winMax_ = std::max(winMax_, winningScore);
    for (int s = 1; s <= 4; ++s) {
        double &ms = gameCpuMs_[std::size_t(s)];
        if (ms > 0) {
            expertGameSeconds_.add(ms / 1000);
            expertGameMax_ = std::max(expertGameMax_, ms / 1000);
        }
        ms = 0;
    }
}

double Stats::percentile(double q) const
{
    if (decisionMs_.empty())
        return 0;
    std::vector<double> v = decisionMs_;
    const std::size_t k = std::min(v.size() - 1, std::size_t(q * double(v.size() - 1) + 0.5));
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(k), v.end());
    return v[k];
}

std::string Stats::report() const
{
    std::string out;
    char line[256];
    auto add = [&](const char *fmt, auto... args) {
        std::snprintf(line, sizeof line, fmt, args...);
        out += line;
    };
    add("mean score:");
    for (int s = 1; s <= 4; ++s)
        add("  seat %d %.2f \302\261 %.2f", s, score_[std::size_t(s)].mean(), score_[std::size_t(s)].stderror());
    long long allBids = 0, allMade = 0;
    for (int s = 1; s <= 4; ++s) {
        allBids += bids_[std::size_t(s)];
        allMade += made_[std::size_t(s)];
    }
    auto share = [](long long m, long long n) { return n ? double(m) / double(n) : 0.0; };
    auto se = [](double p, long long n) { return n ? std::sqrt(p * (1 - p) / double(n)) : 0.0; };
    const double all = share(allMade, allBids);
    add("\nbids made: %.2f%% \302\261 %.2f of %lld;", 100 * all, 100 * se(all, allBids), allBids);
    for (int s = 1; s <= 4; ++s) {
        const double p = share(made_[std::size_t(s)], bids_[std::size_t(s)]);
        add("  seat %d %.2f%% \302\261 %.2f", s, 100 * p, 100 * se(p, bids_[std::size_t(s)]));
    }
    add("\nwinning score: mean %.2f \302\261 %.2f, min %d, max %d\n", winning_.mean(), winning_.stderror(),
        games_ ? winMin_ : 0, games_ ? winMax_ : 0);
    const double w = games_ ? winShare_[1] / double(games_) : 0;
    const Interval iv = wilson(w, double(games_));
    add("seat 1: win share %.2f%% (95%% %.2f%%..%.2f%%), margin %+.2f \302\261 %.2f\n", 100 * w, 100 * iv.lo,
        100 * iv.hi, margin_.mean(), margin_.stderror());
    if (!decisionMs_.empty())
        add("expert decisions: %zu, CPU median %.3f ms, 99th percentile %.3f ms; per seat and game %.3f s "
            "(max %.3f s)\n",
            decisionMs_.size(), percentile(0.5), percentile(0.99), expertGameSeconds_.mean(), expertGameMax_);
    return out;
}

std::string Stats::json() const
{
    const double w = games_ ? winShare_[1] / double(games_) : 0;
    const Interval iv = wilson(w, double(games_));
    char buf[1024];
    std::snprintf(buf, sizeof buf,
                  "\"seat1_win_share\": %.5f, \"seat1_win_share_lo\": %.5f, \"seat1_win_share_hi\": %.5f, "
                  "\"seat1_margin\": %.3f, \"seat1_margin_se\": %.3f, \"seat1_bids_made\": %.5f, "
                  "\"seat_mean_scores\": [%.3f, %.3f, %.3f, %.3f], "
                  "\"expert_decisions\": %zu, \"expert_decision_ms_median\": %.4f, "
                  "\"expert_decision_ms_p99\": %.4f, \"expert_game_cpu_seconds_mean\": %.4f, "
                  "\"expert_game_cpu_seconds_max\": %.4f",
                  w, iv.lo, iv.hi, margin_.mean(), margin_.stderror(),
                  bids_[1] ? double(made_[1]) / double(bids_[1]) : 0.0, score_[1].mean(), score_[2].mean(),
                  score_[3].mean(), score_[4].mean(), decisionMs_.size(), percentile(0.5), percentile(0.99),
                  expertGameSeconds_.mean(), expertGameMax_);
    return buf;
}

} // namespace quillet::sim
