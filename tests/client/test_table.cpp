// The table window driven through its handlers, as the server's messages and
// the mouse drive it, with no connection.
#include "tablefixture.h"
#include "client/tchat.h"
#include "testports.h"
#include "protocol/message.h"
#include "chat/chatpane.h"
#include "app/quilletapp.h"
#include "app/singleinstance.h"
#include "windows/tlasttrick.h"
#include "windows/tscore.h"
#include "windows/tspylist.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QLabel>
#include <QSignalSpy>

#include <algorithm>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QTcpServer>
#include <QTest>

using namespace quillet;

namespace {

// The fixture's table, and the own hand left to right.
struct Table : TableFixture {
    std::vector<int> handOrder()
    {
        std::vector<int> cards;
        for (int p = 1; p <= 13; ++p)
            if (CardImage *c = t->cardAtPlace(p))
                cards.push_back(c->card());
        return cards;
    }
};

} // namespace

class TestTable : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pictures::init(1.0); }

    void rotation_data()
    {
        QTest::addColumn<int>("myseat");
        QTest::addColumn<QPoint>("seat1Score"); // where seat 1's score label sits
        QTest::newRow("seat 1") << 1 << QPoint(170, 321);
        QTest::newRow("seat 2") << 2 << QPoint(425, 85);
        QTest::newRow("seat 3") << 3 << QPoint(196, 28);
        QTest::newRow("seat 4") << 4 << QPoint(89, 125);
        QTest::newRow("watcher 7") << 7 << QPoint(170, 321);
    }
    void rotation()
    {
        QFETCH(int, myseat);
        QFETCH(QPoint, seat1Score);
        Table tb;
        tb.login(myseat);
        QCOMPARE(tb.label("label_score1")->pos(), seat1Score);
        // The own seat is at the bottom; the rest follow clockwise.
        const int bottomSeat = myseat <= 4 ? myseat : 1;
        QCOMPARE(tb.label(QString("label_playername%1").arg(bottomSeat))->pos(), QPoint(122, 298));
        const int left = bottomSeat % 4 + 1;
        QCOMPARE(tb.label(QString("image_played%1").arg(left))->pos(), QPoint(180, 152)); // spread so every card shows
        // Every family name exists once per seat after the rotation.
        for (int s = 1; s <= 4; ++s)
            QCOMPARE(tb.t->panelMain()->findChildren<QLabel *>(QString("label_tricks%1").arg(s)).size(), 1);
        QCOMPARE(tb.sent.front(), "CMD_logininfo+" + std::to_string(myseat) + "+1.0.16+You");
        // A message about seat 1 lands on seat 1's panel wherever it sits.
        tb.msg("CMD_newplayerinfo+1+Ann");
        QCOMPARE(tb.t->seat(1).label_playername->text(), QString("Ann"));
        QCOMPARE(tb.t->seat(1).label_playername->objectName(), QString("label_playername1"));
    }

    // The first message of an idle queue is handled inside the read event;
    // the rest of a burst waits for the 1 ms ticks, one message each.
    void dispatchPacing()
    {
        Table tb;
        auto *timer = tb.t->findChild<QTimer *>("Timer1");
        QVERIFY(timer);
        auto name = [&](int s) { return tb.t->seat(s).label_playername->text(); };
        tb.t->sockRead("CMD_newplayerinfo+2+Ann\xFF");
        QCOMPARE(name(2), QString("Ann"));
        QCOMPARE(tb.t->pendingCount(), 0);
        QVERIFY(!timer->isActive());

        tb.t->sockRead("CMD_newplayerinfo+2+Bo\xFF" "CMD_newplayerinfo+3+Cy\xFF" "CMD_newplayerinfo+4+Dee\xFF");
        QCOMPARE(name(2), QString("Bo"));
        QCOMPARE(name(3), QString("<Waiting>"));
        QCOMPARE(tb.t->pendingCount(), 2);
        QVERIFY(timer->isActive());
        tb.t->processsocktimer();
        QCOMPARE(name(3), QString("Cy"));
        QCOMPARE(name(4), QString("<Waiting>"));
        tb.t->processsocktimer();
        QCOMPARE(name(4), QString("Dee"));
        QCOMPARE(tb.t->pendingCount(), 0);
        QVERIFY(!timer->isActive());

        // The timer works a burst off by itself, in arrival order, then stops.
        tb.t->sockRead("CMD_newplayerinfo+2+X\xFF" "CMD_newplayerinfo+2+Y\xFF" "CMD_newplayerinfo+2+Z\xFF");
        QCOMPARE(name(2), QString("X"));
        QTRY_COMPARE(tb.t->pendingCount(), 0);
        QCOMPARE(name(2), QString("Z"));
        QVERIFY(!timer->isActive());

        // A message split over two reads is handled once, whole.
        tb.t->sockRead("CMD_newplayerinfo+3+Sp");
        QCOMPARE(name(3), QString("Cy"));
        tb.t->sockRead("lit\xFF");
        QCOMPARE(name(3), QString("Split"));
        // An endless unterminated message is dropped; what follows stands alone.
        tb.t->sockRead(std::string(70000, 'x'));
        tb.t->sockRead("CMD_newplayerinfo+4+Eve\xFF");
        QCOMPARE(name(4), QString("Eve"));
        QCOMPARE(tb.t->pendingCount(), 0);
    }

    void bidBox()
    {
        Table tb;
        tb.login(1);
        tb.msg("CMD_startgame+Bob+m+");
        QCOMPARE(tb.label("label_gametype")->text(), QString("VALE Game"));
        tb.msg("CMD_startround+1+4+13+");
        QCOMPARE(tb.label("label_cards")->text(), QString("Num Of Cards: 13"));
        tb.msg("CMD_bid+1+13+1+13+4+");
        auto *edit = tb.t->findChild<QLineEdit *>("edit_bid");
        QVERIFY(edit->isVisibleTo(tb.t));
        QCOMPARE(tb.label("label_turn")->text(), QString("Your bid.."));
        QCOMPARE(tb.label("label_firstplay")->text(), QString("You will play first"));
        edit->setText("14");
        tb.t->button_bidClick();
        QCOMPARE(tb.boxes.last(), QString("You can't bid more then 13."));
        edit->setText("-1");
        tb.t->button_bidClick();
        QCOMPARE(tb.boxes.size(), 2);
        edit->setText("abc");
        tb.t->button_bidClick();
        QCOMPARE(tb.boxes.size(), 3);
        QVERIFY(tb.sent.size() == 1); // only the login so far
        edit->setText(" 03");
        tb.t->button_bidClick();
        QCOMPARE(tb.sent.back(), std::string("CMD_bid+1+3")); // the parsed number is sent
        QCOMPARE(edit->text(), QString("0"));

        // The dealer may not make the bids match the cards in a Vale game.
        Table v;
        v.login(4);
        v.msg("CMD_startgame+Bob+m+");
        v.msg("CMD_startround+8+3+6+");
        v.msg("CMD_bid+4+6+1+4+4+");
        auto *e = v.t->findChild<QLineEdit *>("edit_bid");
        e->setText("2");
        v.t->button_bidClick();
        QCOMPARE(v.boxes.last(), QString("Bids cannot equal the cards in your hand."));
        e->setText("3");
        v.t->button_bidClick();
        QCOMPARE(v.sent.back(), std::string("CMD_bid+4+3"));

        // Over, under and match.
        v.msg("CMD_startround+5+3+5+");
        v.msg("CMD_hisbid+2+4+7");
        QCOMPARE(v.label("label_overunder")->text(), QString("Over +2"));
        QCOMPARE(v.label("label_totalbids")->text(), QString("Total Bids: 7"));
        v.msg("CMD_hisbid+2+0+3");
        QCOMPARE(v.label("label_overunder")->text(), QString("Under -2"));
        v.msg("CMD_hisbid+4+2+5");
        QCOMPARE(v.label("label_overunder")->text(), QString("Match Bid"));
        QCOMPARE(v.label("label_status2")->text(), QString("You bid: 2"));
    }

    void trumpChoice()
    {
        Table tb;
        tb.login(2);
        tb.msg("CMD_choosetrump+2+");
        QVERIFY(tb.t->findChild<QWidget *>("panel_trump")->isVisibleTo(tb.t));
        const int expected[] = {13, 26, 52, 39, 53};
        for (int i = 1; i <= 5; ++i) {
            tb.t->selectTrump(i);
            QCOMPARE(tb.sent.back(), "CMD_mychoose+2+" + std::to_string(expected[i - 1]) + "+");
        }
        tb.msg("CMD_trump+53");
        QCOMPARE(tb.label("label_status1")->text(), QString("No Trump"));
        tb.msg("CMD_trump+27");
        QCOMPARE(tb.label("label_status1")->text(), QString("Trump is HEARTS"));
        QVERIFY(!tb.t->findChild<QWidget *>("panel_trump")->isVisibleTo(tb.t));
    }

    void hand()
    {
        Table tb;
        tb.login(1);
        tb.msg("CMD_startround+5+4+5+");
        tb.msg("CMD_placecard+1+1+40+2+3+3+27+4+14+5+5");
        QCOMPARE(tb.handOrder(), (std::vector<int>{3, 5, 14, 27, 40}));
        for (int p = 1; p <= 5; ++p)
            QCOMPARE(tb.t->cardAtPlace(p)->x(), 18 * p + 184);
        QCOMPARE(tb.t->cardAtPlace(1)->objectName(), QString("card2"));

        // Two quick clicks in one turn send one card; the first card rises.
        tb.msg("CMD_nextplayer+c+1");
        QVERIFY(tb.t->model().myturn());
        CardImage *second = tb.t->cardAtPlace(2);
        tb.t->cardimagesMouseDown(second, Qt::LeftButton);
        tb.t->cardimagesMouseDown(tb.t->cardAtPlace(3), Qt::LeftButton);
        QCOMPARE(std::count_if(tb.sent.begin(), tb.sent.end(),
                               [](const std::string &m) { return m.rfind("CMD_playcard", 0) == 0; }),
                 1);
        QCOMPARE(tb.sent.back(), std::string("CMD_playcard+1+5"));
        QCOMPARE(second->y(), 316);
        // A refused card comes down and the player may play again.
        tb.msg("CMD_needsuit+1+2+5+");
        QCOMPARE(second->y(), 320);
        QVERIFY(tb.t->model().myturn());
        QVERIFY(tb.boxes.isEmpty());
        // A played card leaves its place and the gap closes.
        tb.msg("CMD_playcard+1+5+5");
        QCOMPARE(tb.handOrder(), (std::vector<int>{3, 14, 27, 40}));
        for (int p = 1; p <= 4; ++p)
            QCOMPARE(tb.t->cardAtPlace(p)->x(), 18 * p + 184);
        QVERIFY(!tb.t->cardAtPlace(5));
        // A right click re-sorts and sends nothing.
        const auto before = tb.sent.size();
        tb.t->cardimagesMouseDown(tb.t->cardAtPlace(1), Qt::RightButton);
        QCOMPARE(tb.sent.size(), before);
        // A slot nobody holds removes nothing.
        tb.msg("CMD_playcard+1+9+30");
        QCOMPARE(tb.handOrder().size(), size_t(4));
    }

    void fansAndLastTrick()
    {
        Table tb;
        tb.login(1);
        tb.msg("CMD_startround+10+4+10+");
        tb.msg("CMD_placecard+2+1+0+2+0+3+0+4+0+5+0+6+0+7+0+8+0+9+0+10+0");
        QCOMPARE(tb.label("image_cards2")->width(), 116);
        tb.msg("CMD_trump+27");
        tb.msg("CMD_playcard+3+1+30"); // seat 3 leads
        tb.msg("CMD_playcard+4+1+31");
        tb.msg("CMD_playcard+2+4+33");
        QCOMPARE(tb.label("image_cards2")->width(), 111);
        QCOMPARE(tb.t->model().faceDown(2), 9);
        tb.msg("CMD_playcard+1+2+29");
        tb.msg("CMD_trickwinner+2+1");
        auto *lt = tb.app->windows().lasttrick;
        QCOMPARE(lt->playedCard(3), 30);
        QCOMPARE(lt->playedCard(2), 33);
        QCOMPARE(lt->trumpCard(), 27);
        QCOMPARE(lt->label_ledoff->x(), lt->played(3)->x()); // over the leader's card
        QCOMPARE(lt->label_winner->text(), QString("Klot won this trick.").replace("Klot", tb.t->seat(2).label_playername->text()));
        QCOMPARE(tb.label("label_tricks2")->text(), QString("1"));
        QVERIFY(tb.label("image_trickwinner2")->isVisibleTo(tb.t));
        // Next trick: the table clears on "c".
        tb.msg("CMD_nextplayer+c+2");
        QCOMPARE(tb.t->model().played(3), 0);
    }

    void lateLogin()
    {
        Table tb;
        tb.login(3, "Cy");
        tb.msg("CMD_placecard+3+1+14+2+2+3+40");
        tb.msg("CMD_newplayerstuff+1+2+1+30+1+5+2+0+3+0+4+9+");
        tb.msg("CMD_newplayerstuff+3+1+0+11+1+5+2+0+3+0+4+9+");
        tb.msg("CMD_stats+2+0+7+27+h+");
        QCOMPARE(tb.label("label_round")->text(), QString("Round: 7"));
        QCOMPARE(tb.label("label_gametype")->text(), QString("HALF Game"));
        QCOMPARE(tb.label("label_score1")->text(), QString("30"));
        QCOMPARE(tb.t->model().played(1), 5);
        QCOMPARE(tb.t->model().played(4), 9);
        QCOMPARE(tb.t->model().played(2), 0);
        QCOMPARE(tb.t->model().trumpcard(), 27);
        QCOMPARE(tb.t->seat(2).label_playername->text(), QString("Klot"));
        QCOMPARE(tb.handOrder(), (std::vector<int>{2, 14, 40}));
        // The round's scores go to row 7.
        tb.msg("CMD_score+1+30+0+2+12+12+3+11+0+4+5+5");
        QCOMPARE(tb.app->windows().score->cell(7, 2), QString("12"));
        QCOMPARE(tb.app->windows().score->cell(11, 2), QString("12"));
    }

    void hostileMessages()
    {
        Table tb;
        tb.login(1);
        for (const char *m : {"CMD_placecard+9+1+3", "CMD_placecard+1+14+3", "CMD_placecard+1+1+99",
                              "CMD_playcard+0+1+3", "CMD_playcard+1+1+60", "CMD_nextplayer+c+7",
                              "CMD_newplayerstuff+5+1+1+1+1+0+2+0+3+0+4+0+", "CMD_stats+1+1+99+3+h+",
                              "CMD_trickwinner+-1+3", "CMD_score+1+2", "CMD_newplayerinfo+12+X",
                              "CMD_bid+1+99+1+0+4+", "cmd_bid+1+2+1+0+4+", "CMD_winner+", "CMD_winner"})
            tb.msg(m);
        // A hand longer than thirteen cards cannot overflow the row.
        std::string big = "CMD_placecard+1";
        for (int i = 1; i <= 14; ++i)
            big.append("+").append(std::to_string((i - 1) % 13 + 1)).append("+").append(std::to_string(i));
        tb.msg(big);
        QVERIFY(tb.handOrder().size() <= 13);
        // Names are shown as plain text.
        tb.msg("CMD_newplayerinfo+2+<b>Eve</b>");
        QCOMPARE(tb.label("label_playername2")->textFormat(), Qt::PlainText);
    }

    void gameEndWinners()
    {
        Table tb;
        tb.login(2, "Al");
        tb.msg("CMD_newplayerinfo+1+Alice");
        tb.msg("CMD_startgame+Alice+h+");
        QVERIFY(tb.t->findChild<QObject *>("label_status1"));
        tb.msg("CMD_score+1+57+13+2+40+0+3+57+12+4+10+0");
        tb.msg("CMD_winner+Alice and Klick+57");
        QVERIFY(tb.label("image_winner1")->isVisibleTo(tb.t));
        QVERIFY(tb.label("image_winner3")->isVisibleTo(tb.t));
        QVERIFY(!tb.label("image_winner2")->isVisibleTo(tb.t)); // "Al" is not "Alice"
        QCOMPARE(tb.label("label_status1")->text(), QString("Alice and Klick won the game."));
        QCOMPARE(tb.label("label_status2")->text(), QString("Winning Score: 57"));
    }

    void full()
    {
        Table tb;
        tb.t->show();
        tb.msg("CMD_full+");
        QCOMPARE(tb.boxes, QStringList{"The Game is full, Disconnecting.."});
        QVERIFY(!tb.t->isVisible());
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("params");
        QTest::addColumn<bool>("hosts");
        QTest::addColumn<bool>("connects");
        QTest::newRow("none") << QStringList{} << true << true;
        QTest::newRow("true") << QStringList{"Bob", "127.0.0.9", "true"} << true << true;
        QTest::newRow("TRUE") << QStringList{"Bob", "127.0.0.9", "TRUE"} << false << true;
        QTest::newRow("four") << QStringList{"Bob", "127.0.0.9", "no", "x"} << false << true;
        QTest::newRow("one") << QStringList{"Bob"} << false << false;
        QTest::newRow("two") << QStringList{"Bob", "127.0.0.9"} << false << false;
    }
    void commandLine()
    {
        QFETCH(QStringList, params);
        QFETCH(bool, hosts);
        QFETCH(bool, connects);
        Table tb;
        bool serverStarted = false;
        tb.t->startServer = [&](bool) {
            serverStarted = true;
            return 1;
        };
        tb.t->serverPort = 1; // nothing listens there; the table stays logged out
        tb.t->processparams(params);
        QCOMPARE(serverStarted, hosts);
        QCOMPARE(tb.t->model().hosting(), hosts);
        QCOMPARE(tb.t->StartHalfGame1->isEnabled(), hosts);
        QCOMPARE(!tb.t->loginName().isEmpty(), connects);
        if (params.isEmpty())
            QCOMPARE(tb.t->model().myname(), std::string("You"));
        else if (connects)
            QCOMPARE(tb.t->hostaddr(), QString("127.0.0.9"));
        if (connects && !hosts) {
            // Nothing listens at 127.0.0.9 here: the table stays open and says so.
            QTRY_VERIFY_WITH_TIMEOUT(tb.t->chatPane()->paragraphText(tb.t->chatPane()->paragraphCount() - 1)
                                         .contains("Could not connect"),
                                     20000);
            QVERIFY(!tb.t->model().loggedin());
        }
        const auto parsed = parseCommandLine({"--home", "/tmp", "Bob", "--port", "7001", "x", "true"});
        QCOMPARE(parsed.params, (QStringList{"Bob", "x", "true"}));
        QCOMPARE(parsed.port, 7001);
        QVERIFY(!parseCommandLine({"--port", "0"}).error.isEmpty());
        QVERIFY(!parseCommandLine({"--home"}).error.isEmpty());
        QVERIFY(parseCommandLine({"Bob", "--help"}).help);
    }

    void singleInstance()
    {
        QTemporaryDir home;
        const QString key = SingleInstance::keyFor(home.path());
        SingleInstance first(key);
        QVERIFY(!first.anotherRuns());
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);
        SingleInstance second(key);
        QVERIFY(second.anotherRuns());
        QTRY_COMPARE(raised.count(), 1);
        // Another home is another instance.
        SingleInstance other(SingleInstance::keyFor(QDir::tempPath()));
        QVERIFY(!other.anotherRuns());
    }

    void perRoundReset()
    {
        Table tb;
        tb.login(1);
        tb.msg("CMD_startround+1+4+2+");
        tb.msg("CMD_placecard+1+1+3+2+40");
        tb.msg("CMD_nextplayer+c+1");
        tb.msg("CMD_playcard+2+1+20"); // a trick's first card marks its leader
        QVERIFY(tb.t->model().currentTrick().leader != 0);
        QVERIFY(tb.t->model().myturn());
        tb.msg("CMD_startround+2+1+3+");
        QCOMPARE(tb.t->model().currentTrick().leader, 0);
        QVERIFY(!tb.t->model().myturn());
        tb.msg("CMD_playcard+2+1+20");
        tb.msg("CMD_startgame+You+f+");
        QCOMPARE(tb.t->model().currentTrick().leader, 0);
    }

    void staleInstanceLock()
    {
        // A copy that was killed leaves its lock behind; the next start runs.
        QTemporaryDir home;
        const QString key = SingleInstance::keyFor(home.path());
        const QString path = QDir::temp().filePath(key + ".lock");
        QByteArray contents;
        {
            QLockFile probe(path);
            QVERIFY(probe.tryLock(0));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            contents = f.readAll();
        }
        // The same lock, held by a process that no longer exists.
        contents.replace(0, contents.indexOf('\n'), "999999");
        QFile lock(path);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(contents);
        lock.close();
        SingleInstance next(key);
        QVERIFY(!next.anotherRuns());
    }

    void spyList()
    {
        Table tb;
        tb.login(6, "Ann");
        tb.msg("CMD_newplayerinfo+6+Ann");
        auto *spy = tb.app->windows().spylist;
        QCOMPARE(spy->entries(), QStringList{"6: Ann"});
        tb.msg("CMD_newplayerinfo+7+Bo");
        tb.msg("CMD_playerdisconnected+7+Bo");
        QCOMPARE(spy->entries(), QStringList{"6: Ann"});
    }

    void hostRemovesWatcher()
    {
        Table host;
        host.t->setHosting(true);
        host.login(1);
        auto *spy = host.app->windows().spylist;
        spy->setRemoveEnabled(true);
        host.msg("CMD_newplayerinfo+5+Cy");
        host.msg("CMD_newplayerinfo+6+Ann");
        // The menu opens on Ann; Cy leaves before the item is chosen.
        QCOMPARE(spy->openMenuAt(1), 6);
        host.msg("CMD_playerdisconnected+5+Cy");
        spy->triggerRemove();
        QCOMPARE(host.sent.back(), std::string("CMD_kickhim+1+6+"));
        // Every other table loses the entry with a line.
        Table other;
        other.login(2);
        other.msg("CMD_newplayerinfo+6+Ann");
        other.msg("CMD_playerdisconnected+6+Ann");
        QVERIFY(other.app->windows().spylist->entries().isEmpty());
        // A table that does not host sends no removal.
        other.t->kicking(6);
        QVERIFY(other.sent.back().rfind("CMD_kickhim", 0) != 0);
    }
};

QTEST_MAIN(TestTable)
#include "test_table.moc"
