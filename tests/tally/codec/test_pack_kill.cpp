// quillet-pack killed with SIGKILL at seeded random points of a large
// compression: the output is then absent, as it was, or complete, and no
// other file is left beside it.
#include "containertestutil.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <map>
#include <optional>
#include <random>

using namespace codectest;

namespace {

constexpr std::size_t kInputBytes = 16 << 20;

// Bytes the process has read so far, or nothing when the system does not
// tell (no I/O accounting).
std::optional<std::uint64_t> bytesRead(qint64 pid)
{
    QFile io(QString("/proc/%1/io").arg(pid));
    if (!io.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = io.readAll();
    const qsizetype at = text.indexOf("rchar: ");
    if (at < 0)
        return std::nullopt;
    return text.mid(at + 7, text.indexOf('\n', at) - at - 7).toULongLong();
}

QStringList packArgs(const QString &mode, const QString &in, const QString &out)
{
    return {"compress", "--mode", mode, in, out};
}

} // namespace

class TestPackKill : public QObject {
    Q_OBJECT
private slots:
    void killedCompressionsLeaveNothingBehind();
};

void TestPackKill::killedCompressionsLeaveNothingBehind()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString work = tmp.filePath("work"), ref = tmp.filePath("ref");
    QVERIFY(QDir().mkpath(work) && QDir().mkpath(ref));
    const QString in = work + "/in", out = work + "/out";
    writeFile(in.toStdString(), textLike(kInputBytes, 7));

    // The complete outputs, to compare a surviving output with.
    QElapsedTimer clock;
    std::map<QString, Bytes> complete;
    std::map<QString, qint64> took;
    for (const QString mode : {"fast", "good"}) {
        clock.start();
        QCOMPARE(QProcess::execute(QUILLET_PACK, packArgs(mode, in, ref + "/" + mode)), 0);
        took[mode] = clock.elapsed();
        complete[mode] = readFile((ref + "/" + mode).toStdString());
    }

    std::mt19937 rng(20241209);
    int landed = 0;
    for (int run = 0; run < 20; ++run) {
        const QString mode = run % 4 == 3 ? "good" : "fast";
        const bool replacing = run % 2 == 1; // an older output is there
        const Bytes old = fromText("an older output");
        if (replacing)
            writeFile(out.toStdString(), old);
        else
            QFile::remove(out);
        // Where to kill: after this many input bytes, or, where the system
        // does not count them, after this share of a whole run's time. Every
        // fifth run waits for the whole input, to land in the last writes.
        const double share = run % 5 == 4 ? 1.0 : std::uniform_real_distribution<double>(0.0, 1.0)(rng);

        QProcess pack;
        pack.start(QUILLET_PACK, packArgs(mode, in, out));
        QVERIFY(pack.waitForStarted(10000));
        const qint64 pid = pack.processId();
        clock.start();
        bool finished = false;
        for (;;) {
            if (pack.waitForFinished(0)) {
                finished = true;
                break;
            }
            const auto read = bytesRead(pid);
            if (read ? *read >= std::uint64_t(share * kInputBytes) : clock.elapsed() >= share * took[mode])
                break;
            QVERIFY2(clock.elapsed() < 120000, "quillet-pack did not finish");
            QThread::usleep(200);
        }
        if (!finished) {
            ::kill(pid_t(pid), SIGKILL);
            QVERIFY(pack.waitForFinished(10000));
            if (pack.exitStatus() == QProcess::CrashExit)
                ++landed;
        }

        // The output: as it was, or complete.
        const std::string outPath = out.toStdString();
        if (fileExists(outPath)) {
            const Bytes now = readFile(outPath);
            QVERIFY2(now == complete[mode] || (replacing && now == old),
                     qPrintable(QString("run %1: a partial output of %2 bytes").arg(run).arg(now.size())));
        }
        // Nothing else, but for one case: a kill between giving the complete
        // file its temporary name and renaming it leaves that file, which
        // the next run removes.
        for (const QString &name : entries(work.toStdString())) {
            if (name == "in" || name == "out")
                continue;
            QVERIFY2(name.startsWith(QString(".out.%1-").arg(pid)) &&
                         readFile((work + "/" + name).toStdString()) == complete[mode],
                     qPrintable(QString("run %1 left %2").arg(run).arg(name)));
        }
    }
    QVERIFY2(landed >= 10, qPrintable(QString("only %1 of 20 kills landed during the work").arg(landed)));

    QCOMPARE(QProcess::execute(QUILLET_PACK, packArgs("fast", in, out)), 0);
    QCOMPARE(entries(work.toStdString()), QStringList({"in", "out"}));
    QVERIFY(readFile(out.toStdString()) == complete["fast"]);
}

QTEST_GUILESS_MAIN(TestPackKill)
#include "test_pack_kill.moc"
