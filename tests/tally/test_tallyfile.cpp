// The tally file: its exact bytes, damaged files, and saves that fail midway.
#include "tally/tallyfile.h"

#include "tally/codec/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using quillet::TallyFile;
using quillet::TallyGrid;
using Status = TallyFile::Loaded::Status;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

TallyGrid sampleGrid()
{
    TallyGrid g;
    g.addRow("Ann");
    g.addRow("Bob");
    g.addit(1, 0);
    g.addit(2, 0);
    g.recordGame({"Ann", "Bob"}, "Ann", false);
    return g;
}

} // namespace

class TestTallyFile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void emptyTallyIsTheKnown24Bytes();
    void saveAndLoad();
    void missingFile();
    void damagedFiles_data();
    void damagedFiles();
    void hugeClaimedSizeIsRefusedBeforeDecoding();
    void damagedFilesInARowAreAllKept();
    void saveFailingMidwayKeepsThePreviousFile();
    void saveIntoMissingDirectoryFails();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
};

void TestTallyFile::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    path_ = dir_->filePath("quillettally.tld");
}

void TestTallyFile::emptyTallyIsTheKnown24Bytes()
{
    QString error;
    QVERIFY2(TallyFile(path_).save(TallyGrid(), &error), qPrintable(error));
    QCOMPARE(readAll(path_), QByteArray::fromHex("57525A4C210000000E00400180390D0A310D0A30003F0125"));
}

void TestTallyFile::saveAndLoad()
{
    TallyFile file(path_);
    QString error;
    QVERIFY2(file.save(sampleGrid(), &error), qPrintable(error));
    const TallyFile::Loaded loaded = file.load();
    QCOMPARE(loaded.status, Status::Ok);
    QVERIFY(loaded.grid == sampleGrid());
    // The text travels through memory: nothing else appears beside the file.
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList{"quillettally.tld"});
    QVERIFY(!QFile::exists("temp.txt"));
}

void TestTallyFile::missingFile()
{
    const TallyFile::Loaded loaded = TallyFile(path_).load();
    QCOMPARE(loaded.status, Status::Missing);
    QVERIFY(loaded.grid == TallyGrid());
}

void TestTallyFile::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QByteArray good = TallyFile::compress(sampleGrid().toText(), nullptr);
    QTest::newRow("no header") << QByteArray("hello, world") << "%1 : Lzrw1 decompression : this file has no valid header !";
    QTest::newRow("empty") << QByteArray() << "Lzrw1 : Error reading from input file : %1";
    QTest::newRow("cut short") << good.left(good.size() - 5) << "Lzrw1 : Error reading from input file : %1";
    QTest::newRow("absurd grid") << TallyFile::compress("9\r\n-4\r\n", nullptr)
                                 << "The tally file is damaged: its row count \"-4\" is not a number of rows.";
    QTest::newRow("grid beyond its text") << TallyFile::compress("9\r\n300000\r\n0\r\n", nullptr)
                                          << "The tally file is damaged: it promises 300000 rows but holds only 1 cells.";
}

void TestTallyFile::damagedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    writeAll(path_, bytes);
    TallyFile file(path_);
    const TallyFile::Loaded loaded = file.load();
    QCOMPARE(loaded.status, Status::Damaged);
    QCOMPARE(loaded.error, message.contains("%1") ? message.arg(path_) : message);
    QVERIFY(loaded.grid == TallyGrid());
    QCOMPARE(readAll(path_), bytes); // reading never changes the file

    QString error;
    QCOMPARE(file.keepDamaged(&error), path_ + ".bad");
    QVERIFY(!QFile::exists(path_));
    QCOMPARE(readAll(path_ + ".bad"), bytes);
}

void TestTallyFile::hugeClaimedSizeIsRefusedBeforeDecoding()
{
    // A valid header promising 3 GiB, followed by blocks that would decode.
    QByteArray bytes = TallyFile::compress(QByteArray(40000, 'a'), nullptr);
    bytes[4] = 0;
    bytes[5] = 0;
    bytes[6] = 0;
    bytes[7] = char(0xC0);
    writeAll(path_, bytes);
    const TallyFile::Loaded loaded = TallyFile(path_).load();
    QCOMPARE(loaded.status, Status::Damaged);
    QVERIFY2(loaded.error.contains("far more than any tally"), qPrintable(loaded.error));
}

void TestTallyFile::damagedFilesInARowAreAllKept()
{
    // Each damaged file may hold years of games: none replaces another, a
    // folder in the way included.
    TallyFile file(path_);
    QVERIFY(QDir(dir_->path()).mkdir("quillettally.tld.bad.1"));
    const QStringList kept{path_ + ".bad", path_ + ".bad.2", path_ + ".bad.3"};
    for (int i = 0; i < kept.size(); ++i) {
        writeAll(path_, "damage " + QByteArray::number(i));
        QCOMPARE(file.load().status, Status::Damaged);
        QString error;
        QCOMPARE(file.keepDamaged(&error), kept[i]);
        QVERIFY(error.isEmpty());
    }
    for (int i = 0; i < kept.size(); ++i)
        QCOMPARE(readAll(kept[i]), "damage " + QByteArray::number(i));
    QVERIFY(QFileInfo(path_ + ".bad.1").isDir());

    // Nothing to move: it says so and invents no name.
    QString error;
    QVERIFY(file.keepDamaged(&error).isEmpty());
    QVERIFY2(error.startsWith("Cannot move " + path_ + " aside: "), qPrintable(error));
}

void TestTallyFile::saveFailingMidwayKeepsThePreviousFile()
{
    TallyFile file(path_);
    QVERIFY(file.save(sampleGrid(), nullptr));
    const QByteArray before = readAll(path_);

    TallyGrid changed = sampleGrid();
    changed.addRow("Cid");
    // The write stops after a few bytes, as a full disk or a killed program would.
    file.write = [](quillet::safefile::Replacement &out, const QByteArray &bytes) {
        out.write(bytes.constData(), 5);
        return false;
    };
    QString error;
    QVERIFY(!file.save(changed, &error));
    QCOMPARE(error, "Lzrw1 : Error writing to output file : " + path_);
    QCOMPARE(readAll(path_), before);
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"quillettally.tld"});
    QCOMPARE(file.load().status, Status::Ok);

    file.write = nullptr;
    QVERIFY(file.save(changed, nullptr));
    QVERIFY(file.load().grid == changed);
}

void TestTallyFile::saveIntoMissingDirectoryFails()
{
    QString error;
    QVERIFY(!TallyFile(dir_->filePath("gone/quillettally.tld")).save(TallyGrid(), &error));
    QVERIFY(error.startsWith("Lzrw1 (de)compression : Failed to open output file : "));
}

QTEST_GUILESS_MAIN(TestTallyFile)
#include "test_tallyfile.moc"
