// The frame of a game on the table: starting a game, each round's start,
// posting the scores and the end of the game. Also the relayed chat, sounds
// and watching marks, which the dispatcher hands over.
#include "client/labelstyle.h"
#include "client/tchat.h"
#include "protocol/cards.h"
#include "protocol/commands.h"
#include "windows/sidewindows.h"
#include "windows/tgamestart.h"
#include "windows/tlasttrick.h"
#include "windows/tscore.h"
#include "windows/ttallylist.h"
#include "ui/kit.h"

#include <QAction>
#include <QLabel>

namespace quillet {

namespace {

QString fromWire(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QString typeWord(const QString &letter)
{
    if (letter == "h")
        return "HALF";
    if (letter == "f")
        return "FULL";
    return "VALE";
}


} // namespace

QStringList Tchat::seatNames() const
{
    QStringList names;
    for (int s = 1; s <= 4; ++s)
        names << seatName(s);
    return names;
}

void Tchat::StartHalfGame1Click()
{
    if (!loggedin) {
        messageBox("You are not connected.");
        return;
    }
    if (windows_ && windows_->gamestart) {
        windows_->gamestart->show();
        windows_->gamestart->raise();
    }
}

void Tchat::startGameWith(const QString &letter)
{
    if (loggedin)
        sendMessage(makeMessage(cmd::startgame, myname.toStdString(), letter.toStdString(), trailing));
    saveinifile();
}

void Tchat::setGameType(const QString &letter)
{
    gameType = letter;
    if (windows_ && windows_->score)
        windows_->score->setscorecard(letter);
    label_gametype->setText(typeWord(letter) + " Game");
}

void Tchat::startthegame(std::string_view fields)
{
    FieldReader r(fields);
    const QString starter = fromWire(r.next());
    const QString letter = fromWire(r.next());
    panel_trump->hide();
    if (windows_ && windows_->lasttrick && ltontop->isChecked())
        windows_->lasttrick->show();
    if (windows_ && windows_->score && scontop->isChecked())
        windows_->score->show();
    JustWatch1->setChecked(false);
    button_start->hide();
    for (int s = 1; s <= 4; ++s) {
        SeatPanel &sp = seat(s);
        sp.label_score->setText("0");
        sp.label_bid->setText("0");
        sp.image_cards->clear();
        sp.cardCount = 0;
        sp.image_winner->hide();
        if (sp.label_playername->text() == "<Waiting>")
            sp.label_playername->setText(defaultnames[s]);
        sp.image_eyes->hide();
        if (windows_ && windows_->score) {
            windows_->score->setCell(0, s, sp.label_playername->text());
            for (int row = 1; row < Tscore::kRows; ++row)
                if (windows_->score->cell(row, s) != "--")
                    windows_->score->setCell(row, s, QString());
        }
    }
    clearHand();
    myturn = false;
    ledoffPosition = 0;
    setGameType(letter);
    if (starter == myname)
        systemLine("You have started a " + typeWord(letter) + " game.");
    else
        systemLine(starter + " has started a " + typeWord(letter) + " game.");
    loadchecklist();
    if (windows_ && windows_->lasttrick)
        windows_->lasttrick->updatenames(seatNames());
}

void Tchat::startround(std::string_view fields)
{
    FieldReader r(fields);
    int round = 0, dealer = 0, cards = 0;
    if (!r.nextInt(round) || !r.nextInt(dealer) || !r.nextInt(cards))
        return;
    if (round < 0 || round > 24 || cards < 0 || cards > kHandSlots)
        return;
    if (windows_ && windows_->score && !scontop->isChecked())
        windows_->score->hide();
    label_round->setText("Round: " + QString::number(round));
    label_cards->setText("Num Of Cards: " + QString::number(cards));
    label_totalbids->setText("Total Bids: 0");
    totalBidsShown = 0;
    cardsPerHand = cards;
    trumpcard->clear();
    trumpCardNumber = 0;
    scoreround = round;
    label_status1->setText(QString());
    for (int s = 1; s <= 4; ++s) {
        SeatPanel &sp = seat(s);
        sp.image_cards->clear();
        sp.cardCount = 0;
        sp.label_bid->setText("0");
        sp.label_tricks->setText("0");
        setTextColour(sp.label_bid, kNotYetBid);
        setTextColour(sp.label_bidlabel, kNotYetBid);
        sp.image_played->clear();
        sp.playedCard = 0;
        sp.image_trickwinner->hide();
        sp.image_thumb->hide();
    }
    clearHand();
    myturn = false;
    ledoffPosition = 0;
    if (windows_ && windows_->lasttrick) {
        Tlasttrick *lt = windows_->lasttrick;
        lt->clearCards();
        lt->label_winner->setText("New Round");
        lt->setTrump(0);
        lt->updatenames(seatNames());
    }
}

void Tchat::scoreit(std::string_view fields)
{
    struct Triple {
        int seat, total;
        std::string_view round;
        int roundScore;
    };
    FieldReader r(fields);
    Triple triples[4];
    for (Triple &t : triples) {
        if (!r.nextInt(t.seat) || !isSeat(t.seat) || !r.nextInt(t.total))
            return;
        t.round = r.next();
        if (!parseNumber(t.round, t.roundScore))
            return;
    }
    const int totalRow = endRound(gameType.toStdString());
    for (const Triple &t : triples) {
        seat(t.seat).label_score->setText(QString::number(t.total));
        if (windows_ && windows_->score) {
            if (totalRow > 0)
                windows_->score->setCell(totalRow, t.seat, QString::number(t.total));
            if (scoreround >= 1 && scoreround < Tscore::kRows)
                windows_->score->setCell(scoreround, t.seat, fromWire(t.round));
        }
        if (t.seat == myseat) {
            if (t.round != "0") {
                playsounds("turnovergood");
                label_end->setText("You Made your Bid!");
            } else {
                playsounds("turnoverbad");
                label_end->setText("You did not make your Bid!");
            }
            label_end->show();
        }
        if (t.round != "0") {
            seat(t.seat).image_thumb->show();
            seat(t.seat).image_thumb->raise();
        }
    }
    if (ShowScorecard1->isChecked() && windows_ && windows_->score) {
        windows_->score->updatenames(seatNames());
        windows_->score->show();
    }
    label_status1->setText("Round Over");
    label_status2->setText("Posting Scores..");
    label_turn->setText(QString());
}

void Tchat::winner(std::string_view fields)
{
    // The winning score follows the last '+': names may hold anything else.
    const std::size_t plus = fields.rfind('+');
    if (plus == std::string_view::npos)
        return;
    int best = 0;
    if (!parseNumber(fields.substr(plus + 1), best))
        return;
    const QString names = fromWire(fields.substr(0, plus));
    label_status1->setText(names + " won the game.");
    label_status2->setText("Winning Score: " + QString::number(best));
    label_end->setText("Game Over!");
    label_end->show();
    // A seat won when its total is the winning score; a name that merely
    // contains another ("Al" in "Alice") proves nothing.
    for (int s = 1; s <= 4; ++s) {
        SeatPanel &sp = seat(s);
        sp.image_thumb->hide();
        if (sp.label_score->text() == QString::number(best)) {
            sp.image_winner->show();
            sp.image_winner->raise();
        }
        sp.image_cards->clear();
        sp.cardCount = 0;
    }
    bool iWon = false;
    if (isSeat(myseat))
        iWon = seat(myseat).label_score->text() == QString::number(best);
    else
        iWon = names.split(" and ").contains(myname);
    if (windows_ && windows_->tally) {
        if (iWon) {
            windows_->tally->addgame(names, true);
            windows_->tally->addtomine(2);
        } else {
            windows_->tally->addgame(names, false);
        }
    }
    if (iWon)
        playsounds("winner");
    if (hosting) {
        button_start->show();
        button_start->raise();
        StartHalfGame1->setEnabled(true);
    }
    myturn = false;
}

} // namespace quillet
