// quillet-server as a black box: options, bind failure, nine seats and a refused tenth.
#include "testclient.h"

#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include <memory>

class TestTServerProcess : public QObject {
    Q_OBJECT

    static QString program() { return QStringLiteral(QUILLET_SERVER_PATH); }

    // Runs the server to its end; returns exit code and stderr.
    static int runToEnd(const QStringList &args, QString *err)
    {
        QProcess p;
        p.start(program(), args);
        if (!p.waitForFinished(10000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

private slots:
    void seatsNineAndRefusesTheTenth()
    {
        QProcess server;
        server.start(program(), {"--port", "0", "--trick-pause", "10", "--round-pause", "10"});
        QVERIFY(server.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return server.canReadLine(); }, 10000));
        const QString line = QString::fromLocal8Bit(server.readLine()).trimmed();
        QVERIFY2(line.startsWith("quillet-server 1.0.16 listening on port "), qPrintable(line));
        const int port = line.section(' ', -1).toInt();
        QVERIFY(port > 0);

        std::vector<std::unique_ptr<TestClient>> clients;
        for (int k = 1; k <= 10; ++k) {
            clients.push_back(std::make_unique<TestClient>());
            TestClient &c = *clients.back();
            QVERIFY(c.open(port));
            QVERIFY(c.waitForMessages(1));
            if (k <= 9)
                QCOMPARE(c.messages.front(), "CMD_sendlogininfo+" + std::to_string(k));
            else
                QCOMPARE(c.messages.front(), std::string("CMD_full+"));
        }
        QTRY_VERIFY(clients.back()->closedByServer);
        // The first connection is the host: it may set the bot speed and kick.
        TestClient &host = *clients[0];
        host.send("CMD_logininfo+1+1.0.16+Host");
        QVERIFY(host.waitFor("CMD_newplayerinfo+1+Host"));
        host.send("CMD_kickhim+1+9+");
        QTRY_VERIFY(clients[8]->closedByServer);

        server.terminate();
        QVERIFY(server.waitForFinished(5000));
    }

    void expertComputersPlayAWholeGame()
    {
        // The host starts a Half game and watches: four Expert seats play it out.
        QProcess server;
        server.start(program(), {"--port", "0", "--trick-pause", "0", "--round-pause", "0", "--bot-delay", "0",
                                 "--computer", "expert"});
        QVERIFY(server.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return server.canReadLine(); }, 10000));
        const int port = QString::fromLocal8Bit(server.readLine()).trimmed().section(' ', -1).toInt();
        QVERIFY(port > 0);
        TestClient host;
        QVERIFY(host.open(port));
        QVERIFY(host.waitForMessages(1));
        host.send("CMD_logininfo+1+1.0.16+Host");
        QVERIFY(host.waitFor("CMD_newplayerinfo+1+Host"));
        host.send("CMD_botspeed+1+500+");
        host.send("CMD_startgame+Host+h+");
        host.send("CMD_justwatch+1+1");
        QVERIFY(QTest::qWaitFor([&] { return host.countPrefix("CMD_winner+") == 1; }, 60000));
        QCOMPARE(host.countPrefix("CMD_score+"), 10);
        server.terminate();
        QVERIFY(server.waitForFinished(5000));
        QVERIFY2(server.readAllStandardError().isEmpty(), "no host notice: every computer move was accepted");
    }

    void badOptionsExitWithStatusOne()
    {
        QString err;
        QCOMPARE(runToEnd({"--port", "x"}, &err), 1);
        QVERIFY2(err.contains("bad value for --port"), qPrintable(err));
        QCOMPARE(runToEnd({"--port", "70000"}, &err), 1);
        QCOMPARE(runToEnd({"--port"}, &err), 1);
        QCOMPARE(runToEnd({"--trick-pause", "4000"}, &err), 1);  // pauses only shorten
        QCOMPARE(runToEnd({"--computer", "grandmaster"}, &err), 1);
        QVERIFY2(err.contains("bad value for --computer"), qPrintable(err));
        QCOMPARE(runToEnd({"--frobnicate"}, &err), 2); // not a bad value: a usage error
        QVERIFY2(err.contains("unknown option: --frobnicate"), qPrintable(err));
    }

    void portInUseExitsWithStatusOne()
    {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::Any, 0));
        QString err;
        QCOMPARE(runToEnd({"--port", QString::number(taken.serverPort())}, &err), 1);
        QVERIFY2(err.contains("Listen - Error Binding Socket"), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestTServerProcess)
#include "test_tserver_process.moc"
