// The deal's generator gives the standard 64-bit Mersenne Twister's sequence
// and the standard distribution's seats and positions: golden games and the
// simulator's statistics rest on it.
#include "server/dealrandom.h"

#include <QTest>

#include <random>
#include <vector>

using namespace quillet;

class TestDealRandom : public QObject {
    Q_OBJECT
private slots:
    void sameSequenceAsTheStandard()
    {
        for (std::uint64_t seed : {0ull, 1ull, 5489ull, 13ull, 0xFFFFFFFFFFFFFFFFull, 1733700000123456ull}) {
            DealRandom ours(seed);
            std::mt19937_64 theirs(seed);
            std::mt19937_64 picker(seed + 1);  // mixes the kinds of draw
            for (int i = 0; i < 5000; ++i) {
                switch (picker() % 3) {
                case 0:
                    QCOMPARE(ours.next(), theirs());
                    break;
                case 1:
                    QCOMPARE(ours.seat(), std::uniform_int_distribution<int>(1, 4)(theirs));
                    break;
                default:
                    QCOMPARE(ours.position(), std::uniform_int_distribution<int>(1, 52)(theirs));
                }
            }
        }
        // Reseeding starts over.
        DealRandom r(7);
        const std::uint64_t first = r.next();
        r.next();
        r.seed(7);
        QCOMPARE(r.next(), first);
    }

    // A whole shuffle: each card takes the first free position drawn.
    void shuffleAsDrawing()
    {
        for (std::uint64_t seed : {1ull, 2ull, 99ull}) {
            DealRandom ours(seed);
            std::mt19937_64 theirs(seed);
            for (int round = 0; round < 40; ++round) {
                std::array<int, 53> deck{}, want{};
                ours.shuffle(deck);
                for (int card = 1; card <= 52; ++card) {
                    int pos;
                    do
                        pos = std::uniform_int_distribution<int>(1, 52)(theirs);
                    while (want[std::size_t(pos)] != 0);
                    want[std::size_t(pos)] = card;
                }
                QVERIFY(deck == want);
                QCOMPARE(ours.seat(), std::uniform_int_distribution<int>(1, 4)(theirs));
            }
        }
    }

    // Outputs whose low half falls below the range: the standard rejects some
    // of them and draws again; so must we.
    void rejectionsAsTheStandard()
    {
        struct Scripted {
            using result_type = std::uint64_t;
            static constexpr result_type min() { return 0; }
            static constexpr result_type max() { return ~result_type(0); }
            std::vector<result_type> values;
            std::size_t at = 0;
            result_type operator()() { return values.at(at++); }
        };
        // x * 52 has a low half of v when x = v * (52^-1 mod 2^64) / ...; simpler:
        // search small x whose product's low half is below 52.
        const std::uint64_t inverse13 = 0x4EC4EC4EC4EC4EC5ull;  // 13^-1 mod 2^64
        std::vector<std::uint64_t> tricky;
        for (std::uint64_t low = 0; low < 52; low += 4)
            tricky.push_back((low / 4) * inverse13);  // x * 52 == low (mod 2^64)
        for (std::uint64_t x : tricky) {
            Scripted s{{x, 12345u, 0xFFFFFFFFFFFFull}};
            const int want = std::uniform_int_distribution<int>(1, 52)(s);
            const std::size_t used = s.at;
            std::size_t mine = 1;
            const std::vector<std::uint64_t> more = {12345u, 0xFFFFFFFFFFFFull};
            const int got = DealRandom::scaled(x, 52, [&] { return more.at(mine++ - 1); });
            QCOMPARE(got, want);
            QCOMPARE(mine, used);
        }
    }
};

QObject *makeTestDealRandom() { return new TestDealRandom; }

#include "test_dealrandom.moc"
