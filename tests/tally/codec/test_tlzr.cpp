// The Fast block codec: exact output for known blocks, round trips, and
// decoding of malformed blocks that must stay inside its buffers.
#include "codectestutil.h"
#include "tally/codec/tlzr.h"

#include <QTest>

using namespace quillet;
using namespace codectest;

namespace {

Bytes compressBlock(TLZR &lzr, const Bytes &in)
{
    Bytes out(in.size() + TLZR::kSpare);
    out.resize(lzr.Compress(in, out));
    return out;
}

// Decodes into a buffer of exactly one block, so any write past the block
// limit would be caught by the sanitizer builds.
std::optional<Bytes> decompressBlock(const Bytes &block)
{
    Bytes out(TLZR::kBlockSize);
    const auto n = TLZR::Decompress(block, out);
    if (!n)
        return std::nullopt;
    out.resize(*n);
    return out;
}

void checkRoundTrip(TLZR &lzr, const Bytes &data)
{
    const Bytes block = compressBlock(lzr, data);
    QVERIFY2(block.size() <= data.size() + 1, "a block never grows by more than its flag");
    const auto back = decompressBlock(block);
    QVERIFY(back.has_value());
    QVERIFY(*back == data);
}

} // namespace

class TestTlzr : public QObject {
    Q_OBJECT

    TLZR lzr;

private slots:
    void knownBlocks_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << QByteArray() << "80";
        QTest::newRow("one byte") << QByteArray("a") << "80 61";
        QTest::newRow("two bytes") << QByteArray("aa") << "80 61 61";
        QTest::newRow("abc stored") << QByteArray("abc") << "80 61 62 63";
        QTest::newRow("abc x4") << QByteArray("abcabcabcabc") << "40 10 00 61 62 63 00 36";
        QTest::newRow("first tally text")
            << QByteArray("9\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n")
            << "40 01 80 39 0D 0A 31 0D 0A 30 00 3F 01 25";
        // 5000 equal bytes: a full run of 4095, then the rest as a fresh run.
        QTest::newRow("run 5000") << QByteArray(5000, 'x') << "40 C0 00 00 0F EF 78 00 03 79 78";
        QTest::newRow("run 4111") << QByteArray(4111, 'x') << "40 C0 00 00 0F EF 78 00 00 00 78";
        // 4095 then 15: too short for a run, so a literal and a copy at offset 1.
        QTest::newRow("run 4110") << QByteArray(4110, 'x') << "40 A0 00 00 0F EF 78 78 00 1B";
        QTest::newRow("run 16") << QByteArray(16, 'x') << "40 80 00 00 00 00 78";
    }
    void knownBlocks()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, expected);
        const Bytes in(input.begin(), input.end());
        const Bytes block = compressBlock(lzr, in);
        QCOMPARE(QString::fromStdString(toHex(block)), expected);
        const auto back = decompressBlock(block);
        QVERIFY(back && *back == in);
    }

    void fullBlockOfZeros()
    {
        const Bytes zeros(TLZR::kBlockSize, 0);
        const Bytes block = compressBlock(lzr, zeros);
        Bytes expected = fromHex("40 FF 40");
        for (int i = 0; i < 8; ++i)
            for (auto b : fromHex("00 0F EF 00"))
                expected.push_back(b);
        for (auto b : fromHex("00 00 14"))
            expected.push_back(b);
        QCOMPARE(block.size(), std::size_t(38));
        QCOMPARE(toHex(block), toHex(expected));
        QVERIFY(decompressBlock(block) == zeros);
    }

    void incompressibleBlocksAreStored()
    {
        for (std::size_t n : {std::size_t(3), std::size_t(100), std::size_t(32767), TLZR::kBlockSize}) {
            const Bytes data = randomBytes(n, 7 + unsigned(n));
            const Bytes block = compressBlock(lzr, data);
            QCOMPARE(block.size(), n + 1);
            QCOMPARE(block[0], std::uint8_t(0x80));
            QVERIFY(decompressBlock(block) == data);
        }
    }

    // Literals only until the 17th item, so a second control word follows.
    void secondGroup()
    {
        Bytes data = fromText("0123456789ABCDEFG");
        data.insert(data.end(), 40, 'z'); // a run as the 18th item
        const Bytes block = compressBlock(lzr, data);
        QCOMPARE(toHex(Bytes(block.begin(), block.begin() + 3)), std::string("40 00 00"));
        QCOMPARE(toHex(Bytes(block.begin() + 19, block.end())), std::string("40 00 47 00 00 18 7A"));
        QVERIFY(decompressBlock(block) == data);
    }

    void roundTrips_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("size");
        for (int size : {0, 1, 2, 3, 17, 4095, 4096, 4097, 32767, 32768}) {
            QTest::addRow("text %d", size) << 0 << size;
            QTest::addRow("runs %d", size) << 1 << size;
            QTest::addRow("random %d", size) << 2 << size;
        }
    }
    void roundTrips()
    {
        QFETCH(int, kind);
        QFETCH(int, size);
        const std::size_t n = std::size_t(size);
        const Bytes data = kind == 0 ? textLike(n, 1) : kind == 1 ? runsAndNoise(n, 2) : randomBytes(n, 3);
        checkRoundTrip(lzr, data);
    }

    // Near-repeats at the edge of the 4095-byte reach.
    void offsetsAtTheLimit()
    {
        for (std::size_t distance : {4094u, 4095u, 4096u}) {
            Bytes data = randomBytes(distance, 11);
            const Bytes head(data.begin(), data.begin() + 40);
            data.insert(data.end(), head.begin(), head.end());
            checkRoundTrip(lzr, data);
        }
    }

    void unusualFlagIsACompressedBlock()
    {
        QVERIFY(decompressBlock(fromHex("00 00 00 61 62")) == fromText("ab"));
        QVERIFY(decompressBlock(fromHex("40")) == Bytes());
        QVERIFY(decompressBlock(fromHex("40 00")) == Bytes());
        QVERIFY(decompressBlock(fromHex("80")) == Bytes());
    }

    void malformedBlocksAreRefused_data()
    {
        QTest::addColumn<QString>("block");
        QTest::newRow("copy before the start") << "40 80 00 00 10";
        QTest::newRow("copy too far back") << "40 40 00 61 00 20";
        QTest::newRow("copy item cut short") << "40 80 00 05";
        QTest::newRow("run item cut short") << "40 80 00 00 00 10";
        QTest::newRow("control word cut short")
            << "40 00 00 30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46 80";
        QString runs = "40 FF 80";
        for (int i = 0; i < 9; ++i)
            runs += " 00 0F FF 41"; // 9 x 4111 bytes > 32768
        QTest::newRow("runs beyond one block") << runs;
    }
    void malformedBlocksAreRefused()
    {
        QFETCH(QString, block);
        QVERIFY(!decompressBlock(fromHex(block.toStdString())).has_value());
    }

    void storedBlockBeyondOneBlockIsRefused()
    {
        Bytes block(TLZR::kBlockSize + 2, 0x55);
        block[0] = 0x80;
        QVERIFY(!decompressBlock(block).has_value());
        block.pop_back();
        QCOMPARE(decompressBlock(block)->size(), TLZR::kBlockSize);
    }

    // Every prefix and every single-byte change of real blocks decodes or is
    // refused, never more than one block.
    void damagedBlocksStayInBounds()
    {
        const Bytes data = textLike(20000, 5);
        const Bytes block = compressBlock(lzr, data);
        for (std::size_t cut = 0; cut < block.size(); cut += 7) {
            const auto r = decompressBlock(Bytes(block.begin(), block.begin() + cut));
            QVERIFY(!r || r->size() <= TLZR::kBlockSize);
        }
        std::mt19937 rng(9);
        for (int i = 0; i < 2000; ++i) {
            Bytes bad = block;
            bad[rng() % bad.size()] ^= std::uint8_t(1 + rng() % 255);
            const auto r = decompressBlock(bad);
            QVERIFY(!r || r->size() <= TLZR::kBlockSize);
        }
    }

    // Pins the encoder's output on larger inputs, so that a faster encoder
    // cannot drift from what other copies write.
    void outputIsStable()
    {
        const Bytes inputs[3] = {textLike(300000, 2024), runsAndNoise(300000, 2025), randomBytes(70000, 2026)};
        const std::size_t sizes[3] = {113312, 1061, 70003};
        const std::uint64_t digests[3] = {0x302808e930c4ba14ull, 0x8ace982ca1fcbc6full, 0xa8b139368cb39982ull};
        for (int i = 0; i < 3; ++i) {
            Bytes all;
            Bytes block(TLZR::kBlockSize + TLZR::kSpare);
            for (std::size_t at = 0; at < inputs[i].size(); at += TLZR::kBlockSize) {
                const std::size_t n = std::min(TLZR::kBlockSize, inputs[i].size() - at);
                const std::size_t len = lzr.Compress({inputs[i].data() + at, n}, block);
                all.insert(all.end(), block.begin(), block.begin() + long(len));
            }
            QCOMPARE(all.size(), sizes[i]);
            QCOMPARE(digest(all), digests[i]);
        }
    }

    void oversizedInputIsRejected()
    {
        Bytes big(TLZR::kBlockSize + 1);
        Bytes out(big.size() + TLZR::kSpare);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, lzr.Compress(big, out));
        Bytes small(10);
        Bytes tight(10);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, lzr.Compress(small, tight));
    }
};

QTEST_GUILESS_MAIN(TestTlzr)
#include "test_tlzr.moc"
