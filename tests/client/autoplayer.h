// Plays one table through the same handlers as the mouse: bids 1 (or what
// the dealer rule allows), chooses no trump, and tries its cards left to
// right until the server accepts one.
#pragma once

#include "client/tchat.h"
#include "ui/kit.h"

#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <set>

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
        if (button->isVisibleTo(t) && edit->isVisibleTo(t)) {
            int bid = std::min(1, t->maxbid);
            if (t->gameType == "m" && t->lastBidder == t->myseat && bid + t->totalSoFar == t->cardsPerHand)
                bid = bid == 0 ? 1 : 0;
            edit->setText(QString::number(bid));
            t->button_bidClick();
        }
        if (trumpPanel->isVisibleTo(t))
            t->selectTrump(5);
        if (!t->myturn)
            return;
        // A new turn (the hand has shrunk, or a new round was dealt) starts
        // a fresh round of trying.
        int handSize = 0;
        for (int p = 1; p <= 13; ++p)
            handSize += t->cardAtPlace(p) != nullptr;
        if (handSize != handSizeAtTry || t->scoreround != roundAtTry)
            tried.clear();
        handSizeAtTry = handSize;
        roundAtTry = t->scoreround;
        for (int p = 1; p <= 13; ++p) {
            quillet::CardImage *c = t->cardAtPlace(p);
            if (c && !tried.count(c->slot())) {
                tried.insert(c->slot());
                t->cardimagesMouseDown(c, Qt::LeftButton);
                break;
            }
        }
    }

    quillet::Tchat *t;
    QLineEdit *edit;
    quillet::PictureButton *button;
    QWidget *trumpPanel;
    QLabel *status2;
    std::set<int> tried;
    int handSizeAtTry = -1;
    int roundAtTry = -1;
};
