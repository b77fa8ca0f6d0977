// The computer's moves and the takeovers of a seat whose player leaves,
// starts watching or has just joined; the late joiner's catch-up messages.
#include "server/gameengine.h"

#include "protocol/cards.h"
#include "protocol/commands.h"
#include "protocol/message.h"
#include "server/computerplayer.h"

namespace quillet {

namespace {
// The field text a client would send: "n+value", with "+" after it if asked.
std::string moveFields(int n, int value, bool trailingPlus = false)
{
    std::string out = std::to_string(n);
    out += '+';
    out += std::to_string(value);
    if (trailingPlus)
        out += '+';
    return out;
}
} // namespace

void GameEngine::cbid(int n)
{
    if (!isSeat(n))
        return;
    hisbid(moveFields(n, computerBid(s_, n)));
}

void GameEngine::ctrump(int n)
{
    if (!isSeat(n))
        return;
    mychoose(moveFields(n, computerTrump(s_, n), true));
}

void GameEngine::cplay(int n)
{
    const int k = computerCard(s_, n);
    if (k == 0)
        return;
    playcard(moveFields(n, k));
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
    if (computertimerTag_ == 1 && playAwaited(seat))
        cplay(seat);
    else if (computertimerTag_ == 2 && s_.chooser == seat && s_.bidder == 0)
        ctrump(seat);
}

// Makes seat's pending move at once, if a move of that seat is awaited.
void GameEngine::takeover(int seat, TakeoverOrder order)
{
    if (!s_.gameon || !isSeat(seat))
        return;
    const bool bids = s_.bidder == seat;
    const bool chooses = s_.chooser == seat && s_.bidder == 0;
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
        std::string hand;
        for (int k = 1; k <= kHandSlots; ++k) {
            const int card = s_.players[slot].cards[k];
            if (!isCard(card))
                continue;
            hand += '+';
            hand += std::to_string(k);
            hand += '+';
            hand += std::to_string(card);
        }
        if (!hand.empty())
            sendTo(slot, std::string(cmd::placecard) + '+' + std::to_string(slot) + hand
                             + kTerminator);
    }

    const auto &pl = s_.players;
    for (int i = 1; i <= kSeats; ++i)
        sendTo(slot, makeMessage(cmd::newplayerstuff, i, pl[i].bid, pl[i].tricks, pl[i].score,
                                 1, pl[1].played, 2, pl[2].played, 3, pl[3].played, 4,
                                 pl[4].played, trailing));
    sendTo(slot, makeMessage(cmd::stats, s_.turn, s_.bidder, s_.round, s_.trumpcard,
                             s_.gametype, trailing));

    // The newcomer takes the seat from the next move on.
    takeover(slot, TakeoverOrder::turnFirst);
}

} // namespace quillet
