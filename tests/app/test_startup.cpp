// Start-up pieces the lobby relies on: the game's --lobby-port, the table's
// way to the lobby, and single-instance keys per program and home.
#include "app/quilletapp.h"
#include "app/singleinstance.h"
#include "client/tchat.h"
#include "windows/tdownload.h"
#include "ui/pictures.h"

#include <QAction>
#include <QDir>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillet;

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pictures::init(1.0); }

    void lobbyPortOption()
    {
        const CommandLine cl = parseCommandLine({"Bob", "--lobby-port", "9100", "h", "join"});
        QVERIFY(cl.error.isEmpty());
        QCOMPARE(cl.lobbyPort, 9100);
        QCOMPARE(cl.params, (QStringList{"Bob", "h", "join"}));
        QCOMPARE(parseCommandLine({}).lobbyPort, 9001);
        QCOMPARE(parseCommandLine({"--lobby-port", "0"}).error, QString("--lobby-port needs a number from 1 to 65535"));
        QVERIFY(!parseCommandLine({"--lobby-port"}).error.isEmpty());
        QVERIFY(usageText().contains("--lobby-port N"));
    }

    void optionsAndWords()
    {
        // A name may start with one dash; two dashes make an option, known or not.
        CommandLine cl = parseCommandLine({"-=Bob=-", "127.0.0.2", "true"});
        QVERIFY(cl.error.isEmpty());
        QCOMPARE(cl.params, (QStringList{"-=Bob=-", "127.0.0.2", "true"}));
        QCOMPARE(parseCommandLine({"Bob", "--frobnicate"}).error, QString("unknown option: --frobnicate"));
        // After "--" every word is a parameter, even one that looks like an option, as
        // the lobby passes the player's name.
        cl = parseCommandLine({"--port", "7001", "--", "--port", "host", "-h"});
        QVERIFY(cl.error.isEmpty());
        QVERIFY(!cl.help);
        QCOMPARE(cl.port, 7001);
        QCOMPARE(cl.params, (QStringList{"--port", "host", "-h"}));
        QVERIFY(usageText().contains("--  "));
    }

    // A multi-player start calls the lobby at the port it was given.
    void multiPlayerStartCallsTheLobby()
    {
        QTcpServer lobby;
        QVERIFY(lobby.listen(QHostAddress::LocalHost, 0));
        QTcpServer nothing; // a game port where nobody answers the login
        QVERIFY(nothing.listen(QHostAddress::LocalHost, 0));
        QTemporaryDir home;
        CommandLine cl = parseCommandLine({"--home", home.path(), "--lobby-port", QString::number(lobby.serverPort()),
                                           "--port", QString::number(nothing.serverPort()), "Bob", "127.0.0.1",
                                           "join"});
        QuilletApp app(cl);
        app.table()->messageBox = [](const QString &) {};
        app.start();
        QTRY_VERIFY_WITH_TIMEOUT(lobby.hasPendingConnections(), 10000);
        QTcpSocket *call = lobby.nextPendingConnection();
        QVERIFY(call);
        QCOMPARE(call->peerAddress(), QHostAddress(QHostAddress::LocalHost));
    }

    // "Play with Others…" in the File menu is the download window's button.
    void fileMenuPlayWithOthers()
    {
        QTemporaryDir home;
        CommandLine cl;
        cl.home = home.path();
        QuilletApp app(cl);
        Tdownload *download = app.windows().download;
        QStringList started;
        QList<QStringList> arguments;
        int exits = 0;
        download->findLobby = [] { return QString("/opt/zolvex/zolvexlobby"); };
        download->startProgram = [&](const QString &p, const QStringList &a) {
            started << p;
            arguments << a;
            return true;
        };
        download->exitProgram = [&] { ++exits; };
        auto *item = app.table()->findChild<QAction *>("PlayWithOthers1");
        QVERIFY(item);
        QCOMPARE(item->text().remove(QLatin1Char('&')), QString::fromUtf8("Play with Others\u2026")); // shown without its mnemonic mark
        item->trigger();
        QCOMPARE(started, QStringList{"/opt/zolvex/zolvexlobby"});
        QCOMPARE(arguments.value(0), (QStringList{"--home", home.path()}));
        QCOMPARE(exits, 1);

        // No lobby: the download window's message, and the table stays.
        QStringList messages;
        download->findLobby = [] { return QString(); };
        download->messageBox = [&](const QString &t) { messages << t; };
        item->trigger();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].startsWith("Please close the game and open the Zolvex Lobby"));
        QCOMPARE(exits, 1);
    }

    void instanceKeys()
    {
        QTemporaryDir home;
        // The game and the lobby each run once per home.
        const QString game = SingleInstance::keyFor(home.path());
        const QString lobby = SingleInstance::keyFor(home.path(), "zolvexlobby");
        QVERIFY(game != lobby);
        QVERIFY(game.startsWith("xevloz-"));
        QVERIFY(lobby.startsWith("zolvexlobby-"));
        SingleInstance running(game);
        QVERIFY(!running.anotherRuns());
        QVERIFY(SingleInstance::isRunning(game));
        QVERIFY(!SingleInstance::isRunning(lobby));
        // Probing leaves no lock behind.
        SingleInstance lobbyInstance(lobby);
        QVERIFY(!lobbyInstance.anotherRuns());

        // Homes not yet made are still told apart.
        QCOMPARE(SingleInstance::keyFor(home.filePath("a")) == SingleInstance::keyFor(home.filePath("b")), false);
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
