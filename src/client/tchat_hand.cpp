// The own hand and the cards on the table: dealing, sorting, playing a card,
// the other seats' face-down fans and the trick winner.
#include "client/tchat.h"
#include "protocol/cards.h"
#include "protocol/commands.h"
#include "windows/sidewindows.h"
#include "windows/tlasttrick.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QLabel>

#include <vector>

namespace quillet {

namespace {
constexpr int kRestTop = 320;
constexpr int kRaisedTop = 316;
constexpr int placeLeft(int place) { return 18 * place + 184; }
} // namespace

CardImage *Tchat::cardForSlot(int slot) const
{
    return isHandSlot(slot) ? handCards_[static_cast<std::size_t>(slot)] : nullptr;
}

CardImage *Tchat::cardAtPlace(int place) const
{
    if (place < 1 || place > kHandSlots)
        return nullptr;
    return cardForSlot(handplaces_[static_cast<std::size_t>(place)]);
}

void Tchat::clearHand()
{
    for (auto &card : handCards_) {
        delete card;
        card = nullptr;
    }
    handplaces_.fill(0);
}

void Tchat::drawFan(int s, int count)
{
    SeatPanel &sp = seat(s);
    sp.cardCount = count;
    sp.image_cards->clear();
    if (count <= 0)
        return;
    const QPixmap fan = pictures::fan(count);
    sp.image_cards->resize(5 * std::min(count, kHandSlots) + 66, 96);
    sp.image_cards->setPixmap(fan);
}

void Tchat::placecard(std::string_view fields)
{
    FieldReader r(fields);
    int s = 0;
    if (!r.nextInt(s) || !isSeat(s))
        return;
    std::vector<std::pair<int, int>> pairs;
    while (!r.atEnd()) {
        int slot = 0, card = 0;
        if (!r.nextInt(slot) || !r.nextInt(card) || !isHandSlot(slot) || card < 0 || card > 52)
            return;
        if (pairs.size() == static_cast<std::size_t>(kHandSlots))
            return; // more than a whole hand: not a hand we can show
        pairs.emplace_back(slot, card);
    }
    seat(s).image_cards->clear();
    seat(s).image_played->clear();
    seat(s).playedCard = 0;
    int n = 0;
    for (auto [slot, card] : pairs) {
        if (s == myseat && card > 0)
            createcard(slot, card);
        n = slot;
    }
    if (s == myseat)
        sortthem();
    else if (n != 0)
        drawFan(s, n);
}

void Tchat::createcard(int slot, int card)
{
    if (CardImage *old = cardForSlot(slot)) {
        // The same hand slot dealt again: the new card replaces the old one.
        movecards(slot);
        delete old;
        handCards_[static_cast<std::size_t>(slot)] = nullptr;
    }
    int p = 1;
    while (p <= kHandSlots && handplaces_[static_cast<std::size_t>(p)] != 0)
        ++p;
    if (p > kHandSlots)
        return;
    auto *pic = new CardImage(slot, card, panel_main);
    handplaces_[static_cast<std::size_t>(p)] = slot;
    handCards_[static_cast<std::size_t>(slot)] = pic;
    pic->move(placeLeft(p), kRestTop);
    pic->onPress = [this, pic](Qt::MouseButton b) { cardimagesMouseDown(pic, b); };
    pic->show();
    for (int q = p; q <= kHandSlots; ++q)
        if (CardImage *c = cardAtPlace(q))
            c->raise();
}

void Tchat::sortthem()
{
    for (int pass = 0; pass < kHandSlots; ++pass) {
        for (int i = kHandSlots; i >= 2; --i) {
            CardImage *right = cardAtPlace(i);
            if (!right)
                continue;
            CardImage *left = cardAtPlace(i - 1);
            if (!left)
                return; // a place without its picture: stop quietly
            if (left->card() > right->card()) {
                std::swap(handplaces_[static_cast<std::size_t>(i - 1)], handplaces_[static_cast<std::size_t>(i)]);
                right->move(placeLeft(i - 1), right->y());
                left->move(placeLeft(i), left->y());
            }
        }
    }
    for (int p = 1; p <= kHandSlots; ++p) {
        if (CardImage *c = cardAtPlace(p)) {
            c->move(c->x(), kRestTop);
            c->raise();
        }
    }
}

void Tchat::cardimagesMouseDown(CardImage *card, Qt::MouseButton button)
{
    if (!card)
        return;
    if (button == Qt::RightButton) {
        sortthem();
        return;
    }
    if (button != Qt::LeftButton || !loggedin || !myturn)
        return;
    if (card->y() == kRaisedTop) {
        card->move(card->x(), kRestTop);
        return;
    }
    card->move(card->x(), kRaisedTop);
    myturn = false;
    sendMessage(makeMessage(cmd::playcard, myseat, card->slot()));
}

void Tchat::playcard(std::string_view fields)
{
    FieldReader r(fields);
    int s = 0, slot = 0, card = 0;
    if (!r.nextInt(s) || !r.nextInt(slot) || !parseNumber(r.rest(), card))
        return;
    if (!isSeat(s) || !isCard(card))
        return;
    showBidBox(false);
    showPlayed(s, card);
    if (s == myseat) {
        if (CardImage *pic = cardForSlot(slot)) {
            movecards(slot);
            delete pic;
            handCards_[static_cast<std::size_t>(slot)] = nullptr;
        }
    } else {
        drawFan(s, seat(s).cardCount - 1);
    }
    if (ledoffPosition == 0 && windows_ && windows_->lasttrick)
        ledoffPosition = windows_->lasttrick->cardLeft(s);
    for (int i = 1; i <= 4; ++i)
        seat(i).image_trickwinner->hide();
    playsounds("placecard");
}

void Tchat::movecards(int slot)
{
    int p = 1;
    while (p <= kHandSlots && handplaces_[static_cast<std::size_t>(p)] != slot)
        ++p;
    if (p > kHandSlots || slot == 0)
        return;
    handplaces_[static_cast<std::size_t>(p)] = 0;
    for (int q = p + 1; q <= kHandSlots; ++q) {
        CardImage *c = cardAtPlace(q);
        if (!c)
            continue;
        c->move(placeLeft(q - 1), c->y());
        c->raise();
        c->show();
        handplaces_[static_cast<std::size_t>(q - 1)] = handplaces_[static_cast<std::size_t>(q)];
        handplaces_[static_cast<std::size_t>(q)] = 0;
    }
    for (int q = 1; q <= kHandSlots; ++q)
        if (CardImage *c = cardAtPlace(q); c && c->y() != kRestTop)
            c->move(c->x(), kRestTop);
}

void Tchat::needsuit(std::string_view)
{
    myturn = true;
    sortthem();
    playsounds("turnoverbad");
}

void Tchat::trickwinner(std::string_view fields)
{
    FieldReader r(fields);
    int s = 0, tricks = 0;
    if (!r.nextInt(s) || !isSeat(s) || !parseNumber(r.rest(), tricks))
        return;
    for (int i = 1; i <= 4; ++i)
        seat(i).image_turn->hide();
    label_status2->setText(QString());
    Tlasttrick *lt = windows_ ? windows_->lasttrick : nullptr;
    if (s == myseat) {
        label_status1->setText("You won the trick!");
        if (lt)
            lt->label_winner->setText("You won this trick.");
    } else {
        label_status1->setText(seatName(s) + " won the trick.");
        if (lt)
            lt->label_winner->setText(seatName(s) + " won this trick.");
    }
    if (lt) {
        lt->clearCards();
        lt->setTrump(0);
        for (int k = 1; k <= 4; ++k)
            lt->setPlayed(k, seat(k).playedCard);
        lt->setTrump(trumpCardNumber);
        lt->label_ledoff->move(ledoffPosition, lt->label_ledoff->y());
    }
    ledoffPosition = 0;
    seat(s).image_trickwinner->show();
    seat(s).image_trickwinner->raise();
    seat(s).label_tricks->setText(QString::number(tricks));
    if (s == myseat)
        playsounds("taketrick");
    label_turn->setText(QString());
}

} // namespace quillet
