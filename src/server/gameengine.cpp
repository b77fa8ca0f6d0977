// Game start, round start and the deal, plus the engine's plumbing: sending,
// the two timers and the guard against re-entry from the connection layer.
#include "server/gameengine.h"

#include "protocol/cards.h"
#include "protocol/message.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace quillet {

GameEngine::GameEngine(ServerState &state, EngineHost &host, Timings timings)
    : s_(state), host_(host), timings_(timings),
      rng_(static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())),
      expert_(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()))
{
    deferred_.reserve(8);
    [this]<std::size_t... I>(std::index_sequence<I...>) {
        (outbox_[I].template emplace<I>(), ...);
    }(std::make_index_sequence<std::variant_size_v<ToTable>>{});
}

void GameEngine::seedRandom(std::uint64_t seed)
{
    rng_.seed(seed);
    expert_.reseed(seed ^ 0x51A7E5EEDull);
}

void GameEngine::runDeferred()
{
    std::vector<std::pair<Hook, int>> hooks;
    hooks.swap(deferred_);
    hasDeferred_ = false;
    for (const auto &[hook, slot] : hooks)
        runHook(hook, slot);
}

bool GameEngine::deferHook(Hook hook, int slot)
{
    if (depth_ == 0)
        return false;
    deferred_.emplace_back(hook, slot);
    hasDeferred_ = true;
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

void GameEngine::startgame(std::string_view starter, GameType type)
{
    Entry entry(*this);
    s_.turn = 0;
    stopWaitaminute();
    stopComputertimer();
    s_.gameon = true;
    s_.gametype = type;
    for (int seat = 1; seat <= kSeats; ++seat) {
        s_.players[seat].score = 0;
        s_.players[seat].watching = false;
    }
    broadcast(toTable::StartGame{sanitizeName(starter), type});

    s_.firstseat = rng_.seat();
    s_.round = 0;
    s_.numcards = initialNumCards(type);
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

    broadcast(toTable::StartRound{s_.round, s_.lastbidder, s_.numcards});

    deal();

    ++s_.deckpos;
    if (s_.gametype != GameType::vale && s_.deckpos <= 52) {
        s_.trumpcard = s_.deck[std::size_t(s_.deckpos)];
        s_.trumpsuit = suitOf(s_.trumpcard);
        broadcast(toTable::Trump{s_.trumpcard});
    }
    askBid();
}

// Asks the seat `bidder` for its bid; a computer bids at once. In a round's
// first request the running total carries the cards per hand.
void GameEngine::askBid()
{
    const int total = s_.bidder == s_.firstbidder ? s_.numcards : s_.totalbids;
    broadcast(toTable::Bid{s_.bidder, s_.numcards, s_.firstbidder, total, s_.lastbidder});
    if (s_.isComputer(s_.bidder))
        cbid(s_.bidder);
}

// Shuffles by drawing free deck positions for each card in turn, then deals
// the deck out in blocks of numcards, seat 1 first. Each seat's own slot sees
// its cards; every other slot sees as many face-down cards.
void GameEngine::deal()
{
    for (int seat = 1; seat <= kSeats; ++seat)
        s_.players[seat].cards.fill(0);
    s_.deckpos = 0;
    rng_.shuffle(s_.deck);

    // Built where they are sent from: a hand is the largest message there is.
    ToTable realMessage{std::in_place_type<toTable::PlaceCard>};
    ToTable hiddenMessage{std::in_place_type<toTable::PlaceCard>};
    auto &real = std::get<toTable::PlaceCard>(realMessage);
    auto &hidden = std::get<toTable::PlaceCard>(hiddenMessage);
    for (int seat = 1; seat <= kSeats; ++seat) {
        real.seat = hidden.seat = seat;
        real.count = hidden.count = 0;
        auto &cards = s_.players[seat].cards;
        for (int k = 1; k <= s_.numcards && s_.deckpos < 52; ++k) {
            const int card = s_.deck[std::size_t(++s_.deckpos)];
            cards[std::size_t(k)] = card;
            real.pairs[std::size_t(real.count++)] = {k, card};
            hidden.pairs[std::size_t(hidden.count++)] = {k, 0};
        }
        sendTo(seat, realMessage);
        host_.broadcast(hiddenMessage, seat);
    }
}

} // namespace quillet
