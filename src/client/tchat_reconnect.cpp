// A joining table whose connection to the host closes while a game runs
// stays open and tries again every 2 s for 2 minutes. Back in, it logs in
// under the same name, and the host gives it its seat again. A player the
// host removed is told so first and closes instead; the host's own table and
// a solo game have nothing to reconnect to.
#include "client/clientlink.h"
#include "client/tchat.h"
#include "client/wiretext.h"
#include "net/guard.h"
#include "windows/sidewindows.h"
#include "windows/tspylist.h"
#include "ui/kit.h"

#include <QAction>
#include <QLabel>
#include <QTimer>

namespace quillet {

namespace {
constexpr int kReconnectEveryMs = 2000;
constexpr int kReconnectTries = 60;  // two minutes
} // namespace

bool Tchat::reconnecting() const { return reconnectTimer_ && reconnectTimer_->isActive(); }

bool Tchat::mayReconnect() const
{
    return !model_.hosting() && !soloGame_ && model_.loggedin() && model_.gameRunning();
}

void Tchat::startReconnecting()
{
    model_.connectionLost();
    // What the host tells a returning player comes again at the next login.
    receivedlist.clear();
    framer_.clear();
    showHand();
    for (int s = 1; s <= kSeats; ++s) {
        drawFan(s);
        seat(s).image_played->clear();
        seat(s).image_turn->hide();
    }
    if (windows_ && windows_->spylist)
        windows_->spylist->clearEntries();
    if (!reconnectTimer_) {
        reconnectTimer_ = new QTimer(this);
        reconnectTimer_->setInterval(kReconnectEveryMs);
        connect(reconnectTimer_, &QTimer::timeout, this, [this] { guarded([&] { reconnectTry(); }); });
    }
    reconnectTries_ = 0;
    connectReported_ = true;  // the tries speak for themselves
    reconnectTimer_->start();
    StopReconnecting1->setVisible(true);
    label_status2->setText("Connection lost");
    systemLine("Connection lost. Trying again every 2 seconds (File, Stop Reconnecting to give up).");
}

void Tchat::reconnectTry()
{
    if (++reconnectTries_ > kReconnectTries) {
        stopReconnecting(false);
        return;
    }
    systemLine(QString("Connection lost. Trying again\u2026 (%1)").arg(reconnectTries_));
    link_->open(toWire(hostaddr_), serverPort);
}

void Tchat::stopReconnecting(bool connected)
{
    if (!reconnecting())
        return;
    reconnectTimer_->stop();
    StopReconnecting1->setVisible(false);
    if (connected) {
        systemLine("Connected again.");
        label_status2->setText(QString());
        return;
    }
    link_->close();
    systemLine("Could not reach the game at " + hostaddr_ +
               " again. The table stays open; close it to end, or join another game from the lobby.");
}

// After the panels turned to another seat, every label shows its seat again.
void Tchat::showSeats()
{
    showNames();
    for (int s = 1; s <= kSeats; ++s) {
        SeatPanel &sp = seat(s);
        sp.label_score->setText(QString::number(model_.score(s)));
        sp.label_tricks->setText(QString::number(model_.tricks(s)));
        sp.label_bid->setText(QString::number(model_.bid(s)));
        sp.image_eyes->setVisible(model_.watching(s));
        if (const int card = model_.played(s))
            showPlayed(s, card);
        else
            sp.image_played->clear();
        drawFan(s);
    }
    showHand();
}

} // namespace quillet
