#include "server/dealrandom.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace quillet {

namespace {
constexpr int kM = 156;
constexpr std::uint64_t kMatrix = 0xB5026F5AA96619E9ull;
constexpr std::uint64_t kUpper = ~std::uint64_t(0) << 31;
constexpr std::uint64_t kLower = ~kUpper;

inline std::uint64_t twist(std::uint64_t a, std::uint64_t b, std::uint64_t far)
{
    const std::uint64_t y = (a & kUpper) | (b & kLower);
    return far ^ (y >> 1) ^ ((0 - (y & 1)) & kMatrix);
}

inline std::uint64_t temper(std::uint64_t y)
{
    y ^= (y >> 29) & 0x5555555555555555ull;
    y ^= (y << 17) & 0x71D67FFFEDA60000ull;
    y ^= (y << 37) & 0xFFF7EEE000000000ull;
    y ^= y >> 43;
    return y;
}
} // namespace

void DealRandom::seed_(std::uint64_t s)
{
    // The word carried in a register: the simulator seeds every game.
    std::uint64_t x = s;
    state_[0] = x;
#pragma GCC unroll 8
    for (int i = 1; i < kN; ++i) {
        x = 6364136223846793005ull * (x ^ (x >> 62)) + std::uint64_t(i);
        state_[std::size_t(i)] = x;
    }
    index_ = kN;
}

#if defined(__x86_64__)
namespace {

// Four lanes at a time where the processor has them.
__attribute__((target("avx2"))) inline __m256i twist4(__m256i a, __m256i b, __m256i far)
{
    const __m256i y = _mm256_or_si256(_mm256_and_si256(a, _mm256_set1_epi64x(static_cast<long long>(kUpper))),
                                      _mm256_and_si256(b, _mm256_set1_epi64x(static_cast<long long>(kLower))));
    const __m256i odd = _mm256_sub_epi64(_mm256_setzero_si256(), _mm256_and_si256(y, _mm256_set1_epi64x(1)));
    return _mm256_xor_si256(_mm256_xor_si256(far, _mm256_srli_epi64(y, 1)),
                            _mm256_and_si256(odd, _mm256_set1_epi64x(static_cast<long long>(kMatrix))));
}

__attribute__((target("avx2"))) inline __m256i temper4(__m256i y)
{
    y = _mm256_xor_si256(y, _mm256_and_si256(_mm256_srli_epi64(y, 29), _mm256_set1_epi64x(0x5555555555555555ll)));
    y = _mm256_xor_si256(y, _mm256_and_si256(_mm256_slli_epi64(y, 17),
                                             _mm256_set1_epi64x(static_cast<long long>(0x71D67FFFEDA60000ull))));
    y = _mm256_xor_si256(y, _mm256_and_si256(_mm256_slli_epi64(y, 37),
                                             _mm256_set1_epi64x(static_cast<long long>(0xFFF7EEE000000000ull))));
    return _mm256_xor_si256(y, _mm256_srli_epi64(y, 43));
}

bool hasAvx2()
{
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}

// Two lanes at a time: the same twist and tempering as the scalar forms.
inline __m128i twist2(__m128i a, __m128i b, __m128i far)
{
    const __m128i upper = _mm_set1_epi64x(static_cast<long long>(kUpper));
    const __m128i lower = _mm_set1_epi64x(static_cast<long long>(kLower));
    const __m128i one = _mm_set1_epi64x(1);
    const __m128i matrix = _mm_set1_epi64x(static_cast<long long>(kMatrix));
    const __m128i y = _mm_or_si128(_mm_and_si128(a, upper), _mm_and_si128(b, lower));
    const __m128i odd = _mm_sub_epi64(_mm_setzero_si128(), _mm_and_si128(y, one));
    return _mm_xor_si128(_mm_xor_si128(far, _mm_srli_epi64(y, 1)), _mm_and_si128(odd, matrix));
}

inline __m128i temper2(__m128i y)
{
    y = _mm_xor_si128(y, _mm_and_si128(_mm_srli_epi64(y, 29), _mm_set1_epi64x(0x5555555555555555ll)));
    y = _mm_xor_si128(y, _mm_and_si128(_mm_slli_epi64(y, 17),
                                       _mm_set1_epi64x(static_cast<long long>(0x71D67FFFEDA60000ull))));
    y = _mm_xor_si128(y, _mm_and_si128(_mm_slli_epi64(y, 37),
                                       _mm_set1_epi64x(static_cast<long long>(0xFFF7EEE000000000ull))));
    return _mm_xor_si128(y, _mm_srli_epi64(y, 43));
}
} // namespace

// One output's tempered value and deck position, for the lanes the wide
// loops leave over.
void DealRandom::emitOne(int k)
{
    const std::uint64_t y = temper(state_[std::size_t(k)]);
    out_[std::size_t(k)] = y;
    const unsigned __int128 product = static_cast<unsigned __int128>(y) * 52u;
    // A low half below the range may mean a rejection: those take the slow way.
    position_[std::size_t(k)] =
        static_cast<std::uint64_t>(product) < 52u ? 0 : std::uint32_t((product >> 64) + 1);
}

// Twists four words and at once tempers them and scales them to 1..52: the
// high half of y * 52, from two 32-bit products. A low half whose upper 32
// bits are zero may be below the range, where a rejection is possible: those
// positions stay 0.
namespace {
__attribute__((target("avx2"))) inline void emit4(std::uint64_t *state, std::uint64_t *out,
                                                  std::uint32_t *positions, int k, __m256i word)
{
    const __m256i c52 = _mm256_set1_epi64x(52);
    _mm256_store_si256(reinterpret_cast<__m256i *>(state + k), word);
    const __m256i y = temper4(word);
    _mm256_store_si256(reinterpret_cast<__m256i *>(out + k), y);
    const __m256i lowProduct = _mm256_mul_epu32(y, c52);
    const __m256i highProduct = _mm256_mul_epu32(_mm256_srli_epi64(y, 32), c52);
    const __m256i middle = _mm256_add_epi64(highProduct, _mm256_srli_epi64(lowProduct, 32));
    const __m256i position = _mm256_add_epi64(_mm256_srli_epi64(middle, 32), _mm256_set1_epi64x(1));
    const __m256i mayReject = _mm256_cmpeq_epi32(_mm256_and_si256(middle, _mm256_set1_epi64x(0xFFFFFFFFll)),
                                                 _mm256_setzero_si256());
    const __m256i kept = _mm256_andnot_si256(mayReject, position);
    const __m256i packed =
        _mm256_permute4x64_epi64(_mm256_shuffle_epi32(kept, _MM_SHUFFLE(3, 1, 2, 0)), _MM_SHUFFLE(3, 1, 2, 0));
    _mm_store_si128(reinterpret_cast<__m128i *>(positions + k), _mm256_castsi256_si128(packed));
}
} // namespace

__attribute__((target("avx2"))) void DealRandom::refillAvx2()
{
    std::uint64_t *x = state_.data();
    auto at = [](std::uint64_t *p, int i) { return reinterpret_cast<__m256i *>(p + i); };
    auto emit = [this, x](int k, __m256i word) { emit4(x, out_.data(), position_.data(), k, word); };
    int i = 0;
    for (; i < kN - kM; i += 4)
        emit(i, twist4(_mm256_load_si256(at(x, i)), _mm256_loadu_si256(at(x, i + 1)),
                       _mm256_loadu_si256(at(x, i + kM))));
    for (; i + 3 < kN - 1; i += 4)
        emit(i, twist4(_mm256_load_si256(at(x, i)), _mm256_loadu_si256(at(x, i + 1)),
                       _mm256_loadu_si256(at(x, i + kM - kN))));
    for (; i < kN - 1; ++i) {
        x[i] = twist(x[i], x[i + 1], x[i + kM - kN]);
        emitOne(i);
    }
    x[kN - 1] = twist(x[kN - 1], x[0], x[kM - 1]);
    emitOne(kN - 1);
    index_ = 0;
}

void DealRandom::refill()
{
    if (hasAvx2()) {
        refillAvx2();
        return;
    }
    std::uint64_t *x = state_.data();
    auto at = [x](int i) { return reinterpret_cast<__m128i *>(x + i); };
    int i = 0;
    for (; i < kN - kM; i += 2)
        _mm_store_si128(at(i), twist2(_mm_load_si128(at(i)), _mm_loadu_si128(at(i + 1)),
                                      _mm_load_si128(at(i + kM))));
    for (; i + 1 < kN - 1; i += 2)
        _mm_store_si128(at(i), twist2(_mm_load_si128(at(i)), _mm_loadu_si128(at(i + 1)),
                                      _mm_load_si128(at(i + kM - kN))));
    for (; i < kN - 1; ++i)
        x[i] = twist(x[i], x[i + 1], x[i + kM - kN]);
    x[kN - 1] = twist(x[kN - 1], x[0], x[kM - 1]);

    // Temper, and scale to 1..52: the high half of y * 52, from two 32-bit
    // products. A low half whose upper 32 bits are zero may be below the
    // range, where a rejection is possible: those positions stay 0.
    const __m128i c52 = _mm_set1_epi64x(52);
    const __m128i ones = _mm_set1_epi64x(1);
    const __m128i low32 = _mm_set1_epi64x(0xFFFFFFFFll);
    for (int k = 0; k < kN; k += 2) {
        const __m128i y = temper2(_mm_load_si128(at(k)));
        _mm_store_si128(reinterpret_cast<__m128i *>(out_.data() + k), y);
        const __m128i lowProduct = _mm_mul_epu32(y, c52);
        const __m128i highProduct = _mm_mul_epu32(_mm_srli_epi64(y, 32), c52);
        const __m128i middle = _mm_add_epi64(highProduct, _mm_srli_epi64(lowProduct, 32));
        const __m128i position = _mm_add_epi64(_mm_srli_epi64(middle, 32), ones);
        const __m128i mayReject = _mm_cmpeq_epi32(_mm_and_si128(middle, low32), _mm_setzero_si128());
        const __m128i kept = _mm_andnot_si128(mayReject, position);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(position_.data() + k),
                         _mm_shuffle_epi32(kept, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    index_ = 0;
}
#else
void DealRandom::refillAvx2() {}

void DealRandom::refill()
{
    std::uint64_t *x = state_.data();
    int i = 0;
    for (; i < kN - kM; ++i)
        x[i] = twist(x[i], x[i + 1], x[i + kM]);
    for (; i < kN - 1; ++i)
        x[i] = twist(x[i], x[i + 1], x[i + kM - kN]);
    x[kN - 1] = twist(x[kN - 1], x[0], x[kM - 1]);
    for (int k = 0; k < kN; ++k) {
        const std::uint64_t y = temper(x[k]);
        out_[std::size_t(k)] = y;
        const unsigned __int128 product = static_cast<unsigned __int128>(y) * 52u;
        // A low half below the range may mean a rejection: those take the slow way.
        position_[std::size_t(k)] =
            static_cast<std::uint64_t>(product) < 52u ? 0 : std::uint32_t((product >> 64) + 1);
    }
    index_ = 0;
}
#endif

void DealRandom::shuffle(std::array<int, 53> &deck)
{
    // Taken positions, by a table of its own: the deck's ints could alias the
    // position table, which would cost a reload per draw. The position table
    // ends in a 0, so the end of a block takes the same branch as a
    // rejection.
    std::array<std::uint8_t, 53> taken{};
    const std::uint32_t *positions = position_.data();
    std::size_t index = std::size_t(index_);
    for (int card = 1; card <= 52; ++card) {
        for (;;) {
            std::size_t pos = positions[index];
            if (pos != 0) {
                ++index;
            } else if (index == kN) {
                refill();
                index = 0;
                continue;
            } else {
                index_ = int(index);
                pos = std::size_t(positionSlow());
                index = std::size_t(index_);
            }
            if (!taken[pos]) {
                taken[pos] = 1;
                deck[pos] = card;
                break;
            }
        }
    }
    index_ = int(index);
    deck[0] = 0;
}

int DealRandom::positionSlow()
{
    const std::uint64_t x = out_[std::size_t(index_++)];
    return scaled(x, 52, [this] { return next(); });
}

} // namespace quillet
