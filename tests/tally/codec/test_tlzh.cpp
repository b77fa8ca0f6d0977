// The Good stream codec: the position code, exact streams worked out by hand,
// round trips across the window and Huffman rebuilds, and how decoding ends.
#include "codectestutil.h"
#include "tally/codec/lzhbits.h"
#include "tally/codec/lzhhuffman.h"
#include "tally/codec/lzhposition.h"
#include "tally/codec/tlzh.h"

#include <QTest>

using namespace quillet;
using namespace codectest;

namespace {

Bytes encode(const Bytes &data)
{
    TLZH lzh;
    MemorySource in(data.data(), data.size());
    Bytes out;
    MemorySink sink(out);
    lzh.Encode(in, sink);
    sink.finish();
    return out;
}

TLZH::DecodeResult decode(const Bytes &stream, std::uint64_t size, Bytes &out)
{
    TLZH lzh;
    MemorySource in(stream.data(), stream.size());
    out.clear();
    MemorySink sink(out);
    const auto r = lzh.Decode(in, sink, size);
    sink.finish();
    return r;
}

void checkRoundTrip(const Bytes &data)
{
    const Bytes stream = encode(data);
    Bytes back;
    QCOMPARE(decode(stream, data.size(), back), TLZH::DecodeResult::Ok);
    QVERIFY(back == data);
}

} // namespace

class TestTlzh : public QObject {
    Q_OBJECT

private slots:
    void positionCode()
    {
        const auto &pc = lzh::kPositionCode;
        QCOMPARE(int(pc.code[0]), 0x00); // 000
        QCOMPARE(int(pc.length[0]), 3);
        QCOMPARE(int(pc.code[1]), 0x20); // 0010
        QCOMPARE(int(pc.length[1]), 4);
        QCOMPARE(int(pc.code[4]), 0x50); // 01010
        QCOMPARE(int(pc.length[4]), 5);
        QCOMPARE(int(pc.code[12]), 0x90); // 100100
        QCOMPARE(int(pc.code[24]), 0xC0); // 1100000
        QCOMPARE(int(pc.code[63]), 0xFF);
        QCOMPARE(int(pc.length[63]), 8);
        // The inverse tables name, for every 8-bit look-ahead, the code it starts with.
        for (unsigned i = 0; i < 256; ++i) {
            const unsigned u = pc.upper[i];
            const unsigned len = pc.upperLength[i];
            QCOMPARE(len, unsigned(pc.length[u]));
            QCOMPARE(i >> (8 - len), unsigned(pc.code[u]) >> (8 - len));
        }
    }

    // Streams worked out by hand from the initial tree (symbol c is node c;
    // internal node j joins nodes 2(j-314) and 2(j-314)+1).
    void handWorkedStreams()
    {
        // 'a' is leaf 97; path 97-362-495-561-594-611-619-623-625 to the root.
        QCOMPARE(toHex(encode(fromText("a"))), std::string("F6 80"));
        // Four blanks: a match of 4 at distance 1 into the blank-filled window,
        // symbol 257 (10001101), position 0 (000 000000).
        QCOMPARE(toHex(encode(fromText("    "))), std::string("8D 00 00"));
        QVERIFY(encode(Bytes()).empty());

        Bytes out;
        QCOMPARE(decode(fromHex("F6 80"), 1, out), TLZH::DecodeResult::Ok);
        QVERIFY(out == fromText("a"));
        QCOMPARE(decode(fromHex("8D 00 00"), 4, out), TLZH::DecodeResult::Ok);
        QVERIFY(out == fromText("    "));
        QCOMPARE(decode(Bytes(), 0, out), TLZH::DecodeResult::Ok);
        QVERIFY(out.empty());
    }

    // Pins the encoder's output on larger inputs, so that a faster encoder
    // cannot drift from what other copies write.
    void outputIsStable()
    {
        const Bytes inputs[3] = {textLike(300000, 2024), runsAndNoise(300000, 2025), randomBytes(70000, 2026)};
        const std::size_t sizes[3] = {59880, 6898, 70156};
        const std::uint64_t digests[3] = {0xdb0c9b9810f2b808ull, 0xfc9481600ec3af05ull, 0x3ff9a2d8deec2102ull};
        for (int i = 0; i < 3; ++i) {
            const Bytes stream = encode(inputs[i]);
            QCOMPARE(stream.size(), sizes[i]);
            QCOMPARE(digest(stream), digests[i]);
        }
    }

    void roundTrips_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("size");
        for (int size : {1, 2, 3, 59, 60, 61, 119, 120, 4035, 4036, 4037, 4096, 4155, 9000, 70000}) {
            QTest::addRow("text %d", size) << 0 << size;
            QTest::addRow("runs %d", size) << 1 << size;
            QTest::addRow("random %d", size) << 2 << size;
            QTest::addRow("blanks %d", size) << 3 << size;
        }
    }
    void roundTrips()
    {
        QFETCH(int, kind);
        QFETCH(int, size);
        const std::size_t n = std::size_t(size);
        const Bytes data = kind == 0   ? textLike(n, 21)
                           : kind == 1 ? runsAndNoise(n, 22)
                           : kind == 2 ? randomBytes(n, 23)
                                       : Bytes(n, ' ');
        checkRoundTrip(data);
    }

    // Every window position and its wrap-around copy gets used by matches.
    void repeatsAcrossTheWindowEdge()
    {
        for (std::size_t period : {59u, 60u, 61u, 4035u, 4095u, 4096u, 4097u}) {
            const Bytes unit = randomBytes(period, unsigned(period));
            Bytes data;
            while (data.size() < 30000)
                data.insert(data.end(), unit.begin(), unit.end());
            checkRoundTrip(data);
        }
    }

    void rebuild()
    {
        // The root starts at 314; it reaches 0x8000 after 32454 updates and
        // the next update rebuilds with halved counts.
        lzh::Huffman h;
        h.start();
        for (int i = 0; i < 32454; ++i)
            h.update(i % 7);
        QCOMPARE(h.frequency(lzh::kRoot), 0x8000u);
        h.update(300);
        QVERIFY(h.frequency(lzh::kRoot) < 0x4400u);

        // Random bytes code as literals: far more than 32768 symbols, so
        // encoder and decoder rebuild several times in step.
        checkRoundTrip(randomBytes(150000, 31));
        checkRoundTrip(textLike(400000, 32));
    }

    // A skewed history builds a tree in which rare symbols sit deeper than
    // 16 levels; their codes must still be written whole.
    void codesLongerThan16Bits()
    {
        std::vector<int> symbols;
        std::vector<long> want;
        long a = 1, b = 1;
        for (int k = 0; k < 9; ++k) {
            want.push_back(a * 350);
            const long c = a + b;
            a = b;
            b = c;
        }
        long total = 0;
        for (long w : want)
            total += w;
        std::vector<long> done(want.size(), 0);
        for (long t = 0; t < total; ++t) {
            std::size_t best = 0;
            double lag = -1;
            for (std::size_t k = 0; k < want.size(); ++k) {
                const double d = double(want[k]) * double(t + 1) / double(total) - double(done[k]);
                if (d > lag) {
                    lag = d;
                    best = k;
                }
            }
            ++done[best];
            symbols.push_back(int(best));
        }
        for (int s = 100; s < 110; ++s)
            symbols.push_back(s);

        Bytes stream;
        unsigned longest = 0;
        {
            lzh::Huffman h;
            h.start();
            MemorySink sink(stream);
            lzh::BitWriter bits(sink);
            for (int s : symbols) {
                const auto code = h.code(s);
                longest = std::max(longest, code.length);
                bits.put(code.bits, code.length);
                h.update(s);
            }
            bits.finish();
            sink.finish();
        }
        QVERIFY2(longest > 16, qPrintable(QString::number(longest)));

        lzh::Huffman h;
        h.start();
        MemorySource src(stream.data(), stream.size());
        lzh::BitReader bits(src);
        for (int s : symbols) {
            bits.fill();
            const int got = h.decode([&bits] { return bits.bit(); });
            QCOMPARE(got, s);
            h.update(got);
        }
        QVERIFY(!bits.overrun());
    }

    // The decoder may look ahead past the last byte, but a stream that needs
    // bits that are not there is cut short, not padded with zeros.
    void truncatedStreams()
    {
        for (std::size_t n : {1u, 2u, 5u, 61u, 300u, 5000u, 40000u}) {
            for (const Bytes &data : {textLike(n, 41), randomBytes(n, 42), runsAndNoise(n, 43)}) {
                const Bytes stream = encode(data);
                Bytes out;
                QCOMPARE(decode(stream, n, out), TLZH::DecodeResult::Ok);
                QVERIFY(out == data);

                Bytes cut(stream.begin(), stream.end() - 1);
                QCOMPARE(decode(cut, n, out), TLZH::DecodeResult::Truncated);

                Bytes longer = stream;
                longer.insert(longer.end(), 20, 0xA5);
                QCOMPARE(decode(longer, n, out), TLZH::DecodeResult::Ok);
                QVERIFY(out == data);
            }
        }
    }

    void matchPastTheSizeIsRefused()
    {
        Bytes out;
        QCOMPARE(decode(fromHex("8D 00 00"), 3, out), TLZH::DecodeResult::TooLong);
        QCOMPARE(decode(fromHex("8D 00 00"), 5, out), TLZH::DecodeResult::Truncated);
        QCOMPARE(decode(fromHex("8D 00 00"), 2, out), TLZH::DecodeResult::TooLong);
    }

    // A size of 4 GiB - 1 over a two-byte stream ends at once, with nothing
    // allocated for the size.
    void hugeSizeEndsAtTheData()
    {
        Bytes out;
        QCOMPARE(decode(fromHex("F6 80"), 0xFFFFFFFFu, out), TLZH::DecodeResult::Truncated);
        QVERIFY(out.size() <= 60);
    }

    void garbageStreamsStayInBounds()
    {
        for (std::uint32_t seed = 0; seed < 200; ++seed) {
            const Bytes junk = randomBytes(1 + seed * 7 % 500, seed);
            Bytes out;
            const auto r = decode(junk, 100000, out);
            QVERIFY(r != TLZH::DecodeResult::Ok || out.size() == 100000);
            QVERIFY(out.size() <= 100000);
        }
    }
};

QTEST_GUILESS_MAIN(TestTlzh)
#include "test_tlzh.moc"
