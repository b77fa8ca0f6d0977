// Whole solo games through the real table window and the in-process server,
// the test playing seat 1 through the same handlers as the mouse.
#include "autoplayer.h"
#include "client/tchat.h"
#include "sologame.h"
#include "protocol/cards.h"
#include "server/tserver.h"
#include "app/quilletapp.h"
#include "windows/tscore.h"
#include "windows/ttallylist.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>


using namespace quillet;


class TestSoloGame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pictures::init(1.0); }

    void wholeGame_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("rounds");
        QTest::newRow("half") << "h" << 10;
        QTest::newRow("full") << "f" << 20;
        QTest::newRow("vale") << "m" << 23;
    }
    void wholeGame()
    {
        QFETCH(QString, type);
        QFETCH(int, rounds);
        SoloGame game;
        Tchat *t = game.t;
        QuilletApp &app = *game.app;
        const QStringList &boxes = game.boxes;
        const QTemporaryDir &home = game.home;
        game.start();
        QTRY_VERIFY_WITH_TIMEOUT(t->model().loggedin() && t->model().myseat() == 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(t->seat(1).label_playername->text(), QString("You"), 10000);
        QVERIFY(t->model().hosting());

        t->StartHalfGame1Click();
        t->startGameWith(type);

        AutoPlayer player(t);
        auto *status2 = player.status2;
        int lastRound = 0;
        QElapsedTimer clock;
        clock.start();
        while (!player.gameOver() && clock.elapsed() < 240000) {
            QTest::qWait(1);
            player.step();
            lastRound = std::max(lastRound, t->model().scoreround());
        }
        QVERIFY2(status2->text().startsWith("Winning Score: "), qPrintable(status2->text()));
        QCOMPARE(lastRound, rounds);
        QVERIFY(boxes.isEmpty());
        // Every card the model offered was one the server accepted.
        QCOMPARE(player.refusals, 0);
        // The score card's total row holds the final scores.
        const int totalRow = endRound(type.toStdString());
        for (int s = 1; s <= 4; ++s)
            QCOMPARE(app.windows().score->cell(totalRow, s), t->seat(s).label_score->text());
        QVERIFY(t->findChild<QWidget *>("button_start")->isVisibleTo(t));
        // One finished game in the tally, kept in its file at once.
        QCOMPARE(app.windows().tally->ownGames(), 1);
        QVERIFY(QFile::exists(QDir(home.path()).filePath("quillettally.tld")));
    }
};

QTEST_MAIN(TestSoloGame)
#include "test_sologame.moc"
