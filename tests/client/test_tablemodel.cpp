// The table's model without any widget, fed with the server's messages as
// they arrive on the wire.
#include "client/tablemodel.h"

#include <QTest>

#include <initializer_list>
#include <string>
#include <vector>

using namespace quillet;

namespace {

// Decodes and applies each message; a test message that does not decode is
// a mistake in the test.
void feed(TableModel &m, std::initializer_list<const char *> messages)
{
    for (const char *text : messages) {
        const auto message = decodeToTable(text);
        QVERIFY2(message, text);
        m.apply(*message);
    }
}

// Cards of the own hand left to right.
std::vector<int> handCards(const TableModel &m)
{
    std::vector<int> cards;
    for (int p = 1; p <= 13; ++p)
        if (const int slot = m.handplaces()[std::size_t(p)])
            cards.push_back(m.cardAt(slot));
    return cards;
}

std::vector<int> mayPlay(const TableModel &m)
{
    std::vector<int> cards;
    for (int slot : m.playableSlots())
        cards.push_back(m.cardAt(slot));
    return cards;
}

// Seat 1 in a Full game, holding the 3 and 5 of clubs, the 2 of diamonds,
// the 2 of hearts and the 2 of spades (slots 1..5: 40, 3, 27, 14, 5).
TableModel dealtSeat1()
{
    TableModel m;
    m.setMyName("You");
    feed(m, {"CMD_sendlogininfo+1", "CMD_startgame+You+f+", "CMD_startround+5+4+5+",
             "CMD_placecard+1+1+40+2+3+3+27+4+14+5+5", "CMD_placecard+2+1+0+2+0+3+0+4+0+5+0",
             "CMD_placecard+3+1+0+2+0+3+0+4+0+5+0", "CMD_placecard+4+1+0+2+0+3+0+4+0+5+0",
             "CMD_trump+27"});
    return m;
}

} // namespace

using Cards = std::vector<int>;

class TestTableModel : public QObject {
    Q_OBJECT
private slots:
    void dealtHandAndItsOrder()
    {
        TableModel m = dealtSeat1();
        QCOMPARE(handCards(m), (Cards{3, 5, 14, 27, 40}));
        // Places hold hand slots, the server's names for the cards.
        QCOMPARE(m.handplaces()[1], 2);
        QCOMPARE(m.handplaces()[5], 1);
        QCOMPARE(m.handSize(), 5);
        QCOMPARE(m.faceDown(2), 5);
        QCOMPARE(m.faceDown(1), 0); // the own seat has no fan

        // A played card leaves its place and the places close up.
        feed(m, {"CMD_nextplayer+c+1", "CMD_playcard+1+5+5"});
        QCOMPARE(handCards(m), (Cards{3, 14, 27, 40}));
        QCOMPARE(m.handplaces()[5], 0);
        QCOMPARE(m.cardAt(5), 0);
        // A slot nobody holds removes nothing; others' fans shrink, even below 0.
        feed(m, {"CMD_playcard+1+9+30"});
        QCOMPARE(m.handSize(), 4);
        feed(m, {"CMD_playcard+2+1+7", "CMD_playcard+2+2+8", "CMD_playcard+2+3+9", "CMD_playcard+2+4+10",
                 "CMD_playcard+2+5+11", "CMD_playcard+2+6+12"});
        QCOMPARE(m.faceDown(2), -1);

        // The same slot dealt again replaces its card; sorting keeps the order.
        feed(m, {"CMD_placecard+1+2+52"});
        QCOMPARE(handCards(m), (Cards{14, 27, 40, 52}));
        m.sortthem();
        QCOMPARE(handCards(m), (Cards{14, 27, 40, 52}));
    }

    void playableCards_data()
    {
        QTest::addColumn<QStringList>("trick"); // cards before the own turn
        QTest::addColumn<Cards>("hand");
        QTest::addColumn<Cards>("playable");
        const Cards hand{3, 5, 14, 27, 40};
        QTest::newRow("leading") << QStringList{} << hand << hand;
        QTest::newRow("following hearts") << QStringList{"CMD_playcard+4+1+30"} << hand << Cards{27};
        QTest::newRow("following clubs") << QStringList{"CMD_playcard+3+1+13", "CMD_playcard+4+1+2"} << hand
                                         << Cards{3, 5};
        // The led suit counts, not the highest card or trump.
        QTest::newRow("trumped lead") << QStringList{"CMD_playcard+3+1+20", "CMD_playcard+4+1+39"} << hand
                                      << Cards{14};
        QTest::newRow("void in hearts") << QStringList{"CMD_playcard+4+1+30"} << Cards{3, 5, 14, 40}
                                        << Cards{3, 5, 14, 40};
    }
    void playableCards()
    {
        QFETCH(QStringList, trick);
        QFETCH(Cards, hand);
        QFETCH(Cards, playable);
        TableModel m;
        feed(m, {"CMD_sendlogininfo+1", "CMD_startgame+You+f+", "CMD_startround+5+4+5+"});
        std::string deal = "CMD_placecard+1";
        for (std::size_t i = 0; i < hand.size(); ++i)
            deal.append("+").append(std::to_string(i + 1)).append("+").append(std::to_string(hand[i]));
        m.apply(*decodeToTable(deal));
        // The trick starts with the first seat that played into it.
        const int leader = 1 + (4 - int(trick.size())) % 4;
        m.apply(*decodeToTable("CMD_nextplayer+c+" + std::to_string(leader)));
        if (leader != 1)
            QVERIFY(m.playableSlots().empty()); // not the own turn yet
        for (const QString &card : trick)
            m.apply(*decodeToTable(card.toStdString()));
        feed(m, {"CMD_nextplayer+f+1"});
        QCOMPARE(mayPlay(m), playable);
        QCOMPARE(m.ledSuit(), trick.isEmpty() ? 0 : suitOf(m.history().front().card));
    }

    void refusedAndSentCards()
    {
        TableModel m = dealtSeat1();
        feed(m, {"CMD_nextplayer+c+1"});
        // A card sent ends the turn until the server answers.
        QVERIFY(m.cardSent(2));
        QVERIFY(!m.myturn());
        QVERIFY(m.playableSlots().empty());
        QVERIFY(!m.cardSent(3));
        // A refusal gives the turn back without the refused card.
        feed(m, {"CMD_needsuit+1+2+2+"});
        QVERIFY(m.myturn());
        QCOMPARE(mayPlay(m), (Cards{5, 14, 27, 40}));
        QCOMPARE(handCards(m), (Cards{3, 5, 14, 27, 40})); // sorted, nothing lost
        // Another seat's refusal is not ours.
        TableModel before = m;
        feed(m, {"CMD_needsuit+2+2+1+"});
        QVERIFY(m == before);
        // Once a card is accepted the next turn starts afresh.
        QVERIFY(m.cardSent(4));
        feed(m, {"CMD_playcard+1+4+14", "CMD_nextplayer+f+2"});
        QVERIFY(m.playableSlots().empty());
        QVERIFY(!m.cardSent(1)); // not the own turn
    }

    void bidChecks_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("myseat");
        QTest::addColumn<QString>("request"); // the "CMD_bid" fields
        QTest::addColumn<int>("cards");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        QTest::newRow("too many") << "m" << 1 << "1+13+1+13+4+" << 13 << "14" << "You can't bid more then 13.";
        QTest::newRow("all of them") << "m" << 1 << "1+13+1+13+4+" << 13 << "13" << "";
        QTest::newRow("blanks around") << "f" << 1 << "1+5+1+5+4+" << 5 << " 03 " << "";
        QTest::newRow("not a number") << "f" << 1 << "1+5+1+5+4+" << 5 << "abc" << "'abc' is not a valid bid.";
        QTest::newRow("empty") << "f" << 1 << "1+5+1+5+4+" << 5 << "" << "'' is not a valid bid.";
        QTest::newRow("negative") << "f" << 1 << "1+5+1+5+4+" << 5 << "-1" << "'-1' is not a valid bid.";
        QTest::newRow("sign") << "f" << 1 << "1+5+1+5+4+" << 5 << "+2" << "'+2' is not a valid bid.";
        QTest::newRow("vale dealer matching") << "m" << 4 << "4+6+1+4+4+" << 6 << "2"
                                              << "Bids cannot equal the cards in your hand.";
        QTest::newRow("vale dealer under") << "m" << 4 << "4+6+1+4+4+" << 6 << "1" << "";
        QTest::newRow("vale dealer over") << "m" << 4 << "4+6+1+4+4+" << 6 << "3" << "";
        QTest::newRow("vale not the dealer") << "m" << 3 << "3+6+1+4+4+" << 6 << "2" << "";
        QTest::newRow("full dealer may match") << "f" << 4 << "4+6+1+4+4+" << 6 << "2" << "";
        QTest::newRow("half dealer may match") << "h" << 4 << "4+6+1+4+4+" << 6 << "2" << "";
    }
    void bidChecks()
    {
        QFETCH(QString, type);
        QFETCH(int, myseat);
        QFETCH(QString, request);
        QFETCH(int, cards);
        QFETCH(QString, text);
        QFETCH(QString, refusal);
        TableModel m;
        m.apply(*decodeToTable("CMD_sendlogininfo+" + std::to_string(myseat)));
        m.apply(*decodeToTable("CMD_startgame+Bob+" + type.toStdString() + "+"));
        m.apply(*decodeToTable("CMD_startround+8+4+" + std::to_string(cards) + "+"));
        QVERIFY(m.apply(*decodeToTable("CMD_bid+" + request.toStdString())));
        const BidCheck check = m.checkBid(text.toStdString());
        QCOMPARE(QString::fromStdString(check.refusal), refusal);
        QCOMPARE(check.ok, refusal.isEmpty());
        if (check.ok)
            QCOMPARE(check.bid, text.trimmed().toInt());
    }

    void biddingState()
    {
        TableModel m = dealtSeat1();
        feed(m, {"CMD_bid+2+5+2+5+1+"});
        QCOMPARE(m.bidder(), 2);
        QCOMPARE(m.maxbid(), 5);
        QCOMPARE(m.firstPlayer(), 2);
        QCOMPARE(m.lastBidder(), 1);
        feed(m, {"CMD_hisbid+2+3+3"});
        QCOMPARE(m.bid(2), 3);
        QVERIFY(m.hasBid(2));
        QVERIFY(!m.hasBid(3));
        QCOMPARE(m.totalBids(), 3);
        QCOMPARE(m.bidder(), 0);
        // Seat 0 only closes the bid box.
        TableModel before = m;
        QVERIFY(!m.apply(*decodeToTable("CMD_hisbid+0+0+0")));
        QVERIFY(m == before);
        feed(m, {"CMD_choosetrump+3+", "CMD_trump+53"});
        QCOMPARE(m.chooser(), 3);
        QCOMPARE(m.trumpcard(), 53);
        QCOMPARE(m.trumpSuit(), 0);
    }

    void tricksAndHistory()
    {
        TableModel m = dealtSeat1();
        feed(m, {"CMD_nextplayer+c+3", "CMD_playcard+3+1+30", "CMD_nextplayer+f+4", "CMD_playcard+4+1+31",
                 "CMD_nextplayer+f+1", "CMD_playcard+1+3+27", "CMD_nextplayer+f+2", "CMD_playcard+2+1+29"});
        QCOMPARE(m.currentTrick().leader, 3);
        QCOMPARE(m.currentTrick().count(), 4);
        feed(m, {"CMD_trickwinner+4+1"});
        QCOMPARE(m.tricks(4), 1);
        QCOMPARE(m.currentTrick().count(), 0);
        QCOMPARE(m.ledSuit(), 0);
        QCOMPARE(m.roundTricks().size(), std::size_t(1));
        const Trick &t = m.roundTricks().front();
        QCOMPARE(t.number, 1);
        QCOMPARE(t.leader, 3);
        QCOMPARE(t.winner, 4);
        QCOMPARE(t.cards, (std::array<int, 5>{0, 27, 29, 30, 31}));
        // The cards stay on the table until the next lead clears them.
        QCOMPARE(m.played(3), 30);
        feed(m, {"CMD_nextplayer+c+4"});
        QCOMPARE(m.played(3), 0);
        feed(m, {"CMD_playcard+4+2+45"});
        const std::vector<PlayedCard> expected{{3, 30, 1}, {4, 31, 1}, {1, 27, 1}, {2, 29, 1}, {4, 45, 2}};
        QCOMPARE(m.history(), expected);
        QCOMPARE(m.currentTrick().number, 2);
        QCOMPARE(m.ledSuit(), 4);

        // A server that never ends a trick cannot grow the history without end.
        for (int i = 0; i < 100; ++i)
            m.apply(toTable::PlayCard{2, 1, 5});
        QCOMPARE(m.history().size(), std::size_t(52));
    }

    void lateLogin()
    {
        TableModel m;
        feed(m, {"CMD_sendlogininfo+3", "CMD_newplayerinfo+3+Cy", "CMD_placecard+3+1+14+2+2+3+40",
                 "CMD_newplayerstuff+1+2+1+30+1+5+2+0+3+0+4+9+", "CMD_newplayerstuff+2+0+2+12+1+5+2+0+3+0+4+9+",
                 "CMD_newplayerstuff+3+1+0+11+1+5+2+0+3+0+4+9+", "CMD_newplayerstuff+4+1+1+5+1+5+2+0+3+0+4+9+",
                 "CMD_stats+2+0+7+27+h+"});
        QCOMPARE(m.scoreround(), 7);
        QCOMPARE(m.gameType(), std::optional<GameType>(GameType::half));
        QCOMPARE(m.trumpcard(), 27);
        QCOMPARE(m.cardsPerHand(), 7); // from the schedule: no round start was seen
        QCOMPARE(m.score(1), 30);
        QCOMPARE(m.bid(3), 1);
        QCOMPARE(m.tricks(2), 2);
        QCOMPARE(m.name(3), std::string("Cy"));
        QCOMPARE(m.name(2), std::string("Klot")); // "<Waiting>" takes the default name
        QCOMPARE(m.currentplayer(), 2);
        QCOMPARE(handCards(m), (Cards{2, 14, 40}));
        // Seat 4 and then seat 1 have played: seat 4 led, clubs.
        QCOMPARE(m.played(4), 9);
        QCOMPARE(m.currentTrick().leader, 4);
        QCOMPARE(m.ledSuit(), 1);
        const std::vector<PlayedCard> expected{{4, 9, 5}, {1, 5, 5}};
        QCOMPARE(m.history(), expected); // four tricks were taken before this one
        // The others' hands: seven cards less four tricks, less the card on the table.
        QCOMPARE(m.faceDown(1), 2);
        QCOMPARE(m.faceDown(2), 3);
        QCOMPARE(m.faceDown(4), 2);
        QCOMPARE(m.faceDown(3), 0);  // the own hand is shown face up
        feed(m, {"CMD_nextplayer+f+3"});
        QCOMPARE(mayPlay(m), (Cards{2}));

        // Cards on the table that are not a run tell no leader: the server decides.
        TableModel gap;
        feed(gap, {"CMD_sendlogininfo+2", "CMD_placecard+2+1+14+2+2",
                   "CMD_newplayerstuff+1+0+0+0+1+5+2+0+3+44+4+0+", "CMD_stats+2+0+3+0+m+", "CMD_nextplayer+f+2"});
        QCOMPARE(gap.currentTrick().leader, 0);
        QCOMPARE(gap.ledSuit(), 0);
        QCOMPARE(gap.cardsPerHand(), 11);
        QCOMPARE(mayPlay(gap), (Cards{2, 14}));
        // A full table is a trick already won.
        TableModel full;
        feed(full, {"CMD_sendlogininfo+2", "CMD_newplayerstuff+1+0+0+0+1+5+2+6+3+7+4+8+",
                    "CMD_stats+1+0+14+0+f+"});
        QCOMPARE(full.currentTrick().count(), 0);
        QVERIFY(full.history().empty());
        QCOMPARE(full.cardsPerHand(), 8);
    }

    void roundAndGameStart()
    {
        TableModel m = dealtSeat1();
        feed(m, {"CMD_newplayerinfo+2+Bo", "CMD_justwatching+2+1", "CMD_bid+1+5+2+3+1+", "CMD_hisbid+1+2+5",
                 "CMD_nextplayer+c+1", "CMD_playcard+1+2+3", "CMD_playcard+2+1+4", "CMD_trickwinner+2+1",
                 "CMD_score+1+12+12+2+0+0+3+5+5+4+0+0"});
        QVERIFY(m.watching(2));
        feed(m, {"CMD_startround+6+1+4+"});
        QCOMPARE(m.scoreround(), 6);
        QCOMPARE(m.cardsPerHand(), 4);
        QCOMPARE(m.handSize(), 0);
        QCOMPARE(m.faceDown(2), 0);
        QCOMPARE(m.bid(1), 0);
        QVERIFY(!m.hasBid(1));
        QCOMPARE(m.tricks(2), 0);
        QCOMPARE(m.played(2), 0);
        QCOMPARE(m.trumpcard(), 0);
        QCOMPARE(m.totalBids(), 0);
        QVERIFY(!m.myturn());
        QVERIFY(m.history().empty());
        QVERIFY(m.roundTricks().empty());
        QCOMPARE(m.currentTrick().leader, 0);
        QCOMPARE(m.score(1), 12); // the game goes on
        QVERIFY(m.watching(2));

        feed(m, {"CMD_placecard+2+1+0+2+0", "CMD_startgame+Bo+m+"});
        QCOMPARE(m.gameType(), std::optional<GameType>(GameType::vale));
        QCOMPARE(m.score(1), 0);
        QCOMPARE(m.faceDown(2), 0);
        QVERIFY(!m.watching(2));
        QCOMPARE(m.name(2), std::string("Bo"));
        QCOMPARE(m.name(3), std::string("Klick"));
    }

    void watcherSeesAllHoldsNothing()
    {
        TableModel m;
        m.setMyName("Eve");
        feed(m, {"CMD_sendlogininfo+7", "CMD_newplayerinfo+7+Eve", "CMD_startgame+Ann+h+", "CMD_startround+2+1+2+"});
        QVERIFY(m.watcher());
        QCOMPARE(m.watchers(), (std::vector<TableModel::Watcher>{{7, "Eve"}}));
        for (const char *deal : {"CMD_placecard+1+1+0+2+0", "CMD_placecard+2+1+0+2+0", "CMD_placecard+3+1+0+2+0",
                                 "CMD_placecard+4+1+0+2+0"})
            feed(m, {deal});
        for (int s = 1; s <= 4; ++s)
            QCOMPARE(m.faceDown(s), 2);
        QCOMPARE(m.handSize(), 0);
        for (const char *turn : {"CMD_nextplayer+c+1", "CMD_nextplayer+f+2", "CMD_nextplayer+f+3",
                                 "CMD_nextplayer+f+4"}) {
            feed(m, {turn});
            QVERIFY(!m.myturn());
            QVERIFY(m.playableSlots().empty());
        }
        feed(m, {"CMD_playcard+1+1+12", "CMD_playcard+2+2+25"});
        QCOMPARE(m.faceDown(1), 1);
        QCOMPARE(m.history().size(), std::size_t(2));
        QVERIFY(!m.cardSent(1));
        // A watcher won by name, whole names only.
        feed(m, {"CMD_score+1+10+10+2+10+10+3+0+0+4+0+0"});
        QVERIFY(m.iWon({"Ann and Eve", 10}));
        QVERIFY(!m.iWon({"Eve2 and Evelyn", 10}));
        QCOMPARE(m.winningSeats(10), (std::array<bool, 5>{false, true, true, false, false}));
        // A seated player won by his total, not by a name inside another.
        TableModel al;
        al.setMyName("Al");
        feed(al, {"CMD_sendlogininfo+2", "CMD_score+1+57+13+2+40+0+3+57+12+4+10+0"});
        QVERIFY(!al.iWon({"Alice and Klick", 57}));
    }

    // A lost connection forgets what the next login tells again and keeps the
    // rest; the game counts as running from its start (or a late login) to its
    // winner.
    void lostConnectionAndRunningGame()
    {
        TableModel m = dealtSeat1();
        QVERIFY(m.gameRunning());
        feed(m, {"CMD_nextplayer+c+2", "CMD_playcard+2+1+44", "CMD_hisbid+3+1+1", "CMD_newplayerinfo+6+Eve"});
        m.connectionLost();
        QVERIFY(!m.loggedin());
        QCOMPARE(m.handSize(), 0);
        QCOMPARE(m.played(2), 0);
        QCOMPARE(m.faceDown(3), 0);
        QVERIFY(m.watchers().empty());
        QVERIFY(m.history().empty());
        QVERIFY(m.gameRunning());
        QCOMPARE(m.bid(3), 1);
        QVERIFY(m.gameType() == GameType::full);
        // Back in: the login and the restore.
        feed(m, {"CMD_sendlogininfo+1", "CMD_placecard+1+2+3+4+14", "CMD_stats+2+0+5+27+f+"});
        QVERIFY(m.loggedin());
        QCOMPARE(m.handSize(), 2);
        feed(m, {"CMD_winner+You+40"});
        QVERIFY(!m.gameRunning());
        TableModel late;
        feed(late, {"CMD_sendlogininfo+3", "CMD_stats+0+1+2+0+m+"});
        QVERIFY(late.gameRunning());
    }

    void departures()
    {
        TableModel m;
        feed(m, {"CMD_sendlogininfo+1", "CMD_newplayerinfo+2+Bo", "CMD_newplayerinfo+6+Ann",
                 "CMD_newplayerinfo+6+Ann", "CMD_justwatching+2+1"});
        Departure d = m.playerdisconnected({2, "Bo"});
        QCOMPARE(d.disconnected, std::optional<std::string>("Bo"));
        QCOMPARE(m.name(2), std::string("Klot"));
        QVERIFY(!m.watching(2));
        // A seat that showed its default name or waited leaves no line.
        QVERIFY(!m.playerdisconnected({2, "Bo"}).disconnected);
        QVERIFY(!m.playerdisconnected({3, "x"}).disconnected);
        QCOMPARE(m.name(3), std::string("Klick"));
        // A watcher's entry goes once per departure, only when it matches.
        QVERIFY(!m.playerdisconnected({6, "Bob"}).watcherLeft);
        QVERIFY(m.playerdisconnected({6, "Ann"}).watcherLeft);
        QCOMPARE(m.watchers().size(), std::size_t(1));
        d = m.playerdisconnected({1, "You"});
        QVERIFY(d.own);
        QVERIFY(!m.loggedin());
    }

    // Nothing out of range reaches the state, whether it comes from the wire
    // or is built by hand.
    void hostileMessagesChangeNothing()
    {
        TableModel m = dealtSeat1();
        feed(m, {"CMD_nextplayer+c+1", "CMD_bid+1+5+1+0+4+"});
        const TableModel before = m;
        for (const char *text : {"CMD_placecard+9+1+3", "CMD_placecard+1+14+3", "CMD_placecard+1+1+99",
                                 "CMD_playcard+0+1+3", "CMD_playcard+1+1+60", "CMD_nextplayer+c+7",
                                 "CMD_newplayerstuff+5+1+1+1+1+0+2+0+3+0+4+0+", "CMD_stats+1+1+99+3+h+",
                                 "CMD_trickwinner+-1+3", "CMD_score+1+2", "CMD_newplayerinfo+12+X",
                                 "CMD_bid+1+99+1+0+4+", "cmd_bid+1+2+1+0+4+", "CMD_winner+", "CMD_startgame+A+q+"})
            QVERIFY2(!decodeToTable(text), text);

        toTable::PlaceCard tooMany;
        tooMany.seat = 1;
        tooMany.count = 14;
        toTable::PlaceCard badPair;
        badPair.seat = 1;
        badPair.count = 2;
        badPair.pairs[0] = {2, 7};
        badPair.pairs[1] = {14, 8}; // the whole message goes, not half of it
        toTable::Score badScore;
        badScore.entries[3].seat = 5;
        const ToTable hostile[] = {
            toTable::SendLoginInfo{1}, toTable::SendLoginInfo{0},  // the seat it has, no seat
            toTable::NewPlayerInfo{0, "X"}, toTable::NewPlayerInfo{10, "X"},
            toTable::PlayerDisconnected{-1, "X"}, toTable::PlayerDisconnected{12, "X"},
            toTable::PlaceCard{9, 0, {}}, tooMany, badPair,
            toTable::NewPlayerStuff{5, 1, 1, 1, {}}, toTable::NewPlayerStuff{0, 1, 1, 1, {}},
            toTable::Stats{1, 1, 99, 3, GameType::half}, toTable::Stats{1, 1, 3, 70, GameType::half},
            toTable::StartRound{25, 1, 3}, toTable::StartRound{3, 1, 14}, toTable::StartRound{-1, 1, 3},
            toTable::Trump{54}, toTable::Trump{-1},
            toTable::Bid{0, 5, 1, 0, 4}, toTable::Bid{1, 14, 1, 0, 4}, toTable::Bid{1, 5, 5, 0, 4},
            toTable::Bid{1, 5, 1, 0, 0}, toTable::HisBid{9, 1, 1}, toTable::HisBid{-3, 1, 1},
            toTable::ChooseTrump{0}, toTable::ChooseTrump{5}, toTable::NextPlayer{true, 7},
            toTable::NextPlayer{false, 0}, toTable::PlayCard{0, 1, 3}, toTable::PlayCard{1, 0, 3},
            toTable::PlayCard{1, 14, 3}, toTable::PlayCard{1, 1, 53}, toTable::PlayCard{5, 1, 3},
            toTable::NeedSuit{2, 1}, toTable::NeedSuit{1, 0}, toTable::NeedSuit{1, 14},
            toTable::TrickWinner{0, 1}, toTable::TrickWinner{1, 14}, toTable::TrickWinner{1, -1},
            badScore, toTable::JustWatching{0, true}, toTable::JustWatching{5, true},
            toTable::Chat{toTable::Chat::Kind::chat, 1, "x"}, toTable::PlayASound{1, "wave1+"},
            toTable::Full{}, toTable::WrongVersion{}, toTable::HaveWrongVersion{"x"}, toTable::NoBid{1, 2},
        };
        for (const ToTable &message : hostile)
            QVERIFY(!m.apply(message));
        QVERIFY(m == before);
        QVERIFY(!m.cardSent(0));
        QVERIFY(!m.cardSent(14));
        QVERIFY(!m.cardSent(-5));
        QCOMPARE(m.name(0), std::string());
        QCOMPARE(m.score(9), 0);
        QCOMPARE(m.cardAt(99), 0);
        QVERIFY(m == before);
        // A second login naming another seat moves the table there: a player
        // returning after a lost connection is given his own seat that way.
        QVERIFY(m.apply(toTable::SendLoginInfo{3}));
        QCOMPARE(m.myseat(), 3);

        // A server that keeps announcing watchers cannot grow the list without end.
        for (int i = 0; i < 200; ++i)
            m.apply(toTable::NewPlayerInfo{5, "w"});
        QCOMPARE(m.watchers().size(), std::size_t(64));
    }
};

QTEST_APPLESS_MAIN(TestTableModel)
#include "test_tablemodel.moc"
