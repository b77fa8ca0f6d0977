// The own hand and the cards on the table: the hand row as the model orders
// it, playing a card, the other seats' face-down fans and the trick winner.
#include "client/tablelayout.h"
#include "client/tablemotion.h"
#include "client/tchat.h"
#include "protocol/cards.h"
#include "windows/sidewindows.h"
#include "windows/tlasttrick.h"
#include "ui/designgeometry.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QLabel>
#include <QTimer>

namespace quillet {

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
        pic->raised = false;
        design::move(pic, QPoint(layout::handLeft(p), layout::kHandTop));
        pic->raise();
    }
    if (selectedPlace_ > model_.handSize())
        selectedPlace_ = model_.handSize();
    refreshHandLooks();
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
    sp.image_cards->showFan(count);
}

void Tchat::placecard(const toTable::PlaceCard &m)
{
    if (!model_.placecard(m))
        return;
    seat(m.seat).image_cards->clear();
    seat(m.seat).image_played->clear();
    if (m.seat == model_.myseat()) {
        selectedPlace_ = 0;
        hintedSlot_ = 0;
        showHand();
    } else {
        drawFan(m.seat);
    }
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
    if (card->raised) {
        card->raised = false;
        design::move(card, QPoint(design::rect(card).x(), layout::kHandTop));
        return;
    }
    if (!model_.cardSent(card->slot()))
        return;
    card->raised = true;
    design::move(card, QPoint(design::rect(card).x(), layout::kHandRaisedTop));
    send(toServer::PlayCard{model_.myseat(), card->slot()});
    refreshHandLooks();
}

void Tchat::showPlayed(int s, int card)
{
    SeatPanel &sp = seat(s);
    sp.image_played->showCard(card);
    sp.image_played->setAccessibleName(seatName(s) + " played " + pictures::cardName(card));
    sp.image_played->raise();
}

void Tchat::playcard(const toTable::PlayCard &m)
{
    // Where the card comes from: the own card's place in the hand, else the seat's fan.
    QRect from = design::rect(seat(m.seat).image_cards);
    if (m.seat == model_.myseat())
        if (CardImage *own = cardForSlot(m.slot))
            from = design::rect(own);
    if (!model_.playcard(m))
        return;
    showBidBox(false);
    showPlayed(m.seat, m.card);
    motion_->glideIn(seat(m.seat).image_played, QRect(from.topLeft(), layout::kCard));
    if (m.seat == model_.myseat()) {
        if (label_status1->text() == QLatin1String("You must follow suit."))
            label_status1->setText(QString());
        showHand();
    } else {
        drawFan(m.seat);
    }
    for (int i = 1; i <= kSeats; ++i)
        seat(i).image_trickwinner->hide();
    playsounds("placecard");
}

void Tchat::needsuit(const toTable::NeedSuit &m)
{
    if (!model_.needsuit(m))
        return;
    showHand();
    label_status1->setText("You must follow suit.");
    announce("You must follow suit.");
    outlinePlayable();
    playsounds("turnoverbad");
}

void Tchat::outlinePlayable()
{
    const auto playable = model_.playableSlots();
    for (int slot : playable)
        if (CardImage *c = cardForSlot(slot))
            c->setOutlined(true);
    outlineTimer_->start();
}

void Tchat::clearTrick(int winner)
{
    // The cards go at once; a copy of each glides to the seat that took them.
    for (int s = 1; s <= kSeats; ++s) {
        TablePicture *played = seat(s).image_played;
        if (!played->isEmpty() && isSeat(winner))
            motion_->glideAway(played, design::rect(seat(winner).image_trickwinner));
        played->clear();
        played->setAccessibleName(QString());
    }
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
    announce(label_status1->text());
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
    // The winning card is marked while the trick stays on the table.
    if (TablePicture *won = seat(m.seat).image_played; !won->isEmpty()) {
        won->setRinged(true);
        won->raise();
    }
    seat(m.seat).image_trickwinner->show();
    seat(m.seat).image_trickwinner->raise();
    seat(m.seat).label_tricks->setText(QString::number(m.tricks));
    if (mine)
        playsounds("taketrick");
    label_turn->setText(QString());
}

} // namespace quillet
