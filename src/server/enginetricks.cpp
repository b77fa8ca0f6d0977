// Trick play, scoring and the end of the game.
#include "server/gameengine.h"

#include "ai/handslots.h"
#include "protocol/cards.h"
#include "server/computerplayer.h"

namespace quillet {

void GameEngine::playcard(int n, int k) { playNow(n, k); }

// The computer's card takes the same path as a person's, inlined here: a
// Classic seat's move is the engine's hottest path.
[[gnu::flatten]] void GameEngine::cplay(int n)
{
    if (expertSeat(n)) {
        expertPlay(n);
        return;
    }
    if (const int k = computerCard(s_, n))
        playNow(n, k);
}

void GameEngine::playNow(int n, int k)
{
    Entry entry(*this);
    if (!awaited(Move::play, n))
        return;

    tplayer &p = s_.players[n];
    if (!isHandSlot(k) || !isCard(p.cards[std::size_t(k)])) {
        host_.hostNotice("Card does't exist");
        return;
    }
    const int card = p.cards[std::size_t(k)];
    const int suit = suitOf(card);
    if (s_.cardsontable == 0)
        s_.ledsuit = suit;

    if (suit != s_.ledsuit && checkforsuit(n)) {
        if (!p.connected)
            host_.hostNotice("computer played incorrectly");
        else
            sendTo(n, toTable::NeedSuit{n, k});
        return;
    }

    stopComputertimer();
    ++s_.cardsontable;
    broadcast(toTable::PlayCard{n, k, card});
    p.played = card;
    p.cards[std::size_t(k)] = 0;

    if (s_.cardsontable >= kSeats)
        finishtrick();
    else
        findplayer();
}

bool GameEngine::checkforsuit(int n) const
{
    return isSeat(n) && HandSlots(s_.players[std::size_t(n)].cards).suit(s_.ledsuit) != 0;
}

void GameEngine::findplayer()
{
    s_.turn = nextSeat(s_.turn);
    broadcast(toTable::NextPlayer{false, s_.turn});
    if (s_.isComputer(s_.turn))
        armComputertimer(1, s_.turn);
}

// Within a suit a higher card number is a higher card, so one pass that
// ranks any trump above any card of the led suit finds the winner; the first
// of equals stays (with 52 distinct cards there are none).
//
// A suit's cards are lo+1..lo+13: two comparisons tell a card's suit.
int GameEngine::thewinner() const
{
    const auto low = [](int suit) { return suit >= 1 && suit <= 4 ? 13 * (suit - 1) : 1000; };
    const int trumpLo = low(s_.trumpsuit), ledLo = low(s_.ledsuit);
    int best = 0, bestKey = 0;
    for (int seat = 1; seat <= kSeats; ++seat) {
        const int card = s_.players[std::size_t(seat)].played;
        const int key = card > trumpLo && card <= trumpLo + 13 ? 100 + card
                        : card > ledLo && card <= ledLo + 13   ? card
                                                                : 0;
        if (key > bestKey) {
            best = seat;
            bestKey = key;
        }
    }
    return best;
}

void GameEngine::finishtrick()
{
    ++s_.trickcount;
    int w = thewinner();
    if (w == 0)  // only when the table holds no card of the led suit: keep the leader
        w = isSeat(s_.turn) ? s_.turn : 1;
    tplayer &winner = s_.players[w];
    ++winner.tricks;
    std::uint8_t *logged = &s_.tricklog[std::size_t(kSeats * ((s_.trickcount - 1) & 15))];
    for (int seat = 1; seat <= kSeats; ++seat) {
        logged[seat - 1] = std::uint8_t(s_.players[seat].played);
        s_.players[seat].played = 0;
    }
    broadcast(toTable::TrickWinner{w, winner.tricks});

    s_.ledsuit = 0;
    s_.cardsontable = 0;
    s_.turn = w;
    if (s_.trickcount < s_.numcards)
        armWaitaminute(2, timings_.trickPauseMs);
    else
        tallyscore();
}

void GameEngine::waitaminuteTimer()
{
    Entry entry(*this);
    if (!waitaminutePending_)
        return;
    waitaminutePending_ = false;
    if (!s_.gameon)
        return;
    if (waitaminuteTag_ == 2) {
        broadcast(toTable::NextPlayer{true, s_.turn});
        if (isSeat(s_.turn) && s_.isComputer(s_.turn))
            armComputertimer(1, s_.turn);
    } else if (waitaminuteTag_ == 3) {
        startround();
    }
}

void GameEngine::tallyscore()
{
    toTable::Score score;
    for (int seat = 1; seat <= kSeats; ++seat) {
        tplayer &p = s_.players[seat];
        int r = 0;
        if (p.tricks == p.bid)
            r = p.bid == 0 ? 5 : p.bid + 10;
        p.score += r;
        score.entries[std::size_t(seat - 1)] = {seat, p.score, r};
    }
    broadcast(score);
    armWaitaminute(3, timings_.roundPauseMs);
}

void GameEngine::endgame()
{
    s_.gameon = false;
    // No seat may move after the game (5 would name watcher slot 5).
    s_.turn = 0;
    s_.bidder = 0;
    s_.chooser = 0;
    stopWaitaminute();
    stopComputertimer();

    int best = 1;
    for (int seat = 2; seat <= kSeats; ++seat)
        if (s_.players[seat].score > s_.players[best].score)
            best = seat;
    const int bestScore = s_.players[best].score;

    std::string winners;
    int count = 0;
    for (int seat = 1; seat <= kSeats; ++seat) {
        const tplayer &p = s_.players[seat];
        if (p.score != bestScore)
            continue;
        if (count++ > 0)
            winners += " and ";
        winners += p.name.empty() ? s_.botnames[seat] : p.name;
    }
    broadcast(toTable::Winner{std::move(winners), bestScore});
}

} // namespace quillet
