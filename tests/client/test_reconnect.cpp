// Tables that lose their connection, and games whose port is taken: a joiner
// cut off mid-game comes back into his own seat by himself, a removed player
// stays out, a solo game starts whatever holds the game port, and hosting on
// a taken port says so.
#include "client/tchat.h"
#include "testports.h"
#include "server/tserver.h"
#include "app/quilletapp.h"
#include "chat/chatpane.h"
#include "ui/pictures.h"

#include <QAction>
#include <QLabel>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quillet;

namespace {

bool chatHas(Tchat *t, const QString &text)
{
    for (int i = 0; i < t->chatPane()->paragraphCount(); ++i)
        if (t->chatPane()->paragraphText(i).contains(text))
            return true;
    return false;
}

// One player's table with a home of its own; message boxes are collected.
struct OneTable {
    explicit OneTable(int port, bool quietLobby = true)
    {
        CommandLine cl;
        cl.home = home.path();
        cl.port = port;
        if (quietLobby)
            cl.lobbyPort = quietLobbyPort(); // no lobby of the machine's hears from a test
        app = std::make_unique<QuilletApp>(cl);
        app->table()->messageBox = [this](const QString &text) { boxes << text; };
    }
    Tchat *table() const { return app->table(); }

    QTemporaryDir home;
    std::unique_ptr<QuilletApp> app;
    QStringList boxes;
};

struct Players {
    explicit Players(int port)
    {
        for (int i = 0; i < 3; ++i)
            tables.push_back(std::make_unique<OneTable>(port));
    }
    Tchat *table(int i) const { return tables[std::size_t(i)]->table(); }
    TServer &server() const { return *tables[0]->app->windows().server; }
    QStringList boxes() const
    {
        QStringList all;
        for (const auto &t : tables)
            all << t->boxes;
        return all;
    }

    std::vector<std::unique_ptr<OneTable>> tables;
};

} // namespace

class TestReconnect : public QObject {
    Q_OBJECT

    // Ann hosts, Bob and Cy join; everybody just watches, so the computer
    // plays the game along until round 2.
    void seatAndPlay(Players &p)
    {
        const QStringList names = {"Ann", "Bob", "Cy"};
        p.table(0)->processparams({names[0], "127.0.0.1", "true"});
        p.server().setTimings(Timings{20, 20, 20});
        QTRY_VERIFY_WITH_TIMEOUT(p.table(0)->model().loggedin(), 10000);
        for (int i = 1; i < 3; ++i) {
            p.table(i)->processparams({names[i], "127.0.0.1", "join"});
            QTRY_VERIFY_WITH_TIMEOUT(p.table(i)->model().myseat() == i + 1, 10000);
        }
        p.table(0)->startGameWith("h");
        QTRY_VERIFY_WITH_TIMEOUT(p.server().state().gameon, 10000);
        for (int i = 0; i < 3; ++i)
            p.table(i)->JustWatch1->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(p.server().state().round >= 2, 30000);
    }

private slots:
    void initTestCase() { pictures::init(1.0); }

    // A joiner cut off mid-game tries again by himself and is given his own
    // seat back, with his hand and the table turned to put him at the bottom.
    // Cy comes back while Bob's seat, the lower one, is free: he is first
    // given slot 2 and then moved to his seat, so his table turns twice.
    void joinerCutMidGameIsBackInHisSeat()
    {
        Players p(freePort());
        seatAndPlay(p);
        p.server().disconnectsock(2);
        p.server().disconnectsock(3);
        QTRY_VERIFY(p.table(1)->reconnecting());
        p.table(1)->findChild<QAction *>("StopReconnecting1")->trigger();  // Bob stays away
        QTRY_VERIFY(p.table(2)->reconnecting());
        QVERIFY(chatHas(p.table(2), "Connection lost"));
        Tchat *cy = p.table(2);
        QTRY_VERIFY_WITH_TIMEOUT(!cy->reconnecting() && cy->model().loggedin(), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(cy->model().myseat(), 3, 5000);
        QTRY_VERIFY(p.server().state().players[3].loggedin);
        QVERIFY(!p.server().state().players[2].connected);
        QVERIFY(chatHas(cy, "Connected again."));
        // His own hand, as the server holds it, and his seat at the bottom.
        const auto &cards = p.server().state().players[3].cards;
        QTRY_VERIFY([&] {
            for (int k = 1; k <= 13; ++k)
                if (cy->model().cardAt(k) != cards[k])
                    return false;
            return true;
        }());
        QCOMPARE(cy->seat(3).label_playername->pos(), QPoint(122, 298));
        QCOMPARE(cy->seat(3).label_playername->text(), QString("Cy"));
        QCOMPARE(cy->seat(1).label_playername->text(), QString("Ann"));
        QVERIFY2(p.boxes().isEmpty(), qPrintable(p.boxes().join('\n')));
    }

    // The host removes Bob: Bob's table is told and closes, and tries nothing.
    void removedPlayerStaysOut()
    {
        Players p(freePort());
        seatAndPlay(p);
        p.table(0)->kicking(2);
        QTRY_VERIFY(!p.server().state().players[2].connected);
        QVERIFY(!p.table(1)->reconnecting());
        QTest::qWait(2500);  // longer than a retry would take
        QVERIFY(!p.server().state().players[2].connected);
        QVERIFY(!p.table(1)->reconnecting());
    }

    // Giving up: the table stays open and says so.
    void stopReconnectingKeepsTheTableOpen()
    {
        Players p(freePort());
        seatAndPlay(p);
        p.server().disconnectsock(2);
        QTRY_VERIFY(p.table(1)->reconnecting());
        p.table(1)->findChild<QAction *>("StopReconnecting1")->trigger();
        QVERIFY(!p.table(1)->reconnecting());
        QVERIFY(chatHas(p.table(1), "Could not reach the game"));
        QVERIFY(!p.table(1)->model().loggedin());
    }

    // A solo game needs no known port: it starts while something else holds
    // the game port (as another game or a dedicated server would).
    void soloStartsWhileTheGamePortIsTaken()
    {
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::Any, 0));
        OneTable solo(other.serverPort());
        solo.table()->processparams({});
        QTRY_VERIFY_WITH_TIMEOUT(solo.table()->model().loggedin(), 10000);
        TServer *server = solo.app->windows().server;
        QVERIFY(server->listeningPort() != int(other.serverPort()));
        QCOMPARE(server->listeningAddress(), std::string("127.0.0.1"));
        // And with the usual game port itself held (by us, or by whatever has it now).
        QTcpServer usual;
        usual.listen(QHostAddress::Any, quint16(kGamePort));
        OneTable second(kGamePort);
        second.table()->processparams({});
        QTRY_VERIFY_WITH_TIMEOUT(second.table()->model().loggedin(), 10000);
        QVERIFY2(solo.boxes.isEmpty() && second.boxes.isEmpty(), qPrintable((solo.boxes + second.boxes).join('\n')));
    }

    // Hosting on a taken port says which port and how to choose another, and
    // the table does not wait for a game that never comes.
    void hostingOnATakenPortSaysSo()
    {
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::Any, 0));
        OneTable host(other.serverPort());
        host.table()->processparams({"Ann", "127.0.0.1", "true"});
        const QString port = QString::number(other.serverPort());
        QCOMPARE(host.boxes.size(), 1);
        QVERIFY(host.boxes[0].contains("Port " + port + " is already in use"));
        QVERIFY(host.boxes[0].contains("--port"));
        QVERIFY(chatHas(host.table(), "Port " + port + " is already in use"));
        QVERIFY(!host.table()->StartHalfGame1->isEnabled());
        QVERIFY(!host.table()->model().hosting());
    }
};

QTEST_MAIN(TestReconnect)
#include "test_reconnect.moc"
