// The computer's moves and the takeovers of a seat whose player leaves,
// starts watching or has just joined; the late joiner's catch-up messages.
#include "server/gameengine.h"

#include "protocol/cards.h"
#include "server/computerplayer.h"
#include "server/publicview.h"

#include <ctime>

namespace quillet {

namespace {
double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) * 1e-6;
}
} // namespace

void GameEngine::cbid(int n)
{
    if (isSeat(n))
        hisbid(n, expertSeat(n) ? expertChoice(n, Move::bid) : computerBid(s_, n));
}

void GameEngine::ctrump(int n)
{
    if (isSeat(n))
        mychoose(n, expertSeat(n) ? expertChoice(n, Move::choose) : computerTrump(s_, n));
}

void GameEngine::expertPlay(int n)
{
    if (const int k = expertChoice(n, Move::play))
        playcard(n, k);
}

// Kept out of line: a game of Classic players pays nothing for it.
int GameEngine::expertChoice(int n, Move move)
{
    const ai::View view = publicView(s_, n);
    const double start = expertMeter_ ? threadCpuMs() : 0;
    int choice = 0;
    switch (move) {
    case Move::bid: choice = expert_.bid(view); break;
    case Move::choose: choice = expert_.trump(view); break;
    case Move::play: choice = expert_.card(view); break;
    }
    if (expertMeter_)
        expertMeter_(n, threadCpuMs() - start);
    return choice;
}

// The timer was armed for one seat's move; by now that move may have been
// made, the seat may have a player again, or a pause may have begun.
void GameEngine::computertimerTimer()
{
    Entry entry(*this);
    if (!computertimerPending_)
        return;
    computertimerPending_ = false;
    const int seat = computertimerSeat_;
    computertimerSeat_ = 0;
    if (!s_.gameon || !isSeat(seat) || !s_.isComputer(seat))
        return;
    if (computertimerTag_ == 1)
        cplay(seat);  // playcard itself drops a card that is not awaited
    else if (computertimerTag_ == 2 && awaited(Move::choose, seat))
        ctrump(seat);
}

// Makes seat's pending move at once, if a move of that seat is awaited.
void GameEngine::takeover(int seat, TakeoverOrder order)
{
    if (!s_.gameon || !isSeat(seat))
        return;
    const bool bids = awaited(Move::bid, seat);
    const bool chooses = awaited(Move::choose, seat);
    const bool plays = playAwaited(seat);
    if (order == TakeoverOrder::bidderFirst) {
        if (bids)
            cbid(seat);
        else if (chooses)
            ctrump(seat);
        else if (plays)
            cplay(seat);
    } else {
        if (plays)
            cplay(seat);
        else if (chooses)
            ctrump(seat);
        else if (bids)
            cbid(seat);
    }
}

void GameEngine::seatLeft(int slot)
{
    if (deferHook(Hook::seatLeft, slot))
        return;
    Entry entry(*this);
    takeover(slot, TakeoverOrder::bidderFirst);
}

void GameEngine::watchStarted(int seat)
{
    if (deferHook(Hook::watchStarted, seat))
        return;
    Entry entry(*this);
    takeover(seat, TakeoverOrder::turnFirst);
}

void GameEngine::lateLogin(int slot)
{
    if (deferHook(Hook::lateLogin, slot))
        return;
    Entry entry(*this);
    if (!s_.gameon || !isSlot(slot))
        return;

    if (isSeat(slot)) {
        toTable::PlaceCard hand;
        hand.seat = slot;
        for (int k = 1; k <= kHandSlots; ++k)
            if (const int card = s_.players[slot].cards[std::size_t(k)]; isCard(card))
                hand.pairs[std::size_t(hand.count++)] = {k, card};
        if (hand.count > 0)
            sendTo(slot, hand);
    }

    const auto &pl = s_.players;
    toTable::NewPlayerStuff stuff;
    for (int seat = 1; seat <= kSeats; ++seat)
        stuff.played[std::size_t(seat)] = pl[std::size_t(seat)].played;
    for (int i = 1; i <= kSeats; ++i) {
        stuff.seat = i;
        stuff.bid = pl[std::size_t(i)].bid;
        stuff.tricks = pl[std::size_t(i)].tricks;
        stuff.score = pl[std::size_t(i)].score;
        sendTo(slot, stuff);
    }
    sendTo(slot, toTable::Stats{s_.turn, s_.bidder, s_.round, s_.trumpcard, s_.gametype});

    // The newcomer takes the seat from the next move on.
    takeover(slot, TakeoverOrder::turnFirst);
}

} // namespace quillet
