// Game start, the round schedule, the dealer and the deal.
#include "fakehost.h"

#include "protocol/cards.h"

#include <QTest>

#include <algorithm>
#include <set>

using namespace quillet;
using namespace quillet::test;

namespace {

QString placecard(const Table &t, int seat, bool real)
{
    QString m = QStringLiteral("CMD_placecard+%1").arg(seat);
    for (int k = 1; k <= t.s.numcards; ++k)
        m += QStringLiteral("+%1+%2").arg(k).arg(real ? t.s.players[seat].cards[k] : 0);
    return m;
}

void allHuman(Table &t)
{
    for (int slot = 1; slot <= 4; ++slot)
        t.join(slot, "P" + std::to_string(slot));
}

} // namespace

class TestRound : public QObject {
    Q_OBJECT
private slots:
    void scheduleOfEachType_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QList<int>>("cards");
        QTest::newRow("half") << "h" << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        QTest::newRow("full") << "f" << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
                                                   10, 9, 8, 7, 6, 5, 4, 3, 2};
        QTest::newRow("vale") << "m" << QList<int>{13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2,
                                                   3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    }
    void scheduleOfEachType()
    {
        QFETCH(QString, type);
        QFETCH(QList<int>, cards);
        Table t;
        allHuman(t);
        t.engine.startgame("Ann", GameType(type.toStdString()[0]));
        for (int r = 1; r <= cards.size(); ++r) {
            QVERIFY(t.s.gameon);
            QCOMPARE(t.s.round, r);
            QCOMPARE(t.s.numcards, cards[r - 1]);
            std::set<int> dealt;
            for (int seat = 1; seat <= 4; ++seat)
                for (int k = 1; k <= 13; ++k) {
                    const int card = t.s.players[seat].cards[k];
                    // Slots 1..numcards hold distinct cards, in deal order, the rest are empty.
                    if (k <= t.s.numcards) {
                        QCOMPARE(card, t.s.deck[(seat - 1) * t.s.numcards + k]);
                        QVERIFY(dealt.insert(card).second);
                    } else {
                        QCOMPARE(card, 0);
                    }
                }
            const QStringList seen = t.host.to(1);
            const bool turned = type != "m";
            QCOMPARE(seen.filter(QRegularExpression("^CMD_trump\\+")).size(), turned ? 1 : 0);
            if (turned) {
                // The card after the four hands; Full round 11 turns position 45.
                QCOMPARE(t.s.trumpcard, t.s.deck[4 * t.s.numcards + 1]);
                QCOMPARE(t.s.trumpsuit, suitOf(t.s.trumpcard));
                QVERIFY(seen.contains(QStringLiteral("CMD_trump+%1").arg(t.s.trumpcard)));
                if (type == "f" && r == 11)
                    QCOMPARE(t.s.trumpcard, t.s.deck[45]);
            } else {
                QCOMPARE(t.s.trumpcard, 0);
                if (r == 1 || r == 23)
                    QCOMPARE(int(dealt.size()), 52);
            }
            t.host.clear();
            t.engine.startround();
        }
        QVERIFY(!t.s.gameon);
        QVERIFY(t.host.to(1).last().startsWith("CMD_winner+"));
        QCOMPARE(t.host.to(1).filter(QRegularExpression("^CMD_startround")).size(), 0);
    }

    void shuffleIsAPermutationFromOneGenerator()
    {
        Table a, b, c;
        for (Table *t : {&a, &b, &c})
            allHuman(*t);
        a.engine.seedRandom(42);
        b.engine.seedRandom(42);
        c.engine.seedRandom(43);
        for (Table *t : {&a, &b, &c})
            t->engine.startgame("Ann", GameType::vale);
        std::vector<int> deck(a.s.deck.begin() + 1, a.s.deck.end());
        std::sort(deck.begin(), deck.end());
        for (int i = 0; i < 52; ++i)
            QCOMPARE(deck[i], i + 1);
        QVERIFY(a.s.deck == b.s.deck);
        QVERIFY(a.s.deck != c.s.deck);
        // Round 2 keeps drawing from the same generator: a new order.
        const auto first = a.s.deck;
        a.engine.startround();
        QVERIFY(a.s.deck != first);
    }

    void dealerMovesAndBidderFollows()
    {
        // Every seat is drawn as first dealer for some seed; find seat 4.
        std::set<int> dealers;
        std::uint64_t seedFor4 = 0;
        for (std::uint64_t seed = 1; seed <= 200; ++seed) {
            Table t;
            allHuman(t);
            t.engine.seedRandom(seed);
            t.engine.startgame("Ann", GameType::full);
            dealers.insert(t.s.lastbidder);
            if (t.s.lastbidder == 4 && !seedFor4)
                seedFor4 = seed;
        }
        QCOMPARE(int(dealers.size()), 4);

        Table t;
        allHuman(t);
        t.engine.seedRandom(seedFor4);
        t.engine.startgame("Ann", GameType::full);
        // The round's messages in order: start, four deal blocks, the turned card, the bid.
        QStringList m = t.host.to(2);
        QCOMPARE(m.size(), 8);
        QCOMPARE(m[0], QString("CMD_startgame+Ann+f+"));
        QCOMPARE(m[1], QString("CMD_startround+1+4+1+"));
        for (int seat = 1; seat <= 4; ++seat)
            QVERIFY(m[1 + seat].startsWith(QStringLiteral("CMD_placecard+%1+1+").arg(seat)));
        QCOMPARE(m[6], QStringLiteral("CMD_trump+%1").arg(t.s.deck[5]));
        QCOMPARE(m[7], QString("CMD_bid+1+1+1+1+4+"));
        QCOMPARE(t.s.bidder, 1);
        QCOMPARE(t.s.firstbidder, 1);
        t.host.clear();
        t.engine.startround();
        m = t.host.to(2);
        QCOMPARE(m[0], QString("CMD_startround+2+1+2+"));
        QCOMPARE(m.last(), QString("CMD_bid+2+2+2+2+1+"));
    }

    void dealBlocksPerSlot()
    {
        // Seats 1 and 2 play, slot 3 is free, slot 4 is connected but has not
        // logged in yet, slot 5 watches.
        Table t;
        t.join(1, "Ann");
        t.join(2, "Bob");
        t.join(5, "Eve");
        t.s.players[4].connected = true;
        t.engine.startgame("Ann", GameType::half);
        t.host.clear();
        t.engine.startround();  // round 2: two cards each
        QCOMPARE(t.s.numcards, 2);

        auto deals = [&](int slot) {
            return t.host.to(slot).filter(QRegularExpression("^CMD_placecard"));
        };
        for (int slot : {1, 2, 4, 5}) {
            const QStringList got = deals(slot);
            QCOMPARE(got.size(), 4);
            for (int seat = 1; seat <= 4; ++seat)
                QCOMPARE(got[seat - 1], placecard(t, seat, slot == seat));
        }
        QVERIFY(t.host.to(3).isEmpty());
        QCOMPARE(deals(2)[1], QStringLiteral("CMD_placecard+2+1+%1+2+%2")
                                  .arg(t.s.deck[3]).arg(t.s.deck[4]));
        QCOMPARE(deals(5)[0], QString("CMD_placecard+1+1+0+2+0"));
    }

    void valeRoundForgetsTheLastTrump()
    {
        // A late joiner during Vale bidding must not be shown the old trump.
        Table t;
        t.join(1, "Ann");
        t.engine.startgame("Ann", GameType::vale);
        t.s.trumpcard = 39;
        t.s.trumpsuit = 3;
        t.engine.startround();
        QCOMPARE(t.s.trumpcard, 0);
        QCOMPARE(t.s.trumpsuit, 0);
        t.host.clear();
        t.join(6, "Late");
        t.engine.lateLogin(6);
        QCOMPARE(t.host.to(6).last(), QStringLiteral("CMD_stats+0+1+2+0+m+"));
    }

    void unknownGameTypeStartsNothing()
    {
        for (const char *fields : {"Ann+x+", "Ann+F+", "Ann+ff+", "Ann++", "Ann", ""}) {
            Table t;
            allHuman(t);
            QVERIFY(!t.move(std::string("CMD_startgame+") + fields));
            QVERIFY2(!t.s.gameon, fields);
            QVERIFY(t.host.log.empty());
        }
        // During a game a bad letter changes nothing either.
        Table t;
        allHuman(t);
        t.engine.startgame("Ann", GameType::half);
        t.s.players[2].score = 17;
        const auto deck = t.s.deck;
        t.host.clear();
        QVERIFY(!t.move("CMD_startgame+Ann+q+"));
        QVERIFY(t.s.gameon);
        QVERIFY(t.s.gametype == GameType::half);
        QCOMPARE(t.s.players[2].score, 17);
        QVERIFY(t.s.deck == deck);
        QVERIFY(t.host.log.empty());
    }

    void restartClearsScoresWatchingAndPause()
    {
        Table t;
        allHuman(t);
        t.engine.startgame("Ann", GameType::half);
        t.s.players[3].score = 40;
        t.s.players[3].watching = true;
        t.engine.tallyscore();  // arms the round pause
        QVERIFY(t.engine.waitaminutePending());
        t.engine.startgame("Ann", GameType::full);
        QVERIFY(!t.engine.waitaminutePending());
        QVERIFY(!t.host.timer(EngineTimer::waitaminute).armed);
        QCOMPARE(t.s.players[3].score, 0);
        QVERIFY(!t.s.players[3].watching);
        QCOMPARE(t.s.round, 1);
        QVERIFY(t.s.gametype == GameType::full);
    }
};

QObject *makeTestRound() { return new TestRound; }

#include "test_round.moc"
