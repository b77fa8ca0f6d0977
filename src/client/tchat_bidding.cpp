// Bidding and trump on the table: the bid box and its checks, the bids as
// they are made, the trump choice panel and the trump display.
#include "client/labelstyle.h"
#include "client/tchat.h"
#include "protocol/cards.h"
#include "protocol/commands.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QLabel>
#include <QLineEdit>

namespace quillet {

void Tchat::mybid(std::string_view fields)
{
    FieldReader r(fields);
    int s = 0, cards = 0, lead = 0, total = 0, last = 0;
    if (!r.nextInt(s) || !r.nextInt(cards) || !r.nextInt(lead) || !r.nextInt(total) || !r.nextInt(last))
        return;
    if (!isSeat(s) || cards < 0 || cards > kHandSlots || !isSeat(lead) || !isSeat(last))
        return;
    label_end->setText(QString());
    bool ok = false;
    if (edit_bid->text().toInt(&ok) > cards && ok)
        edit_bid->setText(QString::number(cards));
    totalSoFar = total;
    lastBidder = last;
    if (s == myseat) {
        label_status2->setText("Your bid..");
        label_turn->setText("Your bid..");
        playsounds("bid");
    } else {
        label_status2->setText(seatName(s) + " Bid..");
        label_turn->setText(seatName(s) + " Bid..");
    }
    for (int i = 1; i <= 4; ++i)
        seat(i).image_turn->hide();
    seat(s).image_turn->show();
    label_firstplay->setText(lead == myseat ? QString("You will play first") : seatName(lead) + " will play first");
    updown_bid->setMaximum(cards);
    maxbid = cards;
    showBidBox(s == myseat);
    if (s == myseat) {
        for (QWidget *w : {static_cast<QWidget *>(label_firstplay), static_cast<QWidget *>(label_yourbid),
                           static_cast<QWidget *>(edit_bid), static_cast<QWidget *>(updown_bid),
                           static_cast<QWidget *>(button_bid)})
            w->raise();
        edit_bid->setFocus();
        edit_bid->selectAll();
    }
}

void Tchat::button_bidClick()
{
    const QString text = edit_bid->text().trimmed();
    int bid = 0;
    if (!parseNumber(text.toStdString(), bid) || bid < 0) {
        messageBox("'" + edit_bid->text() + "' is not a valid bid.");
        return;
    }
    if (bid > maxbid) {
        messageBox("You can't bid more then " + QString::number(maxbid) + ".");
        return;
    }
    if (gameType == "m" && lastBidder == myseat && bid + totalSoFar == cardsPerHand) {
        messageBox("Bids cannot equal the cards in your hand.");
        return;
    }
    if (loggedin)
        sendMessage(makeMessage(cmd::bid, myseat, bid));
    edit_bid->setText("0");
    button_bid->hide();
}

void Tchat::hisbid(std::string_view fields)
{
    FieldReader r(fields);
    int s = 0, bid = 0, total = 0;
    if (!r.nextInt(s) || !r.nextInt(bid) || !parseNumber(r.rest(), total))
        return;
    label_end->setText(QString());
    showBidBox(false);
    if (!isSeat(s))
        return;
    seat(s).label_bid->setText(QString::number(bid));
    setTextColour(seat(s).label_bid, Qt::black);
    setTextColour(seat(s).label_bidlabel, Qt::black);
    label_status2->setText(s == myseat ? "You bid: " + QString::number(bid)
                                       : seatName(s) + " bids: " + QString::number(bid));
    label_totalbids->setText("Total Bids: " + QString::number(total));
    totalBidsShown = total;
    const int cards = cardsPerHand;
    if (total < cards)
        label_overunder->setText("Under -" + QString::number(cards - total));
    else if (total > cards)
        label_overunder->setText("Over +" + QString::number(total - cards));
    else
        label_overunder->setText("Match Bid");
}

void Tchat::nobid(std::string_view fields)
{
    FieldReader r(fields);
    int s = 0;
    if (!r.nextInt(s))
        return;
    if (s == myseat) {
        button_bid->show();
        edit_bid->setText("0");
        messageBox("Total number of bids cannot equal the number of cards dealt");
    }
}

void Tchat::choosetrump(std::string_view fields)
{
    FieldReader r(fields);
    int s = 0;
    if (!r.nextInt(s) || !isSeat(s))
        return;
    chooser = s;
    if (s == myseat) {
        label_status1->setText("Choose the Trump");
        panel_trump->show();
        panel_trump->raise();
    } else {
        label_status1->setText(seatName(s) + " is choosing the Trump.");
    }
    label_turn->setText(QString());
}

void Tchat::selectTrump(int pictureIndex)
{
    // Left to right: clubs, diamonds, spades, hearts, no trump.
    static const int cards[6] = {0, 13, 26, 52, 39, 53};
    if (pictureIndex < 1 || pictureIndex > 5)
        return;
    panel_trump->hide();
    if (chooser == myseat && loggedin)
        sendMessage(makeMessage(cmd::mychoose, myseat, cards[pictureIndex], trailing));
}

void Tchat::trump(std::string_view fields)
{
    int card = 0;
    if (!parseNumber(fields, card) || card < 0 || card > kNoTrumpCard)
        return;
    trumpcard->clear();
    trumpCardNumber = card;
    if (card > 0)
        trumpcard->setPixmap(pictures::card(card));
    panel_trump->hide();
    if (fields == "53")
        label_status1->setText("No Trump");
    else
        label_status1->setText("Trump is " + QString::fromLatin1(suitName(suitOf(card)).data()));
}

} // namespace quillet
