// Game start, round start and the deal, plus the engine's plumbing: sending,
// the two timers and the guard against re-entry from the connection layer.
#include "server/gameengine.h"

#include "protocol/cards.h"
#include "protocol/commands.h"
#include "protocol/message.h"

#include <algorithm>
#include <chrono>
#include <climits>

namespace quillet {

GameEngine::GameEngine(ServerState &state, EngineHost &host, Timings timings)
    : s_(state), host_(host), timings_(timings),
      rng_(static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()))
{
    deferred_.reserve(8);
}

void GameEngine::seedRandom(std::uint64_t seed) { rng_.seed(seed); }

GameEngine::Entry::~Entry()
{
    if (--e_.depth_ != 0 || e_.deferred_.empty())
        return;
    std::vector<std::pair<Hook, int>> hooks;
    hooks.swap(e_.deferred_);
    for (const auto &[hook, slot] : hooks)
        e_.runHook(hook, slot);
}

bool GameEngine::deferHook(Hook hook, int slot)
{
    if (depth_ == 0)
        return false;
    deferred_.emplace_back(hook, slot);
    return true;
}

void GameEngine::runHook(Hook hook, int slot)
{
    switch (hook) {
    case Hook::lateLogin: lateLogin(slot); break;
    case Hook::seatLeft: seatLeft(slot); break;
    case Hook::watchStarted: watchStarted(slot); break;
    }
}

void GameEngine::sendTo(int slot, const std::string &message)
{
    if (isSlot(slot) && s_.players[slot].connected)
        host_.sendToSlot(slot, message);
}

void GameEngine::broadcast(const std::string &message)
{
    const int last = std::min(s_.slotcount, kSlots);
    for (int slot = 1; slot <= last; ++slot)
        if (s_.players[slot].connected)
            host_.sendToSlot(slot, message);
}

int GameEngine::botDelay() const
{
    return std::max(timings_.botDelayMs >= 0 ? timings_.botDelayMs : s_.botinterval, 0);
}

void GameEngine::armWaitaminute(int tag, int ms)
{
    waitaminuteTag_ = tag;
    waitaminutePending_ = true;
    host_.startTimer(EngineTimer::waitaminute, std::max(ms, 0));
}

void GameEngine::stopWaitaminute()
{
    if (!waitaminutePending_)
        return;
    waitaminutePending_ = false;
    host_.stopTimer(EngineTimer::waitaminute);
}

// Tag 1 waits botinterval before a card, tag 2 five times that before a
// trump choice. A zero delay still goes through the timer, so the move comes
// on the next turn of the event loop.
void GameEngine::armComputertimer(int tag, int seat)
{
    const long long factor = tag == 2 ? 5 : 1;
    const long long ms = std::min<long long>(botDelay() * factor, INT_MAX);
    computertimerTag_ = tag;
    computertimerSeat_ = seat;
    computertimerPending_ = true;
    host_.startTimer(EngineTimer::computertimer, static_cast<int>(ms));
}

void GameEngine::stopComputertimer()
{
    if (!computertimerPending_)
        return;
    computertimerPending_ = false;
    computertimerSeat_ = 0;
    host_.stopTimer(EngineTimer::computertimer);
}

void GameEngine::startgame(std::string_view fields)
{
    Entry entry(*this);
    FieldReader r(fields);
    const std::string starter = sanitizeName(r.next());
    const std::string_view type = r.next();
    // Only the three known schedules exist; anything else starts nothing.
    if (!isGameType(type))
        return;

    s_.turn = 0;
    stopWaitaminute();
    stopComputertimer();
    s_.gameon = true;
    s_.gametype = std::string(type);
    for (int seat = 1; seat <= kSeats; ++seat) {
        s_.players[seat].score = 0;
        s_.players[seat].watching = false;
    }
    broadcast(makeMessage(cmd::startgame, starter, s_.gametype, trailing));

    s_.firstseat = std::uniform_int_distribution<int>(1, kSeats)(rng_);
    s_.round = 0;
    s_.numcards = initialNumCards(s_.gametype);
    s_.trickcount = 0;
    startround();
}

void GameEngine::startround()
{
    s_.trumpsuit = 0;
    s_.trumpcard = 0;  // a late joiner during Vale bidding must not see the old trump
    s_.chooser = 0;
    s_.ledsuit = 0;
    s_.totalbids = 0;

    s_.firstseat = nextSeat(s_.firstseat);
    s_.turn = 0;
    s_.firstbidder = s_.firstseat;
    s_.bidder = s_.firstseat;
    s_.lastbidder = s_.firstseat == 1 ? kSeats : s_.firstseat - 1;

    for (int seat = 1; seat <= kSeats; ++seat) {
        s_.players[seat].tricks = 0;
        s_.players[seat].played = 0;
        s_.players[seat].bid = 0;
    }
    s_.trickcount = 0;
    s_.cardsontable = 0;

    ++s_.round;
    if (s_.round >= endRound(s_.gametype)) {
        endgame();
        return;
    }
    s_.numcards = std::clamp(nextNumCards(s_.gametype, s_.round, s_.numcards), 0, kHandSlots);

    broadcast(makeMessage(cmd::startround, s_.round, s_.lastbidder, s_.numcards, trailing));

    deal();

    ++s_.deckpos;
    if ((s_.gametype == "f" || s_.gametype == "h") && s_.deckpos <= 52) {
        s_.trumpcard = s_.deck[s_.deckpos];
        s_.trumpsuit = suitOf(s_.trumpcard);
        broadcast(makeMessage(cmd::trump, s_.trumpcard));
    }

    broadcast(makeMessage(cmd::bid, s_.bidder, s_.numcards, s_.firstbidder, s_.numcards,
                          s_.lastbidder, trailing));
    if (s_.isComputer(s_.bidder))
        cbid(s_.bidder);
}

// Shuffles by drawing free deck positions for each card in turn, then deals
// the deck out in blocks of numcards, seat 1 first. Each connected slot sees
// its own seat's cards and zeros for the others.
void GameEngine::deal()
{
    for (int seat = 1; seat <= kSeats; ++seat)
        s_.players[seat].cards.fill(0);
    s_.deckpos = 0;
    s_.deck.fill(0);

    std::uniform_int_distribution<int> position(1, 52);
    for (int card = 1; card <= 52; ++card) {
        int pos;
        do
            pos = position(rng_);
        while (s_.deck[pos] != 0);
        s_.deck[pos] = card;
    }

    const std::string head = std::string(cmd::placecard) + '+';
    std::string real, hidden;
    for (int seat = 1; seat <= kSeats; ++seat) {
        real = head + std::to_string(seat);
        hidden = real;
        for (int k = 1; k <= s_.numcards && s_.deckpos < 52; ++k) {
            const int card = s_.deck[++s_.deckpos];
            s_.players[seat].cards[k] = card;
            const std::string slot = '+' + std::to_string(k);
            real += slot;
            real += '+';
            real += std::to_string(card);
            hidden += slot;
            hidden += "+0";
        }
        real += kTerminator;
        hidden += kTerminator;
        const int last = std::min(s_.slotcount, kSlots);
        for (int slot = 1; slot <= last; ++slot)
            if (s_.players[slot].connected)
                host_.sendToSlot(slot, slot == seat ? real : hidden);
    }
}

} // namespace quillet
