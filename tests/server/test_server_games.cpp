// quillet-server as a black box: one scripted client plays seat 1 of a solo
// game of each type against the three computer seats, to the winner, and
// checks every message of every round on the way.
#include "scriptedplayer.h"

#include <QProcess>
#include <QTest>

#include <memory>

class TestServerGames : public QObject {
    Q_OBJECT

    std::unique_ptr<QProcess> server;

    // Starts quillet-server on a free port with short pauses and no computer
    // delay; returns the port, or 0 when it did not come up.
    int startServer()
    {
        server = std::make_unique<QProcess>();
        server->start(QStringLiteral(QUILLET_SERVER_PATH),
                      {"--port", "0", "--trick-pause", "5", "--round-pause", "5", "--bot-delay", "0"});
        if (!server->waitForStarted(10000) ||
            !QTest::qWaitFor([&] { return server->canReadLine(); }, 10000))
            return 0;
        const QString line = QString::fromLocal8Bit(server->readLine()).trimmed();
        if (!line.startsWith("quillet-server 1.0.16 listening on port "))
            return 0;
        return line.section(' ', -1).toInt();
    }

private slots:
    void cleanup()
    {
        if (server) {
            server->kill();
            server->waitForFinished(5000);
            server.reset();
        }
    }

    void soloGameToTheWinner_data()
    {
        QTest::addColumn<char>("type");
        QTest::addColumn<int>("rounds");
        QTest::newRow("half") << 'h' << 10;
        QTest::newRow("full") << 'f' << 20;
        QTest::newRow("vale") << 'm' << 23;
    }

    void soloGameToTheWinner()
    {
        QFETCH(char, type);
        QFETCH(int, rounds);
        const int port = startServer();
        QVERIFY2(port > 0, "quillet-server did not start");

        ScriptedPlayer player(type, port, "Tester");
        QVERIFY(player.open());
        QTRY_VERIFY_WITH_TIMEOUT(player.finished(), 120000);
        QVERIFY2(player.error().empty(), player.error().c_str());
        QCOMPARE(player.roundsPlayed(), rounds);
        QCOMPARE(player.nobids(), 0);

        // Neither "Card does't exist" nor "computer played incorrectly" nor
        // any caught error reached the host's notices.
        const QByteArray notices = server->readAllStandardError();
        QVERIFY2(notices.isEmpty(), notices.constData());

        qInfo("%d rounds, %d tricks, own bid made %d times, %d no-trump rounds, %lld ms; %s",
              player.roundsPlayed(), player.tricksPlayed(), player.ownBidsMade(),
              player.noTrumpRounds(), player.elapsedMs(), player.winnerMessage().c_str());
    }
};

QTEST_GUILESS_MAIN(TestServerGames)
#include "test_server_games.moc"
