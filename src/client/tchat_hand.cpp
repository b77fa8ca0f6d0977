// The own hand and the cards on the table: the hand row as the model orders
// it, playing a card, the other seats' face-down fans and the trick winner.
#include "client/tchat.h"
#include "protocol/cards.h"
#include "windows/sidewindows.h"
#include "windows/tlasttrick.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QLabel>

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
    return cardForSlot(model_.handplaces()[static_cast<std::size_t>(place)]);
}

void Tchat::showHand()
{
    // One picture per card of the model's hand, resting at its place; every
    // card stays in front of its left neighbour.
    for (int slot = 1; slot <= kHandSlots; ++slot) {
        CardImage *&pic = handCards_[static_cast<std::size_t>(slot)];
        if (pic && pic->card() != model_.cardAt(slot)) {
            delete pic;
            pic = nullptr;
        }
    }
    for (int p = 1; p <= kHandSlots; ++p) {
        const int slot = model_.handplaces()[static_cast<std::size_t>(p)];
        if (slot == 0)
            continue;
        CardImage *&pic = handCards_[static_cast<std::size_t>(slot)];
        if (!pic) {
            pic = new CardImage(slot, model_.cardAt(slot), panel_main);
            CardImage *created = pic;
            pic->onPress = [this, created](Qt::MouseButton b) { cardimagesMouseDown(created, b); };
            pic->show();
        }
        pic->move(placeLeft(p), kRestTop);
        pic->raise();
    }
}

void Tchat::sortthem()
{
    model_.sortthem();
    showHand();
}

void Tchat::drawFan(int s)
{
    const int count = model_.faceDown(s);
    SeatPanel &sp = seat(s);
    sp.image_cards->clear();
    if (count <= 0)
        return;
    sp.image_cards->resize(5 * std::min(count, kHandSlots) + 66, 96);
    sp.image_cards->setPixmap(pictures::fan(count));
}

void Tchat::placecard(const toTable::PlaceCard &m)
{
    if (!model_.placecard(m))
        return;
    seat(m.seat).image_cards->clear();
    seat(m.seat).image_played->clear();
    if (m.seat == model_.myseat())
        showHand();
    else
        drawFan(m.seat);
}

void Tchat::cardimagesMouseDown(CardImage *card, Qt::MouseButton button)
{
    if (!card)
        return;
    clearHint();
    if (button == Qt::RightButton) {
        sortthem();
        return;
    }
    if (button != Qt::LeftButton || !model_.loggedin() || !model_.myturn())
        return;
    if (card->y() == kRaisedTop) {
        card->move(card->x(), kRestTop);
        return;
    }
    if (!model_.cardSent(card->slot()))
        return;
    card->move(card->x(), kRaisedTop);
    send(toServer::PlayCard{model_.myseat(), card->slot()});
}

void Tchat::showPlayed(int s, int card)
{
    SeatPanel &sp = seat(s);
    sp.image_played->clear();
    sp.image_played->setPixmap(pictures::card(card));
    sp.image_played->raise();
}

void Tchat::playcard(const toTable::PlayCard &m)
{
    if (!model_.playcard(m))
        return;
    showBidBox(false);
    showPlayed(m.seat, m.card);
    if (m.seat == model_.myseat())
        showHand();
    else
        drawFan(m.seat);
    for (int i = 1; i <= kSeats; ++i)
        seat(i).image_trickwinner->hide();
    playsounds("placecard");
}

void Tchat::needsuit(const toTable::NeedSuit &m)
{
    if (!model_.needsuit(m))
        return;
    showHand();
    playsounds("turnoverbad");
}

void Tchat::trickwinner(const toTable::TrickWinner &m)
{
    const int leader = model_.currentTrick().leader;
    if (!model_.trickwinner(m))
        return;
    for (int i = 1; i <= kSeats; ++i)
        seat(i).image_turn->hide();
    label_status2->setText(QString());
    const bool mine = m.seat == model_.myseat();
    label_status1->setText(mine ? QString("You won the trick!") : seatName(m.seat) + " won the trick.");
    if (Tlasttrick *lt = windows_ ? windows_->lasttrick : nullptr) {
        lt->label_winner->setText(mine ? QString("You won this trick.") : seatName(m.seat) + " won this trick.");
        lt->clearCards();
        lt->setTrump(0);
        for (int k = 1; k <= kSeats; ++k)
            lt->setPlayed(k, model_.played(k));
        lt->setTrump(model_.trumpcard());
        // "LED OFF" goes over the card of the seat that led the trick.
        lt->label_ledoff->move(leader ? lt->cardLeft(leader) : 0, lt->label_ledoff->y());
    }
    seat(m.seat).image_trickwinner->show();
    seat(m.seat).image_trickwinner->raise();
    seat(m.seat).label_tricks->setText(QString::number(m.tricks));
    if (mine)
        playsounds("taketrick");
    label_turn->setText(QString());
}

} // namespace quillet
