// The Expert computer player: for each decision it deals the unseen cards
// many times over, consistently with what its seat has seen, plays every
// candidate out on each deal (the other seats by the Classic rules, its own
// later cards by a simple bid-minded player) and takes the candidate that
// scores best on average. It decides from a View alone.
#pragma once

#include "ai/random.h"
#include "ai/view.h"

#include <cstdint>

namespace quillet::ai {

struct ExpertOptions {
    int bidDeals = 128;
    int trumpDeals = 200;
    int cardDeals = 200;
    // How much the other seats' round scores count against the own.
    double othersWeight = 0.5;
};

class Expert {
public:
    explicit Expert(std::uint64_t seed = 1, ExpertOptions options = {}) : rng_(seed), options_(options) {}
    void reseed(std::uint64_t seed) { rng_.reseed(seed); }
    const ExpertOptions &options() const { return options_; }
    void setOptions(const ExpertOptions &o) { options_ = o; }

    // Each decision is legal for the View's seat: a bid 0..numcards that
    // keeps the Vale hook rule, a trump card 13, 26, 39, 52 or 53, a hand
    // slot that follows suit.
    int bid(const View &v);
    int trump(const View &v);
    int card(const View &v);

private:
    template <class Start, class Apply>
    int best(const View &v, std::uint32_t candidates, int deals, Start &&start, Apply &&apply);

    Random rng_;
    ExpertOptions options_;
};

} // namespace quillet::ai
