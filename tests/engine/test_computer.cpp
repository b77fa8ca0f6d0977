// The computer players' rules, over hand-made tables.
#include "fakehost.h"

#include "server/computerplayer.h"

#include <QTest>

using namespace quillet;
using namespace quillet::test;

namespace {

// Card of `suit` (1..4) and `rank` (1..13).
constexpr int c(int suit, int rank) { return 13 * (suit - 1) + rank; }

ServerState table(const char *type, int numcards, int trumpsuit)
{
    ServerState s;
    s.gameon = true;
    s.gametype = GameType(type[0]);
    s.numcards = numcards;
    s.trumpsuit = trumpsuit;
    return s;
}

void hand(ServerState &s, int n, std::vector<int> cards)
{
    s.players[n].cards.fill(0);
    for (std::size_t i = 0; i < cards.size(); ++i)
        s.players[n].cards[i + 1] = cards[i];
}

} // namespace

class TestComputer : public QObject {
    Q_OBJECT
private slots:
    void bids()
    {
        // Full, one card, trump suit 2, holding its ace: 2 limited to 1.
        ServerState s = table("f", 1, 2);
        hand(s, 3, {26});
        QCOMPARE(computerBid(s, 3), 1);

        // Trumps count, and a trump honour counts twice.
        s = table("h", 6, 1);
        hand(s, 2, {c(1, 2), c(1, 12), c(2, 13), c(3, 5), c(4, 11), c(4, 3)});
        QCOMPARE(computerBid(s, 2), 2 + 3);

        // Vale, 13 cards, nothing bid yet, no honours: the hand-size guess.
        s = table("m", 13, 0);
        hand(s, 1, {c(1, 1), c(1, 2), c(1, 3), c(1, 4), c(1, 5), c(1, 6), c(1, 7),
                    c(1, 8), c(1, 9), c(1, 10), c(2, 1), c(2, 2), c(2, 3)});
        QCOMPARE(computerBid(s, 1), 3);
        for (auto [cards, guess] : {std::pair{5, 1}, {6, 2}, {9, 2}, {10, 3}}) {
            s.numcards = cards;
            QCOMPARE(computerBid(s, 1), guess);
        }
        // Once someone has bid, the guess is gone.
        s.numcards = 13;
        s.players[4].bid = 1;
        QCOMPARE(computerBid(s, 1), 0);

        // Empty hand slots are not aces (0 mod 13 is 0).
        s = table("f", 3, 4);
        hand(s, 2, {0, c(3, 4), 0, 0, c(2, 3)});
        QCOMPARE(computerBid(s, 2), 0);
        // Nor trumps when there is no trump suit.
        s = table("m", 3, 0);
        s.players[1].bid = 1;
        hand(s, 2, {0, c(3, 4), 0, 0, c(2, 3)});
        QCOMPARE(computerBid(s, 2), 0);
    }

    void valeDealerNeverMakesTheTotal()
    {
        // Cards per hand 4; others bid 2, 1, 1 would make 4 with estimate 0;
        // others 1, 1, 0 with estimate 2; others 2, 1, 0 with estimate 1.
        struct Case { QList<int> others; QList<int> hand; int bid; };
        const QList<Case> cases = {
            {{2, 1, 1}, {c(1, 2), c(1, 3), c(2, 4), c(3, 5)}, 1},
            {{1, 1, 0}, {c(1, 13), c(2, 12), c(2, 4), c(3, 5)}, 1},
            {{2, 1, 0}, {c(1, 13), c(1, 3), c(2, 4), c(3, 5)}, 0},
            // Not the dealer: no correction.
            {{2, 1, 0}, {c(1, 13), c(1, 3), c(2, 4), c(3, 5)}, -1},
        };
        for (const Case &k : cases) {
            ServerState s = table("m", 4, 0);
            s.lastbidder = k.bid < 0 ? 1 : 4;
            for (int seat = 1; seat <= 3; ++seat)
                s.players[seat].bid = k.others[seat - 1];
            hand(s, 4, std::vector<int>(k.hand.begin(), k.hand.end()));
            const int b = computerBid(s, 4);
            if (k.bid < 0)
                QCOMPARE(b, 1);
            else
                QCOMPARE(b, k.bid);
        }
    }

    void trumpChoice()
    {
        // Strengths 4, 4, 6, 6: ties go to the lower suit, so hearts.
        ServerState s = table("m", 10, 0);
        hand(s, 2, {c(1, 13), c(2, 12), c(2, 2), c(3, 13), c(3, 11), c(4, 13), c(4, 11)});
        QCOMPARE(computerTrump(s, 2), 39);
        // Nothing but empties: suit 1.
        hand(s, 2, {});
        QCOMPARE(computerTrump(s, 2), 13);
        // Length beats a lone ace.
        hand(s, 2, {c(1, 13), c(2, 2), c(2, 3), c(2, 4), c(2, 5), c(2, 6)});
        QCOMPARE(computerTrump(s, 2), 26);
    }

    void following()
    {
        // A led 9 on the table; ranks 5 and 12 of that suit in slots 2 and 7.
        ServerState s = table("f", 7, 4);
        s.ledsuit = 2;
        s.players[1].played = c(2, 9);
        hand(s, 2, {c(1, 3), c(2, 5), c(3, 3), c(3, 4), c(4, 8), c(1, 9), c(2, 12)});
        s.players[2].bid = 1;
        QCOMPARE(computerCard(s, 2), 7);  // needs tricks
        s.players[2].tricks = 1;
        QCOMPARE(computerCard(s, 2), 2);  // has its bid
        s.players[2].tricks = 2;
        QCOMPARE(computerCard(s, 2), 2);  // over: first of the led suit

        // A trump on the table does not raise "top": only the led suit counts.
        s.players[3].played = c(4, 13);
        s.players[2].tricks = 0;
        QCOMPARE(computerCard(s, 2), 7);

        // Void and over: first card in slot order, a trump if it lies there.
        hand(s, 2, {c(4, 2), c(1, 13), c(3, 5)});
        s.players[2].tricks = 3;
        QCOMPARE(computerCard(s, 2), 1);
        // Void and needing: the first trump.
        hand(s, 2, {c(1, 13), c(3, 5), c(4, 6), c(4, 2)});
        s.players[2].tricks = 0;
        QCOMPARE(computerCard(s, 2), 3);
        // Void, needing, no trump held: first card.
        hand(s, 2, {c(1, 13), c(3, 5)});
        QCOMPARE(computerCard(s, 2), 1);

        // Void with its bid: highest non-trump; the last ace wins, equal ranks keep the first.
        s.players[2].bid = 0;
        hand(s, 2, {c(4, 13), c(1, 7), c(3, 9), c(1, 9), c(1, 13), c(3, 13), c(1, 2)});
        QCOMPARE(computerCard(s, 2), 6);
        hand(s, 2, {c(4, 13), c(1, 7), c(3, 9), c(1, 9), c(1, 2)});
        QCOMPARE(computerCard(s, 2), 3);
        // With no trump any card qualifies.
        s.trumpsuit = 0;
        QCOMPARE(computerCard(s, 2), 1);
    }

    void leading()
    {
        // Its bid made, ranks 13, 4, 4, 9 in slots 1-4: slot 2.
        ServerState s = table("f", 4, 1);
        hand(s, 3, {c(2, 13), c(3, 4), c(4, 4), c(1, 9)});
        QCOMPARE(computerCard(s, 3), 2);
        // Only aces: the first.
        hand(s, 3, {0, c(2, 13), c(3, 13)});
        QCOMPARE(computerCard(s, 3), 2);
        // Needing: highest of any suit, a trump ace included, the last ace wins.
        s.players[3].bid = 2;
        hand(s, 3, {c(2, 5), c(1, 13), c(3, 12), c(4, 13), c(2, 12)});
        QCOMPARE(computerCard(s, 3), 4);
        // Over: first card.
        s.players[3].tricks = 3;
        QCOMPARE(computerCard(s, 3), 1);
        // Empty hand: nothing.
        hand(s, 3, {});
        QCOMPARE(computerCard(s, 3), 0);
    }

    void computerSeatsBidInsideTheRoundStart()
    {
        // All four seats computer-played: the whole bidding of a Full round
        // happens inside the start, before any timer.
        Table t;
        t.join(5, "Eve");
        t.engine.startgame("Eve", GameType::full);
        const QStringList m = t.host.to(5);
        QCOMPARE(m.filter(QRegularExpression("^CMD_hisbid\\+")).size(), 4);
        QCOMPARE(m.filter(QRegularExpression("^CMD_bid\\+")).size(), 4);
        QVERIFY(m.last().startsWith("CMD_nextplayer+c+"));
        QCOMPARE(t.s.bidder, 0);
        QVERIFY(t.engine.computertimerPending());
        QCOMPARE(t.engine.computertimerTag(), 1);
        QCOMPARE(t.host.timer(EngineTimer::computertimer).interval, 750);
        // Each bid is the rule's bid, made through the same handler.
        for (int seat = 1; seat <= 4; ++seat)
            QVERIFY(t.s.players[seat].bid >= 0 && t.s.players[seat].bid <= 1);
    }
};

QObject *makeTestComputer() { return new TestComputer; }

#include "test_computer.moc"
