// The simulator's statistics: scores, bids made, win shares of seat 1 with
// their intervals, and the cost of the Expert's decisions.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quillet::sim {

// Game g's own seed, so that runs that differ only in the players deal the
// same cards game by game.
std::uint64_t gameSeed(std::uint64_t seed, std::uint64_t game);

// Wilson's 95% interval of a proportion p out of n.
struct Interval {
    double lo = 0, hi = 0;
};
Interval wilson(double p, double n);

class Stats {
public:
    void expertDecision(int seat, double cpuMs);
    // One finished game: final scores, bids and bids made by seat.
    void game(const std::array<int, 5> &scores, const std::array<long long, 5> &bids,
              const std::array<long long, 5> &made, int winningScore);

    std::string report() const;  // the plain report's lines
    std::string json() const;    // the JSON object's fields, without braces

private:
    struct Mean {
        double sum = 0, squares = 0;
        long long n = 0;
        void add(double x)
        {
            sum += x;
            squares += x * x;
            ++n;
        }
        double mean() const { return n ? sum / double(n) : 0; }
        double stderror() const;
    };
    double percentile(double q) const;

    long long games_ = 0;
    std::array<Mean, 5> score_{};
    std::array<long long, 5> bids_{}, made_{};
    std::array<double, 5> winShare_{};
    Mean margin_, winning_;
    int winMin_ = 1 << 30, winMax_ = -1;
    std::vector<double> decisionMs_;
    std::array<double, 5> gameCpuMs_{};  // the running game's, by seat
    Mean expertGameSeconds_;             // one Expert seat's whole game
    double expertGameMax_ = 0;
};

} // namespace quillet::sim
