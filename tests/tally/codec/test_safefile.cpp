// Replacing files whole or not at all, with and without anonymous files;
// sweeping the temporaries of dead processes; keeping files aside; telling
// when two names are one file.
#include "containertestutil.h"
#include "tally/codec/safefile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace codectest;
namespace safefile = quillet::safefile;

class TestSafeFile : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    std::string path(const std::string &name) const { return tmp.path().toStdString() + "/" + name; }
    QStringList listing() const { return entries(tmp.path().toStdString()); }

    // A PID that ran and is gone.
    static long deadPid()
    {
        QProcess p;
        p.start("true", {});
        if (!p.waitForStarted(10000))
            return -1;
        const long pid = long(p.processId());
        p.waitForFinished(10000);
        return pid;
    }

private slots:
    void init()
    {
        safefile::setAnonymousFiles(true);
        QDir(tmp.path()).removeRecursively();
        QVERIFY(QDir().mkpath(tmp.path()));
    }
    void cleanup() { safefile::setAnonymousFiles(true); }

    void replaceWholeOrNotAtAll_data()
    {
        QTest::addColumn<bool>("anonymous");
        QTest::newRow("anonymous file") << true;
        QTest::newRow("named temporary") << false;
    }

    void replaceWholeOrNotAtAll()
    {
        QFETCH(bool, anonymous);
        safefile::setAnonymousFiles(anonymous);
        const Bytes data = randomBytes(200000, 3); // beyond the write buffer
        const std::string t = path("t");

        // A new file: nothing under its name until it is complete.
        auto r = safefile::Replacement::create(t);
        QVERIFY(r);
        QCOMPARE(r->anonymous(), anonymous);
        QVERIFY(r->write(data.data(), data.size()));
        if (anonymous) {
            QCOMPARE(listing(), QStringList());
        } else {
            QCOMPARE(listing().size(), 1);
            QVERIFY2(listing()[0].startsWith(QString(".t.%1-").arg(::getpid())), qPrintable(listing()[0]));
        }
        QVERIFY(r->commit());
        QVERIFY(readFile(t) == data);
        QCOMPARE(listing(), QStringList{"t"});

        // Replacing: given up, or dropped unfinished, the old file stays; its
        // mode survives a replacement.
        writeFile(t, fromText("old"));
        QVERIFY(::chmod(t.c_str(), 0640) == 0);
        r = safefile::Replacement::create(t);
        QVERIFY(r && r->write(data.data(), data.size()));
        r->discard();
        QVERIFY(!r->commit());
        r = safefile::Replacement::create(t);
        QVERIFY(r && r->write(data.data(), 10));
        r.reset();
        QVERIFY(readFile(t) == fromText("old"));
        QCOMPARE(listing(), QStringList{"t"});

        QVERIFY(safefile::replaceWith(t, data.data(), data.size()));
        QVERIFY(readFile(t) == data);
        struct stat st;
        QVERIFY(::stat(t.c_str(), &st) == 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
        QCOMPARE(listing(), QStringList{"t"});
    }

    void linksAndRefusedTargets()
    {
        // A symbolic link: the file it points at is replaced, the link stays.
        writeFile(path("real"), fromText("old"));
        QVERIFY(::symlink("real", path("link").c_str()) == 0);
        QVERIFY(safefile::replaceWith(path("link"), "new", 3));
        QVERIFY(readFile(path("real")) == fromText("new"));
        struct stat st;
        QVERIFY(::lstat(path("link").c_str(), &st) == 0 && S_ISLNK(st.st_mode));

        // A folder, a path through a regular file, a missing folder: refused
        // with the reason, nothing made.
        QVERIFY(QDir(tmp.path()).mkdir("dir"));
        const std::pair<std::string, int> refused[] = {
            {path("dir"), EISDIR}, {path("real/inside"), ENOTDIR}, {path("gone/file"), ENOENT}, {"", ENOENT}};
        for (const auto &[target, err] : refused) {
            errno = 0;
            QVERIFY2(!safefile::Replacement::create(target), target.c_str());
            QCOMPARE(errno, err);
        }
        QCOMPARE(listing(), QStringList({"dir", "link", "real"}));

        if (::geteuid() == 0) {
            qInfo("running as root: a read-only file does not stop writes, that case is left out");
        } else {
            QVERIFY(::chmod(path("real").c_str(), 0444) == 0);
            QVERIFY(!safefile::replaceWith(path("real"), "x", 1));
            QCOMPARE(errno, EACCES);
            QVERIFY(readFile(path("real")) == fromText("new"));
        }
    }

    void staleTemporariesOfDeadProcessesAreSwept()
    {
        const long dead = deadPid();
        QVERIFY(dead > 1);
        const std::string t = path("t");
        auto temp = [&](long pid, unsigned n) { return safefile::temporaryName(t, pid, n); };
        const QStringList kept{
            QString(".t.%1-1.tmp").arg(::getppid()),       // its process still runs
            QString(".t.%1-1.tmp").arg(::getpid()),        // ours
            QString(".other.%1-1.tmp").arg(dead),          // another file's
            ".t.0-1.tmp", ".t.-5-1.tmp", ".t.99999999999-1.tmp", ".t.12x-1.tmp", ".t.12-.tmp",
            QString("t.%1-1.tmp").arg(dead),
        };
        for (const QString &name : kept)
            writeFile(path(name.toStdString()), fromText("x"));
        writeFile(temp(dead, 1), fromText("left by a killed run"));
        writeFile(temp(dead, 7), fromText("and another"));
        QVERIFY(QDir(tmp.path()).mkdir(QString::fromStdString(temp(dead, 2)).section('/', -1))); // not a file

        QCOMPARE(safefile::sweepStale(t), 2);
        QStringList expected = kept;
        expected << QString::fromStdString(temp(dead, 2)).section('/', -1);
        expected.sort();
        QCOMPARE(listing(), expected);

        // Every replacement sweeps first.
        writeFile(temp(dead, 3), fromText("left again"));
        QVERIFY(safefile::replaceWith(t, "new", 3));
        expected << "t";
        expected.sort();
        QCOMPARE(listing(), expected);
    }

    void keepAsideNeverReplaces()
    {
        const std::string f = path("f");
        QVERIFY(QDir(tmp.path()).mkdir("f.old.1"));
        const std::string expected[] = {path("f.old"), path("f.old.2"), path("f.old.3")};
        for (int i = 0; i < 3; ++i) {
            writeFile(f, fromText("copy " + std::to_string(i)));
            QCOMPARE(safefile::keepAside(f, ".old").value_or("none"), expected[i]);
        }
        for (int i = 0; i < 3; ++i)
            QVERIFY(readFile(expected[i]) == fromText("copy " + std::to_string(i)));
        errno = 0;
        QVERIFY(!safefile::keepAside(f, ".old"));
        QCOMPARE(errno, ENOENT);
    }

    void sameFile()
    {
        writeFile(path("a"), fromText("same bytes"));
        writeFile(path("b"), fromText("same bytes"));
        QVERIFY(::link(path("a").c_str(), path("hard").c_str()) == 0);
        QVERIFY(::symlink(path("a").c_str(), path("soft").c_str()) == 0);
        QVERIFY(safefile::sameFile(path("a"), path("a")));
        QVERIFY(safefile::sameFile(path("a"), tmp.path().toStdString() + "/./a"));
        QVERIFY(safefile::sameFile(path("a"), path("hard")));
        QVERIFY(safefile::sameFile(path("soft"), path("a")));
        QVERIFY(!safefile::sameFile(path("a"), path("b")));
        QVERIFY(!safefile::sameFile(path("a"), path("missing")));
        QVERIFY(!safefile::sameFile(path("missing"), path("missing")));
    }
};

QTEST_GUILESS_MAIN(TestSafeFile)
#include "test_safefile.moc"
