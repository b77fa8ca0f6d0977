// Whole computer-only games, checked from the outside, and hostile fields
// thrown at a game in progress.
#include "fakehost.h"

#include "protocol/cards.h"
#include "protocol/message.h"

#include <QTest>

#include <map>
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
    o << s.slotcount << s.gameon << s.gametype << ' ' << s.round << ' ' << s.numcards << ' '
      << s.firstseat << ' ' << s.firstbidder << ' ' << s.bidder << ' ' << s.lastbidder << ' '
      << s.totalbids << ' ' << s.chooser << ' ' << s.trumpcard << ' ' << s.trumpsuit << ' '
      << s.turn << ' ' << s.ledsuit << ' ' << s.cardsontable << ' ' << s.trickcount << ' '
      << s.deckpos << ' ' << s.botinterval << ':';
    for (int c : s.deck)
        o << c << ',';
    return o.str();
}

std::vector<int> numbers(std::string_view fields)
{
    std::vector<int> out;
    FieldReader r(fields);
    while (!r.atEnd()) {
        int n = 0;
        if (r.nextInt(n))
            out.push_back(n);
    }
    return out;
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
            std::vector<std::pair<long long, std::string>> seen;
            int illegal = 0;
            t.host.onSend = [&](int slot, const std::string &text) {
                if (slot != 5)
                    return;
                seen.emplace_back(t.host.now, text);
                // At the broadcast the card still lies in its slot.
                if (text.rfind("CMD_playcard+", 0) == 0) {
                    const auto f = numbers(std::string_view(text).substr(13));
                    const int n = f[0], k = f[1], card = f[2];
                    if (t.s.players[n].cards[k] != card
                        || (t.s.cardsontable > 1 && suitOf(card) != t.s.ledsuit
                            && t.engine.checkforsuit(n)))
                        ++illegal;
                }
            };
            t.engine.startgame("Eve+" + type.toStdString() + "+");
            QVERIFY(t.runGame());
            QCOMPARE(illegal, 0);
            QVERIFY(t.host.notices.empty());

            std::map<std::string, int> count;
            std::array<int, 5> total{};
            long long lastTrick = -1, lastScore = -1;
            for (const auto &[when, text] : seen) {
                const std::string cmd = text.substr(0, text.find('+'));
                ++count[cmd];
                if (cmd == "CMD_trickwinner")
                    lastTrick = when;
                if (text.rfind("CMD_nextplayer+c+", 0) == 0 && lastTrick >= 0) {
                    QCOMPARE(when - lastTrick, 3000LL);
                    lastTrick = -1;
                }
                if (cmd == "CMD_score") {
                    QCOMPARE(when, lastTrick);  // at once after the last trick
                    lastTrick = -1;
                    lastScore = when;
                    const auto f = numbers(std::string_view(text).substr(10));
                    QCOMPARE(int(f.size()), 12);
                    for (int seat = 1; seat <= 4; ++seat) {
                        total[seat] += f[3 * seat - 1];
                        QCOMPARE(f[3 * seat - 2], total[seat]);
                    }
                }
                if ((cmd == "CMD_startround" || cmd == "CMD_winner") && lastScore >= 0) {
                    QCOMPARE(when - lastScore, 5000LL);
                    lastScore = -1;
                }
            }
            QCOMPARE(count["CMD_startround"], rounds);
            QCOMPARE(count["CMD_score"], rounds);
            QCOMPARE(count["CMD_trickwinner"], tricks);
            QCOMPARE(count["CMD_playcard"], 4 * tricks);
            QCOMPARE(count["CMD_hisbid"], 4 * rounds);
            QCOMPARE(count["CMD_choosetrump"], type == "m" ? rounds : 0);
            QCOMPARE(count["CMD_trump"], rounds);
            QCOMPARE(count["CMD_winner"], 1);
            QVERIFY(seen.back().second.rfind("CMD_winner+", 0) == 0);
            const int best = *std::max_element(total.begin() + 1, total.end());
            QVERIFY(seen.back().second.ends_with("+" + std::to_string(best)));
            QVERIFY(!t.engine.computertimerPending() && !t.engine.waitaminutePending());
        }
    }

    void hostileFieldsChangeNothing()
    {
        Table t;
        t.join(1, "Ann");
        t.join(5, "Eve");
        t.engine.seedRandom(7);
        t.engine.startgame("Ann+f+");
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
                t.engine.hisbid(f);
                t.engine.mychoose(f);
                t.engine.playcard(f);
            }
            // An empty hand slot of the seat to play.
            for (int k = 1; k <= 13; ++k)
                if (t.s.players[1].cards[k] == 0)
                    t.engine.playcard("1+" + std::to_string(k));
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
