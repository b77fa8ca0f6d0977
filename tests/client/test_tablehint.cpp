// Hints and the host's choice of computer players, through the real table
// window: a hint shows the Expert's choice and sends nothing; the choice of
// Expert reaches the in-process server and is kept in the settings file.
#include "app/quilletapp.h"
#include "chat/chatpane.h"
#include "client/tablehint.h"
#include "client/tchat.h"
#include "protocol/messages.h"
#include "server/tserver.h"
#include "settings/profile.h"
#include "ui/kit.h"
#include "ui/pictures.h"
#include "windows/sidewindows.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quillet;

namespace {

struct Table {
    explicit Table(const QString &home, bool hosting)
    {
        CommandLine cl;
        cl.home = home;
        app = std::make_unique<QuilletApp>(cl);
        t = app->table();
        t->setHosting(hosting);
        t->sendHook = [this](const std::string &m) { sent.push_back(m.substr(0, m.size() - 1)); };
        t->messageBox = [this](const QString &text) { boxes << text; };
    }
    void msg(const std::string &m) { t->dispatch(m); }
    void login(int slot)
    {
        t->setPlayerName("You");
        msg("CMD_sendlogininfo+" + std::to_string(slot));
        msg("CMD_newplayerinfo+" + std::to_string(slot) + "+You");
    }
    ComputerLevel serverLevel() const { return app->windows().server->engine().computerLevel(); }

    std::unique_ptr<QuilletApp> app;
    Tchat *t = nullptr;
    std::vector<std::string> sent;
    QStringList boxes;
};

QString iniText(const QString &home)
{
    QFile f(settingsFilePath(home));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

} // namespace

class TestTableHint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pictures::init(1.0); }

    void computerLevelReachesTheServerAndPersists()
    {
        QTemporaryDir home;
        {
            Table host(home.path(), true);
            host.login(1);
            QVERIFY(host.t->ComputerExpert1->isEnabled());
            QVERIFY(host.t->ComputerClassic1->isChecked());
            QCOMPARE(host.serverLevel(), ComputerLevel::classic);
            const std::size_t before = host.sent.size();
            host.t->ComputerExpert1->trigger();
            QCOMPARE(host.sent.size(), before);  // no message of its own on the wire
            QCOMPARE(host.serverLevel(), ComputerLevel::expert);
            QVERIFY(iniText(home.path()).contains("Computerplayers=Expert"));
            // The host's chat says who plays when a game starts.
            host.msg("CMD_startgame+You+f+");
            auto *pane = host.t->chatPane();
            QCOMPARE(pane->paragraphText(pane->paragraphCount() - 1).trimmed(), QString("The computer players are Expert."));
        }
        {
            // Read back at the next login, and set on the server at once.
            Table host(home.path(), true);
            host.login(1);
            QVERIFY(host.t->ComputerExpert1->isChecked());
            QCOMPARE(host.serverLevel(), ComputerLevel::expert);
        }
        {
            // A joining table has no server of its own to set.
            Table joiner(home.path(), false);
            joiner.login(3);
            QVERIFY(!joiner.t->ComputerExpert1->isEnabled());
            QCOMPARE(joiner.serverLevel(), ComputerLevel::classic);
        }
        {
            ProfileFile file(settingsFilePath(home.path()));
            file.writeString("Quillet", "Computerplayers", "expert");  // values are exact: not Expert
            QVERIFY(file.save());
            Table host(home.path(), true);
            host.login(1);
            QVERIFY(host.t->ComputerClassic1->isChecked());
            QCOMPARE(host.serverLevel(), ComputerLevel::classic);
        }
    }

    void hintShowsTheChoiceAndSendsNothing()
    {
        QTemporaryDir home;
        Table tb(home.path(), true);
        tb.login(1);
        tb.msg("CMD_startgame+You+f+");
        tb.msg("CMD_startround+5+4+5+");
        tb.msg("CMD_placecard+1+1+40+2+3+3+27+4+14+5+52");
        tb.msg("CMD_trump+45");
        tb.msg("CMD_bid+1+5+1+5+4+");
        const std::size_t before = tb.sent.size();
        auto *bid = tb.t->findChild<QLineEdit *>("edit_bid");
        bid->setText("");
        tb.t->hintClick();
        bool ok = false;
        const int hinted = bid->text().toInt(&ok);
        QVERIFY(ok && hinted >= 0 && hinted <= 5);
        QCOMPARE(tb.sent.size(), before);

        tb.msg("CMD_hisbid+1+" + std::to_string(hinted) + "+" + std::to_string(hinted));
        tb.msg("CMD_hisbid+2+1+" + std::to_string(hinted + 1));
        tb.msg("CMD_hisbid+3+1+" + std::to_string(hinted + 2));
        tb.msg("CMD_hisbid+4+0+" + std::to_string(hinted + 2));
        tb.msg("CMD_nextplayer+c+1");
        tb.t->hintClick();
        QCOMPARE(tb.sent.size(), before);
        CardImage *raised = nullptr;
        for (int slot = 1; slot <= 5; ++slot)
            if (CardImage *c = tb.t->cardForSlot(slot); c && c->y() < 316)
                raised = c;
        QVERIFY(raised);
        QVERIFY(raised->outlined());
        // The hinted card is the keyboard's card, and only it is raised.
        QCOMPARE(tb.t->model().handplaces()[std::size_t(tb.t->selectedPlace())], raised->slot());
        for (int slot = 1; slot <= 5; ++slot)
            if (CardImage *c = tb.t->cardForSlot(slot); c && c != raised)
                QCOMPARE(c->y(), 320);
        // The player confirms as usual: a click on the card plays it.
        tb.t->cardimagesMouseDown(raised, Qt::LeftButton);
        QCOMPARE(tb.sent.size(), before + 1);
        QCOMPARE(QString::fromStdString(tb.sent.back()), QString("CMD_playcard+1+%1").arg(raised->slot()));
    }

    void hintForTheTrumpChoice()
    {
        QTemporaryDir home;
        Table tb(home.path(), true);
        tb.login(1);
        tb.msg("CMD_startgame+You+m+");
        tb.msg("CMD_startround+1+4+3+");
        tb.msg("CMD_placecard+1+1+40+2+51+3+52");
        tb.msg("CMD_hisbid+1+3+3");
        tb.msg("CMD_hisbid+2+0+3");
        tb.msg("CMD_hisbid+3+0+3");
        tb.msg("CMD_hisbid+4+1+4");
        tb.msg("CMD_choosetrump+1+");
        const std::size_t before = tb.sent.size();
        tb.t->hintClick();
        QCOMPARE(tb.sent.size(), before);
        QWidget *outlined = nullptr;
        for (int i = 1; i <= 5; ++i)
            if (auto *pic = tb.t->findChild<QWidget *>(QStringLiteral("image_selecttrump%1").arg(i));
                pic && pic->findChild<QWidget *>("hint_outline"))
                outlined = pic;
        // Three spades to the ace: spades (the third picture).
        QCOMPARE(outlined ? outlined->objectName() : QString(), QString("image_selecttrump3"));
        QCOMPARE(tb.t->selectedTrump(), 3); // the panel's keyboard choice: Enter confirms it
        // A hint with nothing to decide does nothing.
        tb.msg("CMD_trump+52");
        tb.msg("CMD_nextplayer+c+2");
        tb.t->hintClick();
        QCOMPARE(tb.sent.size(), before);
    }

    void hintsFromHostileMessagesStayLegal()
    {
        // Numbers no round can have, and a hand the round's size does not
        // match: the hint is still a legal move and nothing breaks.
        TableModel m;
        m.setMyName("You");
        for (const char *text : {"CMD_sendlogininfo+1", "CMD_startgame+You+m+", "CMD_startround+1+4+3+",
                                 "CMD_placecard+1+1+40+2+51+3+52+4+1+5+2", "CMD_hisbid+2+2147483647+2147483647",
                                 "CMD_hisbid+3+-5+7", "CMD_hisbid+4+9+9", "CMD_bid+1+3+2+9+4+"}) {
            if (const auto msg = decodeToTable(text))
                m.apply(*msg);
        }
        ai::Expert expert(1);
        const Hint bid = tableHint(m, expert);
        QCOMPARE(int(bid.kind), int(Hint::Kind::bid));
        QVERIFY(bid.value >= 0 && bid.value <= 3);

        for (const char *text : {"CMD_hisbid+1+1+10", "CMD_choosetrump+2+", "CMD_trump+39", "CMD_nextplayer+c+2",
                                 "CMD_playcard+2+1+27", "CMD_playcard+3+1+28", "CMD_playcard+4+9+29",
                                 "CMD_nextplayer+f+1"}) {
            if (const auto msg = decodeToTable(text))
                m.apply(*msg);
        }
        const Hint card = tableHint(m, expert);
        QCOMPARE(int(card.kind), int(Hint::Kind::card));
        const std::vector<int> playable = m.playableSlots();
        QVERIFY(std::find(playable.begin(), playable.end(), card.value) != playable.end());
    }
};

QTEST_MAIN(TestTableHint)
#include "test_tablehint.moc"
