// Limits the container holds beyond its plain format: inputs its 32-bit size
// cannot describe, inputs that change while read, oversized blocks, cut
// streams, failed flushes, and no event processing inside a coding call.
#include "containertestutil.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace quillet;
using namespace codectest;

namespace {

std::string compressFake(FakeInput &fake, TCompressMode mode)
{
    std::istream in(&fake);
    std::stringstream out;
    Tlzrw1 c;
    c.UseStream = true;
    c.InputStream = &in;
    c.OutputStream = &out;
    c.CompressMode = mode;
    return failureOf([&] { c.Compress(); });
}

Bytes fastContainer(std::uint32_t size, const std::vector<Bytes> &blocks)
{
    Bytes out = fromText("WRZL");
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(size >> (8 * i)));
    for (const Bytes &b : blocks) {
        out.push_back(std::uint8_t(b.size()));
        out.push_back(std::uint8_t(b.size() >> 8));
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

} // namespace

class TestTlzrw1Limits : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    std::string path(const std::string &name) const { return tmp.path().toStdString() + "/" + name; }

private slots:
    void inputsOf4GiBAreRefused()
    {
        const std::string big = path("big");
        writeFile(big, {});
        if (::truncate(big.c_str(), off_t(1) << 32) != 0)
            QSKIP("no sparse files here");
        Tlzrw1 c;
        c.InputFile = big;
        c.OutputFile = path("out");
        c.CompressMode = TCompressMode::Fast;
        QCOMPARE(failureOf([&] { c.Compress(); }), "Lzrw1 compression : Failed to obtain the size of : " + big);
        QVERIFY(!fileExists(path("out")));
        ::unlink(big.c_str());

        FakeInput huge({}, std::uint64_t(1) << 32);
        QCOMPARE(compressFake(huge, TCompressMode::Good),
                 std::string("Lzrw1 compression : Failed to obtain the size of the input stream !"));
        // One byte less fits the field; that it then delivers nothing is caught by the read check.
        FakeInput justFits({}, (std::uint64_t(1) << 32) - 1);
        QCOMPARE(compressFake(justFits, TCompressMode::Fast),
                 std::string("Lzrw1 : Error reading from input stream ! (LZRW1/KH)"));
    }

    void bytesReadMustMatchTheSizeWritten_data()
    {
        QTest::addColumn<int>("actual");
        QTest::addColumn<int>("claimed");
        QTest::addColumn<bool>("fast");
        for (bool fast : {true, false}) {
            const char *m = fast ? "fast" : "good";
            QTest::addRow("shrank %s", m) << 50000 << 60000 << fast;
            QTest::addRow("grew %s", m) << 50000 << 40000 << fast;
            QTest::addRow("grew by a block %s", m) << 65536 << 32768 << fast;
            QTest::addRow("emptied %s", m) << 0 << 10 << fast;
        }
    }
    void bytesReadMustMatchTheSizeWritten()
    {
        QFETCH(int, actual);
        QFETCH(int, claimed);
        QFETCH(bool, fast);
        FakeInput fake(textLike(std::size_t(actual), 3), std::uint64_t(claimed));
        QCOMPARE(compressFake(fake, fast ? TCompressMode::Fast : TCompressMode::Good),
                 std::string("Lzrw1 : Error reading from input stream ! ") + (fast ? "(LZRW1/KH)" : "(LZH)"));
    }

    void blockLengthAbove32769IsRefused()
    {
        const char *mismatch = "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
        // A stored full block is the longest a writer produces: 32769 bytes.
        Bytes stored(TLZR::kBlockSize + 1, 0x33);
        stored[0] = 0x80;
        QCOMPARE(streamDecompress(fastContainer(32768, {stored, fromHex("80")})).size(), TLZR::kBlockSize);

        // One byte longer would restore 32769 bytes from one block.
        Bytes tooLong(TLZR::kBlockSize + 2, 0x33);
        tooLong[0] = 0x80;
        QCOMPARE(failureOf([&] { streamDecompress(fastContainer(32769, {tooLong})); }), std::string(mismatch));
        // Refused on its length alone, before anything is read for it.
        QCOMPARE(failureOf([&] { streamDecompress(fromHex("57 52 5A 4C 05 00 00 00 FF FF 80")); }),
                 std::string(mismatch));
    }

    // Every stream the encoder writes decodes in full, and none decodes
    // without its last byte.
    void cutGoodStreamsFail()
    {
        std::vector<Bytes> inputs;
        for (std::size_t n = 1; n <= 160; ++n)
            inputs.push_back(n % 2 ? textLike(n, unsigned(n)) : randomBytes(n, unsigned(n)));
        for (std::size_t n : {4036u, 4037u, 32768u, 32769u, 100000u})
            inputs.push_back(runsAndNoise(n, unsigned(n)));
        for (const Bytes &data : inputs) {
            const Bytes packed = streamCompress(data, TCompressMode::Good);
            QVERIFY(streamDecompress(packed) == data);
            const Bytes cut(packed.begin(), packed.end() - 1);
            QCOMPARE(failureOf([&] { streamDecompress(cut); }),
                     std::string("Lzrw1 : Error reading from input stream ! (LZH)"));
        }
    }

    void flushErrorsAreReported()
    {
        const Bytes data = textLike(3000, 5);
        const std::string s(data.begin(), data.end());
        const Bytes packedBytes = streamCompress(data, TCompressMode::Fast);
        const std::string packed(packedBytes.begin(), packedBytes.end());
        for (bool compress : {true, false}) {
            FailingOutput sink(1 << 20, true);
            std::ostream out(&sink);
            std::stringstream in(compress ? s : packed);
            Tlzrw1 c;
            c.UseStream = true;
            c.InputStream = &in;
            c.OutputStream = &out;
            QCOMPARE(failureOf([&] { compress ? c.Compress() : c.Decompress(); }),
                     std::string("Lzrw1 : Error writing to output stream !"));
        }

        // A small file is written only when it is closed; a failure there counts.
        writeFile(path("in"), data);
        struct rlimit old;
        ::getrlimit(RLIMIT_FSIZE, &old);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tiny = old;
        tiny.rlim_cur = 10;
        ::setrlimit(RLIMIT_FSIZE, &tiny);
        Tlzrw1 c;
        c.InputFile = path("in");
        c.OutputFile = path("out");
        const std::string e = failureOf([&] { c.Compress(); });
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(e, "Lzrw1 : Error writing to output file : " + path("out"));
        QCOMPARE(entries(tmp.path().toStdString()), QStringList({"in"}));
    }

    // Pending events wait until the call returns, even across many blocks.
    void noEventsAreProcessedWhileCoding()
    {
        bool fired = false;
        QTimer::singleShot(0, [&] { fired = true; });
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        userEvents = 0;

        const Bytes data = runsAndNoise(400000, 7);
        std::stringstream in(std::string(data.begin(), data.end())), out;
        Tlzrw1 c;
        c.UseStream = true;
        c.InputStream = &in;
        c.OutputStream = &out;
        int captions = 0;
        bool firedInside = false;
        c.OnCaption = [&](const std::string &) {
            ++captions;
            firedInside = firedInside || fired || userEvents != 0;
        };
        for (auto mode : {TCompressMode::Fast, TCompressMode::Good}) {
            c.CompressMode = mode;
            in.clear();
            in.seekg(0);
            c.Compress();
        }
        QVERIFY(captions > 20);
        QVERIFY(!firedInside);
        QVERIFY(!fired);
        QTRY_VERIFY(fired && userEvents == 1);
    }

protected:
    void customEvent(QEvent *) override { ++userEvents; }

private:
    int userEvents = 0;
};

QTEST_GUILESS_MAIN(TestTlzrw1Limits)
#include "test_tlzrw1_limits.moc"
