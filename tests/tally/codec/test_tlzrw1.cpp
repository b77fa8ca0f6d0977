// The container: exact files, block layout, both modes, the mode advice, the
// captions and every error text, and that a failure leaves no output behind.
#include "containertestutil.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace quillet;
using namespace codectest;

namespace {

const char *kFastMismatch = "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
const char *kGoodMismatch = "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !";

// Splits a Fast container into its blocks' decoded lengths.
std::vector<std::size_t> fastBlockSizes(const Bytes &container)
{
    std::vector<std::size_t> sizes;
    std::size_t at = 8;
    Bytes out(TLZR::kBlockSize + TLZR::kSpare);
    while (at + 2 <= container.size()) {
        const std::size_t len = container[at] | std::size_t(container[at + 1]) << 8;
        at += 2;
        const Bytes block(container.begin() + long(at), container.begin() + long(at + len));
        at += len;
        sizes.push_back(TLZR::Decompress(block, out).value_or(999999));
    }
    return sizes;
}

} // namespace

class TestTlzrw1 : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    std::string path(const std::string &name) const { return tmp.path().toStdString() + "/" + name; }

    Tlzrw1 fileCodec(const std::string &in, const std::string &out, TCompressMode mode = TCompressMode::Good)
    {
        Tlzrw1 c;
        c.InputFile = in;
        c.OutputFile = out;
        c.CompressMode = mode;
        return c;
    }

private slots:
    void init()
    {
        for (const QString &e : entries(tmp.path().toStdString()))
            QFile::remove(tmp.path() + "/" + e);
    }

    void firstTallyFile()
    {
        writeFile(path("temp.txt"), firstTallyText());
        Tlzrw1 doit = fileCodec(path("temp.txt"), path("quillettally.tld"), TCompressMode::Fast);
        QCOMPARE(doit.Compress(), std::uint64_t(24));
        QCOMPARE(toHex(readFile(path("quillettally.tld"))),
                 std::string("57 52 5A 4C 21 00 00 00 0E 00 40 01 80 39 0D 0A 31 0D 0A 30 00 3F 01 25"));

        // Read back whatever the mode.
        Tlzrw1 back = fileCodec(path("quillettally.tld"), path("back.txt"), TCompressMode::Good);
        QCOMPARE(back.Decompress(), std::uint64_t(33));
        QVERIFY(readFile(path("back.txt")) == firstTallyText());
    }

    void emptyInput()
    {
        QCOMPARE(toHex(streamCompress({}, TCompressMode::Fast)), std::string("57 52 5A 4C 00 00 00 00 01 00 80"));
        QCOMPARE(toHex(streamCompress({}, TCompressMode::Good)), std::string("21 48 5A 4C 00 00 00 00"));
        QVERIFY(streamDecompress(fromHex("57 52 5A 4C 00 00 00 00 01 00 80")).empty());
        QVERIFY(streamDecompress(fromHex("21 48 5A 4C 00 00 00 00")).empty());
    }

    void blockBoundaries_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {0, 1, 2, 32767, 32768, 32769, 65536, 100000})
            QTest::addRow("%d", size) << size;
    }
    void blockBoundaries()
    {
        QFETCH(int, size);
        const std::size_t n = std::size_t(size);
        const Bytes data = textLike(n, unsigned(size));

        const Bytes fast = streamCompress(data, TCompressMode::Fast);
        const auto blocks = fastBlockSizes(fast);
        QCOMPARE(blocks.size(), n / TLZR::kBlockSize + 1);
        for (std::size_t i = 0; i + 1 < blocks.size(); ++i)
            QCOMPARE(blocks[i], TLZR::kBlockSize);
        QCOMPARE(blocks.back(), n % TLZR::kBlockSize);
        if (n % TLZR::kBlockSize == 0)
            QCOMPARE(toHex(Bytes(fast.end() - 3, fast.end())), std::string("01 00 80"));
        QVERIFY(streamDecompress(fast) == data);

        const Bytes good = streamCompress(data, TCompressMode::Good);
        QCOMPARE(toHex(Bytes(good.begin(), good.begin() + 4)), std::string("21 48 5A 4C"));
        QVERIFY(streamDecompress(good) == data);
    }

    void roundTrips_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("fast");
        for (int size : {5, 1000, 98304, 300000})
            for (bool fast : {true, false}) {
                const char *m = fast ? "fast" : "good";
                QTest::addRow("text %d %s", size, m) << 0 << size << fast;
                QTest::addRow("runs %d %s", size, m) << 1 << size << fast;
                QTest::addRow("random %d %s", size, m) << 2 << size << fast;
            }
    }
    void roundTrips()
    {
        QFETCH(int, kind);
        QFETCH(int, size);
        QFETCH(bool, fast);
        const std::size_t n = std::size_t(size);
        const Bytes data = kind == 0 ? textLike(n, 51) : kind == 1 ? runsAndNoise(n, 52) : randomBytes(n, 53);
        const Bytes packed = streamCompress(data, fast ? TCompressMode::Fast : TCompressMode::Good);
        QVERIFY(streamDecompress(packed) == data);
        if (fast)
            QVERIFY(packed.size() <= 8 + n + 3 * (n / TLZR::kBlockSize + 1));
    }

    void fileRoundTripReturnsSizes()
    {
        const Bytes data = runsAndNoise(200000, 61);
        writeFile(path("in"), data);
        for (auto mode : {TCompressMode::Fast, TCompressMode::Good}) {
            Tlzrw1 c = fileCodec(path("in"), path("packed"), mode);
            const auto written = c.Compress();
            QCOMPARE(written, std::uint64_t(readFile(path("packed")).size()));
            Tlzrw1 d = fileCodec(path("packed"), path("out"));
            QCOMPARE(d.Decompress(), std::uint64_t(data.size()));
            QVERIFY(readFile(path("out")) == data);
        }
        QCOMPARE(entries(tmp.path().toStdString()).size(), 3); // no temporary files left
    }

    // An output that is the input, by its name or through a link, is refused
    // before anything is written: the input is never changed.
    void outputThatIsTheInputIsRefused()
    {
        const Bytes data = textLike(70000, 62);
        writeFile(path("same"), data);
        writeFile(path("packed"), streamCompress(data, TCompressMode::Fast));
        QVERIFY(::link(path("same").c_str(), path("hard").c_str()) == 0);
        QVERIFY(::symlink("same", path("soft").c_str()) == 0);
        QVERIFY(::link(path("packed").c_str(), path("packedhard").c_str()) == 0);
        const QStringList before = entries(tmp.path().toStdString());

        for (const char *out : {"same", "hard", "soft", "./same"}) {
            for (auto mode : {TCompressMode::Fast, TCompressMode::Good}) {
                QCOMPARE(failureOf([&] { fileCodec(path("same"), path(out), mode).Compress(); }),
                         "Lzrw1 (de)compression : the output file " + path(out) + " is the input file " +
                             path("same") + " : nothing was written !");
            }
        }
        QCOMPARE(failureOf([&] { fileCodec(path("packed"), path("packedhard")).Decompress(); }),
                 "Lzrw1 (de)compression : the output file " + path("packedhard") + " is the input file " +
                     path("packed") + " : nothing was written !");
        QVERIFY(readFile(path("same")) == data);
        QVERIFY(readFile(path("packed")) == streamCompress(data, TCompressMode::Fast));
        QCOMPARE(entries(tmp.path().toStdString()), before);

        // A copy is another file, and may be written.
        writeFile(path("copy"), data);
        fileCodec(path("same"), path("copy"), TCompressMode::Fast).Compress();
        QVERIFY(readFile(path("copy")) == streamCompress(data, TCompressMode::Fast));
    }

    void advise_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("compressible");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("caption");
        QTest::newRow("98303 text") << 98303 << true << int(TCompressMode::Good)
                                    << "Lzrw1 recommends GOOD compression :  small file !!";
        QTest::newRow("98304 text") << 98304 << true << int(TCompressMode::Fast) << "FAST";
        QTest::newRow("98304 random") << 98304 << false << int(TCompressMode::Good) << "GOOD";
    }
    void advise()
    {
        QFETCH(int, size);
        QFETCH(bool, compressible);
        QFETCH(int, answer);
        QFETCH(QString, caption);
        const std::size_t n = std::size_t(size);
        const Bytes data = compressible ? Bytes(n, 'q') : randomBytes(n, 71);
        writeFile(path("in"), data);

        Tlzrw1 c = fileCodec(path("in"), "", TCompressMode::Fast);
        std::vector<std::string> captions;
        c.OnCaption = [&](const std::string &s) { captions.push_back(s); };
        QCOMPARE(int(c.Advise()), answer);
        QCOMPARE(captions.size(), std::size_t(2));
        QCOMPARE(captions[0], "Guessing the best compression mode for : " + path("in"));
        if (size < 98304) {
            QCOMPARE(QString::fromStdString(captions[1]), caption);
            QCOMPARE(c.CompressMode, TCompressMode::Good); // a small input switches the mode
        } else {
            QCOMPARE(c.CompressMode, TCompressMode::Fast); // sampling leaves it
            const Bytes sample(n / 3 / 32768 * 32768 + data.begin(), data.begin() + std::min<std::size_t>(n, n / 3 / 32768 * 32768 + 32768));
            TLZR lzr;
            Bytes out(sample.size() + TLZR::kSpare);
            const std::size_t ca = lzr.Compress(sample, out);
            const std::string p = std::to_string(2 * ca * 100 / (2 * sample.size()));
            QCOMPARE(captions[1], "Lzrw1 recommends " + caption.toStdString() + " compression : " + p + "%.");
        }
    }

    void autoModeFollowsTheAdvice()
    {
        const Bytes data(120000, 'z');
        Tlzrw1 c;
        c.UseStream = true;
        std::stringstream in(std::string(data.begin(), data.end()));
        std::stringstream out;
        c.InputStream = &in;
        c.OutputStream = &out;
        c.CompressMode = TCompressMode::Auto;
        c.Compress();
        QCOMPARE(out.str().substr(0, 4), std::string("WRZL")); // Advise restored the stream for Compress
        QCOMPARE(c.CompressMode, TCompressMode::Auto);
        const std::string s = out.str();
        QVERIFY(streamDecompress(Bytes(s.begin(), s.end())) == data);

        std::stringstream small("tiny"), out2;
        c.InputStream = &small;
        c.OutputStream = &out2;
        c.Compress();
        QCOMPARE(out2.str().substr(0, 4), std::string("!HZL"));
        QCOMPARE(c.CompressMode, TCompressMode::Good);
    }

    void captions()
    {
        const Bytes data(70000, 'c');
        writeFile(path("in"), data);
        Tlzrw1 c = fileCodec(path("in"), path("out"), TCompressMode::Fast);
        std::vector<std::string> seen;
        c.OnCaption = [&](const std::string &s) { seen.push_back(s); };
        const auto written = c.Compress();
        // Three blocks: two full ones (38 bytes each coded) and 4464 bytes.
        QCOMPARE(seen.size(), std::size_t(4));
        QCOMPARE(seen[0], std::string("(LZRW1/KH) Bytes in : 32768 Bytes out : 48"));
        QCOMPARE(seen[1], std::string("(LZRW1/KH) Bytes in : 65536 Bytes out : 88"));
        QCOMPARE(seen[2], "(LZRW1/KH) Bytes in : 70000 Bytes out : " + std::to_string(written));
        QCOMPARE(seen[3], path("in") + " : Lzrw1 : successfully compressed at " +
                              std::to_string(written * 100 / 70000) + "%");

        seen.clear();
        Tlzrw1 d = fileCodec(path("out"), path("back"));
        d.OnCaption = [&](const std::string &s) { seen.push_back(s); };
        d.Decompress();
        QCOMPARE(seen.size(), std::size_t(4));
        QCOMPARE(seen[0], std::string("(LZRW1/KH) Bytes in : 48 Bytes out : 32768"));
        QCOMPARE(seen[3], path("out") + " : Lzrw1 : successfully decompressed at " +
                              std::to_string(70000 * 100 / written) + "%");

        seen.clear();
        Tlzrw1 g = fileCodec(path("in"), path("out"), TCompressMode::Good);
        g.OnCaption = [&](const std::string &s) { seen.push_back(s); };
        const auto gw = g.Compress();
        QVERIFY(seen.size() >= 4);
        QCOMPARE(seen[0], std::string("(LZH) Bytes in : 32768 Bytes out : 8"));
        QCOMPARE(seen[seen.size() - 2], "(LZH) Bytes in : 70000 Bytes out : " + std::to_string(gw));
    }

    void fileModeErrors()
    {
        const std::string in = path("in"), out = path("out"), nowhere = path("no/such/dir/out");
        writeFile(in, textLike(5000, 81));

        auto compress = [&](const std::string &i, const std::string &o) {
            return failureOf([&] { fileCodec(i, o, TCompressMode::Fast).Compress(); });
        };
        auto decompress = [&](const std::string &i, const std::string &o) {
            return failureOf([&] { fileCodec(i, o).Decompress(); });
        };

        QCOMPARE(compress(path("missing"), out), "Lzrw1 compression : Failed to obtain the size of : " + path("missing"));
        QCOMPARE(compress(tmp.path().toStdString(), out),
                 "Lzrw1 compression : Failed to obtain the size of : " + tmp.path().toStdString());
        QCOMPARE(compress(in, nowhere), "Lzrw1 (de)compression : Failed to open output file : " + nowhere);
        QCOMPARE(compress(in, tmp.path().toStdString()),
                 "Lzrw1 (de)compression : Failed to open output file : " + tmp.path().toStdString());
        QCOMPARE(decompress(path("missing"), out), "Lzrw1 (de)compression : Failed to open input file : " + path("missing"));

        writeFile(path("packed"), streamCompress(readFile(in), TCompressMode::Fast));
        QCOMPARE(decompress(path("packed"), nowhere), "Lzrw1 (de)compression : Failed to open output file : " + nowhere);

        writeFile(path("bad"), fromText("WRZX\x10"));
        QCOMPARE(decompress(path("bad"), out), path("bad") + " : Lzrw1 decompression : this file has no valid header !");
        writeFile(path("bad"), fromText("!H"));
        QCOMPARE(decompress(path("bad"), out), "Lzrw1 : Error reading from input file : " + path("bad"));

        Bytes fast = readFile(path("packed"));
        writeFile(path("bad"), Bytes(fast.begin(), fast.end() - 1));
        QCOMPARE(decompress(path("bad"), out), "Lzrw1 : Error reading from input file : " + path("bad"));
        writeFile(path("bad"), Bytes(fast.begin(), fast.begin() + 6));
        QCOMPARE(decompress(path("bad"), out), "Lzrw1 : Error reading from input file : " + path("bad"));
        fast[4] ^= 1; // the size field
        writeFile(path("bad"), fast);
        QCOMPARE(decompress(path("bad"), out), std::string(kFastMismatch));

        const Bytes good = streamCompress(readFile(in), TCompressMode::Good);
        writeFile(path("bad"), Bytes(good.begin(), good.end() - 1));
        QCOMPARE(decompress(path("bad"), out), "Lzrw1 : Error reading from input file : " + path("bad") + " (LZH)");
        writeFile(path("bad"), fromHex("21 48 5A 4C 03 00 00 00 8D 00 00")); // a match of 4 for a size of 3
        QCOMPARE(decompress(path("bad"), out), std::string(kGoodMismatch));

        QCOMPARE(failureOf([&] { fileCodec(path("missing"), "").Advise(); }),
                 "Lzrw1 advise : can not get the size of : " + path("missing"));

        QVERIFY(!fileExists(out));
        QVERIFY(readFile(in) == textLike(5000, 81)); // the input is never changed
        QCOMPARE(entries(tmp.path().toStdString()), QStringList({"bad", "in", "packed"}));
    }

    // A socket file has a size but cannot be opened.
    void inputThatCannotBeOpened()
    {
        const std::string sock = path("sock");
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (sock.size() >= sizeof addr.sun_path)
            QSKIP("scratch path too long for a socket");
        std::strcpy(addr.sun_path, sock.c_str());
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0);

        QCOMPARE(failureOf([&] { fileCodec(sock, path("out")).Compress(); }),
                 "Lzrw1 (de)compression : Failed to open input file : " + sock);
        QCOMPARE(failureOf([&] { fileCodec(sock, "").Advise(); }), "Lzrw1 advise : can open input file : " + sock);
        ::close(fd);
        QVERIFY(!fileExists(path("out")));
    }

    void readErrorsWhileCoding()
    {
        // Reading a process's own memory at address 0 is an I/O error.
        const std::string mem = "/proc/self/mem";
        if (::access(mem.c_str(), R_OK) != 0)
            QSKIP("no /proc here");
        QCOMPARE(failureOf([&] { fileCodec(mem, path("out"), TCompressMode::Fast).Compress(); }),
                 "Lzrw1 : Error reading from input file : " + mem + " (LZRW1/KH)");
        QCOMPARE(failureOf([&] { fileCodec(mem, path("out"), TCompressMode::Good).Compress(); }),
                 "Lzrw1 : Error reading from input file : " + mem + " (LZH)");
        QVERIFY(entries(tmp.path().toStdString()).isEmpty());
    }

    void writeErrorLeavesNothing()
    {
        writeFile(path("in"), randomBytes(200000, 91));
        writeFile(path("out"), fromText("old"));
        struct rlimit old;
        ::getrlimit(RLIMIT_FSIZE, &old);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 100000;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const std::string fast = failureOf([&] { fileCodec(path("in"), path("out"), TCompressMode::Fast).Compress(); });
        const std::string good = failureOf([&] { fileCodec(path("in"), path("out"), TCompressMode::Good).Compress(); });
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(fast, "Lzrw1 : Error writing to output file : " + path("out"));
        QCOMPARE(good, "Lzrw1 : Error writing to output file : " + path("out"));
        QVERIFY(readFile(path("out")) == fromText("old")); // the old file is untouched
        QCOMPARE(entries(tmp.path().toStdString()), QStringList({"in", "out"}));
    }

    void failedDecompressKeepsTheOldOutput()
    {
        const Bytes packed = streamCompress(textLike(100000, 92), TCompressMode::Fast);
        writeFile(path("cut"), Bytes(packed.begin(), packed.end() - 10));
        writeFile(path("out"), fromText("previous"));
        QVERIFY(!failureOf([&] { fileCodec(path("cut"), path("out")).Decompress(); }).empty());
        QVERIFY(readFile(path("out")) == fromText("previous"));
        QCOMPARE(entries(tmp.path().toStdString()), QStringList({"cut", "out"}));
    }

    void streamModeErrors()
    {
        Tlzrw1 c;
        c.UseStream = true;
        QCOMPARE(failureOf([&] { c.Compress(); }), std::string("Lzrw1 compression : Failed to obtain the size of the input stream !"));
        QCOMPARE(failureOf([&] { c.Decompress(); }), std::string("Lzrw1 (de)compression : Failed to initialize input stream !"));
        QCOMPARE(failureOf([&] { c.Advise(); }), std::string("Lzrw1 advise : can not get size of inputstream !"));

        std::stringstream in("some data"), out;
        c.InputStream = &in;
        QCOMPARE(failureOf([&] { c.Compress(); }), std::string("Lzrw1 (de)compression : Failed to initialize output stream !"));

        std::stringstream bad("HZL!1234"), good(std::string("!HZL\x05\0\0\0", 8)),
            cut(std::string("WRZL\x05\0\0\0\x06\0\x80", 11));
        c.OutputStream = &out;
        c.InputStream = &bad;
        QCOMPARE(failureOf([&] { c.Decompress(); }), std::string("Lzrw1 decompression : input stream contains no valid header !"));
        c.InputStream = &good;
        QCOMPARE(failureOf([&] { c.Decompress(); }), std::string("Lzrw1 : Error reading from input stream ! (LZH)"));
        c.InputStream = &cut;
        QCOMPARE(failureOf([&] { c.Decompress(); }), std::string("Lzrw1 : Error reading from input stream !"));

        FakeInput broken({}, 200000, true);
        std::istream brokenIn(&broken);
        c.InputStream = &brokenIn;
        c.CompressMode = TCompressMode::Fast;
        QCOMPARE(failureOf([&] { c.Compress(); }), std::string("Lzrw1 : Error reading from input stream ! (LZRW1/KH)"));
        brokenIn.clear();
        c.CompressMode = TCompressMode::Good;
        QCOMPARE(failureOf([&] { c.Compress(); }), std::string("Lzrw1 : Error reading from input stream ! (LZH)"));
        brokenIn.clear();
        QCOMPARE(failureOf([&] { c.Advise(); }), std::string("Lzrw1 advise : input stream read error !"));

        FailingOutput full(10, false);
        std::ostream fullOut(&full);
        std::stringstream data(std::string(5000, 'x'));
        c.InputStream = &data;
        c.OutputStream = &fullOut;
        QCOMPARE(failureOf([&] { c.Compress(); }), std::string("Lzrw1 : Error writing to output stream !"));
    }

    void adviseLeavesTheStreamWhereItWas()
    {
        Bytes data;
        while (data.size() < 200000)
            for (char ch : std::string("abcdefgh"))
                data.insert(data.end(), 20, std::uint8_t(ch));
        std::stringstream in(std::string(data.begin(), data.end()));
        in.seekg(1000);
        Tlzrw1 c;
        c.UseStream = true;
        c.InputStream = &in;
        QCOMPARE(c.Advise(), TCompressMode::Fast);
        QCOMPARE(std::int64_t(in.tellg()), std::int64_t(1000));
    }

    // Damaged containers either restore something or fail with a container
    // text; nothing else escapes.
    void damagedContainersFailCleanly()
    {
        const std::vector<std::string> texts = {kFastMismatch, kGoodMismatch,
                                                "Lzrw1 : Error reading from input stream !",
                                                "Lzrw1 : Error reading from input stream ! (LZH)",
                                                "Lzrw1 decompression : input stream contains no valid header !"};
        std::mt19937 rng(95);
        for (bool fast : {true, false}) {
            const Bytes packed = streamCompress(runsAndNoise(80000, 96), fast ? TCompressMode::Fast : TCompressMode::Good);
            for (int i = 0; i < 300; ++i) {
                Bytes bad = packed;
                if (i % 3 == 0)
                    bad.resize(rng() % bad.size());
                else
                    for (int k = 0; k < 1 + i % 4; ++k)
                        bad[rng() % bad.size()] ^= std::uint8_t(1 + rng() % 255);
                const std::string e = failureOf([&] { streamDecompress(bad); });
                QVERIFY2(e.empty() || std::find(texts.begin(), texts.end(), e) != texts.end(), e.c_str());
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestTlzrw1)
#include "test_tlzrw1.moc"
