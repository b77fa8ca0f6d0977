// The model's seats, watchers, game, round, bidding and scores.
#include "client/tablemodel.h"

#include "protocol/message.h"

#include <algorithm>

namespace quillet {

namespace {

// Enough for every watcher slot several times over; a server that keeps
// announcing watchers cannot grow the list without end.
constexpr std::size_t kMaxWatchers = 64;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The cards per hand of a round by the schedule of the game type.
int scheduledCards(GameType t, int round)
{
    if (round < 1)
        return 0;
    const std::string_view letter = letterText(t);
    int n = initialNumCards(letter);
    for (int r = 1; r <= round; ++r)
        n = nextNumCards(letter, r, n);
    return std::clamp(n, 0, kHandSlots);
}

} // namespace

std::string_view TableModel::defaultName(int seat)
{
    constexpr std::string_view names[] = {"", "You", "Klot", "Klick", "Kling"};
    return isSeat(seat) ? names[seat] : names[0];
}

const std::string &TableModel::name(int seat) const
{
    static const std::string none;
    return isSeat(seat) ? names_[std::size_t(seat)] : none;
}

bool TableModel::apply(const ToTable &message)
{
    return std::visit(
        Overloaded{
            [this](const toTable::SendLoginInfo &m) { return sendloginfo(m); },
            [this](const toTable::NewPlayerInfo &m) { return newplayerinfo(m.slot, m.name); },
            [this](const toTable::ExistingPlayers &m) { return newplayerinfo(m.slot, m.name); },
            [this](const toTable::PlayerDisconnected &m) { return playerdisconnected(m).known; },
            [this](const toTable::StartGame &m) { return startthegame(m); },
            [this](const toTable::StartRound &m) { return startround(m); },
            [this](const toTable::PlaceCard &m) { return placecard(m); },
            [this](const toTable::NewPlayerStuff &m) { return newplayerstuff(m); },
            [this](const toTable::Stats &m) { return stats(m); },
            [this](const toTable::Bid &m) { return mybid(m); },
            [this](const toTable::HisBid &m) { return hisbid(m); },
            [this](const toTable::ChooseTrump &m) { return choosetrump(m); },
            [this](const toTable::Trump &m) { return trump(m); },
            [this](const toTable::NextPlayer &m) { return getnextplayer(m); },
            [this](const toTable::PlayCard &m) { return playcard(m); },
            [this](const toTable::NeedSuit &m) { return needsuit(m); },
            [this](const toTable::TrickWinner &m) { return trickwinner(m); },
            [this](const toTable::Score &m) { return scoreit(m); },
            [this](const toTable::Winner &m) { return winner(m); },
            [this](const toTable::JustWatching &m) { return justwatching(m); },
            [](const auto &) { return false; },
        },
        message);
}

// ---- connection and seats -----------------------------------------------------

// A second one, while logged in, moves the table to the seat it names: a
// returning player is given his own seat back that way.
bool TableModel::sendloginfo(const toTable::SendLoginInfo &m)
{
    if (!isSlot(m.slot) || (loggedin_ && m.slot == myseat_))
        return false;
    myseat_ = m.slot;
    loggedin_ = true;
    return true;
}

void TableModel::connectionLost()
{
    loggedin_ = false;
    clearHand();
    faceDown_.fill(0);
    played_.fill(0);
    myturn_ = false;
    pendingSlot_ = 0;
    refused_.fill(false);
    bidder_ = 0;
    chooser_ = 0;
    clearRoundPlay();
    watchers_.clear();
}

bool TableModel::newplayerinfo(int slot, const std::string &name)
{
    if (!isSlot(slot))
        return false;
    if (isSeat(slot)) {
        names_[std::size_t(slot)] = name;
    } else {
        if (watchers_.size() >= kMaxWatchers)
            return false;
        watchers_.push_back({slot, name});
    }
    return true;
}

Departure TableModel::playerdisconnected(const toTable::PlayerDisconnected &m)
{
    Departure d;
    if (!isSlot(m.slot))
        return d;
    d.known = true;
    if (m.slot == myseat_) {
        loggedin_ = false;
        d.own = true;
        return d;
    }
    if (isSeat(m.slot)) {
        std::string &seatName = names_[std::size_t(m.slot)];
        if (seatName != kWaiting && seatName != defaultName(m.slot))
            d.disconnected = seatName;
        seatName = std::string(defaultName(m.slot));
        watching_[std::size_t(m.slot)] = false;
    }
    const auto it = std::find(watchers_.begin(), watchers_.end(), Watcher{m.slot, m.name});
    if (it != watchers_.end()) {
        watchers_.erase(it);
        d.watcherLeft = true;
    }
    return d;
}

bool TableModel::justwatching(const toTable::JustWatching &m)
{
    if (!isSeat(m.seat))
        return false;
    watching_[std::size_t(m.seat)] = m.watching;
    return true;
}

void TableModel::defaultNamesForWaiting()
{
    for (int s = 1; s <= kSeats; ++s)
        if (names_[std::size_t(s)] == kWaiting)
            names_[std::size_t(s)] = std::string(defaultName(s));
}

std::array<bool, 5> TableModel::winningSeats(int winningScore) const
{
    std::array<bool, 5> won{};
    for (int s = 1; s <= kSeats; ++s)
        won[std::size_t(s)] = scores_[std::size_t(s)] == winningScore;
    return won;
}

bool TableModel::iWon(const toTable::Winner &m) const
{
    // A seat's total proves it; a name inside another ("Al" in "Alice") does not.
    if (isSeat(myseat_))
        return scores_[std::size_t(myseat_)] == m.score;
    std::string_view names = m.names;
    for (;;) {
        const std::size_t cut = names.find(" and ");
        if (names.substr(0, cut) == myname_)
            return true;
        if (cut == std::string_view::npos)
            return false;
        names.remove_prefix(cut + 5);
    }
}

// ---- game and round -----------------------------------------------------------------

void TableModel::clearRoundPlay()
{
    current_ = Trick{};
    roundTricks_.clear();
    history_.clear();
}

bool TableModel::startthegame(const toTable::StartGame &m)
{
    for (int s = 1; s <= kSeats; ++s) {
        scores_[std::size_t(s)] = 0;
        bids_[std::size_t(s)] = 0;
        faceDown_[std::size_t(s)] = 0;
        watching_[std::size_t(s)] = false;
    }
    defaultNamesForWaiting();
    clearHand();
    myturn_ = false;
    clearRoundPlay();
    gameType_ = m.type;
    gameRunning_ = true;
    return true;
}

bool TableModel::startround(const toTable::StartRound &m)
{
    if (m.round < 0 || m.round > 24 || m.numcards < 0 || m.numcards > kHandSlots)
        return false;
    scoreround_ = m.round;
    cardsPerHand_ = m.numcards;
    totalBids_ = 0;
    trumpcard_ = 0;
    for (int s = 1; s <= kSeats; ++s) {
        const auto i = std::size_t(s);
        faceDown_[i] = 0;
        bids_[i] = 0;
        hasBid_[i] = false;
        tricks_[i] = 0;
        roundScores_[i] = 0;
        played_[i] = 0;
    }
    clearHand();
    myturn_ = false;
    bidder_ = 0;
    chooser_ = 0;
    clearRoundPlay();
    return true;
}

bool TableModel::scoreit(const toTable::Score &m)
{
    for (const auto &e : m.entries)
        if (!isSeat(e.seat))
            return false;
    for (const auto &e : m.entries) {
        scores_[std::size_t(e.seat)] = e.total;
        roundScores_[std::size_t(e.seat)] = e.round;
    }
    return true;
}

bool TableModel::winner(const toTable::Winner &)
{
    faceDown_.fill(0);
    myturn_ = false;
    gameRunning_ = false;
    return true;
}

// ---- late login -------------------------------------------------------------------

bool TableModel::newplayerstuff(const toTable::NewPlayerStuff &m)
{
    if (!isSeat(m.seat))
        return false;
    const auto i = std::size_t(m.seat);
    bids_[i] = m.bid;
    tricks_[i] = m.tricks;
    scores_[i] = m.score;
    for (int s = 1; s <= kSeats; ++s)
        if (isCard(m.played[std::size_t(s)]))
            played_[std::size_t(s)] = m.played[std::size_t(s)];
    return true;
}

bool TableModel::stats(const toTable::Stats &m)
{
    if (m.round < 0 || m.round > 24 || m.trumpcard < 0 || m.trumpcard > kNoTrumpCard)
        return false;
    currentplayer_ = m.turn;
    scoreround_ = m.round;
    trumpcard_ = m.trumpcard;
    gameType_ = m.type;
    gameRunning_ = true;
    // A late login learns no round start: the schedule gives the hand size.
    cardsPerHand_ = scheduledCards(m.type, m.round);
    defaultNamesForWaiting();
    restoreOpenTrick();
    // Nor are the other seats' hands told; each holds the round's cards less
    // the tricks done and the card it has on the table.
    const int done = completedTricks();
    for (int s = 1; s <= kSeats; ++s)
        if (s != myseat_)
            faceDown_[std::size_t(s)] = std::max(0, cardsPerHand_ - done - (played_[std::size_t(s)] != 0 ? 1 : 0));
    return true;
}

// ---- bidding and trump -------------------------------------------------------------

bool TableModel::mybid(const toTable::Bid &m)
{
    if (!isSeat(m.seat) || m.numcards < 0 || m.numcards > kHandSlots || !isSeat(m.first) || !isSeat(m.last))
        return false;
    bidder_ = m.seat;
    maxbid_ = m.numcards;
    totalSoFar_ = m.total;
    lastBidder_ = m.last;
    firstPlayer_ = m.first;
    return true;
}

bool TableModel::hisbid(const toTable::HisBid &m)
{
    if (!isSeat(m.seat))
        return false;
    const auto i = std::size_t(m.seat);
    bids_[i] = m.bid;
    hasBid_[i] = true;
    totalBids_ = m.total;
    if (bidder_ == m.seat)
        bidder_ = 0;
    return true;
}

bool TableModel::choosetrump(const toTable::ChooseTrump &m)
{
    if (!isSeat(m.seat))
        return false;
    chooser_ = m.seat;
    return true;
}

bool TableModel::trump(const toTable::Trump &m)
{
    if (m.card < 0 || m.card > kNoTrumpCard)
        return false;
    trumpcard_ = m.card;
    return true;
}

BidCheck TableModel::checkBid(std::string_view text) const
{
    BidCheck check;
    if (!parseNumber(trimmed(text), check.bid) || check.bid < 0) {
        check.refusal.append("'").append(text).append("' is not a valid bid.");
        return check;
    }
    if (check.bid > maxbid_) {
        check.refusal = "You can't bid more then " + std::to_string(maxbid_) + ".";
        return check;
    }
    if (gameType_ == GameType::vale && lastBidder_ == myseat_ && check.bid + totalSoFar_ == cardsPerHand_) {
        check.refusal = "Bids cannot equal the cards in your hand.";
        return check;
    }
    check.ok = true;
    return check;
}

} // namespace quillet
