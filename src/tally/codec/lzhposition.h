// The fixed prefix code of a match position's upper 6 bits: 3 bits for 0,
// 4 for 1-3, 5 for 4-11, 6 for 12-23, 7 for 24-47, 8 for 48-63, assigned in
// increasing order from all zeros.
#pragma once

#include <array>
#include <cstdint>

namespace quillet::lzh {

struct PositionCode {
    std::array<std::uint8_t, 64> code{};   // left-aligned in 8 bits
    std::array<std::uint8_t, 64> length{};
    std::array<std::uint8_t, 256> upper{}; // inverse, indexed by the next 8 bits
    std::array<std::uint8_t, 256> upperLength{};
};

constexpr PositionCode makePositionCode()
{
    PositionCode pc;
    unsigned value = 0;
    unsigned prevLength = 3;
    for (unsigned u = 0; u < 64; ++u) {
        const unsigned len = u == 0 ? 3 : u < 4 ? 4 : u < 12 ? 5 : u < 24 ? 6 : u < 48 ? 7 : 8;
        if (u != 0)
            value = (value + 1) << (len - prevLength);
        prevLength = len;
        pc.length[u] = std::uint8_t(len);
        pc.code[u] = std::uint8_t(value << (8 - len));
        for (unsigned i = 0; i < (1u << (8 - len)); ++i) {
            pc.upper[pc.code[u] + i] = std::uint8_t(u);
            pc.upperLength[pc.code[u] + i] = std::uint8_t(len);
        }
    }
    return pc;
}

inline constexpr PositionCode kPositionCode = makePositionCode();

} // namespace quillet::lzh
