// Helpers shared by the codec tests: byte vectors, hex text and test data.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace codectest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes fromHex(const std::string &hex)
{
    Bytes out;
    int hi = -1;
    for (char ch : hex) {
        int v;
        if (ch >= '0' && ch <= '9')
            v = ch - '0';
        else if (ch >= 'A' && ch <= 'F')
            v = ch - 'A' + 10;
        else if (ch >= 'a' && ch <= 'f')
            v = ch - 'a' + 10;
        else
            continue;
        if (hi < 0) {
            hi = v;
        } else {
            out.push_back(std::uint8_t(hi << 4 | v));
            hi = -1;
        }
    }
    return out;
}

inline std::string toHex(const Bytes &b)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (i)
            s += ' ';
        s += digits[b[i] >> 4];
        s += digits[b[i] & 15];
    }
    return s;
}

inline Bytes fromText(const std::string &s) { return Bytes(s.begin(), s.end()); }

inline Bytes randomBytes(std::size_t n, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto &x : b)
        x = std::uint8_t(rng());
    return b;
}

// Text-like data with plenty of repeats at varied distances.
inline Bytes textLike(std::size_t n, std::uint32_t seed)
{
    static const char *words[] = {"card ", "trick ", "trump ", "bid ", "seat ", "round ",
                                  "score\r\n", "Quillet ", "spade ", "heart ", "0\r\n", "{\n  "};
    std::mt19937 rng(seed);
    Bytes b;
    b.reserve(n + 16);
    while (b.size() < n) {
        const char *w = words[rng() % 12];
        b.insert(b.end(), w, w + std::char_traits<char>::length(w));
        if (rng() % 7 == 0)
            b.push_back(std::uint8_t('A' + rng() % 26));
    }
    b.resize(n);
    return b;
}

// Long runs of a few values mixed with short noise.
inline Bytes runsAndNoise(std::size_t n, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes b;
    b.reserve(n);
    while (b.size() < n) {
        const std::size_t len = rng() % 3 == 0 ? rng() % 9000 : rng() % 40;
        const auto v = std::uint8_t(rng() % 4 == 0 ? rng() : 0);
        b.insert(b.end(), std::min(len, n - b.size()), v);
        for (int i = 0; i < int(rng() % 5) && b.size() < n; ++i)
            b.push_back(std::uint8_t(rng()));
    }
    return b;
}

inline std::uint64_t digest(const Bytes &b)
{
    std::uint64_t h = 1469598103934665603ull; // FNV-1a
    for (auto c : b) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// The uncompressed tally file of a first run: 9 columns, 1 row, nine "0" cells.
inline Bytes firstTallyText()
{
    std::string s = "9\r\n1\r\n";
    for (int i = 0; i < 9; ++i)
        s += "0\r\n";
    return fromText(s);
}

} // namespace codectest
