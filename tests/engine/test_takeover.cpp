// Seats changing hands mid-game: leaving, watching, late logins, and the
// computer's timer around them.
#include "fakehost.h"

#include "protocol/cards.h"

#include <QTest>

using namespace quillet;
using namespace quillet::test;

namespace {

void leave(Table &t, int slot)
{
    tplayer &p = t.s.players[slot];
    p.connected = false;
    p.loggedin = false;
    p.name.clear();
    p.watching = false;
    t.engine.seatLeft(slot);
}

// A Full-game trick about to be led by `lead`; seats listed in `humans` are
// logged in, the others are computer-played. Two cards each.
void trick(Table &t, int lead, std::vector<int> humans)
{
    for (int slot : humans)
        t.join(slot, "P" + std::to_string(slot));
    t.join(5, "Eve");
    t.s.gameon = true;
    t.s.gametype = GameType::full;
    t.s.round = 2;
    t.s.numcards = 2;
    t.s.trumpsuit = 0;
    t.s.trumpcard = 53;
    t.s.turn = lead;
    t.hand(1, {1, 2});
    t.hand(2, {3, 4});
    t.hand(3, {5, 6});
    t.hand(4, {7, 8});
}

int countPrefix(const QStringList &m, const char *prefix)
{
    return int(m.filter(QRegularExpression(QString("^") + QRegularExpression::escape(prefix)))
                   .size());
}

} // namespace

class TestTakeover : public QObject {
    Q_OBJECT
private slots:
    void leavingWhileBidding()
    {
        Table t;
        for (int slot = 1; slot <= 4; ++slot)
            t.join(slot, "P");
        t.engine.startgame("P", GameType::full);
        const int b = t.s.bidder;
        t.host.clear();
        leave(t, b);
        // The computer bids at once and the next (human) seat is asked.
        const int bid = t.s.players[b].bid;
        QCOMPARE(t.host.to(nextSeat(b)).first(),
                 QStringLiteral("CMD_hisbid+%1+%2+%2").arg(b).arg(bid));
        QCOMPARE(t.s.bidder, nextSeat(b));
    }

    void leavingWhileItIsHisTurn()
    {
        for (int seat : {2, 1}) {  // the host's own seat is not left hanging either
            Table t;
            trick(t, seat, {1, 2, 3, 4});
            leave(t, seat);
            QCOMPARE(t.s.cardsontable, 1);
            QCOMPARE(t.host.to(5).first(), QStringLiteral("CMD_playcard+%1+1+%2")
                                               .arg(seat).arg(2 * seat - 1));
            QCOMPARE(t.s.turn, nextSeat(seat));
        }
    }

    void watchingWhileChoosingOrBidding()
    {
        Table t;
        for (int slot = 1; slot <= 4; ++slot)
            t.join(slot, "P");
        t.engine.startgame("P", GameType::vale);
        for (int i = 0; i < 4; ++i)
            t.engine.hisbid(t.s.bidder, 0);
        const int chooser = t.s.chooser;
        QVERIFY(chooser);
        QVERIFY(!t.engine.computertimerPending());
        t.host.clear();
        t.s.players[chooser].watching = true;
        t.engine.watchStarted(chooser);
        QVERIFY(t.host.to(1).first().startsWith("CMD_trump+"));
        QCOMPARE(t.s.chooser, 0);
        QVERIFY(t.s.trumpsuit >= 1 && t.s.trumpsuit <= 4);

        t.engine.startgame("P", GameType::half);
        const int b = t.s.bidder;
        t.host.clear();
        t.s.players[b].watching = true;
        t.engine.watchStarted(b);
        QVERIFY(t.host.to(1).first().startsWith(QStringLiteral("CMD_hisbid+%1+").arg(b)));
    }

    void lateLoginCatchesUpThenTakesTheMove()
    {
        Table t;
        trick(t, 2, {1, 2});
        t.engine.playcard(2, 1);
        QCOMPARE(t.s.turn, 3);
        QVERIFY(t.engine.computertimerPending());
        t.s.players[1].bid = 1;
        t.s.players[1].score = 21;
        t.host.clear();

        t.join(3, "Cid");
        t.engine.lateLogin(3);
        const QStringList m = t.host.to(3);
        QCOMPARE(m.mid(0, 6), QStringList({
            "CMD_placecard+3+1+5+2+6",
            "CMD_newplayerstuff+1+1+0+21+1+0+2+3+3+0+4+0+",
            "CMD_newplayerstuff+2+0+0+0+1+0+2+3+3+0+4+0+",
            "CMD_newplayerstuff+3+0+0+0+1+0+2+3+3+0+4+0+",
            "CMD_newplayerstuff+4+0+0+0+1+0+2+3+3+0+4+0+",
            "CMD_stats+3+0+2+53+f+",
        }));
        // The pending card is played at once; the newcomer plays from the next move.
        QCOMPARE(m[6], QString("CMD_playcard+3+1+5"));
        QCOMPARE(m[7], QString("CMD_nextplayer+f+4"));
        // Seat 4 is a computer: its own timer, and seat 3 never moves twice.
        QVERIFY(t.engine.computertimerPending());
        QVERIFY(t.host.fireNext());
        QCOMPARE(t.s.cardsontable, 3);
        QCOMPARE(t.s.players[3].cards[2], 6);
        QCOMPARE(t.s.turn, 1);
        QVERIFY(!t.engine.computertimerPending());

        // A watcher's late login: no hand and no move.
        t.host.clear();
        t.join(6, "Wat");
        t.engine.lateLogin(6);
        QCOMPARE(t.host.to(6).size(), 5);
        QVERIFY(t.host.to(6).last().startsWith("CMD_stats+1+"));
        QCOMPARE(t.host.log.size(), size_t(5));
    }

    // No computer move while no move is awaited: not during the 3 s pause,
    // not during the 5 s pause from an empty hand.
    void noTakeoverDuringPauses()
    {
        Table t;
        trick(t, 1, {1, 2, 3, 4});
        for (const char *f : {"1+1", "2+1", "3+1", "4+1"})
            t.move("CMD_playcard+" + std::string(f));
        QCOMPARE(t.s.turn, 4);  // card 7 won
        QVERIFY(t.engine.waitaminutePending());
        t.host.clear();
        leave(t, 4);
        t.s.players[3].watching = true;
        t.engine.watchStarted(3);
        QVERIFY(t.host.log.empty());
        QVERIFY(t.host.notices.empty());
        QCOMPARE(t.s.cardsontable, 0);
        QVERIFY(!t.engine.computertimerPending());
        // The pause ends, the leaver's seat is now a computer and leads after its delay.
        t.host.advance(3000);
        QCOMPARE(t.host.to(1), QStringList{"CMD_nextplayer+c+4"});
        QVERIFY(t.engine.computertimerPending());
        t.host.advance(750);
        QCOMPARE(t.host.to(1)[1], QString("CMD_playcard+4+2+8"));

        // Finish the round: now the 5 s pause, the winner's hand empty.
        t.host.advance(750);  // seat 1 is human: nothing happens
        t.engine.playcard(1, 2);
        t.engine.playcard(2, 2);
        t.host.advance(750);  // seat 3 watches: the computer plays for it
        QVERIFY(t.engine.waitaminutePending());
        QCOMPARE(t.engine.waitaminuteTag(), 3);
        const int w = t.s.turn;
        QVERIFY(!t.engine.playAwaited(w));
        t.host.clear();
        t.join(w, "Back");
        t.engine.lateLogin(w);
        leave(t, w);
        t.engine.watchStarted(w);
        QVERIFY(t.host.notices.empty());
        QCOMPARE(countPrefix(t.host.to(w), "CMD_playcard"), 0);
        QCOMPARE(countPrefix(t.host.to(5), "CMD_playcard"), 0);
        t.host.advance(5000);
        QVERIFY(t.host.to(5).filter(QRegularExpression("^CMD_startround\\+3\\+")).size() == 1);
    }

    void timerRechecksTheSeatWhenItFires()
    {
        Table t;
        trick(t, 3, {1, 2, 3});
        t.s.players[3].watching = true;
        t.engine.playcard(3, 1);
        QCOMPARE(t.s.turn, 4);
        t.host.clear();
        // Seat 4 is a computer; its timer is armed. Someone logs in and takes
        // the seat while it waits, and the seat's move is made at once...
        t.join(4, "Dan");
        t.engine.lateLogin(4);
        QCOMPARE(countPrefix(t.host.to(5), "CMD_playcard+4"), 1);
        // ...then seat 1 (human) is asked; the old timer no longer moves anyone.
        QCOMPARE(t.s.turn, 1);
        t.host.clear();
        t.host.advance(100000);
        QVERIFY(t.host.log.empty());

        // A watcher who stops watching before the timer fires keeps his move.
        Table u;
        trick(u, 1, {1, 2});
        u.s.players[2].watching = true;
        u.engine.playcard(1, 1);
        QVERIFY(u.engine.computertimerPending());
        u.s.players[2].watching = false;
        u.host.clear();
        u.host.advance(750);
        QVERIFY(u.host.log.empty());
        QCOMPARE(u.s.turn, 2);
        u.engine.playcard(2, 2);
        QCOMPARE(u.s.cardsontable, 2);
    }

    void nothingPlayableAfterTheGame()
    {
        Table t;
        t.join(1, "Ann");
        t.join(5, "Eve");
        t.engine.startgame("Ann", GameType::half);
        // Put the game at its last round and let it end.
        t.s.round = 10;
        t.engine.startround();
        QVERIFY(!t.s.gameon);
        QCOMPARE(t.s.turn, 0);
        QCOMPARE(t.s.bidder, 0);
        QCOMPARE(t.s.chooser, 0);
        t.hand(1, {5});  // even a card left in a hand cannot be played
        t.host.clear();
        for (const char *f : {"5+1", "1+1", "0+1"}) {
            t.move("CMD_playcard+" + std::string(f));
            t.move("CMD_bid+" + std::string(f));
            t.move("CMD_mychoose+" + std::string(f) + "3+");
        }
        t.engine.lateLogin(1);
        t.engine.seatLeft(2);
        QVERIFY(t.host.log.empty());
        QVERIFY(t.host.notices.empty());
        QVERIFY(!t.engine.computertimerPending() && !t.engine.waitaminutePending());
    }

    void botDelays()
    {
        struct Case { int botinterval; int override_; int card; int choice; };
        for (const Case &c : {Case{0, -1, 0, 0}, Case{1000, -1, 1000, 5000}, Case{750, 20, 20, 100}}) {
            Table t;
            t.join(5, "Eve");
            t.s.botinterval = c.botinterval;
            t.engine.setTimings({3000, 5000, c.override_});
            t.engine.startgame("Eve", GameType::vale);
            // Vale: all computers bid at once, then the choice waits 5x the delay.
            QCOMPARE(t.engine.computertimerTag(), 2);
            QCOMPARE(t.host.timer(EngineTimer::computertimer).interval, c.choice);
            QVERIFY(t.host.fireNext());
            QVERIFY(t.s.trumpcard != 0);
            QCOMPARE(t.engine.computertimerTag(), 1);
            QCOMPARE(t.host.timer(EngineTimer::computertimer).interval, c.card);
            QVERIFY(t.host.fireNext());
            QCOMPARE(t.s.cardsontable, 1);
        }
    }

    // A send that fails closes its connection from inside a broadcast; the
    // takeover waits until the step has finished its messages.
    void closeFromInsideASend()
    {
        Table t;
        trick(t, 1, {1, 2, 3, 4});
        bool closed = false;
        t.host.onSend = [&](int slot, const FakeHost::Sent &sent) {
            if (!closed && slot == 2 && sent.text == "CMD_nextplayer+f+2") {
                closed = true;
                leave(t, 2);
            }
        };
        t.engine.playcard(1, 1);
        QVERIFY(closed);
        QCOMPARE(t.host.to(3), QStringList({"CMD_playcard+1+1+1", "CMD_nextplayer+f+2",
                                            "CMD_playcard+2+1+3", "CMD_nextplayer+f+3"}));
        QCOMPARE(t.s.turn, 3);
        QVERIFY(!t.engine.computertimerPending());
    }
};

QObject *makeTestTakeover() { return new TestTakeover; }

#include "test_takeover.moc"
