// Whole computer-only games, checked from the outside, and hostile fields
// thrown at a game in progress.
#include "fakehost.h"

#include "protocol/cards.h"
#include "protocol/message.h"

#include <QTest>

#include <algorithm>
#include <sstream>

using namespace quillet;
using namespace quillet::test;

namespace {

std::string snapshot(const ServerState &s)
{
    std::ostringstream o;
    for (int i = 0; i < 12; ++i) {
        const tplayer &p = s.players[i];
        o << p.name << '|' << p.connected << p.loggedin << p.watching << '|' << p.tricks << ','
          << p.score << ',' << p.played << ',' << p.bid << ':';
        for (int c : p.cards)
            o << c << ',';
    }
    o << s.slotcount << s.gameon << letterOf(s.gametype) << ' ' << s.round << ' ' << s.numcards << ' '
      << s.firstseat << ' ' << s.firstbidder << ' ' << s.bidder << ' ' << s.lastbidder << ' '
      << s.totalbids << ' ' << s.chooser << ' ' << s.trumpcard << ' ' << s.trumpsuit << ' '
      << s.turn << ' ' << s.ledsuit << ' ' << s.cardsontable << ' ' << s.trickcount << ' '
      << s.deckpos << ' ' << s.botinterval << ':';
    for (int c : s.deck)
        o << c << ',';
    return o.str();
}

template <class T>
int countOf(const std::vector<std::pair<long long, ToTable>> &seen)
{
    return int(std::count_if(seen.begin(), seen.end(),
                             [](const auto &e) { return std::holds_alternative<T>(e.second); }));
}

} // namespace

class TestGames : public QObject {
    Q_OBJECT
private slots:
    void computerOnlyGame_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("rounds");
        QTest::addColumn<int>("tricks");
        QTest::newRow("half") << "h" << 10 << 55;
        QTest::newRow("full") << "f" << 20 << 120;
        QTest::newRow("vale") << "m" << 23 << 178;
    }
    void computerOnlyGame()
    {
        QFETCH(QString, type);
        QFETCH(int, rounds);
        QFETCH(int, tricks);
        for (std::uint64_t seed : {1u, 2u, 3u}) {
            Table t;
            t.engine.seedRandom(seed);
            t.join(5, "Eve");
            std::vector<std::pair<long long, ToTable>> seen;
            int illegal = 0;
            t.host.onSend = [&](int slot, const FakeHost::Sent &sent) {
                if (slot != 5)
                    return;
                seen.emplace_back(t.host.now, sent.message);
                // At the broadcast the card still lies in its slot.
                if (const auto *pc = std::get_if<toTable::PlayCard>(&sent.message)) {
                    if (t.s.players[pc->seat].cards[pc->slot] != pc->card
                        || (t.s.cardsontable > 1 && suitOf(pc->card) != t.s.ledsuit
                            && t.engine.checkforsuit(pc->seat)))
                        ++illegal;
                }
            };
            t.engine.startgame("Eve", GameType(type.toStdString()[0]));
            QVERIFY(t.runGame());
            QCOMPARE(illegal, 0);
            QVERIFY(t.host.notices.empty());

            std::array<int, 5> total{};
            long long lastTrick = -1, lastScore = -1;
            for (const auto &[when, m] : seen) {
                if (std::holds_alternative<toTable::TrickWinner>(m))
                    lastTrick = when;
                const auto *next = std::get_if<toTable::NextPlayer>(&m);
                if (next && next->newTrick && lastTrick >= 0) {
                    QCOMPARE(when - lastTrick, 3000LL);
                    lastTrick = -1;
                }
                if (const auto *score = std::get_if<toTable::Score>(&m)) {
                    QCOMPARE(when, lastTrick);  // at once after the last trick
                    lastTrick = -1;
                    lastScore = when;
                    for (int seat = 1; seat <= 4; ++seat) {
                        const auto &e = score->entries[std::size_t(seat - 1)];
                        QCOMPARE(e.seat, seat);
                        total[seat] += e.round;
                        QCOMPARE(e.total, total[seat]);
                    }
                }
                if ((std::holds_alternative<toTable::StartRound>(m)
                     || std::holds_alternative<toTable::Winner>(m))
                    && lastScore >= 0) {
                    QCOMPARE(when - lastScore, 5000LL);
                    lastScore = -1;
                }
            }
            QCOMPARE(countOf<toTable::StartRound>(seen), rounds);
            QCOMPARE(countOf<toTable::Score>(seen), rounds);
            QCOMPARE(countOf<toTable::TrickWinner>(seen), tricks);
            QCOMPARE(countOf<toTable::PlayCard>(seen), 4 * tricks);
            QCOMPARE(countOf<toTable::HisBid>(seen), 4 * rounds);
            QCOMPARE(countOf<toTable::ChooseTrump>(seen), type == "m" ? rounds : 0);
            QCOMPARE(countOf<toTable::Trump>(seen), rounds);
            QCOMPARE(countOf<toTable::Winner>(seen), 1);
            const auto *won = std::get_if<toTable::Winner>(&seen.back().second);
            QVERIFY(won);
            QCOMPARE(won->score, *std::max_element(total.begin() + 1, total.end()));
            QVERIFY(!t.engine.computertimerPending() && !t.engine.waitaminutePending());
        }
    }

    void hostileFieldsChangeNothing()
    {
        Table t;
        t.join(1, "Ann");
        t.join(5, "Eve");
        t.engine.seedRandom(7);
        t.engine.startgame("Ann", GameType::full);
        // Play into the middle of the game, stopping where seat 1 must bid or play.
        for (int i = 0; i < 2000 && !(t.s.bidder == 1 || t.engine.playAwaited(1)); ++i) {
            if (!t.host.fireNext())
                QFAIL("stalled");
        }
        // Seat 1 is a human, so let the computer bid or play for it now and then.
        const std::string big(100000, '+');
        const std::vector<std::string> junk = {
            "", "+", "++", "1", "1+", "1++", "x+1", "1+x", "1+ 1", " 1+1", "1+1 ",
            "99999999999+1", "1+99999999999", "-1+1", "1+-1", "0+0", "5+1", "9+1",
            "12+1", "2147483647+1", "1+2147483648", "1+1+1+1", "\x01+\x02", big,
            "1+" + big, "1+14", "1+-2147483648"};
        for (int round = 0; round < 3 && t.s.gameon; ++round) {
            const std::string before = snapshot(t.s);
            t.host.clear();
            for (const std::string &f : junk) {
                t.move("CMD_bid+" + std::string(f));
                t.move("CMD_mychoose+" + std::string(f));
                t.move("CMD_playcard+" + std::string(f));
            }
            // An empty hand slot of the seat to play.
            for (int k = 1; k <= 13; ++k)
                if (t.s.players[1].cards[k] == 0)
                    t.engine.playcard(1, k);
            QCOMPARE(snapshot(t.s), before);
            QVERIFY(t.host.log.empty());
            for (const std::string &n : t.host.notices)
                QCOMPARE(n, std::string("Card does't exist"));
            // Make seat 1's move as the computer would, then run on.
            if (t.s.bidder == 1)
                t.engine.cbid(1);
            else
                t.engine.cplay(1);
            for (int i = 0; i < 2000 && t.s.gameon && !(t.s.bidder == 1 || t.engine.playAwaited(1));
                 ++i)
                t.host.fireNext();
        }
        t.s.players[1].connected = false;
        t.engine.seatLeft(1);
        QVERIFY(t.runGame());
    }
};

QObject *makeTestGames() { return new TestGames; }

#include "test_games.moc"
