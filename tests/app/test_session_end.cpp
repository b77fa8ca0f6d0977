// Termination signals: in-process, the handler only wakes the event loop, once, and
// leaves alone what the parent ignored; end to end, a real table that has logged in to
// its solo game saves its tally and exits 0 on SIGTERM.
#include "app/terminationsignals.h"
#include "testclient.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using quillet::TerminationSignals;

namespace {

// A port nothing listens on right now; the table hosts its solo game there.
int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

using Handler = void (*)(int);

Handler handlerOf(int signalNumber)
{
    struct sigaction now {};
    sigaction(signalNumber, nullptr, &now);
    return now.sa_handler;
}

} // namespace

class TestSessionEnd : public QObject {
    Q_OBJECT

private slots:
    void signalReachesTheEventLoopOnce()
    {
        // (The test framework has handlers of its own; they are the ones to come back.)
        const Handler before[] = {handlerOf(SIGTERM), handlerOf(SIGINT), handlerOf(SIGHUP)};
        TerminationSignals signals_;
        QVERIFY(signals_.isActive());
        QVERIFY(handlerOf(SIGTERM) != before[0] && handlerOf(SIGINT) != before[1] &&
                handlerOf(SIGHUP) != before[2]);
        QSignalSpy received(&signals_, &TerminationSignals::received);
        raise(SIGINT);
        QTRY_COMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).toInt(), SIGINT);
        // Afterwards the signals act as before, so a second Ctrl+C is not swallowed.
        QVERIFY(handlerOf(SIGTERM) == before[0] && handlerOf(SIGINT) == before[1] &&
                handlerOf(SIGHUP) == before[2]);
        // A second object cannot take the pipe of the first.
        TerminationSignals second;
        QVERIFY(!second.isActive());
    }

    void ignoredSignalsStayIgnoredAndHandlersComeBack()
    {
        const Handler term = handlerOf(SIGTERM);
        const Handler hup = signal(SIGHUP, SIG_IGN); // as nohup leaves it
        {
            TerminationSignals signals_;
            QVERIFY(signals_.isActive());
            QVERIFY(handlerOf(SIGTERM) != term);
            QVERIFY(handlerOf(SIGHUP) == SIG_IGN);
        }
        QVERIFY(handlerOf(SIGTERM) == term);
        signal(SIGHUP, hup);
        // The pipe was given back: a new object works again.
        TerminationSignals again;
        QVERIFY(again.isActive());
    }

    void sigtermSavesTheTallyAndExitsZero()
    {
        QTemporaryDir home;
        const int port = freePort();
        QVERIFY(port > 0);
        QProcess table;
        table.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // A hosted game: a solo game listens on a port of its own choosing.
        table.start(QStringLiteral(QUILLET_PATH), {"--home", home.path(), "--port", QString::number(port),
                                                   "--lobby-port", QString::number(freePort()), "You",
                                                   "127.0.0.1", "true"});
        QVERIFY(table.waitForStarted());

        // A peer that logs in to the same server sees the table's own login ("You").
        TestClient peer;
        QVERIFY(QTest::qWaitFor([&] { return peer.open(port) || table.state() == QProcess::NotRunning; }, 20000));
        QVERIFY(peer.waitForMessages(1, 10000));
        peer.send("CMD_logininfo+" + std::to_string(peer.slot()) + "+1.0.16+Peer");
        const auto tableLoggedIn = [&] {
            for (const std::string &m : peer.messages)
                if ((m.rfind("CMD_existingplayers+", 0) == 0 || m.rfind("CMD_newplayerinfo+", 0) == 0) &&
                    m.size() > 4 && m.compare(m.size() - 4, 4, "+You") == 0)
                    return true;
            return false;
        };
        QVERIFY(QTest::qWaitFor(tableLoggedIn, 10000));
        const QString tally = home.filePath("quillettally.tld");
        QVERIFY(!QFileInfo::exists(tally)); // written when the table goes, not before

        QElapsedTimer clock;
        clock.start();
        table.terminate(); // SIGTERM
        QVERIFY(table.waitForFinished(5000));
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed()) + " ms"));
        QCOMPARE(table.exitStatus(), QProcess::NormalExit);
        QCOMPARE(table.exitCode(), 0);
        QVERIFY(QFileInfo(tally).size() > 0);
        QTRY_VERIFY(peer.closedByServer); // the server went with the table
    }
};

QTEST_MAIN(TestSessionEnd)
#include "test_session_end.moc"
