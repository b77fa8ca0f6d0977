// Four tables in one process play a game together: one hosts, three join
// over TCP on 127.0.0.1, each seated player plays through its own window.
#include "autoplayer.h"
#include "client/tchat.h"
#include "testports.h"
#include "server/tserver.h"
#include "app/quilletapp.h"
#include "ui/pictures.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace quillet;

class TestFourTables : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pictures::init(1.0); }

    void playTogether()
    {
        int port = 0;
        {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost, 0);
            port = probe.serverPort();
        }
        const QStringList names = {"Ann", "Bob", "Cy", "Dee"};
        std::vector<std::unique_ptr<QTemporaryDir>> homes;
        std::vector<std::unique_ptr<QuilletApp>> apps;
        QStringList boxes;
        for (int i = 0; i < 4; ++i) {
            homes.push_back(std::make_unique<QTemporaryDir>());
            CommandLine cl;
            cl.home = homes.back()->path();
            cl.port = port;
            cl.lobbyPort = quietLobbyPort(); // no lobby of the machine's hears from a test
            apps.push_back(std::make_unique<QuilletApp>(cl));
            apps.back()->table()->messageBox = [&boxes](const QString &text) { boxes << text; };
        }
        // The host listens on all addresses in a multi-player game.
        apps[0]->table()->processparams({names[0], "127.0.0.1", "true"});
        apps[0]->windows().server->setTimings(Timings{5, 5, 0});
        QTRY_VERIFY_WITH_TIMEOUT(apps[0]->table()->model().loggedin(), 10000);
        for (int i = 1; i < 4; ++i) {
            apps[i]->table()->processparams({names[i], "127.0.0.1", "join"});
            QTRY_VERIFY_WITH_TIMEOUT(apps[i]->table()->model().myseat() == i + 1, 10000);
        }
        // Every table sees every name at its seat.
        for (auto &app : apps)
            for (int s = 1; s <= 4; ++s)
                QTRY_COMPARE_WITH_TIMEOUT(app->table()->seat(s).label_playername->text(), names[s - 1], 10000);
        // Only the host can start.
        QVERIFY(!apps[1]->table()->StartHalfGame1->isEnabled());
        apps[0]->table()->startGameWith("h");

        std::vector<AutoPlayer> players;
        for (auto &app : apps)
            players.emplace_back(app->table());
        QElapsedTimer clock;
        clock.start();
        auto allOver = [&] {
            return std::all_of(players.begin(), players.end(), [](const AutoPlayer &p) { return p.gameOver(); });
        };
        while (!allOver() && clock.elapsed() < 240000) {
            QTest::qWait(1);
            for (AutoPlayer &p : players)
                p.step();
        }
        QVERIFY(allOver());
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.join('\n')));
        for (const AutoPlayer &p : players)
            QCOMPARE(p.refusals, 0);
        // All four tables agree on every score and on the winner.
        for (int s = 1; s <= 4; ++s)
            for (auto &app : apps)
                QCOMPARE(app->table()->seat(s).label_score->text(), apps[0]->table()->seat(s).label_score->text());
        for (AutoPlayer &p : players)
            QCOMPARE(p.status2->text(), players[0].status2->text());
        // The rotation put each player's own seat at the bottom.
        for (int i = 0; i < 4; ++i)
            QCOMPARE(apps[i]->table()->seat(i + 1).label_playername->pos(), QPoint(122, 298));
    }
};

QTEST_MAIN(TestFourTables)
#include "test_fourtables.moc"
