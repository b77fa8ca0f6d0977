// What the table tells the player, through the same handlers as the mouse and the
// keys: why a card was refused and which may be played, the keys' rules (the chat box,
// the bid box, the trump choice), the questions before a running game is lost, the
// labels of a new game, the title, what assistive technology reads and hears, and the
// glides that never hold the game up.
#include "tablefixture.h"

#include "app/quilletapp.h"
#include "chat/chatinput.h"
#include "chat/chatpane.h"
#include "client/tablemotion.h"
#include "client/tchat.h"
#include "settings/profile.h"
#include "windows/tgamestart.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace quillet;

namespace {

struct Table : TableFixture {
    // Logged in, with the own name on the seat as the server tells it.
    void login(int slot, const QString &name = "You")
    {
        TableFixture::login(slot, name);
        if (slot <= 4)
            msg("CMD_newplayerinfo+" + std::to_string(slot) + "+" + name.toStdString());
    }
    // Seat 1 holds 3 and 5 of clubs, 3 of hearts, queen of hearts, 2 of spades; seat 2
    // has led the king of hearts and it is seat 1's turn.
    void myTurnAfterAHeartLead()
    {
        msg("CMD_startgame+You+f+");
        msg("CMD_startround+5+4+5+");
        msg("CMD_placecard+1+1+2+2+4+3+28+4+37+5+40");
        msg("CMD_trump+14");
        msg("CMD_nextplayer+c+2");
        msg("CMD_playcard+2+1+38");
        msg("CMD_nextplayer+f+1");
    }
    QWidget *keys() { return t->focusWidget(); }
};

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TestTableFeedback : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pictures::init(1.0); }

    void refusedCardSaysWhyAndShowsThePlayableOnes()
    {
        Table tb;
        tb.login(1);
        tb.myTurnAfterAHeartLead();
        const auto cardOf = [&](int number) {
            for (int p = 1; p <= 13; ++p)
                if (CardImage *c = tb.t->cardAtPlace(p); c && c->card() == number)
                    return c;
            return static_cast<CardImage *>(nullptr);
        };
        // While it is the own turn, the cards that may not be played are dimmed.
        for (int card : {2, 4, 40})
            QVERIFY(cardOf(card)->dimmed());
        for (int card : {28, 37})
            QVERIFY(!cardOf(card)->dimmed());
        QCOMPARE(cardOf(4)->accessibleDescription(), QString("Cannot be played now"));
        // The option off: nothing is dimmed; it is kept in the settings file.
        tb.t->ShowPlayable1->trigger();
        QVERIFY(!cardOf(4)->dimmed());
        QVERIFY(readText(tb.t->settingsPath()).contains("Showplayable=false"));
        tb.t->ShowPlayable1->trigger();
        QVERIFY(cardOf(4)->dimmed());
        QVERIFY(readText(tb.t->settingsPath()).contains("Showplayable=true"));

        // A club is sent all the same; the server refuses it: the table says why and
        // outlines the hearts for a moment.
        tb.t->cardimagesMouseDown(cardOf(4), Qt::LeftButton);
        QCOMPARE(tb.lastSent(), std::string("CMD_playcard+1+2"));
        QVERIFY(!cardOf(28)->dimmed()); // the turn is over until the answer
        tb.msg("CMD_needsuit+1+2+2+");
        QCOMPARE(tb.label("label_status1")->text(), QString("You must follow suit."));
        QVERIFY(cardOf(28)->outlined() && cardOf(37)->outlined());
        QVERIFY(!cardOf(4)->outlined() && !cardOf(2)->outlined());
        QVERIFY(tb.boxes.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!cardOf(28)->outlined(), 5000);
        // A card the server takes clears the reason.
        tb.t->cardimagesMouseDown(cardOf(37), Qt::LeftButton);
        tb.msg("CMD_playcard+1+4+37");
        QCOMPARE(tb.label("label_status1")->text(), QString());
    }

    void keysPlayTheHandAndBid()
    {
        Table tb;
        tb.login(1);
        tb.t->show();
        QWidget *table = tb.t->panelMain();
        QCOMPARE(tb.keys(), table);
        tb.myTurnAfterAHeartLead();
        // The first arrow picks the first card that may be played; the arrows move on.
        QTest::keyClick(table, Qt::Key_Right);
        QCOMPARE(tb.t->cardAtPlace(tb.t->selectedPlace())->card(), 28);
        QVERIFY(tb.t->cardAtPlace(tb.t->selectedPlace())->selected());
        QTest::keyClick(table, Qt::Key_Right);
        QCOMPARE(tb.t->cardAtPlace(tb.t->selectedPlace())->card(), 37);
        QTest::keyClick(table, Qt::Key_End);
        QTest::keyClick(table, Qt::Key_Right); // stays on the last card
        QCOMPARE(tb.t->selectedPlace(), 5);
        QTest::keyClick(table, Qt::Key_Left);
        QTest::keyClick(table, Qt::Key_Space);
        QCOMPARE(tb.lastSent(), std::string("CMD_playcard+1+4")); // the queen of hearts, slot 4
        QTest::keyClick(table, Qt::Key_Return); // the turn is over: nothing more goes
        QCOMPARE(tb.lastSent(), std::string("CMD_playcard+1+4"));

        // The bid box takes the digits and Enter, and the arrows step the bid.
        tb.msg("CMD_startround+6+4+5+");
        tb.msg("CMD_bid+1+5+2+0+4+");
        auto *edit = tb.t->findChild<QLineEdit *>("edit_bid");
        QCOMPARE(tb.keys(), static_cast<QWidget *>(edit));
        QTest::keyClick(edit, Qt::Key_3);
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(edit->text(), QString("4"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(tb.lastSent(), std::string("CMD_bid+1+4"));
        QCOMPARE(tb.keys(), table);
        // A refused bid gives the box the keys again.
        tb.msg("CMD_nobid+1+4+");
        QCOMPARE(tb.keys(), static_cast<QWidget *>(edit));
        QTest::keyClick(edit, Qt::Key_2);
        QTest::keyClick(edit, Qt::Key_Enter);
        QCOMPARE(tb.lastSent(), std::string("CMD_bid+1+2"));

        // The trump choice: Left, Right and Enter.
        tb.msg("CMD_choosetrump+1+");
        QWidget *panel = tb.t->findChild<QWidget *>("panel_trump");
        QCOMPARE(tb.keys(), panel);
        QTest::keyClick(panel, Qt::Key_Right);
        QTest::keyClick(panel, Qt::Key_Right);
        QTest::keyClick(panel, Qt::Key_Left);
        QCOMPARE(tb.t->selectedTrump(), 2);
        QTest::keyClick(panel, Qt::Key_Return);
        QCOMPARE(tb.lastSent(), std::string("CMD_mychoose+1+26+")); // diamonds
        QCOMPARE(tb.keys(), table);
    }

    void hKeyHintsWhileDecidingAndIsALetterOtherwise()
    {
        Table tb;
        tb.login(1);
        tb.t->show();
        tb.t->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tb.t));
        QWidget *table = tb.t->panelMain();
        ChatInput *chat = tb.t->chatInput();
        tb.myTurnAfterAHeartLead();
        const auto before = tb.sent.size();
        QTest::keyClick(table, Qt::Key_H);
        QCOMPARE(tb.sent.size(), before);
        QCOMPARE(tb.keys(), table);
        // The hint is a card that follows the heart led (slot 3 or 4), outlined and the
        // keyboard's card; Enter plays it.
        const int place = tb.t->selectedPlace();
        QVERIFY(place >= 1);
        const int slot = tb.t->model().handplaces()[std::size_t(place)];
        QVERIFY(slot == 3 || slot == 4);
        QVERIFY(tb.t->cardForSlot(slot)->outlined());
        QVERIFY(chat->text().isEmpty() || chat->text() == ChatInput::kEnterChatHere);
        QTest::keyClick(table, Qt::Key_Return);
        QCOMPARE(tb.lastSent(), "CMD_playcard+1+" + std::to_string(slot));
        tb.msg("CMD_playcard+1+" + std::to_string(slot) + "+" + std::to_string(tb.t->model().cardAt(slot)));
        tb.msg("CMD_nextplayer+c+3");
        // Nothing to decide: H starts a chat line, and a line begun takes every letter.
        QTest::keyClick(table, Qt::Key_H);
        QCOMPARE(tb.keys(), static_cast<QWidget *>(chat));
        QTest::keyClick(chat, Qt::Key_H);
        QCOMPARE(chat->text(), QString("hh"));
        QCOMPARE(tb.sent.size(), before + 1);
    }

    void chatBoxTakesTheKeysOnlyWhenAsked()
    {
        Table tb;
        tb.login(1);
        tb.t->show();
        tb.t->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tb.t)); // focus changes are told to an active window
        QWidget *table = tb.t->panelMain();
        ChatInput *chat = tb.t->chatInput();
        tb.myTurnAfterAHeartLead();
        // Typing on the table starts a chat line; the box keeps the keys while it has text.
        QTest::keyClicks(table, "ok");
        QCOMPARE(tb.keys(), static_cast<QWidget *>(chat));
        QCOMPARE(chat->text(), QString("ok"));
        QTest::keyClick(chat, Qt::Key_Left); // moves the caret, plays nothing
        QVERIFY(tb.t->model().myturn());
        QTest::keyClick(chat, Qt::Key_Return);
        QCOMPARE(tb.lastSent(), std::string("CMD_chat+1+ok|clBlack"));
        // Sent and empty again: the keys are the table's.
        QCOMPARE(tb.keys(), table);
        // Return in an empty box the player clicked into sends nothing, and the box
        // keeps the keys until Esc.
        chat->setFocus(Qt::MouseFocusReason);
        const auto before = tb.sent.size();
        QTest::keyClick(chat, Qt::Key_Return);
        QTest::keyClicks(chat, "   ");
        QTest::keyClick(chat, Qt::Key_Return);
        QCOMPARE(tb.sent.size(), before);
        QTest::keyClick(chat, Qt::Key_Right);
        QCOMPARE(tb.t->selectedPlace(), 0);
        QTest::keyClick(chat, Qt::Key_Escape);
        QCOMPARE(tb.keys(), table);
        // An empty box that came by itself (clearing the chat) passes the game's keys on.
        tb.t->chatPane()->clear();
        QCOMPARE(tb.keys(), static_cast<QWidget *>(chat));
        QTest::keyClick(chat, Qt::Key_Right);
        QVERIFY(tb.t->selectedPlace() > 0);
        QCOMPARE(tb.keys(), table);
    }

    void menusHaveMnemonicsAndShortcuts()
    {
        Table tb;
        for (QAction *menu : tb.t->menuBar()->actions())
            QVERIFY2(menu->text().contains('&'), qPrintable(menu->text()));
        for (QMenu *menu : tb.t->menuBar()->findChildren<QMenu *>())
            for (QAction *a : menu->actions())
                if (!a->isSeparator() && menu->objectName() != "popup_kick")
                    QVERIFY2(a->text().contains('&') || a->text().toInt() > 0, qPrintable(a->text()));
        QCOMPARE(tb.t->StartHalfGame1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QCOMPARE(tb.t->Exit1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QCOMPARE(tb.t->Content1->shortcut(), QKeySequence(Qt::Key_F1));
    }

    void askBeforeLosingARunningGame()
    {
        Table tb;
        tb.t->setHosting(true);
        tb.login(1);
        tb.t->show();
        QWidget *dialog = tb.app->windows().gamestart;
        // No game yet: no question.
        tb.t->StartHalfGame1Click();
        QVERIFY(dialog->isVisible() && tb.questions.isEmpty());
        dialog->hide();
        tb.msg("CMD_startgame+You+h+");
        // Cancelled: nothing changes.
        tb.t->StartHalfGame1Click();
        QCOMPARE(tb.questions.size(), 1);
        QVERIFY(!dialog->isVisible());
        QVERIFY(!tb.t->close());
        QVERIFY(tb.t->isVisible());
        QCOMPARE(tb.questions.size(), 2);
        // Accepted: the dialog opens, the window closes.
        tb.answer = true;
        tb.t->StartHalfGame1Click();
        QVERIFY(dialog->isVisible());
        dialog->hide();
        QVERIFY(tb.t->close());
        QCOMPARE(tb.questions.size(), 4);

        // After the game's end nothing is lost: no question.
        Table done;
        done.t->setHosting(true);
        done.login(1);
        done.t->show();
        done.msg("CMD_startgame+You+h+");
        done.msg("CMD_winner+Klot+12");
        QVERIFY(done.t->close());
        QVERIFY(done.questions.isEmpty());
        // The session ending closes a running game without a question nobody would answer.
        Table ending;
        ending.t->setHosting(true);
        ending.login(1);
        ending.t->show();
        ending.msg("CMD_startgame+You+h+");
        ending.t->closeWithoutAsking();
        QVERIFY(!ending.t->isVisible());
        QVERIFY(ending.questions.isEmpty());
        // A table that joined another's game leaves without one.
        Table guest;
        guest.login(2, "Bo");
        guest.t->show();
        guest.msg("CMD_startgame+Al+h+");
        QVERIFY(guest.t->close());
        QVERIFY(guest.questions.isEmpty());
    }

    void newGameStartsFromClearLabels()
    {
        Table tb;
        tb.login(1);
        tb.msg("CMD_startgame+You+h+");
        tb.msg("CMD_startround+1+4+1+");
        tb.msg("CMD_hisbid+2+3+5");
        tb.msg("CMD_placecard+1+1+30");
        tb.msg("CMD_nextplayer+c+1");
        tb.msg("CMD_playcard+1+1+30");
        tb.msg("CMD_trickwinner+1+1");
        tb.msg("CMD_score+1+11+11+2+0+0+3+0+0+4+0+0");
        tb.msg("CMD_winner+You+11");
        QCOMPARE(tb.label("label_overunder")->text(), QString("Over +4"));
        tb.msg("CMD_startgame+You+f+");
        QCOMPARE(tb.label("label_overunder")->text(), QString("Over +0"));
        QCOMPARE(tb.label("label_end")->text(), QString());
        QCOMPARE(tb.label("label_status1")->text(), QString());
        QCOMPARE(tb.label("label_status2")->text(), QString());
        QCOMPARE(tb.label("label_round")->text(), QString("Round: 0"));
        QCOMPARE(tb.label("label_tricks1")->text(), QString("0"));
        QCOMPARE(tb.label("label_score1")->text(), QString("0"));
        for (int s = 1; s <= 4; ++s) {
            QVERIFY(!tb.label(QString("image_trickwinner%1").arg(s))->isVisibleTo(tb.t));
            QVERIFY(!tb.label(QString("image_thumb%1").arg(s))->isVisibleTo(tb.t));
            QVERIFY(!tb.label(QString("image_winner%1").arg(s))->isVisibleTo(tb.t));
            QVERIFY(static_cast<TablePicture *>(tb.label(QString("image_played%1").arg(s)))->isEmpty());
        }
        QVERIFY(static_cast<TablePicture *>(tb.label("trumpcard"))->isEmpty());
    }

    void titleNamesThePlayer()
    {
        Table alice;
        QCOMPARE(alice.t->windowTitle(), QString("Quillet"));
        alice.login(2, "Alice");
        QCOMPARE(alice.t->windowTitle(), QString::fromUtf8("Quillet \u2014 Alice"));
        Table spy;
        spy.login(6, "Cy");
        QCOMPARE(spy.t->windowTitle(), QString::fromUtf8("Quillet \u2014 Cy (watching)"));
        Table solo;
        solo.t->startServer = [](bool) { return 1; }; // nothing listens: the table logs in by hand
        solo.t->processparams({});
        solo.msg("CMD_sendlogininfo+1");
        QCOMPARE(solo.t->windowTitle(), QString::fromUtf8("Quillet \u2014 Solo game"));
    }

    void accessibleNamesAndAnnouncements()
    {
        Table tb;
        // What the live status label tells assistive technology, in order.
        QStringList heard;
        QObject::connect(tb.t, &Tchat::announced, [&](const QString &text) {
            QCOMPARE(tb.label("label_turn")->accessibleDescription(), text);
            heard << text;
        });
        tb.login(1);
        tb.t->show();
        tb.myTurnAfterAHeartLead();
        const auto nameOf = [](QObject *o) {
            QAccessibleInterface *i = QAccessible::queryAccessibleInterface(o);
            return i ? i->text(QAccessible::Name) : QString();
        };
        QStringList hand;
        for (int p = 1; p <= 5; ++p)
            hand << nameOf(tb.t->cardAtPlace(p));
        QCOMPARE(hand, (QStringList{"Three of Clubs", "Five of Clubs", "Three of Hearts", "Queen of Hearts",
                                    "Two of Spades"}));
        QCOMPARE(nameOf(tb.t->seat(2).label_playername), QString("Klot, score 0, tricks 0, no bid yet"));
        tb.msg("CMD_hisbid+2+3+3");
        QCOMPARE(nameOf(tb.t->seat(2).label_playername), QString("Klot, score 0, tricks 0, bid 3"));
        QCOMPARE(nameOf(tb.t->seat(2).image_played), QString("Klot played King of Hearts"));
        QCOMPARE(nameOf(tb.label("trumpcard")), QString("Trump card: Two of Diamonds"));
        QVERIFY(heard.contains("Your turn."));
        tb.t->cardimagesMouseDown(tb.t->cardAtPlace(4), Qt::LeftButton);
        tb.msg("CMD_playcard+1+4+37");
        tb.msg("CMD_nextplayer+f+3");
        QVERIFY(heard.contains("Klick's turn."));
        tb.msg("CMD_playcard+3+1+39");
        tb.msg("CMD_nextplayer+f+4");
        tb.msg("CMD_playcard+4+1+30");
        tb.msg("CMD_trickwinner+3+1");
        QVERIFY(heard.contains("Klick won the trick."));
        // The winning card is marked while the trick lies on the table.
        QVERIFY(tb.t->seat(3).image_played->ringed());
        QVERIFY(!tb.t->seat(2).image_played->ringed());
        // Every control on the table has a name to read.
        for (QWidget *w : tb.t->panelMain()->findChildren<QWidget *>()) {
            if (!w->isVisibleTo(tb.t) || w->objectName().isEmpty() || w->objectName().startsWith("qt_"))
                continue;
            if (auto *p = qobject_cast<TablePicture *>(w); p && p->isEmpty())
                continue;
            if (auto *l = qobject_cast<QLabel *>(w); l && l->text().trimmed().isEmpty() && l->pixmap().isNull())
                continue;
            QVERIFY2(!nameOf(w).isEmpty(), qPrintable(w->objectName()));
        }
    }

    void fourColourDeck()
    {
        Table tb;
        tb.login(1);
        const auto greenIn = [](const QPixmap &pm) {
            const QImage img = pm.toImage();
            int n = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const QColor c = img.pixelColor(x, y);
                    n += c.green() > 90 && c.red() < 60 && c.blue() < 80;
                }
            return n;
        };
        QCOMPARE(greenIn(pictures::card(5)), 0);
        tb.t->FourColour1->trigger();
        QVERIFY(pictures::fourColour());
        QVERIFY(greenIn(pictures::card(5)) > 20); // a club
        QVERIFY(readText(tb.t->settingsPath()).contains("Fourcolour=true"));
        tb.t->FourColour1->trigger();
        QVERIFY(!pictures::fourColour());
        QCOMPARE(greenIn(pictures::card(5)), 0);
    }

    void glidesNeverHoldTheGameUp()
    {
        Table tb;
        tb.login(1);
        tb.t->show();
        QVERIFY(QTest::qWaitForWindowExposed(tb.t));
        tb.myTurnAfterAHeartLead();
        auto *motion = tb.t->panelMain()->findChild<TableMotion *>();
        QVERIFY(motion);
        TablePicture *played = tb.t->seat(2).image_played;
        // The card is in its place at once; only its copy is still on the way.
        QCOMPARE(played->cardNumber(), 38);
        QCOMPARE(played->pos(), QPoint(180, 152));
        QTRY_VERIFY_WITH_TIMEOUT(!played->veiled() && motion->running() == 0, 2000);
        // A won trick: the cards leave the table at once, their copies glide away.
        tb.msg("CMD_playcard+1+3+28");
        tb.msg("CMD_playcard+3+1+39");
        tb.msg("CMD_playcard+4+1+40");
        tb.msg("CMD_trickwinner+3+1");
        QTRY_COMPARE_WITH_TIMEOUT(motion->running(), 0, 2000);
        tb.msg("CMD_nextplayer+c+3");
        QVERIFY(played->isEmpty());
        QVERIFY(motion->running() > 0);
        QTRY_COMPARE_WITH_TIMEOUT(motion->running(), 0, 2000);
    }

    void smileyPickerFitsOnTheScreen()
    {
        Table tb;
        tb.t->show();
        const QRect screen = tb.t->screen()->availableGeometry();
        // The window at the bottom right corner, as far out as it goes.
        tb.t->move(screen.right() - tb.t->frameGeometry().width(), screen.bottom() - tb.t->frameGeometry().height());
        auto *button = tb.t->findChild<QWidget *>("button_smilies");
        auto *menu = tb.t->findChild<QMenu *>("popup_smilies");
        menu->ensurePolished();
        const QRect at(popupPlace(button, menu->sizeHint()), menu->sizeHint());
        QVERIFY2(screen.contains(at), qPrintable(QString("%1,%2 %3x%4").arg(at.x()).arg(at.y()).arg(at.width()).arg(at.height())));
    }
};

QTEST_MAIN(TestTableFeedback)
#include "test_tablefeedback.moc"
