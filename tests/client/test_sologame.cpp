// Whole solo games through the real table window and the in-process server,
// the test playing seat 1 through the same handlers as the mouse.
#include "client/tchat.h"
#include "protocol/cards.h"
#include "server/tserver.h"
#include "shell/quilletapp.h"
#include "shell/tscore.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTcpServer>
#include <QTest>

#include <set>

using namespace quillet;

namespace {

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

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
        CommandLine cl;
        cl.port = freePort();
        QuilletApp app(cl);
        Tchat *t = app.table();
        QStringList boxes;
        t->messageBox = [&](const QString &text) { boxes << text; };
        app.windows().server->setTimings(Timings{5, 5, 0});
        t->processparams({});
        QTRY_VERIFY_WITH_TIMEOUT(t->loggedin && t->myseat == 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(t->seat(1).label_playername->text(), QString("You"), 10000);
        QVERIFY(t->hosting);

        t->StartHalfGame1Click();
        t->startGameWith(type);

        auto *status2 = t->panelMain()->findChild<QLabel *>("label_status2");
        auto *edit = t->findChild<QLineEdit *>("edit_bid");
        auto *button = t->findChild<PictureButton *>("button_bid");
        auto *trumpPanel = t->findChild<QWidget *>("panel_trump");
        std::set<int> tried; // hand slots refused this turn
        int lastRound = 0;
        int handSizeAtTry = -1;
        int roundAtTry = -1;
        QElapsedTimer clock;
        clock.start();
        while (!status2->text().startsWith("Winning Score: ") && clock.elapsed() < 240000) {
            QTest::qWait(1);
            if (button->isVisibleTo(t) && edit->isVisibleTo(t)) {
                // Bid 1 unless that would match the cards as the Vale dealer.
                int bid = std::min(1, t->maxbid);
                if (t->gameType == "m" && t->lastBidder == t->myseat && bid + t->totalSoFar == t->cardsPerHand)
                    bid = bid == 0 ? 1 : 0;
                edit->setText(QString::number(bid));
                t->button_bidClick();
            }
            if (trumpPanel->isVisibleTo(t))
                t->selectTrump(5);
            if (t->myturn) {
                // A new turn (the hand has shrunk, or a new round was dealt)
                // starts a fresh round of trying.
                int handSize = 0;
                for (int p = 1; p <= 13; ++p)
                    handSize += t->cardAtPlace(p) != nullptr;
                if (handSize != handSizeAtTry || t->scoreround != roundAtTry)
                    tried.clear();
                handSizeAtTry = handSize;
                roundAtTry = t->scoreround;
                // Try the cards left to right; the server refuses a wrong suit.
                for (int p = 1; p <= 13; ++p) {
                    CardImage *c = t->cardAtPlace(p);
                    if (c && !tried.count(c->slot())) {
                        tried.insert(c->slot());
                        t->cardimagesMouseDown(c, Qt::LeftButton);
                        break;
                    }
                }
            }
            lastRound = std::max(lastRound, t->scoreround);
        }
        QVERIFY2(status2->text().startsWith("Winning Score: "), qPrintable(status2->text()));
        QCOMPARE(lastRound, rounds);
        QVERIFY(boxes.isEmpty());
        // The score card's total row holds the final scores.
        const int totalRow = endRound(type.toStdString());
        for (int s = 1; s <= 4; ++s)
            QCOMPARE(app.windows().score->cell(totalRow, s), t->seat(s).label_score->text());
        QVERIFY(t->findChild<QWidget *>("button_start")->isVisibleTo(t));
    }
};

QTEST_MAIN(TestSoloGame)
#include "test_sologame.moc"
