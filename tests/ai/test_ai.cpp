// The Expert's parts over random positions: what the sampler deals, what
// the Classic reading of the other seats concludes, and that every decision
// is legal.
#include "ai/expert.h"
#include "ai/rollout.h"
#include "ai/sampler.h"

#include <QTest>

using namespace quillet;
using namespace quillet::ai;

namespace {

// A round in progress with every hand known: the seats play by the Classic
// rules (or at random), and `view(n)` is what seat n may know of it.
struct Round {
    GameType type = GameType::full;
    int numcards = 0, dealer = 0, trumpcard = 0;
    std::array<classic::Hand, 5> hands{};
    std::array<CardSet, 5> held{};
    std::array<int, 5> bids{}, tricks{};
    std::array<SeenCard, 52> plays{};
    int playCount = 0;
    bool randomSeats = false;

    Round(Random &rng, GameType t, bool random) : type(t), randomSeats(random)
    {
        numcards = t == GameType::vale ? 2 + rng.below(12) : 1 + rng.below(11);
        dealer = 1 + rng.below(4);
        std::array<int, 52> deck;
        for (int c = 0; c < 52; ++c)
            deck[std::size_t(c)] = c + 1;
        for (int i = 52; i > 1; --i)
            std::swap(deck[std::size_t(i - 1)], deck[std::size_t(rng.below(i))]);
        int next = 0;
        for (int s = 1; s <= 4; ++s)
            for (int k = 1; k <= numcards; ++k) {
                hands[std::size_t(s)][std::size_t(k)] = deck[std::size_t(next)];
                held[std::size_t(s)] |= cardBit(deck[std::size_t(next++)]);
            }
        if (t != GameType::vale)
            trumpcard = deck[std::size_t(next)];
        // Classic bids; in Vale the Classic trump choice of the highest bidder.
        int others = 0;
        for (int n = 0, s = nextSeat(dealer); n < 4; ++n, s = nextSeat(s)) {
            bids[std::size_t(s)] = random ? rng.below(numcards + 1)
                                          : classic::bid(hands[std::size_t(s)], t, numcards, suitOf(trumpcard),
                                                         others, s == dealer);
            others += bids[std::size_t(s)];
        }
        if (t == GameType::vale) {
            int chooser = 1;
            for (int s = 2; s <= 4; ++s)
                if (bids[std::size_t(s)] > bids[std::size_t(chooser)])
                    chooser = s;
            trumpcard = random ? kTrumpChoices[rng.below(5)] : classic::trump(hands[std::size_t(chooser)]);
        }
    }

    // Plays `cards` cards; returns the seat to play next.
    int play(Random &rng, int cards)
    {
        Table t;
        for (int s = 1; s <= 4; ++s) {
            t.cards[std::size_t(s)] = held[std::size_t(s)];
            t.slotHands[std::size_t(s)] = hands[std::size_t(s)];
            t.classicSeat[std::size_t(s)] = true;
            t.bids[std::size_t(s)] = bids[std::size_t(s)];
        }
        t.trumpsuit = suitOf(trumpcard);
        t.turn = nextSeat(dealer);
        t.tricksLeft = numcards;
        for (int i = 0; i < cards && t.tricksLeft > 0; ++i) {
            int card = t.choice();
            if (randomSeats) {
                CardSet legal = t.cards[std::size_t(t.turn)];
                if (t.led && (legal & suitSet(t.led)))
                    legal &= suitSet(t.led);
                std::array<int, 13> options{};
                int n = 0;
                for (CardSet m = legal; m; m &= m - 1)
                    options[std::size_t(n++)] = lowestCard(m);
                card = options[std::size_t(rng.below(n))];
            }
            const int trick = numcards - t.tricksLeft + 1;
            plays[std::size_t(playCount++)] = {t.turn, card, trick};
            t.play(card);
        }
        for (int s = 1; s <= 4; ++s) {
            held[std::size_t(s)] = t.cards[std::size_t(s)];
            hands[std::size_t(s)] = t.slotHands[std::size_t(s)];
            tricks[std::size_t(s)] = t.tricks[std::size_t(s)];
        }
        return t.turn;
    }

    View view(int n, bool allBids = true) const
    {
        View v;
        v.seat = n;
        v.type = type;
        v.round = 1;
        v.numcards = numcards;
        v.dealer = dealer;
        v.trumpcard = type == GameType::vale && !allBids ? 0 : trumpcard;
        v.hand = hands[std::size_t(n)];
        for (int s = 1; s <= 4; ++s) {
            v.bids[std::size_t(s)] = bids[std::size_t(s)];
            v.hasBid[std::size_t(s)] = allBids;
            v.tricks[std::size_t(s)] = tricks[std::size_t(s)];
        }
        for (int i = 0; i < playCount; ++i)
            v.addPlay(plays[std::size_t(i)].seat, plays[std::size_t(i)].card, plays[std::size_t(i)].trick);
        return v;
    }
};

GameType anyType(Random &rng)
{
    const GameType types[] = {GameType::full, GameType::half, GameType::vale};
    return types[rng.below(3)];
}

} // namespace

class TestAi : public QObject {
    Q_OBJECT
private slots:
    void sampledDealsKeepToWhatWasSeen()
    {
        Random rng(11);
        for (int pos = 0; pos < 600; ++pos) {
            const bool random = pos % 3 == 0;
            Round r(rng, anyType(rng), random);
            const int me = r.play(rng, rng.below(4 * r.numcards));
            const View v = r.view(me);
            const CardSet seen = v.ownCards() | v.playedCards() | (r.type == GameType::vale ? 0 : cardBit(r.trumpcard));
            const Knowledge k = learn(v);
            // Seats that played by the Classic rules never hold what those
            // rules say they cannot.
            for (int s = 1; s <= 4; ++s) {
                if (s == me)
                    continue;
                QCOMPARE(r.held[std::size_t(s)] & k.voidOut[std::size_t(s)], CardSet(0));
                if (!random)
                    QCOMPARE(r.held[std::size_t(s)] & k.classicOut[std::size_t(s)], CardSet(0));
            }
            Sampler sampler(v, k, rng);
            if (!random)
                QCOMPARE(sampler.level(), 3);
            for (int n = 0; n < 20; ++n) {
                const Deal d = sampler.next(rng);
                QCOMPARE(d.hands[std::size_t(me)], v.ownCards());
                CardSet all = 0;
                for (int s = 1; s <= 4; ++s) {
                    if (s == me)
                        continue;
                    const CardSet h = d.hands[std::size_t(s)];
                    QCOMPARE(count(h), v.handSize(s));
                    QCOMPARE(h & seen, CardSet(0));       // never a card already seen
                    QCOMPARE(h & all, CardSet(0));        // nor one card twice
                    for (int suit = 1; suit <= 4; ++suit)
                        if (v.voidSuits(s) & (1u << suit))
                            QCOMPARE(h & suitSet(suit), CardSet(0));
                    if (!random) {
                        // The Classic bid comes out of the sampled hand.
                        const CardSet full = h | k.playedBy[std::size_t(s)];
                        QCOMPARE(classic::bid(orderedHand(full), r.type, r.numcards, k.bidTrumpSuit,
                                              k.bidOthers[std::size_t(s)], k.bidLast[std::size_t(s)]),
                                 r.bids[std::size_t(s)]);
                    }
                    all |= h;
                }
            }
        }
    }

    void everyDecisionIsLegal()
    {
        Random rng(5);
        ExpertOptions quick;
        quick.bidDeals = quick.trumpDeals = quick.cardDeals = 3;
        Expert expert(9, quick);
        for (int pos = 0; pos < 3000; ++pos) {
            Round r(rng, anyType(rng), pos % 2 == 0);
            const int me = r.play(rng, rng.below(4 * r.numcards));
            const View v = r.view(me);
            const int slot = expert.card(v);
            QVERIFY(isHandSlot(slot));
            const int card = v.hand[std::size_t(slot)];
            QVERIFY(isCard(card));
            const int led = v.ledSuit();
            if (led && (v.ownCards() & suitSet(led)))
                QCOMPARE(suitOf(card), led);

            // Bidding: the seats before the own have bid.
            View b = r.view(me, false);
            b.playCount = 0;
            b.tricks = {};
            b.hand = Round(r).hands[std::size_t(me)];
            int total = 0;
            for (int s = b.firstBidder(); s != me; s = nextSeat(s)) {
                b.hasBid[std::size_t(s)] = true;
                total += b.bids[std::size_t(s)];
            }
            const int bid = expert.bid(b);
            QVERIFY(bid >= 0 && bid <= b.numcards);
            if (b.type == GameType::vale && me == b.dealer)
                QVERIFY(total + bid != b.numcards);

            if (r.type == GameType::vale) {
                View t = r.view(me);
                t.trumpcard = 0;
                t.playCount = 0;
                t.tricks = {};
                const int trump = expert.trump(t);
                QVERIFY(trump == 13 || trump == 26 || trump == 39 || trump == 52 || trump == 53);
            }
        }
    }

    void hookRuleLeavesTheDealerAChoice()
    {
        // Vale, 5 cards, bids 1, 2, 1 before the dealer: 1 is not allowed.
        View v;
        v.type = GameType::vale;
        v.numcards = 5;
        v.dealer = 4;
        v.seat = 4;
        v.bids = {0, 1, 2, 1, 0};
        v.hasBid = {false, true, true, true, false};
        QCOMPARE(legalBids(v), 0b111101u);
        for (int c = 1; c <= 5; ++c)
            v.hand[std::size_t(c)] = 13 * (c % 4) + c;
        Expert e(3);
        QVERIFY(e.bid(v) != 1);
    }

    void viewReadsTheOpenTrick()
    {
        View v;
        v.seat = 3;
        v.numcards = 3;
        v.tricks = {0, 1, 0, 0, 0};
        for (auto [s, c, t] : {std::tuple{2, 5, 1}, {3, 2, 1}, {4, 9, 1}, {1, 20, 1}, {1, 40, 2}, {2, 41, 2}})
            v.addPlay(s, c, t);
        QCOMPARE(v.trickStart(), 4);
        QCOMPARE(v.onTable(), 2);
        QCOMPARE(v.ledSuit(), 4);
        QCOMPARE(v.turn(), 3);
        QCOMPARE(v.handSize(2), 1);
        QCOMPARE(v.handSize(4), 2);
        QCOMPARE(v.voidSuits(1), 1u << 1);  // seat 1 did not follow clubs
    }
};

QTEST_GUILESS_MAIN(TestAi)
#include "test_ai.moc"
