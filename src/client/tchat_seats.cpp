// The four seats around the table: their panels, the rotation that puts the
// own seat at the bottom, the names, the turn display and the late-login
// restore.
#include "client/labelstyle.h"
#include "client/tchat.h"
#include "client/wiretext.h"
#include "protocol/cards.h"
#include "client/tablelayout.h"
#include "ui/designgeometry.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QLabel>

namespace quillet {

namespace {

TableLabel *seatLabel(QWidget *parent, const QString &text, QRect rect, int px, bool bold,
                      const QColor &colour, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *l = new TableLabel(text, parent);
    design::place(l, rect);
    design::setFont(l, px, bold);
    setTextColour(l, colour);
    l->setAlignment(align);
    return l;
}

TablePicture *picture(QWidget *parent, QPoint p, QSize size)
{
    auto *l = new TablePicture(parent);
    design::place(l, QRect(p, size));
    return l;
}

TablePicture *markPicture(QWidget *parent, QPoint p, pictures::Mark m, QSize size, const QString &name)
{
    TablePicture *l = picture(parent, p, size);
    l->showMark(m);
    l->setAccessibleName(name);
    l->hide();
    return l;
}

const char *const kFamilies[] = {"label_playername", "label_score", "label_tricks", "label_bid",
                                 "label_bidlabel", "image_cards", "image_played", "image_turn",
                                 "image_eyes", "image_winner", "image_thumb", "image_trickwinner"};

// Every control of a panel is named by its family and the seat it shows.
void nameSeatControls(SeatPanel &sp, int seat)
{
    QLabel *controls[] = {sp.label_playername, sp.label_score, sp.label_tricks, sp.label_bid,
                          sp.label_bidlabel, sp.image_cards, sp.image_played, sp.image_turn,
                          sp.image_eyes, sp.image_winner, sp.image_thumb, sp.image_trickwinner};
    for (std::size_t f = 0; f < std::size(kFamilies); ++f)
        controls[f]->setObjectName(QString::fromLatin1(kFamilies[f]) + QString::number(seat));
}

} // namespace

void Tchat::buildSeatPanels()
{
    using namespace layout;
    for (int p = 1; p <= 4; ++p) {
        SeatPanel &sp = seats_[static_cast<std::size_t>(p)];
        sp.position = p;
        const QPoint caption(kCaptionGap, 0);
        sp.captionScore = seatLabel(panel_main, "Score", QRect(kScore[p] - caption, kCaption), 12, false, kFeltCaption);
        sp.captionTricks =
            seatLabel(panel_main, "Tricks", QRect(kTricks[p] - caption, kCaption), 12, false, kFeltCaption);
        sp.captionScore->setObjectName(QStringLiteral("label_scorecaption%1").arg(p));
        sp.captionTricks->setObjectName(QStringLiteral("label_trickscaption%1").arg(p));
        sp.image_cards = picture(panel_main, kCards[p], kCard);
        sp.image_played = picture(panel_main, kPlayed[p], kCard);
        sp.label_playername = seatLabel(panel_main, "<Waiting>", QRect(kName[p], QSize(kNameWidth[p], 22)), 19, true,
                                        kFeltText);
        sp.label_score = seatLabel(panel_main, "0", QRect(kScore[p], kValue), 13, true, kFeltText);
        sp.label_tricks = seatLabel(panel_main, "0", QRect(kTricks[p], kValue), 13, false, kFeltText);
        sp.label_bid = seatLabel(panel_main, "0", QRect(kBid[p], kValue), 13, true, kNotYetBid);
        sp.label_bidlabel = seatLabel(panel_main, "Bid", QRect(kBidLabel[p], kCaption), 12, false, kNotYetBid);
        sp.image_turn = markPicture(panel_main, kTurn[p], pictures::Mark::Turn, QSize(27, 44), "Turn");
        sp.image_eyes = markPicture(panel_main, kEyes[p], pictures::Mark::Eyes, QSize(24, 17), "Just watching");
        sp.image_winner = markPicture(panel_main, kWinner[p], pictures::Mark::Winner, QSize(82, 88), "Winner");
        sp.image_thumb = markPicture(panel_main, kThumb[p], pictures::Mark::Thumb, QSize(53, 66), "Made the bid");
        sp.image_trickwinner =
            markPicture(panel_main, kTrickWinner[p], pictures::Mark::TrickStack, QSize(32, 41), "Took the trick");
    }
    // Names carry the seat number they show; before login that is the position.
    for (int s = 1; s <= 4; ++s)
        nameSeatControls(seats_[static_cast<std::size_t>(s)], s);
}

void Tchat::sortstuff(int slot)
{
    // Seat 1 and watchers see seat 1 at the bottom.
    const int bottom = isSeat(slot) ? slot : 1;
    // Each panel knows its place, so a table moved to another seat (a player
    // given his own seat back) turns again from wherever it stands.
    std::array<SeatPanel, 5> byPosition;
    for (int s = 1; s <= 4; ++s)
        byPosition[static_cast<std::size_t>(seats_[static_cast<std::size_t>(s)].position)] =
            seats_[static_cast<std::size_t>(s)];
    // Seat s sits at offset (s - myseat) mod 4 from the bottom.
    for (int s = 1; s <= 4; ++s) {
        const int position = ((s - bottom) % 4 + 4) % 4 + 1;
        seats_[static_cast<std::size_t>(s)] = byPosition[static_cast<std::size_t>(position)];
        nameSeatControls(seats_[static_cast<std::size_t>(s)], s);
    }
}

QString Tchat::seatName(int s) const { return fromWire(model_.name(s)); }

void Tchat::showNames()
{
    for (int s = 1; s <= kSeats; ++s)
        seat(s).label_playername->setText(seatName(s));
}

void Tchat::getnextplayer(const toTable::NextPlayer &m)
{
    if (!model_.getnextplayer(m))
        return;
    for (int i = 1; i <= kSeats; ++i)
        seat(i).image_turn->hide();
    if (m.newTrick)
        clearTrick(model_.roundTricks().empty() ? 0 : model_.roundTricks().back().winner);
    seat(m.seat).image_turn->show();
    seat(m.seat).image_turn->raise();
    if (model_.myturn()) {
        label_turn->setText("Your Turn.");
        label_status2->setText("Your Turn");
        playsounds(TurnSound1Tag == 1 ? "turnnew" : "turn");
        announce("Your turn.");
    } else {
        label_turn->setText(seatName(m.seat) + "'s turn.");
        label_status2->setText(seatName(m.seat) + "'s turn.");
        announce(seatName(m.seat) + "'s turn.");
    }
}

void Tchat::newplayerstuff(const toTable::NewPlayerStuff &m)
{
    if (!model_.newplayerstuff(m))
        return;
    seat(m.seat).label_bid->setText(QString::number(m.bid));
    seat(m.seat).label_tricks->setText(QString::number(m.tricks));
    seat(m.seat).label_score->setText(QString::number(m.score));
    for (int s = 1; s <= kSeats; ++s)
        if (const int card = m.played[static_cast<std::size_t>(s)]; isCard(card))
            showPlayed(s, card);
}

void Tchat::stats(const toTable::Stats &m)
{
    if (!model_.stats(m))
        return;
    label_round->setText("Round: " + QString::number(m.round));
    // The round start was missed: the hand size comes from the schedule.
    label_cards->setText("Num Of Cards: " + QString::number(model_.cardsPerHand()));
    showTrumpCard();
    setGameType(m.type);
    showNames();
    for (int s = 1; s <= kSeats; ++s)
        drawFan(s);
}

} // namespace quillet
