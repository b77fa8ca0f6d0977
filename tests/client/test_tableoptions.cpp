// The table's options: the settings file read at login and written after
// changes, chat sending, phrase buttons, chatter sounds and the seat menu.
#include "client/tchat.h"
#include "chat/chatinput.h"
#include "chat/chatpane.h"
#include "settings/profile.h"
#include "app/quilletapp.h"
#include "ui/pictures.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

using namespace quillet;

namespace {

struct Table {
    explicit Table(const QString &home)
    {
        CommandLine cl;
        cl.home = home;
        app = std::make_unique<QuilletApp>(cl);
        t = app->table();
        t->sendHook = [this](const std::string &m) { sent.push_back(m.substr(0, m.size() - 1)); };
        t->messageBox = [this](const QString &text) { boxes << text; };
    }
    void msg(const std::string &m) { t->dispatch(m); }
    void login(int slot, const QString &name = "You")
    {
        t->setPlayerName(name);
        msg("CMD_sendlogininfo+" + std::to_string(slot));
        msg("CMD_newplayerinfo+" + std::to_string(slot) + "+" + name.toStdString());
    }
    bool sentStartingWith(const std::string &prefix) const
    {
        for (const auto &m : sent)
            if (m.rfind(prefix, 0) == 0)
                return true;
        return false;
    }
    QString lastChatLine() const
    {
        auto *pane = t->chatPane();
        return pane->paragraphText(pane->paragraphCount() - 1);
    }

    std::unique_ptr<QuilletApp> app;
    Tchat *t = nullptr;
    std::vector<std::string> sent;
    QStringList boxes;
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestTableOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pictures::init(1.0); }

    void settingsAtLogin()
    {
        QTemporaryDir home;
        const QString ini = settingsFilePath(home.path());
        writeFile(ini, "[Other]\r\nKeep=this\r\n[quillet]\r\nBotspeed=1000\r\nChatterSounds=False\r\nTextsize=11\r\n"
                       "Textcolor=clRed\r\nPhrase3=Oops\r\n");
        Table host(home.path());
        QVERIFY(!host.t->settingsRead());
        host.login(1);
        QVERIFY(host.t->settingsRead());
        QVERIFY(host.t->Slow1->isChecked());
        QVERIFY(host.sentStartingWith("CMD_botspeed+1+1000+"));
        QVERIFY(host.t->PlayChatterSounds1->isChecked()); // "False" is not "false"
        QCOMPARE(host.t->chatPane()->textSize(), 11);
        for (const char *item : {"N8", "N10", "N12", "N14"})
            QVERIFY(!host.t->findChild<QAction *>(item)->isChecked());
        QCOMPARE(host.t->chatColourText(), QString("clRed"));
        QCOMPARE(host.t->phrase(3), QString("Oops"));
        QCOMPARE(host.t->phrase(1), QString("Way To Go!"));

        // A joining player's table reads the same file and sends nothing.
        Table joiner(home.path());
        joiner.login(3);
        QVERIFY(joiner.t->Slow1->isChecked());
        QVERIFY(!joiner.sentStartingWith("CMD_botspeed"));

        // An option change writes every key and keeps the other program's section.
        host.t->PlaySounds1->trigger();
        const QByteArray after = readFile(ini);
        QVERIFY(after.startsWith("[Other]\r\nKeep=this\r\n"));
        QVERIFY(after.contains("Playsounds=false"));
        QVERIFY(after.contains("Phrase3=Oops"));
    }

    void noWriteBeforeRead()
    {
        QTemporaryDir home;
        const QString ini = settingsFilePath(home.path());
        writeFile(ini, "[Quillet]\r\nTextsize=14\r\n");
        {
            Table tb(home.path());
            tb.t->PlaySounds1->trigger(); // an option before login
            tb.t->show();
            tb.t->close();                 // and a close before login
        }
        QCOMPARE(readFile(ini), QByteArray("[Quillet]\r\nTextsize=14\r\n"));
    }

    void closeRule()
    {
        QTemporaryDir home;
        const QString ini = settingsFilePath(home.path());
        writeFile(ini, "[Quillet]\r\nTop=40\r\nLeft=50\r\nWidth=800\r\nHeight=530\r\n");
        {
            Table tb(home.path());
            tb.t->show();
            tb.login(1);
            tb.t->move(50, 40);
            tb.t->resize(800, 530);
            tb.t->close();
        }
        QCOMPARE(readFile(ini), QByteArray("[Quillet]\r\nTop=40\r\nLeft=50\r\nWidth=800\r\nHeight=530\r\n"));
        {
            Table tb(home.path());
            tb.t->show();
            tb.login(1);
            tb.t->move(51, 40);
            tb.t->close();
        }
        QVERIFY(readFile(ini).contains("Left=51"));
        QVERIFY(readFile(ini).contains("Textsize="));
    }

    void chatSending()
    {
        QTemporaryDir home;
        Table tb(home.path());
        tb.login(2, "Bo");
        ChatInput *in = tb.t->chatInput();
        in->setText("/meow");
        tb.t->sendit();
        QCOMPARE(tb.sent.back(), std::string("CMD_action+2+ow|clBlack"));
        const auto count = tb.sent.size();
        in->setText("/help");
        tb.t->sendit();
        QCOMPARE(tb.sent.size(), count);
        QVERIFY(in->text().isEmpty());
        in->setText("hi there");
        tb.t->sendit();
        QCOMPARE(tb.sent.back(), std::string("CMD_chat+2+hi there|clBlack"));

        // A received line: split at the last '|', coloured, shown as plain text.
        tb.msg("CMD_chat+3+Cy chats: a|b <i>x</i>|clRed");
        QVERIFY2(tb.lastChatLine().contains("Cy chats:") && tb.lastChatLine().contains("a|b <i>x</i>"),
                 qPrintable(tb.lastChatLine()));
        tb.msg("CMD_chat+-1+Evil chats: x|clRed");
        QVERIFY(!tb.lastChatLine().contains("Evil"));
    }

    void phrasePause()
    {
        QTemporaryDir home;
        Table tb(home.path());
        tb.login(1);
        tb.t->b_phrase1Click(1);
        tb.t->b_phrase1Click(2);
        QCOMPARE(std::count_if(tb.sent.begin(), tb.sent.end(),
                               [](const std::string &m) { return m.rfind("CMD_action", 0) == 0; }),
                 1);
        QCOMPARE(tb.sent.back(), std::string("CMD_action+1+says: Way To Go!|clBlack"));
        QVERIFY(!tb.t->phraseReady());
        QTRY_VERIFY_WITH_TIMEOUT(tb.t->phraseReady(), 5000);
        tb.t->b_phrase1Click(9);
        QCOMPARE(tb.sent.back(), std::string("CMD_action+1+waves|clBlack"));
    }

    void chatterSounds()
    {
        QTemporaryDir home;
        Table tb(home.path());
        tb.login(1);
        tb.msg("CMD_newplayerinfo+2+Bo");
        tb.t->wave12Click(0);
        QVERIFY(!tb.sentStartingWith("CMD_playasound"));
        tb.t->wave12Click(5);
        QCOMPARE(tb.sent.back(), std::string("CMD_playasound+1+wave5+"));
        // Chatter sounds off: a chat line instead of the sound.
        tb.t->PlayChatterSounds1->setChecked(false);
        tb.msg("CMD_playasound+2+wave5+");
        QVERIFY2(tb.lastChatLine().startsWith("Bo:") && tb.lastChatLine().contains("<Chatter Sound> Where have you been?"),
                 qPrintable(tb.lastChatLine()));
        const int lines = tb.t->chatPane()->paragraphCount();
        tb.msg("CMD_playasound+7+wave5+"); // a watcher leaves no line
        QCOMPARE(tb.t->chatPane()->paragraphCount(), lines);
        // Only the chatter sounds can be asked for by name.
        tb.t->PlayChatterSounds1->setChecked(true);
        tb.t->lastSound.clear();
        tb.msg("CMD_playasound+2+winner+");
        QVERIFY(tb.t->lastSound.isEmpty());
        tb.msg("CMD_playasound+2+WAVE3+");
        QCOMPARE(tb.t->lastSound, QString("WAVE3"));
        // Game sounds: the turn sound follows the setting.
        tb.t->New1->trigger();
        tb.msg("CMD_nextplayer+c+1");
        QCOMPARE(tb.t->lastSound, QString("turnnew"));
    }

    void seatMenu()
    {
        QTemporaryDir home;
        Table guest(home.path());
        guest.login(2);
        guest.t->openSeatMenu(3);
        for (QAction *a : guest.t->seatMenu()->actions())
            if (!a->isSeparator())
                QVERIFY(!a->isEnabled());
        Table host(home.path());
        host.t->setHosting(true);
        host.login(1);
        host.t->openSeatMenu(3);
        host.t->seatMenuAction(1);
        QCOMPARE(host.sent.back(), std::string("CMD_justwatch+3+1"));
        host.t->seatMenuAction(0);
        QCOMPARE(host.sent.back(), std::string("CMD_kickhim+1+3+"));
        // Watching marks mirror the server.
        host.msg("CMD_justwatching+1+1");
        QVERIFY(host.t->JustWatch1->isChecked());
        host.t->JustWatch1->trigger();
        QCOMPARE(host.sent.back(), std::string("CMD_justwatch+1+2"));
        QVERIFY(host.t->JustWatch1->isChecked()); // only the server's answer changes it
    }
};

QTEST_MAIN(TestTableOptions)
#include "test_tableoptions.moc"
