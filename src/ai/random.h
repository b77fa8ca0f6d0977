// The Expert's own generator (xoshiro256**), apart from the deal's: its
// draws never change which cards are dealt.
#pragma once

#include <cstdint>

namespace quillet::ai {

class Random {
public:
    explicit Random(std::uint64_t seed = 1) { reseed(seed); }
    void reseed(std::uint64_t seed)
    {
        for (auto &w : s_) {
            seed += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            w = z ^ (z >> 31);
        }
    }
    std::uint64_t next()
    {
        const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }
    // 0..n-1 (n >= 1); the bias of one multiply is far below what a sample
    // of deals can notice.
    int below(int n) { return int((static_cast<unsigned __int128>(next()) * std::uint64_t(n)) >> 64); }

private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t s_[4];
};

} // namespace quillet::ai
