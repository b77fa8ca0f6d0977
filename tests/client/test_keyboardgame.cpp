// A whole solo game played with the keyboard alone: Ctrl+N and the game start dialog's
// keys, digits and Enter to bid, the arrows and Enter to choose trump and to play. Every
// key goes to the widget that has the keyboard focus, as a real key would.
#include "sologame.h"

#include "app/quilletapp.h"
#include "client/tchat.h"
#include "protocol/cards.h"
#include "server/tserver.h"
#include "windows/tgamestart.h"
#include "windows/ttallylist.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace quillet;

namespace {

// Where a key typed now would go: the focus widget of the window in front.
QWidget *keyTarget(QWidget *window)
{
    QWidget *top = window;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isModal())
            top = w;
    QWidget *focus = top->focusWidget();
    return focus ? focus : top;
}

void press(QWidget *window, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(keyTarget(window), key, mods);
}

} // namespace

class TestKeyboardGame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pictures::init(1.0); }

    void wholeGameWithoutTheMouse_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("rightPresses"); // from Half in the game start dialog
        QTest::addColumn<int>("rounds");
        QTest::newRow("half") << "h" << 0 << 10;
        QTest::newRow("vale") << "m" << 2 << 23;
    }
    void wholeGameWithoutTheMouse()
    {
        QFETCH(QString, type);
        QFETCH(int, rightPresses);
        QFETCH(int, rounds);
        SoloGame game;
        Tchat *t = game.t;
        QuilletApp &app = *game.app;
        const QStringList &boxes = game.boxes;
        t->show();
        t->activateWindow();
        game.start();
        QTRY_VERIFY_WITH_TIMEOUT(t->model().loggedin() && t->model().myseat() == 1, 10000);
        QVERIFY(t->model().hosting());

        // Ctrl+N opens the game start dialog; the arrows pick the game, Enter starts it.
        QWidget *dialog = app.windows().gamestart;
        press(t, Qt::Key_N, Qt::ControlModifier);
        QTRY_VERIFY(dialog->isVisible());
        for (int i = 0; i < rightPresses; ++i)
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Right);
        QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Return);
        QTRY_VERIFY(!dialog->isVisible());
        QTRY_COMPARE(t->model().gameType().value_or(GameType::full), *gameTypeFromLetter(type.toStdString()));

        auto *status2 = t->panelMain()->findChild<QLabel *>("label_status2");
        auto *edit = t->findChild<QLineEdit *>("edit_bid");
        auto *setBid = t->findChild<PictureButton *>("button_bid");
        QWidget *trumpPanel = t->findChild<QWidget *>("panel_trump");
        int plays = 0, bids = 0, trumps = 0, lastRound = 0;
        QElapsedTimer clock;
        clock.start();
        while (!status2->text().startsWith("Winning Score: ") && clock.elapsed() < 240000) {
            QTest::qWait(1);
            const TableModel &m = t->model();
            lastRound = std::max(lastRound, m.scoreround());
            if (setBid->isVisibleTo(t) && edit->isVisibleTo(t)) {
                // The bid box has the keys: a digit, then Enter.
                QCOMPARE(keyTarget(t), static_cast<QWidget *>(edit));
                press(t, m.checkBid("1").ok ? Qt::Key_1 : Qt::Key_0);
                press(t, Qt::Key_Return);
                ++bids;
                continue;
            }
            if (trumpPanel->isVisibleTo(t)) {
                for (int i = 0; i < 4; ++i)
                    press(t, Qt::Key_Right); // to "no trump"
                press(t, Qt::Key_Return);
                ++trumps;
                continue;
            }
            if (!m.myturn())
                continue;
            const auto playable = m.playableSlots();
            if (playable.empty())
                continue;
            // Home, then Right until the selected card may be played; Enter plays it.
            press(t, Qt::Key_Home);
            for (int guard = 0; guard < 13; ++guard) {
                const CardImage *c = t->cardAtPlace(t->selectedPlace());
                QVERIFY(c && c->selected());
                if (std::find(playable.begin(), playable.end(), c->slot()) != playable.end())
                    break;
                press(t, Qt::Key_Right);
            }
            const int before = m.handSize();
            press(t, Qt::Key_Return);
            QVERIFY(!m.myturn()); // the card went
            QTRY_VERIFY(m.handSize() < before || m.scoreround() != lastRound);
            ++plays;
        }
        QVERIFY2(status2->text().startsWith("Winning Score: "), qPrintable(status2->text()));
        QCOMPARE(lastRound, rounds);
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.join('|')));
        QVERIFY(bids >= rounds);
        QVERIFY(plays > rounds);
        if (type == "h")
            QCOMPARE(trumps, 0); // the turned card sets trump
        QCOMPARE(app.windows().tally->ownGames(), 1);
    }
};

QTEST_MAIN(TestKeyboardGame)
#include "test_keyboardgame.moc"
