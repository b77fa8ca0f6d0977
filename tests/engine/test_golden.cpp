// Golden games: a seeded Half, Full and Vale game with people and computers
// mixed, players leaving, joining, watching and making refused moves. Every
// byte each slot is sent, with the virtual time it was sent at, must match the
// stream recorded in tests/engine/golden/. Any change to the engine's output,
// its pauses or its use of the random generator shows up here.
//
// To record new streams after a deliberate change, run the test with
// QUILLET_GOLDEN_WRITE=1 and review the diff.
#include "fakehost.h"

#include "protocol/cards.h"

#include <QFile>
#include <QTest>

#include <string>

using namespace quillet;
using namespace quillet::test;

namespace {

// The moves the scripted people make, in one place so that the game script
// does not depend on how moves reach the engine.
struct Moves {
    GameEngine &engine;
    void start(const std::string &name, char type) { engine.startgame(name, GameType(type)); }
    void bid(int seat, int bid) { engine.hisbid(seat, bid); }
    void choose(int seat, int card) { engine.mychoose(seat, card); }
    void play(int seat, int slot) { engine.playcard(seat, slot); }
};

// What a scripted person holds: a simple player who also tries a few moves
// the engine must refuse.
class Script {
public:
    Script(Table &t, char type) : t_(t), s_(t.s), moves_{t.engine}, type_(type) {}

    void run()
    {
        t_.join(1, "Ann");
        t_.join(2, "Bob");
        t_.join(4, "Cid");
        t_.join(5, "Eve");
        moves_.start("Ann", type_);
        for (int step = 0; step < 200000 && s_.gameon; ++step) {
            events();
            if (act())
                continue;
            if (!t_.host.fireNext())
                QFAIL("the game stalled");
        }
        QVERIFY(!s_.gameon);
    }

private:
    bool human(int seat) const { return !s_.isComputer(seat); }

    // Arrivals, departures and watching at fixed points of the game.
    void events()
    {
        if (s_.round == 2 && !bobWatched_ && s_.bidder == 0) {
            bobWatched_ = true;
            s_.players[2].watching = true;
            t_.engine.watchStarted(2);
        }
        if (s_.round == 3 && !cidLeft_ && s_.turn == 4 && t_.engine.playAwaited(4)) {
            cidLeft_ = true;
            s_.players[4] = tplayerKeepingSeat(s_.players[4]);
            t_.engine.seatLeft(4);
        }
        if (s_.round == 5 && cidLeft_ && !deeJoined_ && s_.turn == 4 && t_.engine.playAwaited(4)) {
            deeJoined_ = true;
            t_.join(4, "Dee");
            t_.engine.lateLogin(4);
        }
        if (s_.round == 7 && bobWatched_ && !bobBack_) {
            bobBack_ = true;
            s_.players[2].watching = false;
        }
        if (type_ == 'h' && s_.round == 4 && !restarted_ && s_.cardsontable == 2) {
            restarted_ = true;
            moves_.start("Ann", 'h');
        }
    }

    static tplayer tplayerKeepingSeat(tplayer p)
    {
        p.connected = false;
        p.loggedin = false;
        p.name.clear();
        p.watching = false;
        return p;
    }

    bool act()
    {
        for (int seat = 1; seat <= 4; ++seat) {
            if (!human(seat))
                continue;
            if (s_.bidder == seat) {
                bid(seat);
                return true;
            }
            if (s_.bidder == 0 && s_.chooser == seat) {
                moves_.choose(seat, s_.round % 3 == 0 ? kNoTrumpCard : 13 * longestSuit(seat));
                return true;
            }
            if (t_.engine.playAwaited(seat)) {
                play(seat);
                return true;
            }
        }
        return false;
    }

    int longestSuit(int seat) const
    {
        int count[5] = {};
        for (int k = 1; k <= 13; ++k)
            ++count[suitOf(s_.players[seat].cards[k])];
        int best = 1;
        for (int suit = 2; suit <= 4; ++suit)
            if (count[suit] > count[best])
                best = suit;
        return best;
    }

    void bid(int seat)
    {
        int high = 0;
        for (int k = 1; k <= 13; ++k)
            if (rankOf(s_.players[seat].cards[k]) >= 11)
                ++high;
        const int others = s_.totalbids;
        const bool hooked = type_ == 'm' && seat == s_.lastbidder && others + high == s_.numcards;
        if (hooked && !refusedBid_) {
            refusedBid_ = true;
            moves_.bid(seat, high);  // refused: CMD_nobid
            return;
        }
        if (!outOfTurnBid_) {
            outOfTurnBid_ = true;
            moves_.bid(nextSeat(seat), 1);  // not that seat's turn: dropped
        }
        if (hooked)
            high = high < s_.numcards ? high + 1 : high - 1;
        moves_.bid(seat, high);
    }

    void play(int seat)
    {
        const auto &cards = s_.players[seat].cards;
        if (!emptySlotTried_) {
            for (int k = 1; k <= 13; ++k) {
                if (cards[k] == 0) {
                    emptySlotTried_ = true;
                    moves_.play(seat, k);  // "Card does't exist"
                    break;
                }
            }
        }
        const bool following = s_.cardsontable > 0;
        int legal = 0, wrong = 0;
        for (int k = 1; k <= 13; ++k) {
            if (cards[k] == 0)
                continue;
            const bool ok = !following || suitOf(cards[k]) == s_.ledsuit || !t_.engine.checkforsuit(seat);
            if (ok && legal == 0)
                legal = k;
            if (!ok && wrong == 0)
                wrong = k;
        }
        if (wrong != 0 && refusedCards_ < 3 && s_.round % 2 == 1) {
            ++refusedCards_;
            moves_.play(seat, wrong);  // refused: CMD_needsuit
        }
        // Lead the highest card now and then, else the first legal one.
        if (!following && s_.round % 4 == 2) {
            for (int k = 1; k <= 13; ++k)
                if (cards[k] != 0 && cards[k] > cards[legal])
                    legal = k;
        }
        moves_.play(seat, legal);
    }

    Table &t_;
    ServerState &s_;
    Moves moves_;
    char type_;
    bool bobWatched_ = false, bobBack_ = false, cidLeft_ = false, deeJoined_ = false;
    bool restarted_ = false, refusedBid_ = false, outOfTurnBid_ = false, emptySlotTried_ = false;
    int refusedCards_ = 0;
};

// The recorded form: per slot, each message at its time; 0xFF becomes the end
// of the line (no engine message holds a line break).
QByteArray record(const Table &t)
{
    QByteArray out;
    for (int slot = 1; slot <= 5; ++slot) {
        out += "== slot " + QByteArray::number(slot) + '\n';
        for (const auto &e : t.host.log)
            if (e.slot == slot)
                out += QByteArray::number(e.time) + ' ' + QByteArray::fromStdString(e.text) + '\n';
    }
    out += "== notices\n";
    for (const auto &n : t.host.notices)
        out += QByteArray::fromStdString(n) + '\n';
    return out;
}

} // namespace

class TestGolden : public QObject {
    Q_OBJECT
private slots:
    void stream_data()
    {
        QTest::addColumn<char>("type");
        QTest::addColumn<int>("seed");
        QTest::newRow("half") << 'h' << 11;
        QTest::newRow("full") << 'f' << 12;
        QTest::newRow("vale") << 'm' << 13;
    }
    void stream()
    {
        QFETCH(char, type);
        QFETCH(int, seed);
        Table t;
        t.engine.seedRandom(std::uint64_t(seed));
        Script(t, type).run();
        if (QTest::currentTestFailed())
            return;
        const QByteArray got = record(t);
        const QString path = QStringLiteral(QUILLET_GOLDEN_DIR "/") + QTest::currentDataTag() + ".txt";
        if (qEnvironmentVariableIsSet("QUILLET_GOLDEN_WRITE")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(got);
            return;
        }
        QFile f(path);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
        const QByteArray want = f.readAll();
        if (got != want) {
            // Name the first line that differs.
            const QList<QByteArray> a = got.split('\n'), b = want.split('\n');
            qsizetype i = 0;
            while (i < a.size() && i < b.size() && a[i] == b[i])
                ++i;
            QFAIL(qPrintable(QString("line %1: got \"%2\", recorded \"%3\"")
                                 .arg(i + 1)
                                 .arg(QString::fromLatin1(i < a.size() ? a[i] : "(end)"))
                                 .arg(QString::fromLatin1(i < b.size() ? b[i] : "(end)"))));
        }
    }
};

QObject *makeTestGolden() { return new TestGolden; }

#include "test_golden.moc"
