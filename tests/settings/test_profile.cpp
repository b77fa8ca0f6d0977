#include "settings/profile.h"
#include "settings/settingsvalues.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

ProfileFile profileOf(const QByteArray &bytes)
{
    ProfileFile p;
    p.setContents(bytes);
    return p;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct stat statOf(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

const QByteArray allKeysCrLf =
    "[Quillet]\r\n"
    "Textsize=8\r\nTextcolor=clblack\r\nBotspeed=750\r\nTop=3\r\nLeft=3\r\nWidth=790\r\n"
    "Height=520\r\nTurnsound=0\r\nChatterSounds=true\r\nShowscorecard=false\r\n"
    "Scontop=false\r\nLtontop=false\r\nPlaysounds=true\r\nscTop=3\r\nscLeft=3\r\n"
    "ltTop=3\r\nltLeft=3\r\nShowplayable=true\r\nFourcolour=false\r\nComputerplayers=Classic\r\n";

} // namespace

class TestProfile : public QObject
{
    Q_OBJECT
private slots:
    void namesIgnoreCaseValuesDoNot();
    void integers_data();
    void integers();
    void firstSectionAndKeyWin();
    void foreignLinesKeptByteForByte();
    void newFileUsesCrLfAndKeyOrder();
    void valuesCannotBreakLines();
    void nonUtf8ValuesStillRead();
    void settingsRules();
    void textSizeRange_data();
    void textSizeRange();
    void settingsRoundTrip();
    void saveKeepsOtherWritersChanges();
    void failedWriteLeavesOldFile();
    void unwritableDirectoryLeavesOldFile();
    void incompleteFilesAreNeverRewritten();
    void unchangedFileIsNotRewritten();
    void fileLocations();
};

void TestProfile::namesIgnoreCaseValuesDoNot()
{
    const ProfileFile p = profileOf("[qUILLET]\nTOP=10\n  textColor  =  clRed  \nPlaysounds=False\n");
    QCOMPARE(p.readInteger("Quillet", "Top", 3), 10);
    QCOMPARE(p.readString("QUILLET", "Textcolor"), QStringLiteral("clRed"));
    QCOMPARE(p.readString("quillet", "playsounds"), QStringLiteral("False"));
    QVERIFY(p.hasKey("Quillet", "PLAYSOUNDS"));
    QVERIFY(!p.hasKey("Quillet", "Left"));
    QCOMPARE(p.readString("Quillet", "Left", "dflt"), QStringLiteral("dflt"));
    QCOMPARE(p.readString("Other", "Top", "none"), QStringLiteral("none"));
}

void TestProfile::integers_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << QByteArray("42") << 42;
    QTest::newRow("blanks") << QByteArray(" \t 12  ") << 12;
    QTest::newRow("plus") << QByteArray("+5") << 5;
    QTest::newRow("minus") << QByteArray("-7") << -7;
    QTest::newRow("empty") << QByteArray("") << 99;
    QTest::newRow("sign only") << QByteArray("-") << 99;
    QTest::newRow("trailing text") << QByteArray("12abc") << 99;
    QTest::newRow("word") << QByteArray("abc") << 99;
    QTest::newRow("hex") << QByteArray("0x10") << 99;
    QTest::newRow("fraction") << QByteArray("1.5") << 99;
    QTest::newRow("inner blank") << QByteArray("1 2") << 99;
    QTest::newRow("overflow") << QByteArray("99999999999") << 99;
    QTest::newRow("int max") << QByteArray("2147483647") << 2147483647;
}

void TestProfile::integers()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    const ProfileFile p = profileOf("[Quillet]\r\nTop=" + value + "\r\n");
    QCOMPARE(p.readInteger("Quillet", "Top", 99), expected);
}

void TestProfile::firstSectionAndKeyWin()
{
    ProfileFile p = profileOf("[Quillet]\nTop=1\ntop=2\n[QUILLET]\nTop=3\nLeft=4\n");
    QCOMPARE(p.readInteger("Quillet", "Top", 0), 1);
    // Only the first section counts, as the platform's profile functions do.
    QCOMPARE(p.readInteger("Quillet", "Left", 0), 0);
    p.writeString("quillet", "TOP", "9");
    QCOMPARE(p.contents(), QByteArray("[Quillet]\nTop=9\ntop=2\n[QUILLET]\nTop=3\nLeft=4\n"));
}

void TestProfile::foreignLinesKeptByteForByte()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zolvexlobby.ini");
    const QByteArray longLine(200000, 'x');
    const QByteArray before =
        "\xEF\xBB\xBF; written by the lobby\n"
        "[Lobby]\n"
        "Name=Bob\n"
        "top=99\n"
        "\n"
        "  [ QUILLET ]  \n"
        "TOP = 5\n"
        "garbage line without equals\n"
        "=no key\n"
        "Phrase1=hello there\n"
        "\n"
        "[Other]\n" + longLine + "\n"
        "x=1";
    QVERIFY(writeFile(path, before));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    ProfileFile p(path);
    QVERIFY(p.isComplete());
    QCOMPARE(p.readInteger("Quillet", "Top", 0), 5);
    QCOMPARE(p.readString("Lobby", "top"), QStringLiteral("99"));
    p.writeString("Quillet", "Top", "7");
    p.writeString("Quillet", "Width", "800");
    p.writeString("New", "k", "v");
    QString error;
    QVERIFY2(p.save(&error), qPrintable(error));

    const QByteArray expected =
        "\xEF\xBB\xBF; written by the lobby\n"
        "[Lobby]\n"
        "Name=Bob\n"
        "top=99\n"
        "\n"
        "  [ QUILLET ]  \n"
        "TOP =7\n"
        "garbage line without equals\n"
        "=no key\n"
        "Phrase1=hello there\n"
        "Width=800\n"
        "\n"
        "[Other]\n" + longLine + "\n"
        "x=1\n"
        "[New]\n"
        "k=v\n";
    QCOMPARE(readFile(path), expected);
    QCOMPARE(statOf(path).st_mode & 0777, 0600u);
    // Nothing else is left in the directory (no temporary file).
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"zolvexlobby.ini"});
}

void TestProfile::newFileUsesCrLfAndKeyOrder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zolvexlobby.ini");
    ProfileFile p(path);
    QVERIFY(p.isComplete());
    // A missing file reads as every default.
    const QuilletSettings read = readSettings(p);
    QCOMPARE(read.top, 3);
    QCOMPARE(read.width, 790);
    QCOMPARE(read.height, 520);
    QCOMPARE(read.textSize, 8);
    QCOMPARE(read.botSpeed, 750);
    QVERIFY(read.chatterSounds);
    QVERIFY(read.playSounds);
    QVERIFY(!read.turnSoundNew);
    writeSettings(p, read);
    QVERIFY(p.save());
    QCOMPARE(readFile(path), allKeysCrLf);

    // The phrases come after, in their own write; a LF file stays LF.
    QVERIFY(writeFile(path, "[Lobby]\nk=1\n"));
    ProfileFile lf(path);
    QString phrases[9];
    phrases[0] = "gg";
    phrases[8] = "bye";
    writePhrases(lf, phrases);
    QVERIFY(lf.save());
    QCOMPARE(readFile(path), QByteArray("[Lobby]\nk=1\n[Quillet]\nPhrase1=gg\nPhrase2=\nPhrase3=\n"
                                        "Phrase4=\nPhrase5=\nPhrase6=\nPhrase7=\nPhrase8=\n"
                                        "Phrase9=bye\n"));
    const QuilletSettings back = readSettings(ProfileFile(path));
    QCOMPARE(back.phrases[0], QStringLiteral("gg"));
    QVERIFY(back.phrases[1].isEmpty());
    QCOMPARE(back.phrases[8], QStringLiteral("bye"));
}

void TestProfile::valuesCannotBreakLines()
{
    ProfileFile p = profileOf("[Quillet]\r\n");
    p.writeString("Quillet", "Phrase1", "a\r\nb=c\n[Evil]\nTop=1");
    QCOMPARE(p.readString("Quillet", "Phrase1"), QStringLiteral("a  b=c [Evil] Top=1"));
    QVERIFY(!p.hasKey("Evil", "Top"));
    QCOMPARE(p.contents().count('\n'), 2);
}

void TestProfile::nonUtf8ValuesStillRead()
{
    const ProfileFile p = profileOf("[Quillet]\r\nPhrase1=caf\xE9\r\nPhrase2=caf\xC3\xA9\r\n");
    QCOMPARE(p.readString("Quillet", "Phrase1"), QStringLiteral("caf\u00E9"));
    QCOMPARE(p.readString("Quillet", "Phrase2"), QStringLiteral("caf\u00E9"));
}

void TestProfile::settingsRules()
{
    // Values are compared exactly: "False" is not "false".
    QuilletSettings s = readSettings(profileOf("[Quillet]\nChatterSounds=False\nPlaysounds=FALSE\n"
                                               "Scontop=TRUE\nBotspeed=1000 \nTurnsound=2\n"));
    QVERIFY(s.chatterSounds);
    QVERIFY(s.playSounds);
    QVERIFY(!s.scOnTop);
    QCOMPARE(s.botSpeed, 1000);
    QVERIFY(!s.turnSoundNew);

    s = readSettings(profileOf("[Quillet]\nChatterSounds=false\nPlaysounds=false\nScontop=true\n"
                               "Ltontop=true\nShowscorecard=true\nBotspeed=500\nTurnsound=1\n"
                               "Textcolor=$00FF0000\nTop=-20\nscLeft=700\nWidth=junk\n"));
    QVERIFY(!s.chatterSounds);
    QVERIFY(!s.playSounds);
    QVERIFY(s.scOnTop && s.ltOnTop && s.showScorecard);
    QCOMPARE(s.botSpeed, 500);
    QVERIFY(s.turnSoundNew);
    QCOMPARE(s.textColor, QStringLiteral("$00FF0000"));
    QCOMPARE(s.top, -20);
    QCOMPARE(s.scLeft, 700);
    QCOMPARE(s.width, 790);

    // Any other speed is Normal; a missing "Playsounds" means sounds on.
    s = readSettings(profileOf("[Quillet]\nBotspeed=250\n"));
    QCOMPARE(s.botSpeed, 750);
    QVERIFY(s.playSounds);

    // The computer players are Classic unless the file says exactly Expert.
    QVERIFY(!s.expertComputers);
    QVERIFY(readSettings(profileOf("[Quillet]\nComputerplayers=Expert\n")).expertComputers);
    QVERIFY(!readSettings(profileOf("[Quillet]\nComputerplayers=expert\n")).expertComputers);
    QVERIFY(!readSettings(profileOf("[Quillet]\nComputerplayers=Grandmaster\n")).expertComputers);
}

void TestProfile::textSizeRange_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("11, no menu item") << QByteArray("11") << 11;
    QTest::newRow("6") << QByteArray("6") << 6;
    QTest::newRow("72") << QByteArray("72") << 72;
    QTest::newRow("5") << QByteArray("5") << 8;
    QTest::newRow("99") << QByteArray("99") << 8;
    QTest::newRow("0") << QByteArray("0") << 8;
    QTest::newRow("-10") << QByteArray("-10") << 8;
    QTest::newRow("huge") << QByteArray("100000") << 8;
    QTest::newRow("unreadable") << QByteArray("big") << 8;
}

void TestProfile::textSizeRange()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    QCOMPARE(readSettings(profileOf("[Quillet]\nTextsize=" + value + "\n")).textSize, expected);
}

void TestProfile::settingsRoundTrip()
{
    QuilletSettings s;
    s.top = 40;
    s.left = -3;
    s.width = 1024;
    s.height = 700;
    s.turnSoundNew = true;
    s.chatterSounds = false;
    s.textSize = 14;
    s.textColor = "clNavy";
    s.scOnTop = true;
    s.ltOnTop = false;
    s.showScorecard = true;
    s.botSpeed = 1000;
    s.playSounds = false;
    s.scTop = 11;
    s.scLeft = 12;
    s.ltTop = 13;
    s.ltLeft = 14;
    ProfileFile p;
    writeSettings(p, s);
    const QuilletSettings r = readSettings(profileOf(p.contents()));
    QCOMPARE(r.top, s.top);
    QCOMPARE(r.left, s.left);
    QCOMPARE(r.width, s.width);
    QCOMPARE(r.height, s.height);
    QCOMPARE(r.turnSoundNew, s.turnSoundNew);
    QCOMPARE(r.chatterSounds, s.chatterSounds);
    QCOMPARE(r.textSize, s.textSize);
    QCOMPARE(r.textColor, s.textColor);
    QCOMPARE(r.scOnTop, s.scOnTop);
    QCOMPARE(r.ltOnTop, s.ltOnTop);
    QCOMPARE(r.showScorecard, s.showScorecard);
    QCOMPARE(r.botSpeed, s.botSpeed);
    QCOMPARE(r.playSounds, s.playSounds);
    QCOMPARE(r.scTop, s.scTop);
    QCOMPARE(r.scLeft, s.scLeft);
    QCOMPARE(r.ltTop, s.ltTop);
    QCOMPARE(r.ltLeft, s.ltLeft);
}

void TestProfile::saveKeepsOtherWritersChanges()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zolvexlobby.ini");
    QVERIFY(writeFile(path, "[Quillet]\r\nTop=1\r\n"));
    ProfileFile p(path);
    p.writeString("Quillet", "Top", "2");
    // The lobby writes its own section meanwhile.
    QVERIFY(writeFile(path, "[Lobby]\r\nServer=x\r\n[Quillet]\r\nTop=1\r\nLeft=5\r\n"));
    QVERIFY(p.save());
    QCOMPARE(readFile(path), QByteArray("[Lobby]\r\nServer=x\r\n[Quillet]\r\nTop=2\r\nLeft=5\r\n"));
}

void TestProfile::failedWriteLeavesOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zolvexlobby.ini");
    const QByteArray before = "[Lobby]\r\nkeep=me\r\n[Quillet]\r\nTop=1\r\n";
    QVERIFY(writeFile(path, before));
    ProfileFile p(path);
    p.writeString("Quillet", "Phrase1", QString(4000, QLatin1Char('p')));

    // Make every write past a few hundred bytes fail (also for root).
    rlimit old{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 512;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    QString error;
    const bool saved = p.save(&error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!saved);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"zolvexlobby.ini"});
    // Once writing works again the same object saves everything.
    QVERIFY(p.save());
    QCOMPARE(ProfileFile(path).readString("Quillet", "Phrase1").size(), 4000);
    QCOMPARE(ProfileFile(path).readString("Lobby", "keep"), QStringLiteral("me"));
}

void TestProfile::unwritableDirectoryLeavesOldFile()
{
    QTemporaryDir dir;
    const QString sub = dir.filePath("ro");
    QVERIFY(QDir().mkpath(sub));
    const QString path = sub + "/zolvexlobby.ini";
    const QByteArray before = "[Quillet]\nTop=1\n";
    QVERIFY(writeFile(path, before));
    ProfileFile p(path);
    p.writeString("Quillet", "Top", "2");
    QVERIFY(QFile::setPermissions(sub, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool canStillWrite = ::access(QFile::encodeName(sub).constData(), W_OK) == 0;
    const bool saved = p.save();
    QFile::setPermissions(sub, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (canStillWrite)
        QSKIP("running with rights that ignore directory permissions");
    QVERIFY(!saved);
    QCOMPARE(readFile(path), before);
}

void TestProfile::incompleteFilesAreNeverRewritten()
{
    QTemporaryDir dir;
    // Too big: the start is still read, but writing it back would lose the rest.
    const QString big = dir.filePath("big.ini");
    QByteArray bytes = "[Quillet]\r\nTop=42\r\n[Lobby]\r\n";
    bytes += QByteArray(ProfileFile::maxFileBytes, ';');
    bytes += "\r\nlast=line\r\n";
    QVERIFY(writeFile(big, bytes));
    ProfileFile p(big);
    QVERIFY(!p.isComplete());
    QCOMPARE(p.readInteger("Quillet", "Top", 3), 42);
    p.writeString("Quillet", "Top", "43");
    QString error;
    QVERIFY(!p.save(&error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(QFileInfo(big).size(), qint64(bytes.size()));
    QCOMPARE(QCryptographicHash::hash(readFile(big), QCryptographicHash::Sha1),
             QCryptographicHash::hash(bytes, QCryptographicHash::Sha1));

    // UTF-16 is not ours to rewrite.
    const QString wide = dir.filePath("wide.ini");
    const QByteArray utf16 = QByteArray("\xFF\xFE", 2) + QByteArray("[\0Q\0]\0", 6);
    QVERIFY(writeFile(wide, utf16));
    ProfileFile w(wide);
    QVERIFY(!w.isComplete());
    w.writeString("Quillet", "Top", "1");
    QVERIFY(!w.save());
    QCOMPARE(readFile(wide), utf16);

    // A directory where the file should be.
    const QString asDir = dir.filePath("dir.ini");
    QVERIFY(QDir().mkpath(asDir));
    ProfileFile d(asDir);
    d.writeString("Quillet", "Top", "1");
    QVERIFY(!d.save());
    QVERIFY(QFileInfo(asDir).isDir());
}

void TestProfile::unchangedFileIsNotRewritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zolvexlobby.ini");
    QVERIFY(writeFile(path, "[Quillet]\nTop=5\n"));
    const ino_t inode = statOf(path).st_ino;   // a rewrite replaces the file
    ProfileFile p(path);
    p.writeString("Quillet", "top", "5");
    QVERIFY(p.save());
    QCOMPARE(statOf(path).st_ino, inode);
    p.writeString("Quillet", "top", "6");
    QVERIFY(p.save());
    QVERIFY(statOf(path).st_ino != inode);
}

void TestProfile::fileLocations()
{
    QCOMPARE(settingsFilePath("/some/home"), QStringLiteral("/some/home/zolvexlobby.ini"));
    QCOMPARE(dataFilePath("/some/home", "quillettally.tld"),
             QStringLiteral("/some/home/quillettally.tld"));
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (QFileInfo(exeDir).isWritable())
        QCOMPARE(settingsFilePath(QString()), exeDir + "/zolvexlobby.ini");
    QVERIFY(settingsFilePath(QString()).endsWith("/zolvexlobby.ini"));
}

QTEST_GUILESS_MAIN(TestProfile)
#include "test_profile.moc"
