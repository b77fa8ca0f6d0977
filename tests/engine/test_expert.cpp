// Expert computer seats in the engine: whole games run to their end with
// every move accepted, and a seat's View is built from what it may know.
#include "fakehost.h"

#include "server/computerplayer.h"
#include "server/publicview.h"

#include <QTest>

using namespace quillet;
using namespace quillet::test;

namespace {

ai::ExpertOptions quick()
{
    ai::ExpertOptions o;
    o.bidDeals = o.trumpDeals = o.cardDeals = 4;
    return o;
}

// Two other seats whose hands have as many cards, so that they can be swapped.
std::pair<int, int> swappable(const ServerState &s, int me)
{
    auto size = [&](int seat) {
        int n = 0;
        for (int k = 1; k <= kHandSlots; ++k)
            n += isCard(s.players[std::size_t(seat)].cards[std::size_t(k)]);
        return n;
    };
    for (int a = 1; a <= kSeats; ++a)
        for (int b = a + 1; b <= kSeats; ++b)
            if (a != me && b != me && size(a) == size(b))
                return {a, b};
    return {0, 0};
}

} // namespace

class TestExpert : public QObject {
    Q_OBJECT
private slots:
    void expertGamesRunToTheEnd()
    {
        for (char type : {'h', 'f', 'm'}) {
            for (bool mixed : {false, true}) {
                Table t;
                t.engine.seedRandom(type + 10 * mixed);
                t.engine.expert().setOptions(quick());
                t.engine.setComputerLevel(ComputerLevel::expert);
                if (mixed) {
                    t.engine.setComputerLevel(2, ComputerLevel::classic);
                    t.engine.setComputerLevel(4, ComputerLevel::classic);
                }
                t.engine.startgame("Sim", GameType(type));
                // A refused bid or card would leave the game waiting for ever,
                // or tell the host "computer played incorrectly".
                QVERIFY(t.runGame());
                QVERIFY(t.host.notices.empty());
            }
        }
    }

    void viewHoldsNoHiddenCard()
    {
        int positions = 0;
        for (char type : {'h', 'f', 'm'}) {
            Table t;
            t.engine.seedRandom(type);
            t.join(1, "Ann");
            t.engine.startgame("Ann", GameType(type));
            for (int step = 0; step < 20000 && t.s.gameon; ++step) {
                const bool bids = t.engine.awaited(GameEngine::Move::bid, 1);
                const bool chooses = t.engine.awaited(GameEngine::Move::choose, 1);
                const bool plays = t.engine.playAwaited(1);
                if (!bids && !chooses && !plays) {
                    QVERIFY(t.host.fireNext());
                    continue;
                }
                const auto [a, b] = swappable(t.s, 1);
                if (a) {
                    // The same public history with two other hands swapped: the
                    // View and, with the same generator, the decision are the same.
                    ServerState other = t.s;
                    std::swap(other.players[std::size_t(a)].cards, other.players[std::size_t(b)].cards);
                    const ai::View v = publicView(t.s, 1), w = publicView(other, 1);
                    QVERIFY(v == w);
                    ai::Expert e1(7, quick()), e2(7, quick());
                    if (bids)
                        QCOMPARE(e1.bid(v), e2.bid(w));
                    else if (chooses)
                        QCOMPARE(e1.trump(v), e2.trump(w));
                    else
                        QCOMPARE(e1.card(v), e2.card(w));
                    ++positions;
                }
                // The person in seat 1 plays like the Classic rules.
                if (bids)
                    t.engine.hisbid(1, computerBid(t.s, 1));
                else if (chooses)
                    t.engine.mychoose(1, computerTrump(t.s, 1));
                else
                    t.engine.playcard(1, computerCard(t.s, 1));
            }
            QVERIFY(!t.s.gameon);
        }
        QVERIFY(positions > 200);
    }

    void viewFollowsTheRound()
    {
        // The View's plays are the cards every table was shown, by the seats
        // that played them.
        Table t;
        t.engine.seedRandom(3);
        t.join(1, "Ann");
        std::vector<std::pair<int, int>> shown;
        t.host.onSend = [&](int slot, const FakeHost::Sent &sent) {
            if (slot != 1)
                return;
            if (const auto *p = std::get_if<toTable::PlayCard>(&sent.message))
                shown.emplace_back(p->seat, p->card);
            if (std::holds_alternative<toTable::StartRound>(sent.message))
                shown.clear();
        };
        t.engine.startgame("Ann", GameType::full);
        int checked = 0;
        for (int step = 0; step < 20000 && t.s.gameon; ++step) {
            if (t.engine.awaited(GameEngine::Move::bid, 1)) {
                t.engine.hisbid(1, computerBid(t.s, 1));
            } else if (t.engine.playAwaited(1)) {
                const ai::View v = publicView(t.s, 1);
                QCOMPARE(std::size_t(v.playCount), shown.size());
                for (std::size_t i = 0; i < shown.size(); ++i) {
                    QCOMPARE(v.plays[i].seat, shown[i].first);
                    QCOMPARE(v.plays[i].card, shown[i].second);
                }
                QCOMPARE(v.turn(), 1);
                ++checked;
                t.engine.playcard(1, computerCard(t.s, 1));
            } else {
                QVERIFY(t.host.fireNext());
            }
        }
        QVERIFY(checked > 50);
    }
};

QObject *makeTestExpert() { return new TestExpert; }
#include "test_expert.moc"
