// The four seats around the table: their panels, the rotation that puts the
// own seat at the bottom, the names, the turn display and the late-login
// restore.
#include "client/labelstyle.h"
#include "client/tchat.h"
#include "client/wiretext.h"
#include "protocol/cards.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QLabel>

namespace quillet {

namespace {

struct Pos {
    int x, y;
};
// Top-left corners by screen position 1 bottom, 2 left, 3 top, 4 right.
constexpr Pos kName[5] = {{}, {122, 298}, {39, 102}, {147, 3}, {376, 64}};
constexpr Pos kScore[5] = {{}, {170, 321}, {89, 125}, {196, 28}, {425, 85}};
constexpr Pos kTricks[5] = {{}, {170, 337}, {89, 141}, {196, 43}, {425, 102}};
constexpr Pos kBid[5] = {{}, {170, 353}, {89, 157}, {196, 59}, {425, 119}};
constexpr Pos kBidLabel[5] = {{}, {130, 353}, {49, 157}, {156, 59}, {385, 119}};
constexpr Pos kCards[5] = {{}, {208, 320}, {48, 176}, {227, 27}, {385, 136}};
constexpr Pos kPlayed[5] = {{}, {235, 174}, {195, 158}, {219, 133}, {259, 150}};
constexpr Pos kTurn[5] = {{}, {100, 321}, {18, 125}, {127, 27}, {355, 88}};
constexpr Pos kEyes[5] = {{}, {103, 301}, {23, 106}, {130, 8}, {359, 69}};
constexpr Pos kWinner[5] = {{}, {200, 320}, {40, 176}, {219, 32}, {384, 136}};
constexpr Pos kThumb[5] = {{}, {216, 328}, {48, 184}, {232, 40}, {392, 152}};
constexpr Pos kTrickWinner[5] = {{}, {144, 368}, {120, 128}, {182, 75}, {352, 136}};

QLabel *seatLabel(QWidget *parent, const QString &text, Pos p, int w, int h, int px, bool bold,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->setGeometry(p.x, p.y, w, h);
    QFont f = l->font();
    f.setPixelSize(px);
    f.setBold(bold);
    l->setFont(f);
    l->setAlignment(align);
    return l;
}

QLabel *picture(QWidget *parent, Pos p, const QPixmap &pm, int w, int h)
{
    auto *l = new QLabel(parent);
    l->setGeometry(p.x, p.y, w, h);
    l->setScaledContents(true);
    if (!pm.isNull())
        l->setPixmap(pm);
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
    for (int p = 1; p <= 4; ++p) {
        SeatPanel &sp = seats_[static_cast<std::size_t>(p)];
        sp.position = p;
        sp.captionScore = seatLabel(panel_main, "Score", {kScore[p].x - 40, kScore[p].y}, 40, 16, 12, false);
        sp.captionTricks = seatLabel(panel_main, "Tricks", {kTricks[p].x - 40, kTricks[p].y}, 40, 16, 12, false);
        sp.captionScore->setObjectName(QStringLiteral("label_scorecaption%1").arg(p));
        sp.captionTricks->setObjectName(QStringLiteral("label_trickscaption%1").arg(p));
        sp.image_cards = picture(panel_main, kCards[p], QPixmap(), 71, 96);
        sp.image_cards->setScaledContents(false);
        sp.image_played = picture(panel_main, kPlayed[p], QPixmap(), 71, 96);
        sp.label_playername = seatLabel(panel_main, "<Waiting>", kName[p], 90, 22, 19, true);
        sp.label_score = seatLabel(panel_main, "0", kScore[p], 40, 16, 13, true);
        sp.label_tricks = seatLabel(panel_main, "0", kTricks[p], 40, 16, 13, false);
        sp.label_bid = seatLabel(panel_main, "0", kBid[p], 40, 16, 13, true);
        sp.label_bidlabel = seatLabel(panel_main, "Bid", kBidLabel[p], 40, 16, 12, false);
        sp.image_turn = picture(panel_main, kTurn[p], pictures::mark(pictures::Mark::Turn), 27, 44);
        sp.image_eyes = picture(panel_main, kEyes[p], pictures::mark(pictures::Mark::Eyes), 24, 17);
        sp.image_winner = picture(panel_main, kWinner[p], pictures::mark(pictures::Mark::Winner), 82, 88);
        sp.image_thumb = picture(panel_main, kThumb[p], pictures::mark(pictures::Mark::Thumb), 53, 66);
        sp.image_trickwinner =
            picture(panel_main, kTrickWinner[p], pictures::mark(pictures::Mark::TrickStack), 32, 41);
        // A name label longer than its box still shows whole.
        sp.label_playername->setMinimumWidth(90);
        sp.label_playername->adjustSize();
        sp.label_playername->resize(std::max(90, sp.label_playername->width()), 22);
        for (QLabel *l : {sp.image_turn, sp.image_eyes, sp.image_winner, sp.image_thumb, sp.image_trickwinner})
            l->hide();
        for (QLabel *l : {sp.label_playername, sp.label_score, sp.label_tricks, sp.label_bid, sp.label_bidlabel,
                          sp.captionScore, sp.captionTricks})
            setTextColour(l, Qt::black);
        setTextColour(sp.label_bid, kNotYetBid);
        setTextColour(sp.label_bidlabel, kNotYetBid);
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
    for (int i = 1; i <= kSeats; ++i) {
        if (m.newTrick)
            seat(i).image_played->clear();
        seat(i).image_turn->hide();
    }
    seat(m.seat).image_turn->show();
    seat(m.seat).image_turn->raise();
    if (model_.myturn()) {
        label_turn->setText("Your Turn.");
        label_status2->setText("Your Turn");
        playsounds(TurnSound1Tag == 1 ? "turnnew" : "turn");
    } else {
        label_turn->setText(seatName(m.seat) + "'s turn.");
        label_status2->setText(seatName(m.seat) + "'s turn.");
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
