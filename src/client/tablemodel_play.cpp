// The own hand and the cards on the table: dealing, sorting, the tricks of
// the round and which cards may be played.
#include "client/tablemodel.h"

#include <algorithm>

namespace quillet {

namespace {
// A round has at most 13 tricks of four cards.
constexpr std::size_t kMaxHistory = 4 * kHandSlots;
constexpr std::size_t kMaxTricks = kHandSlots;
} // namespace

int Trick::count() const
{
    return int(std::count_if(cards.begin() + 1, cards.end(), [](int c) { return c != 0; }));
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

void TableModel::restoreOpenTrick()
{
    // The cards on the table are the open trick. Its leader is the first of
    // the run of seats that have played; a full table is a trick already won.
    clearRoundPlay();
    Trick trick;
    trick.number = completedTricks() + 1;
    for (int s = 1; s <= kSeats; ++s)
        trick.cards[std::size_t(s)] = played_[std::size_t(s)];
    const int k = trick.count();
    if (k == 0 || k == kSeats)
        return;
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
    // In play order when the leader is known, else in seat order.
    const int from = trick.leader ? trick.leader : 1;
    for (int n = 0, s = from; n < kSeats; ++n, s = nextSeat(s))
        if (trick.cards[std::size_t(s)] != 0)
            record(s, trick.cards[std::size_t(s)]);
    current_.leader = trick.leader;
}

} // namespace quillet
