// Plays one table through the same handlers as the mouse: bids 1 (or 0 where
// the bid box refuses 1), chooses no trump, and plays the first card the
// table's model says may be played. A card the server refuses all the same
// is counted: the model's rule and the server's would differ.
#pragma once

#include "client/tchat.h"
#include "ui/kit.h"

#include <QLabel>
#include <QLineEdit>

#include <algorithm>

class AutoPlayer {
public:
    explicit AutoPlayer(quillet::Tchat *table) : t(table)
    {
        edit = t->findChild<QLineEdit *>("edit_bid");
        button = t->findChild<quillet::PictureButton *>("button_bid");
        trumpPanel = t->findChild<QWidget *>("panel_trump");
        status2 = t->panelMain()->findChild<QLabel *>("label_status2");
    }

    bool gameOver() const { return status2->text().startsWith("Winning Score: "); }

    // One look at the table; acts when it is this player's move.
    void step()
    {
        const quillet::TableModel &m = t->model();
        if (button->isVisibleTo(t) && edit->isVisibleTo(t)) {
            edit->setText(m.checkBid("1").ok ? "1" : "0");
            t->button_bidClick();
        }
        if (trumpPanel->isVisibleTo(t))
            t->selectTrump(5);
        if (!m.myturn())
            return;
        // The turn again with the hand unchanged: the last card was refused.
        if (m.handSize() == handAtSend && m.scoreround() == roundAtSend)
            ++refusals;
        const auto playable = m.playableSlots();
        if (playable.empty())
            return;
        handAtSend = m.handSize();
        roundAtSend = m.scoreround();
        t->cardimagesMouseDown(t->cardForSlot(playable.front()), Qt::LeftButton);
    }

    quillet::Tchat *t;
    QLineEdit *edit;
    quillet::PictureButton *button;
    QWidget *trumpPanel;
    QLabel *status2;
    int refusals = 0;
    int handAtSend = -1;
    int roundAtSend = -1;
};
