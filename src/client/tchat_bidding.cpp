// Bidding and trump on the table: the bid box, the bids as they are made,
// the trump choice panel and the trump display. The checks of a bid are the
// model's.
#include "client/labelstyle.h"
#include "client/tchat.h"
#include "protocol/cards.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QLabel>
#include <QLineEdit>

namespace quillet {

void Tchat::mybid(const toTable::Bid &m)
{
    if (!model_.mybid(m))
        return;
    const bool mine = m.seat == model_.myseat();
    label_end->setText(QString());
    bool ok = false;
    if (edit_bid->text().toInt(&ok) > m.numcards && ok)
        edit_bid->setText(QString::number(m.numcards));
    const QString asking = mine ? QString("Your bid..") : seatName(m.seat) + " Bid..";
    label_status2->setText(asking);
    label_turn->setText(asking);
    if (mine)
        playsounds("bid");
    for (int i = 1; i <= kSeats; ++i)
        seat(i).image_turn->hide();
    seat(m.seat).image_turn->show();
    label_firstplay->setText(m.first == model_.myseat() ? QString("You will play first")
                                                        : seatName(m.first) + " will play first");
    updown_bid->setMaximum(m.numcards);
    showBidBox(mine);
    if (mine) {
        for (QWidget *w : {static_cast<QWidget *>(label_firstplay), static_cast<QWidget *>(label_yourbid),
                           static_cast<QWidget *>(edit_bid), static_cast<QWidget *>(updown_bid),
                           static_cast<QWidget *>(button_bid)})
            w->raise();
        giveBidBoxTheKeys();
    }
    announce(asking);
}

void Tchat::button_bidClick()
{
    const BidCheck check = model_.checkBid(edit_bid->text().toStdString());
    if (!check.ok) {
        messageBox(QString::fromStdString(check.refusal));
        return;
    }
    if (model_.loggedin())
        send(toServer::Bid{model_.myseat(), check.bid});
    edit_bid->setText("0");
    const bool hadKeys = holdsKeys(edit_bid);
    button_bid->hide();
    if (hadKeys)
        focusTable();
}

void Tchat::hisbid(const toTable::HisBid &m)
{
    label_end->setText(QString());
    showBidBox(false);
    if (!model_.hisbid(m))
        return;
    const QString bid = QString::number(m.bid);
    seat(m.seat).label_bid->setText(bid);
    setTextColour(seat(m.seat).label_bid, layout::kFeltText);
    setTextColour(seat(m.seat).label_bidlabel, layout::kFeltText);
    label_status2->setText(m.seat == model_.myseat() ? "You bid: " + bid : seatName(m.seat) + " bids: " + bid);
    announce(label_status2->text());
    label_totalbids->setText("Total Bids: " + QString::number(model_.totalBids()));
    const int over = model_.totalBids() - model_.cardsPerHand();
    if (over < 0)
        label_overunder->setText("Under -" + QString::number(-over));
    else if (over > 0)
        label_overunder->setText("Over +" + QString::number(over));
    else
        label_overunder->setText("Match Bid");
}

void Tchat::nobid(const toTable::NoBid &m)
{
    if (m.seat != model_.myseat())
        return;
    button_bid->show();
    edit_bid->setText("0");
    messageBox("Total number of bids cannot equal the number of cards dealt");
    giveBidBoxTheKeys();
}

void Tchat::choosetrump(const toTable::ChooseTrump &m)
{
    if (!model_.choosetrump(m))
        return;
    if (m.seat == model_.myseat()) {
        label_status1->setText("Choose the Trump");
        panel_trump->show();
        panel_trump->raise();
        selectTrumpChoice(1);
        if (!chatTakesKeys())
            panel_trump->setFocus(Qt::OtherFocusReason);
    } else {
        label_status1->setText(seatName(m.seat) + " is choosing the Trump.");
    }
    announce(label_status1->text());
    label_turn->setText(QString());
}

void Tchat::selectTrump(int pictureIndex)
{
    if (pictureIndex < 1 || pictureIndex > 5)
        return;
    clearHint();
    const bool hadKeys = holdsKeys(panel_trump);
    panel_trump->hide();
    if (hadKeys)
        focusTable();
    if (model_.chooser() == model_.myseat() && model_.loggedin())
        send(toServer::MyChoose{model_.myseat(), kTrumpChoices[pictureIndex]});
}

void Tchat::showTrumpCard()
{
    trumpcard->clear();
    if (model_.trumpcard() > 0)
        trumpcard->showCard(model_.trumpcard());
    trumpcard->setAccessibleName("Trump card: " +
                                 (model_.trumpcard() > 0 ? pictures::cardName(model_.trumpcard()) : QString("none")));
}

void Tchat::trump(const toTable::Trump &m)
{
    if (!model_.trump(m))
        return;
    showTrumpCard();
    if (holdsKeys(panel_trump))
        focusTable();
    panel_trump->hide();
    if (m.card == kNoTrumpCard)
        label_status1->setText("No Trump");
    else
        label_status1->setText("Trump is " + QString::fromLatin1(suitName(suitOf(m.card)).data()));
    announce(label_status1->text());
}

} // namespace quillet
