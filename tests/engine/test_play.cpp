// Bidding, the trump choice, tricks, scoring, the pauses and the game end,
// driven as four human seats would drive them.
#include "fakehost.h"

#include "protocol/cards.h"

#include <QTest>

using namespace quillet;
using namespace quillet::test;

namespace {

void allHuman(Table &t)
{
    for (int slot = 1; slot <= 4; ++slot)
        t.join(slot, "P" + std::to_string(slot));
}

// A round of `type` with `cards` per hand, bidding about to start.
void roundWith(Table &t, const char *type, int cards)
{
    allHuman(t);
    t.engine.startgame("Ann", GameType(type[0]));
    const std::string g = type;
    // Step the schedule back to the round before one that deals `cards`.
    if (g == "m") {
        t.s.round = 13 - cards;
        t.s.numcards = cards + 1;
    } else {
        t.s.round = cards - 1;
        t.s.numcards = cards - 1;
    }
    t.engine.startround();
    QCOMPARE(t.s.numcards, cards);
    t.host.clear();
}

void bid(Table &t, int value)
{
    t.engine.hisbid(t.s.bidder, value);
}


// Sets up a trick in play: seat `lead` to lead, given hands, trump suit.
void trickSetup(Table &t, int lead, int trumpsuit)
{
    allHuman(t);
    t.s.gameon = true;
    t.s.gametype = GameType::full;
    t.s.numcards = 3;
    t.s.turn = lead;
    t.s.trumpsuit = trumpsuit;
    t.s.trumpcard = trumpsuit ? trumpsuit * 13 : 0;
}

} // namespace

class TestPlay : public QObject {
    Q_OBJECT
private slots:
    void hookRuleInVale()
    {
        for (int last : {1, 0, 2}) {
            Table t;
            roundWith(t, "m", 5);
            const int dealer = t.s.lastbidder;
            bid(t, 1);
            bid(t, 2);
            bid(t, 1);
            QCOMPARE(t.s.bidder, dealer);
            const std::size_t mark = t.host.log.size();
            bid(t, last);
            if (last == 1) {
                // Refused: told to the dealer alone, who must bid again.
                QCOMPARE(t.host.log.size(), mark + 1);
                QCOMPARE(t.host.log.back().slot, dealer);
                QCOMPARE(QString::fromStdString(t.host.log.back().text),
                         QStringLiteral("CMD_nobid+%1+1+").arg(dealer));
                QCOMPARE(t.s.bidder, dealer);
                QCOMPARE(t.s.players[dealer].bid, 0);
                QCOMPARE(t.s.chooser, 0);
            } else {
                QCOMPARE(t.host.to(1, mark).first(),
                         QStringLiteral("CMD_hisbid+%1+%2+%3").arg(dealer).arg(last).arg(4 + last));
                QCOMPARE(t.s.bidder, 0);
                QVERIFY(t.s.chooser != 0);
            }
        }
    }

    void noHookRuleInFullOrHalf()
    {
        for (const char *type : {"f", "h"}) {
            Table t;
            roundWith(t, type, 5);
            bid(t, 1);
            bid(t, 2);
            bid(t, 1);
            bid(t, 1);
            QCOMPARE(t.s.bidder, 0);
            QCOMPARE(t.s.totalbids, 5);
            QCOMPARE(t.host.to(2).last(), QStringLiteral("CMD_nextplayer+c+%1").arg(t.s.turn));
        }
    }

    void bidsFromTheWrongSeatOrOutOfRangeAreDropped()
    {
        Table t;
        roundWith(t, "f", 4);
        const int b = t.s.bidder;
        const int other = nextSeat(b);
        for (const std::string &f : {std::to_string(other) + "+1", std::to_string(b) + "+5",
                                     std::to_string(b) + "+-1", std::to_string(b) + "+",
                                     std::to_string(b) + "+1+", std::to_string(b) + "+x",
                                     std::to_string(b) + "+99999999999", std::string("5+1"),
                                     std::string("0+1"), std::string("+"), std::string("")}) {
            t.move("CMD_bid+" + std::string(f));
            QVERIFY2(t.host.log.empty(), f.c_str());
            QCOMPARE(t.s.bidder, b);
            for (int seat = 1; seat <= 4; ++seat)
                QCOMPARE(t.s.players[seat].bid, 0);
        }
        t.engine.hisbid(b, 4);  // all four tricks is a possible bid
        QCOMPARE(t.s.players[b].bid, 4);
        QCOMPARE(t.host.to(1).first(), QStringLiteral("CMD_hisbid+%1+4+4").arg(b));
        QCOMPARE(t.host.to(1).last(), QStringLiteral("CMD_bid+%1+4+%2+4+%3+")
                                          .arg(other).arg(b).arg(t.s.lastbidder));
    }

    void chooserIsTheHighestBidLowestSeatOnTies()
    {
        struct Case { QList<int> bids; int chooser; };
        for (const Case &c : {Case{{1, 3, 0, 3}, 2}, Case{{0, 0, 0, 0}, 1},
                              Case{{0, 0, 2, 1}, 3}}) {
            Table t;
            roundWith(t, "m", 6);
            // Deal the same round again with seat 1 bidding first.
            t.s.round -= 1;
            t.s.numcards += 1;
            t.s.firstseat = 4;
            t.engine.startround();
            QCOMPARE(t.s.bidder, 1);
            for (int b : c.bids)
                bid(t, b);
            QCOMPARE(t.s.chooser, c.chooser);
            QCOMPARE(t.host.to(4).last(), QStringLiteral("CMD_choosetrump+%1+").arg(c.chooser));
            QCOMPARE(t.s.turn, 0);
        }
    }

    void trumpChoiceAndNoTrump()
    {
        Table t;
        roundWith(t, "m", 6);
        const int first = t.s.firstbidder;
        for (int b : {0, 2, 0, 0})
            bid(t, b);
        const int chooser = t.s.chooser;
        QVERIFY(chooser != first);
        t.host.clear();

        // Only the chooser, and only the four aces or 53.
        for (const std::string &f : {std::to_string(nextSeat(chooser)) + "+13+",
                                     std::to_string(chooser) + "+0+",
                                     std::to_string(chooser) + "+14+",
                                     std::to_string(chooser) + "+27+",
                                     std::to_string(chooser) + "+54+",
                                     std::to_string(chooser) + "+-13+",
                                     std::to_string(chooser) + "+x+",
                                     std::to_string(chooser) + "+"}) {
            t.move("CMD_mychoose+" + std::string(f));
            QVERIFY2(t.host.log.empty(), f.c_str());
            QCOMPARE(t.s.chooser, chooser);
        }
        t.engine.mychoose(chooser, 53);
        QCOMPARE(t.host.to(1), QStringList({"CMD_trump+53",
                                            QStringLiteral("CMD_nextplayer+c+%1").arg(first)}));
        QCOMPARE(t.s.trumpsuit, 0);
        QCOMPARE(t.s.trumpcard, 53);
        QCOMPARE(t.s.chooser, 0);
        QCOMPARE(t.s.turn, first);  // the seat after the dealer leads, not the chooser
        QCOMPARE(t.s.firstbidder, 0);
        // A second choice is no longer awaited.
        t.engine.mychoose(chooser, 13);
        QCOMPARE(t.s.trumpcard, 53);
    }

    void trickWinners()
    {
        struct Case { int trump; int led; QList<int> played; int winner; };
        const QList<Case> cases = {
            // Trumps 5 and 2 (suit 4) on a heart lead: the higher trump rank.
            {4, 3, {39, 44, 41, 38}, 2},
            // No trump played: highest of the led suit, a discarded ace of
            // another suit does not count.
            {4, 1, {5, 26, 9, 2}, 3},
            // No trump at all (Vale 53): only the led suit counts.
            {0, 2, {20, 52, 18, 14}, 1},
            // The ace beats the two of its suit.
            {0, 1, {1, 13, 27, 40}, 2},
        };
        for (const Case &c : cases) {
            Table t;
            t.s.trumpsuit = c.trump;
            t.s.ledsuit = c.led;
            for (int seat = 1; seat <= 4; ++seat)
                t.s.players[seat].played = c.played[seat - 1];
            QCOMPARE(t.engine.thewinner(), c.winner);
        }
    }

    void followSuitAndBadSlots()
    {
        Table t;
        trickSetup(t, 1, 4);
        t.hand(1, {3, 30, 31});
        t.hand(2, {40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 5});  // a club only in slot 12
        t.hand(3, {20, 21, 22});
        t.hand(4, {33, 34, 35});
        t.engine.playcard(1, 1);
        QCOMPARE(t.s.ledsuit, 1);
        QCOMPARE(t.s.turn, 2);
        t.host.clear();

        t.engine.playcard(2, 1);  // a trump while holding a club
        QCOMPARE(t.host.log.size(), size_t(1));
        QCOMPARE(t.host.log[0].slot, 2);
        QCOMPARE(QString::fromStdString(t.host.log[0].text), QString("CMD_needsuit+2+2+1+"));
        QCOMPARE(t.s.turn, 2);
        QCOMPARE(t.s.players[2].cards[1], 40);
        QCOMPARE(t.s.cardsontable, 1);

        // Slots outside the hand, or empty, never index anything.
        for (const char *f : {"2+0", "2+13", "2+14", "2+-1", "2+999999999"}) {
            t.host.clear();
            t.move("CMD_playcard+" + std::string(f));
            QCOMPARE(t.host.notices, std::vector<std::string>{"Card does't exist"});
            QVERIFY(t.host.log.empty());
        }
        // Not numbers, not the turn, not a seat: dropped without a word.
        t.host.clear();
        for (const char *f : {"2+", "2+x", "2+1+", "+1", "", "3+1", "5+1", "0+1", "-2+1"})
            t.move("CMD_playcard+" + std::string(f));
        QVERIFY(t.host.notices.empty());
        QVERIFY(t.host.log.empty());

        t.engine.playcard(2, 12);
        QCOMPARE(t.host.to(1), QStringList({"CMD_playcard+2+12+5", "CMD_nextplayer+f+3"}));
        QCOMPARE(t.s.players[2].played, 5);
        QCOMPARE(t.s.players[2].cards[12], 0);
        t.engine.playcard(3, 1);  // void in clubs: any card
        QCOMPARE(t.s.turn, 4);
    }

    void pausesInOrder()
    {
        Table t;
        trickSetup(t, 3, 0);
        t.s.numcards = 2;
        t.hand(1, {1, 2});
        t.hand(2, {3, 4});
        t.hand(3, {5, 6});
        t.hand(4, {7, 8});
        for (const char *f : {"3+1", "4+1", "1+1", "2+1"})
            t.move("CMD_playcard+" + std::string(f));
        QCOMPARE(t.host.to(1).last(), QString("CMD_trickwinner+4+1"));
        QCOMPARE(t.s.turn, 4);
        t.host.clear();
        t.host.advance(2999);
        QVERIFY(t.host.log.empty());
        t.engine.playcard(4, 2);  // the winner may not lead before the pause ends
        QVERIFY(t.host.log.empty());
        t.host.advance(1);
        QCOMPARE(t.host.to(1), QStringList{"CMD_nextplayer+c+4"});

        t.host.clear();
        for (const char *f : {"4+2", "1+2", "2+2", "3+2"})
            t.move("CMD_playcard+" + std::string(f));
        const QStringList m = t.host.to(2);
        // After the last trick the scores follow the trick winner at once.
        QCOMPARE(m[m.size() - 2], QString("CMD_trickwinner+4+2"));
        QVERIFY(m.last().startsWith("CMD_score+"));
        QCOMPARE(t.engine.waitaminuteTag(), 3);
        t.host.clear();
        t.host.advance(4999);
        QVERIFY(t.host.log.empty());
        t.host.advance(1);
        QVERIFY(t.host.to(1).first().startsWith("CMD_startround+"));
    }

    void scoring()
    {
        Table t;
        allHuman(t);
        t.s.gameon = true;
        const int bids[] = {0, 0, 3, 2, 1};
        const int tricks[] = {0, 0, 3, 3, 0};
        for (int seat = 1; seat <= 4; ++seat) {
            t.s.players[seat].bid = bids[seat];
            t.s.players[seat].tricks = tricks[seat];
            t.s.players[seat].score = 10 * seat;
        }
        t.engine.tallyscore();
        QCOMPARE(t.host.to(3), QStringList{"CMD_score+1+15+5+2+33+13+3+30+0+4+40+0"});
        QCOMPARE(t.s.players[1].score, 15);
        QCOMPARE(t.s.players[4].score, 40);
        QVERIFY(t.engine.waitaminutePending());
        QCOMPARE(t.host.timer(EngineTimer::waitaminute).interval, 5000);
    }

    void winnersText()
    {
        struct Case { QList<int> scores; QString names[4]; QString text; };
        const QList<Case> cases = {
            {{10, 57, 20, 57}, {"Ann", "", "", "Dora"}, "Klot and Dora+57"},
            {{30, 5, 6, 7}, {"Ann", "", "", ""}, "Ann+30"},
            {{7, 7, 7, 7}, {"Ann", "Bob", "", ""}, "Ann and Bob and Klick and Kling+7"},
            {{1, 2, 3, 9}, {"", "", "", ""}, "Kling+9"},
        };
        for (const Case &c : cases) {
            Table t;
            t.s.gameon = true;
            t.s.bidder = 2;
            t.s.turn = 3;
            t.s.chooser = 1;
            for (int seat = 1; seat <= 4; ++seat) {
                if (!c.names[seat - 1].isEmpty())
                    t.join(seat, c.names[seat - 1].toStdString());
                t.s.players[seat].score = c.scores[seat - 1];
            }
            t.join(5, "Watcher");
            t.engine.endgame();
            QCOMPARE(t.host.to(5), QStringList{"CMD_winner+" + c.text});
            QVERIFY(!t.s.gameon);
            // Nothing stays playable after the game.
            QCOMPARE(t.s.bidder, 0);
            QCOMPARE(t.s.turn, 0);
            QCOMPARE(t.s.chooser, 0);
        }
    }
};

QObject *makeTestPlay() { return new TestPlay; }

#include "test_play.moc"
