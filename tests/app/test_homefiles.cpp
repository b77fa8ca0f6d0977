// The program's files as the player meets them: a missing --home folder is
// made; one that cannot be made is said at start and nothing is saved then;
// settings and tally files that cannot be saved are said in the chat, in the
// tally window, and in a box when the table closes.
#include "app/quilletapp.h"
#include "chat/chatpane.h"
#include "client/tchat.h"
#include "settings/profile.h"
#include "ui/pictures.h"
#include "windows/ttallylist.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace quillet;

namespace {

struct Program {
    explicit Program(const QString &home, const QStringList &params = {})
    {
        CommandLine cl;
        cl.home = home;
        cl.params = params;
        app = std::make_unique<QuilletApp>(cl);
        t = app->table();
        t->sendHook = [](const std::string &) {};
        t->messageBox = [this](const QString &text) { boxes << text; };
    }
    void login()
    {
        t->setPlayerName("You");
        t->dispatch("CMD_sendlogininfo+1");
        t->dispatch("CMD_newplayerinfo+1+You");
    }
    QString lastChatLine() const
    {
        ChatPane *pane = t->chatPane();
        return pane->paragraphText(pane->paragraphCount() - 1);
    }
    QString tallyNote() const { return app->windows().tally->findChild<QLabel *>("label_savenote")->text(); }

    std::unique_ptr<QuilletApp> app;
    Tchat *t = nullptr;
    QStringList boxes;
};

QStringList everythingIn(const QString &dir)
{
    QStringList out;
    for (const QFileInfo &i : QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        out << i.fileName();
    return out;
}

} // namespace

class TestHomeFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pictures::init(1.0); }

    void missingHomeIsMade()
    {
        QTemporaryDir tmp;
        const QString home = tmp.filePath("a/b/c");
        {
            Program p(home);
            QVERIFY(p.app->homeError().isEmpty());
            QVERIFY(QFileInfo(home).isDir());
            p.login();
            p.t->PlaySounds1->trigger();
            p.app->windows().tally->addgame("Zed", false);
            QVERIFY(p.boxes.isEmpty());
        }
        QCOMPARE(everythingIn(home), QStringList({"quillettally.tld", "zolvexlobby.ini"}));
    }

    void homeThatCannotBeMadeIsSaidAndNothingIsSaved()
    {
        QTemporaryDir tmp;
        QFile blocker(tmp.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString home = tmp.filePath("file/home");
        {
            Program p(home, {"Bob"}); // one parameter: nothing is started
            QVERIFY2(p.app->homeError().startsWith("The folder " + home + " cannot be made ("),
                     qPrintable(p.app->homeError()));
            QVERIFY(p.app->homeError().contains("nothing is saved"));
            p.app->start();
            QTRY_COMPARE(p.boxes, QStringList{p.app->homeError()});
            QVERIFY(p.tallyNote().startsWith("Not saved in this run: "));

            p.login();
            const int lines = p.t->chatPane()->paragraphCount();
            p.t->PlaySounds1->trigger();
            p.t->savePhrases();
            p.app->windows().tally->addgame("Zed", false);
            QCOMPARE(p.app->windows().tally->ownGames(), 1);
            p.t->move(p.t->x() + 7, p.t->y());
            p.t->close();
            // No claim either way: no line, no box, no file.
            QCOMPARE(p.t->chatPane()->paragraphCount(), lines);
            QCOMPARE(p.boxes.size(), 1);
        }
        QCOMPARE(everythingIn(tmp.path()), QStringList{"file"});
    }

    void saveFailuresReachThePlayer_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("folder replaced by a file") << false;
        QTest::newRow("read-only folder") << true;
    }

    void saveFailuresReachThePlayer()
    {
        QFETCH(bool, readOnly);
        if (readOnly && ::geteuid() == 0)
            QSKIP("running as root: permission bits do not stop writes (the other row covers this path)");
        QTemporaryDir tmp;
        const QString home = tmp.filePath("home");
        Program p(home);
        p.t->show();
        p.login();
        p.app->windows().tally->addgame("Zed", false);
        QVERIFY(p.tallyNote().isEmpty());

        if (readOnly) {
            QVERIFY(::chmod(QFile::encodeName(home).constData(), 0555) == 0);
        } else {
            QVERIFY(QDir(home).removeRecursively());
            QFile f(home);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        p.t->PlaySounds1->trigger();
        QVERIFY2(p.lastChatLine().startsWith("Settings not saved:"), qPrintable(p.lastChatLine()));
        p.t->chatPane()->clear();
        p.t->savePhrases();
        QVERIFY2(p.lastChatLine().startsWith("Settings not saved:"), qPrintable(p.lastChatLine()));

        p.app->windows().tally->addgame("Zed", false);
        QVERIFY2(p.lastChatLine().startsWith("Tally not saved:") &&
                     p.lastChatLine().contains("Failed to open output file : " + home + "/quillettally.tld"),
                 qPrintable(p.lastChatLine()));
        QVERIFY2(p.tallyNote().startsWith("Not saved: "), qPrintable(p.tallyNote()));

        // Closing: the chat is no longer seen, so the failures come in boxes.
        p.t->move(p.t->x() + 7, p.t->y());
        p.t->close();
        QCOMPARE(p.boxes.size(), 2);
        QVERIFY2(p.boxes[0].startsWith("Settings not saved: "), qPrintable(p.boxes[0]));
        QVERIFY2(p.boxes[1].startsWith("Tally not saved: "), qPrintable(p.boxes[1]));
        if (readOnly)
            ::chmod(QFile::encodeName(home).constData(), 0755);
    }
};

QTEST_MAIN(TestHomeFiles)
#include "test_homefiles.moc"
