#include "client/tablemodel.h"

#include "protocol/message.h"

#include <algorithm>

namespace quillet {

namespace {

// Enough for every watcher slot several times over; a server that keeps
// announcing watchers cannot grow the list without end.
constexpr std::size_t kMaxWatchers = 64;
// A round has at most 13 tricks of four cards.
constexpr std::size_t kMaxHistory = 4 * kHandSlots;
constexpr std::size_t kMaxTricks = kHandSlots;

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

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

} // namespace

int Trick::count() const
{
    return int(std::count_if(cards.begin() + 1, cards.end(), [](int c) { return c != 0; }));
}

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

bool TableModel::sendloginfo(const toTable::SendLoginInfo &m)
{
    if (loggedin_ || !isSlot(m.slot))
        return false;
    myseat_ = m.slot;
    loggedin_ = true;
    return true;
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
    // A late login learns no round start: the schedule gives the hand size.
    cardsPerHand_ = scheduledCards(m.type, m.round);
    defaultNamesForWaiting();

    // The cards on the table are the open trick. Its leader is the first of
    // the run of seats that have played; a full table is a trick already won.
    clearRoundPlay();
    Trick trick;
    trick.number = completedTricks() + 1;
    for (int s = 1; s <= kSeats; ++s)
        trick.cards[std::size_t(s)] = played_[std::size_t(s)];
    const int k = trick.count();
    if (k == 0 || k == kSeats)
        return true;
    for (int s = 1; s <= kSeats && trick.leader == 0; ++s) {
        const int before = (s + kSeats - 2) % kSeats + 1;
        if (trick.cards[std::size_t(s)] == 0 || trick.cards[std::size_t(before)] != 0)
            continue;
        int run = 0;
        for (int q = s; run < kSeats && trick.cards[std::size_t(q)] != 0; q = nextSeat(q))
            ++run;
        if (run == k)
            trick.leader = s;
    }
    current_ = trick;
    current_.cards.fill(0);
    // In play order when the leader is known, else in seat order.
    const int from = trick.leader ? trick.leader : 1;
    for (int n = 0, s = from; n < kSeats; ++n, s = nextSeat(s))
        if (trick.cards[std::size_t(s)] != 0)
            record(s, trick.cards[std::size_t(s)]);
    current_.leader = trick.leader;
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

// ---- the hand ------------------------------------------------------------------------

int TableModel::handSize() const
{
    return int(std::count_if(handplaces_.begin() + 1, handplaces_.end(), [](int slot) { return slot != 0; }));
}

void TableModel::clearHand()
{
    hand_.fill(0);
    handplaces_.fill(0);
    pendingSlot_ = 0;
    refused_.fill(false);
}

void TableModel::createcard(int slot, int card)
{
    if (hand_[std::size_t(slot)] != 0) {
        // The same hand slot dealt again: the new card replaces the old one.
        movecards(slot);
        hand_[std::size_t(slot)] = 0;
    }
    int p = 1;
    while (p <= kHandSlots && handplaces_[std::size_t(p)] != 0)
        ++p;
    if (p > kHandSlots)
        return;
    handplaces_[std::size_t(p)] = slot;
    hand_[std::size_t(slot)] = card;
}

void TableModel::movecards(int slot)
{
    int p = 1;
    while (p <= kHandSlots && handplaces_[std::size_t(p)] != slot)
        ++p;
    if (p > kHandSlots || slot == 0)
        return;
    for (int q = p; q < kHandSlots; ++q)
        handplaces_[std::size_t(q)] = handplaces_[std::size_t(q + 1)];
    handplaces_[std::size_t(kHandSlots)] = 0;
}

void TableModel::sortthem()
{
    for (int pass = 0; pass < kHandSlots; ++pass) {
        for (int i = kHandSlots; i >= 2; --i) {
            const int right = handplaces_[std::size_t(i)];
            if (right == 0)
                continue;
            const int left = handplaces_[std::size_t(i - 1)];
            if (left == 0)
                return;
            if (hand_[std::size_t(left)] > hand_[std::size_t(right)])
                std::swap(handplaces_[std::size_t(i - 1)], handplaces_[std::size_t(i)]);
        }
    }
}

bool TableModel::placecard(const toTable::PlaceCard &m)
{
    if (!isSeat(m.seat) || m.count < 0 || m.count > kHandSlots)
        return false;
    for (int i = 0; i < m.count; ++i) {
        const auto &p = m.pairs[std::size_t(i)];
        if (!isHandSlot(p.slot) || p.card < 0 || p.card > 52)
            return false;
    }
    const auto seat = std::size_t(m.seat);
    played_[seat] = 0;
    const int n = m.count > 0 ? m.pairs[std::size_t(m.count - 1)].slot : 0;
    if (m.seat == myseat_) {
        for (int i = 0; i < m.count; ++i)
            if (m.pairs[std::size_t(i)].card > 0)
                createcard(m.pairs[std::size_t(i)].slot, m.pairs[std::size_t(i)].card);
        sortthem();
    } else {
        faceDown_[seat] = n;
    }
    return true;
}

// ---- play -------------------------------------------------------------------------------

bool TableModel::getnextplayer(const toTable::NextPlayer &m)
{
    if (!isSeat(m.seat))
        return false;
    currentplayer_ = m.seat;
    if (m.newTrick)
        played_.fill(0);
    myturn_ = m.seat == myseat_;
    pendingSlot_ = 0;
    refused_.fill(false);
    return true;
}

int TableModel::completedTricks() const
{
    int done = 0;
    for (int s = 1; s <= kSeats; ++s)
        done += tricks_[std::size_t(s)];
    return done;
}

void TableModel::record(int seat, int card)
{
    if (current_.count() == 0) {
        current_.number = completedTricks() + 1;
        current_.leader = seat;
    }
    current_.cards[std::size_t(seat)] = card;
    if (history_.size() < kMaxHistory)
        history_.push_back({seat, card, current_.number});
}

bool TableModel::playcard(const toTable::PlayCard &m)
{
    if (!isSeat(m.seat) || !isHandSlot(m.slot) || !isCard(m.card))
        return false;
    const auto seat = std::size_t(m.seat);
    played_[seat] = m.card;
    if (m.seat == myseat_) {
        if (hand_[std::size_t(m.slot)] != 0) {
            movecards(m.slot);
            hand_[std::size_t(m.slot)] = 0;
        }
        pendingSlot_ = 0;
        refused_.fill(false);
    } else {
        --faceDown_[seat];
    }
    record(m.seat, m.card);
    return true;
}

bool TableModel::needsuit(const toTable::NeedSuit &m)
{
    // Only the seat that played is told; another seat's refusal is none of ours.
    if (!isSeat(m.seat) || m.seat != myseat_ || !isHandSlot(m.slot))
        return false;
    myturn_ = true;
    pendingSlot_ = 0;
    refused_[std::size_t(m.slot)] = true;
    sortthem();
    return true;
}

bool TableModel::trickwinner(const toTable::TrickWinner &m)
{
    if (!isSeat(m.seat) || m.tricks < 0 || m.tricks > kHandSlots)
        return false;
    tricks_[std::size_t(m.seat)] = m.tricks;
    if (current_.count() > 0) {
        current_.winner = m.seat;
        if (roundTricks_.size() < kMaxTricks)
            roundTricks_.push_back(current_);
    }
    current_ = Trick{};
    return true;
}

int TableModel::ledSuit() const
{
    return isSeat(current_.leader) ? quillet::suitOf(current_.cards[std::size_t(current_.leader)]) : 0;
}

std::vector<int> TableModel::playableSlots() const
{
    std::vector<int> slots;
    if (!myturn_)
        return slots;
    const int led = ledSuit();
    bool canFollow = false;
    for (int p = 1; p <= kHandSlots; ++p)
        if (const int slot = handplaces_[std::size_t(p)]; slot && led && quillet::suitOf(hand_[std::size_t(slot)]) == led)
            canFollow = true;
    for (int p = 1; p <= kHandSlots; ++p) {
        const int slot = handplaces_[std::size_t(p)];
        if (slot == 0 || refused_[std::size_t(slot)])
            continue;
        if (canFollow && quillet::suitOf(hand_[std::size_t(slot)]) != led)
            continue;
        slots.push_back(slot);
    }
    return slots;
}

bool TableModel::cardSent(int slot)
{
    if (!loggedin_ || !myturn_ || cardAt(slot) == 0)
        return false;
    myturn_ = false;
    pendingSlot_ = slot;
    return true;
}

} // namespace quillet
