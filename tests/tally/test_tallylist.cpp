// The tally window driven as the table and the user drive it: games across
// restarts, following and dropping players, reset, damaged and failing files.
#include "windows/ttallylist.h"

#include "tally/codec/safefile.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using quillet::TallyFile;
using quillet::Ttallylist;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestTallyList : public QObject {
    Q_OBJECT
private slots:
    void init();
    void firstRunWritesTheEmptyTally();
    void gamesAcrossRestarts();
    void tickingAndDroppingPlayers();
    void resetTally();
    void damagedFileIsKeptAndReported();
    void unreadableFileThatCannotBeMovedIsNeverOverwritten();
    void failedSaveAfterGameKeepsThePreviousFile();
    void withoutFileNothingIsWrittenOrClaimed();
    void nameWithLineBreak();

private:
    // A window on this test's file, as the program sets it up at start-up.
    std::unique_ptr<Ttallylist> open();
    QString text(Ttallylist &w, const char *label) const
    {
        return w.findChild<QLabel *>(label)->text();
    }
    QListWidget *list(Ttallylist &w, const char *name) const { return w.findChild<QListWidget *>(name); }
    // Ticks (or unticks) an entry as the user's click does.
    void setChecked(Ttallylist &w, const char *listName, const QString &entry, bool on);

    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
    QStringList messages_;
    QStringList questions_;
    bool answer_ = true;
};

void TestTallyList::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    path_ = dir_->filePath("quillettally.tld");
    messages_.clear();
    questions_.clear();
    answer_ = true;
}

std::unique_ptr<Ttallylist> TestTallyList::open()
{
    auto w = std::make_unique<Ttallylist>();
    w->showMessage = [this](const QString &t) { messages_ << t; };
    w->confirm = [this](const QString &q) {
        questions_ << q;
        return answer_;
    };
    w->setFilePath(path_);
    w->loadFile();
    return w;
}

void TestTallyList::setChecked(Ttallylist &w, const char *listName, const QString &entry, bool on)
{
    const auto items = list(w, listName)->findItems(entry, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(entry));
    items[0]->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void TestTallyList::firstRunWritesTheEmptyTally()
{
    {
        auto w = open();
        QCOMPARE(text(*w, "mylabel_1"), QString("0"));
        QCOMPARE(text(*w, "mylabel_2"), QString("0"));
        QCOMPARE(w->talliedPlayers(), QStringList());
        QVERIFY(messages_.isEmpty());
        QVERIFY(!QFile::exists(path_)); // written at the end, not at the start
    }
    QCOMPARE(readAll(path_), QByteArray::fromHex("57525A4C210000000E00400180390D0A310D0A30003F0125"));
}

void TestTallyList::gamesAcrossRestarts()
{
    {
        auto w = open();
        int refreshes = 0;
        w->loadchecklist = [&] {
            ++refreshes;
            w->setCurrentPlayers({"Ann", "Bob", "Cid"});
        };
        w->setCurrentPlayers({"Ann", "Bob", "Cid"});
        setChecked(*w, "checklist", "Ann", true);
        setChecked(*w, "checklist", "Bob", true);
        QCOMPARE(w->talliedPlayers(), QStringList({"Ann", "Bob"}));

        w->addgame("Ann", false);               // Ann's win
        w->addgame("You", true);                // ours
        w->addtomine(2);
        w->addgame("Cid", false);               // nobody followed
        QCOMPARE(refreshes, 3);
        QCOMPARE(text(*w, "mylabel_1"), QString("3"));
        QCOMPARE(text(*w, "mylabel_2"), QString("1"));

        list(*w, "listbox_tally")->setCurrentRow(0);
        QCOMPARE(text(*w, "label_hisnametop"), QString("Ann's Tally"));
        QCOMPARE(text(*w, "label_hisname"), QString("Ann Wins:"));
        const QStringList annTotal{"3", "1", "1", "1"};
        for (int n = 1; n <= 8; ++n)
            QCOMPARE(text(*w, qPrintable("label_" + QString::number(n))), annTotal[(n - 1) % 4]);

        // Saved after every game: a killed program keeps these games.
        const TallyFile::Loaded saved = TallyFile(path_).load();
        QCOMPARE(saved.status, TallyFile::Loaded::Status::Ok);
        QCOMPARE(saved.grid.figure(1, 0), 3);
        QCOMPARE(saved.grid.figure(2, 0), 1);
        QCOMPARE(saved.grid.figure(4, 2), 2); // Bob: Ann's win and Cid's
    }
    auto w = open();
    QCOMPARE(w->ownGames(), 3);
    QCOMPARE(w->ownWins(), 1);
    QCOMPARE(text(*w, "mylabel_1"), QString("3"));
    QCOMPARE(w->talliedPlayers(), QStringList({"Ann", "Bob"}));
    QCOMPARE(list(*w, "listbox_tally")->item(1)->checkState(), Qt::Checked);
    list(*w, "listbox_tally")->setCurrentRow(1);
    QCOMPARE(text(*w, "label_1"), QString("3"));
    QCOMPARE(text(*w, "label_4"), QString("2"));
    for (int n = 5; n <= 8; ++n)
        QCOMPARE(text(*w, qPrintable("label_" + QString::number(n))), QString("0"));

    // The session starts again from 0 while the totals go on.
    w->setCurrentPlayers({"Bob"});
    w->addgame("Bob", false);
    QCOMPARE(text(*w, "label_1"), QString("4"));
    QCOMPARE(text(*w, "label_5"), QString("1"));
    QCOMPARE(text(*w, "label_2"), QString("1"));
    QCOMPARE(text(*w, "label_6"), QString("1"));
}

void TestTallyList::tickingAndDroppingPlayers()
{
    auto w = open();
    w->setCurrentPlayers({"Ann", "Bob"});
    setChecked(*w, "checklist", "Ann", true);
    // Unticking in the current game's list never drops a followed player.
    setChecked(*w, "checklist", "Ann", false);
    QCOMPARE(w->talliedPlayers(), QStringList{"Ann"});
    QVERIFY(w->isTallied("ANN"));
    w->setCurrentPlayers({"ann", "Bob"});
    QCOMPARE(list(*w, "checklist")->item(0)->checkState(), Qt::Checked);
    QCOMPARE(list(*w, "checklist")->item(1)->checkState(), Qt::Unchecked);

    // Declined: the entry is ticked again and nothing is lost.
    answer_ = false;
    setChecked(*w, "listbox_tally", "Ann", false);
    QTRY_COMPARE(questions_.size(), 1);
    QCOMPARE(questions_[0], QString("This will delete Ann's Tally, Are you want to delete it?"));
    QCOMPARE(list(*w, "listbox_tally")->item(0)->checkState(), Qt::Checked);
    QCOMPARE(w->stringgrid_scores().rowCount(), 2);

    // Accepted: the last followed player goes, leaving the own row only.
    answer_ = true;
    setChecked(*w, "listbox_tally", "Ann", false);
    QTRY_COMPARE(w->talliedPlayers(), QStringList());
    QCOMPARE(w->stringgrid_scores().rowCount(), 1);
    QCOMPARE(list(*w, "checklist")->item(0)->checkState(), Qt::Unchecked);
    w->addgame("ann", false);
    QCOMPARE(w->stringgrid_scores().rowCount(), 1);
}

void TestTallyList::resetTally()
{
    auto w = open();
    w->setCurrentPlayers({"Ann"});
    setChecked(*w, "checklist", "Ann", true);
    w->addgame("You", true);
    w->addtomine(2);
    list(*w, "listbox_tally")->setCurrentRow(0);

    answer_ = false;
    w->button_resetClick();
    QCOMPARE(questions_, QStringList{"Are you sure you want to reset the Tally?"});
    QCOMPARE(w->ownGames(), 1);

    answer_ = true;
    w->button_resetClick();
    QCOMPARE(w->ownGames(), 0);
    QCOMPARE(w->ownWins(), 0);
    QCOMPARE(text(*w, "mylabel_1"), QString("0"));
    QCOMPARE(text(*w, "mylabel_2"), QString("0"));
    QCOMPARE(w->talliedPlayers(), QStringList());
    QCOMPARE(w->stringgrid_scores().rowCount(), 1);
    QCOMPARE(text(*w, "label_3"), QString("0"));
    QCOMPARE(text(*w, "label_hisname"), QString("Ann Wins:"));
    QCOMPARE(list(*w, "checklist")->item(0)->checkState(), Qt::Unchecked);
}

void TestTallyList::damagedFileIsKeptAndReported()
{
    const QString header = " : Lzrw1 decompression : this file has no valid header !";
    writeFile(path_, "not a tally at all");
    {
        auto w = open();
        QCOMPARE(messages_, QStringList{path_ + header + "\n\nThe damaged file is kept as " + path_ +
                                        ".bad; a new tally starts."});
        QCOMPARE(w->ownGames(), 0);
        QCOMPARE(readAll(path_ + ".bad"), QByteArray("not a tally at all"));
        w->addgame("Zed", false);
    }
    QCOMPARE(TallyFile(path_).load().grid.figure(1, 0), 1);
    QCOMPARE(readAll(path_ + ".bad"), QByteArray("not a tally at all"));

    // A second damaged file in a later run keeps the first one too.
    writeFile(path_, "damaged again");
    messages_.clear();
    {
        auto w = open();
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_[0].endsWith("kept as " + path_ + ".bad.1; a new tally starts."), qPrintable(messages_[0]));
    }
    QCOMPARE(readAll(path_ + ".bad"), QByteArray("not a tally at all"));
    QCOMPARE(readAll(path_ + ".bad.1"), QByteArray("damaged again"));
    QCOMPARE(TallyFile(path_).load().status, TallyFile::Loaded::Status::Ok);
}

void TestTallyList::unreadableFileThatCannotBeMovedIsNeverOverwritten()
{
    // A name with no room for ".bad" after it: the file cannot be moved aside,
    // for root too.
    path_ = dir_->filePath(QString(252, 'x'));
    writeFile(path_, "not a tally either");
    {
        auto w = open();
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_[0].startsWith(path_ + " : Lzrw1 decompression : this file has no valid header !"),
                 qPrintable(messages_[0]));
        QVERIFY(messages_[0].contains("will not be saved"));
        w->addgame("Zed", false);
        QVERIFY(!w->saveFile());
        QVERIFY(w->findChild<QLabel *>("label_savenote")->text().contains("was not replaced"));
    }
    QCOMPARE(readAll(path_), QByteArray("not a tally either"));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QString(252, 'x')});
}

void TestTallyList::failedSaveAfterGameKeepsThePreviousFile()
{
    auto w = open();
    QSignalSpy failures(w.get(), &Ttallylist::saveFailed);
    w->addgame("Zed", false);
    QCOMPARE(failures.size(), 0);
    const QByteArray afterOne = readAll(path_);
    w->tallyFile().write = [](quillet::safefile::Replacement &out, const QByteArray &bytes) {
        out.write(bytes.constData(), std::size_t(bytes.size() / 2));
        return false;
    };
    w->addgame("Zed", false);
    QVERIFY(!w->lastSaveError().isEmpty());
    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures[0][0].toString(), w->lastSaveError());
    QCOMPARE(text(*w, "label_savenote"), "Not saved: " + w->lastSaveError());
    QCOMPARE(readAll(path_), afterOne);
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"quillettally.tld"});

    // The end of the program tries again, since the last game is not saved.
    w->tallyFile().write = nullptr;
    QVERIFY(w->saveIfChanged());
    QCOMPARE(text(*w, "label_savenote"), QString());
    QCOMPARE(TallyFile(path_).load().grid.figure(1, 0), 2);
}

void TestTallyList::withoutFileNothingIsWrittenOrClaimed()
{
    {
        auto w = std::make_unique<Ttallylist>();
        QSignalSpy failures(w.get(), &Ttallylist::saveFailed);
        w->disableSaving("the folder /nowhere cannot be made.");
        w->loadFile();
        w->addgame("Zed", false);
        QVERIFY(w->saveIfChanged());
        QCOMPARE(failures.size(), 0);
        QCOMPARE(w->ownGames(), 1);
        QCOMPARE(text(*w, "label_savenote"), QString("Not saved in this run: the folder /nowhere cannot be made."));
    }
    QVERIFY(QDir(dir_->path()).isEmpty());
}

void TestTallyList::nameWithLineBreak()
{
    {
        auto w = open();
        w->setCurrentPlayers({"Bad\r\nGuy", "Ann"});
        QCOMPARE(w->currentPlayers(), QStringList({"Bad  Guy", "Ann"}));
        setChecked(*w, "checklist", "Bad  Guy", true);
        setChecked(*w, "checklist", "Ann", true);
        w->addgame("Bad\r\nGuy", false);
    }
    auto w = open();
    QVERIFY(messages_.isEmpty());
    QCOMPARE(w->talliedPlayers(), QStringList({"Bad  Guy", "Ann"}));
    QCOMPARE(w->ownGames(), 1);
    QCOMPARE(w->stringgrid_scores().figure(2, 1), 1);
    QCOMPARE(w->stringgrid_scores().figure(4, 2), 1);
}

QTEST_MAIN(TestTallyList)
#include "test_tallylist.moc"
