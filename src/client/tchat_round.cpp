// The frame of a game on the table: starting a game, each round's start,
// posting the scores and the end of the game.
#include "client/labelstyle.h"
#include "client/tchat.h"
#include "client/wiretext.h"
#include "protocol/cards.h"
#include "windows/sidewindows.h"
#include "windows/tgamestart.h"
#include "windows/tlasttrick.h"
#include "windows/tscore.h"
#include "windows/ttallylist.h"
#include "ui/kit.h"

#include <QAction>
#include <QLineEdit>
#include <QLabel>

namespace quillet {

namespace {

QString typeWord(GameType type)
{
    switch (type) {
    case GameType::half: return "HALF";
    case GameType::full: return "FULL";
    case GameType::vale: break;
    }
    return "VALE";
}


} // namespace

QStringList Tchat::seatNames() const
{
    QStringList names;
    for (int s = 1; s <= kSeats; ++s)
        names << seatName(s);
    return names;
}

void Tchat::StartHalfGame1Click()
{
    if (!model_.loggedin()) {
        messageBox("You are not connected.");
        return;
    }
    if (gameRunning() && !confirmLosingGame("A game is running. Start a new game and end this one?"))
        return;
    if (windows_ && windows_->gamestart) {
        windows_->gamestart->show();
        windows_->gamestart->raise();
    }
}

void Tchat::startGameWith(const QString &letter)
{
    const auto type = gameTypeFromLetter(toWire(letter));
    if (model_.loggedin() && type)
        send(toServer::StartGame{model_.myname(), *type});
    saveinifile();
}

void Tchat::setGameType(GameType type)
{
    if (windows_ && windows_->score)
        windows_->score->setscorecard(QString(QLatin1Char(letterOf(type))));
    label_gametype->setText(typeWord(type) + " Game");
}

void Tchat::resetGameLabels()
{
    // Nothing of the game before stays on the table.
    label_round->setText("Round: 0");
    label_cards->setText("Num of Cards: 0");
    label_totalbids->setText("Total Bids: 0");
    label_turn->setText("Good Luck!");
    label_overunder->setText("Over +0");
    label_end->setText(QString());
    label_status1->setText(QString());
    label_status2->setText(QString());
    trumpcard->clear();
    showBidBox(false);
    for (int s = 1; s <= kSeats; ++s) {
        SeatPanel &sp = seat(s);
        sp.label_tricks->setText("0");
        setTextColour(sp.label_bid, kNotYetBid);
        setTextColour(sp.label_bidlabel, kNotYetBid);
        sp.image_played->clear();
        sp.image_turn->hide();
        sp.image_thumb->hide();
        sp.image_trickwinner->hide();
    }
}

void Tchat::startthegame(const toTable::StartGame &m)
{
    model_.startthegame(m);
    resetGameLabels();
    panel_trump->hide();
    if (windows_ && windows_->lasttrick && ltontop->isChecked())
        windows_->lasttrick->show();
    if (windows_ && windows_->score && scontop->isChecked())
        windows_->score->show();
    JustWatch1->setChecked(false);
    button_start->hide();
    showNames();
    for (int s = 1; s <= kSeats; ++s) {
        SeatPanel &sp = seat(s);
        sp.label_score->setText("0");
        sp.label_bid->setText("0");
        sp.image_cards->clear();
        sp.image_winner->hide();
        sp.image_eyes->hide();
        if (windows_ && windows_->score) {
            windows_->score->setCell(0, s, seatName(s));
            for (int row = 1; row < Tscore::kRows; ++row)
                if (windows_->score->cell(row, s) != "--")
                    windows_->score->setCell(row, s, QString());
        }
    }
    showHand();
    setGameType(m.type);
    if (m.name == model_.myname())
        systemLine("You have started a " + typeWord(m.type) + " game.");
    else
        systemLine(fromWire(m.name) + " has started a " + typeWord(m.type) + " game.");
    tellComputerLevel();
    loadchecklist();
    if (windows_ && windows_->lasttrick)
        windows_->lasttrick->updatenames(seatNames());
}

void Tchat::startround(const toTable::StartRound &m)
{
    const int lastWinner = model_.roundTricks().empty() ? 0 : model_.roundTricks().back().winner;
    if (!model_.startround(m))
        return;
    if (windows_ && windows_->score && !scontop->isChecked())
        windows_->score->hide();
    label_round->setText("Round: " + QString::number(m.round));
    label_cards->setText("Num Of Cards: " + QString::number(m.numcards));
    label_totalbids->setText("Total Bids: 0");
    trumpcard->clear();
    label_status1->setText(QString());
    clearTrick(lastWinner);
    for (int s = 1; s <= kSeats; ++s) {
        SeatPanel &sp = seat(s);
        sp.image_cards->clear();
        sp.label_bid->setText("0");
        sp.label_tricks->setText("0");
        setTextColour(sp.label_bid, kNotYetBid);
        setTextColour(sp.label_bidlabel, kNotYetBid);
        sp.image_played->clear();
        sp.image_trickwinner->hide();
        sp.image_thumb->hide();
    }
    showHand();
    if (windows_ && windows_->lasttrick) {
        Tlasttrick *lt = windows_->lasttrick;
        lt->clearCards();
        lt->label_winner->setText("New Round");
        lt->setTrump(0);
        lt->updatenames(seatNames());
    }
}

void Tchat::scoreit(const toTable::Score &m)
{
    if (!model_.scoreit(m))
        return;
    const auto type = model_.gameType();
    const int totalRow = type ? endRound(letterText(*type)) : 0;
    const int row = model_.scoreround();
    for (const auto &e : m.entries) {
        seat(e.seat).label_score->setText(QString::number(e.total));
        if (windows_ && windows_->score) {
            if (totalRow > 0)
                windows_->score->setCell(totalRow, e.seat, QString::number(e.total));
            if (row >= 1 && row < Tscore::kRows)
                windows_->score->setCell(row, e.seat, QString::number(e.round));
        }
        // A made bid always scores more than nothing.
        const bool made = e.round != 0;
        if (e.seat == model_.myseat()) {
            playsounds(made ? "turnovergood" : "turnoverbad");
            label_end->setText(made ? "You Made your Bid!" : "You did not make your Bid!");
            label_end->show();
            announce(label_end->text());
        }
        if (made) {
            seat(e.seat).image_thumb->show();
            seat(e.seat).image_thumb->raise();
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

void Tchat::winner(const toTable::Winner &m)
{
    model_.winner(m);
    const QString names = fromWire(m.names);
    label_status1->setText(names + " won the game.");
    label_status2->setText("Winning Score: " + QString::number(m.score));
    label_end->setText("Game Over!");
    label_end->show();
    const auto won = model_.winningSeats(m.score);
    for (int s = 1; s <= kSeats; ++s) {
        SeatPanel &sp = seat(s);
        sp.image_thumb->hide();
        if (won[static_cast<std::size_t>(s)]) {
            sp.image_winner->show();
            sp.image_winner->raise();
        }
        sp.image_cards->clear();
    }
    const bool iWon = model_.iWon(m);
    if (windows_ && windows_->tally) {
        windows_->tally->addgame(names, iWon);
        if (iWon)
            windows_->tally->addtomine(2);
    }
    if (iWon)
        playsounds("winner");
    if (model_.hosting()) {
        showStartButton();
        StartHalfGame1->setEnabled(true);
    }
    announce(names + " won the game.");
}

} // namespace quillet
