// Watching and removing players on the table: the host's seat menu, the
// "Just Watch" mirror and the eyes marks.
#include "client/tchat.h"
#include "net/guard.h"
#include "protocol/cards.h"
#include "ui/kit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>

namespace quillet {

void Tchat::buildSeatMenu()
{
    popup_kick = new QMenu(this);
    popup_kick->setObjectName("popup_kick");
    const char *items[] = {"Remove From Game", "Set to Just Watch", "Unset Just Watch"};
    for (int i = 0; i < 3; ++i) {
        if (i == 1)
            popup_kick->addSeparator();
        QAction *a = popup_kick->addAction(items[i]);
        connect(a, &QAction::triggered, this, [this, i] { guarded([&] { seatMenuAction(i); }); });
    }
    // The menu belongs to the name labels of the left, top and right places.
    for (int s = 1; s <= 4; ++s)
        if (seat(s).position >= 2)
            seat(s).label_playername->installEventFilter(this);
}

bool Tchat::seatMenuEvent(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ContextMenu)
        return false;
    for (int s = 1; s <= 4; ++s) {
        if (watched == seat(s).label_playername) {
            openSeatMenu(seat(s).position);
            popup_kick->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
            return true;
        }
    }
    return false;
}

void Tchat::openSeatMenu(int position)
{
    // The tag is the label's place, which is the seat number on the host's table.
    popupKickTag_ = position;
    for (QAction *a : popup_kick->actions())
        a->setEnabled(model_.hosting());
}

void Tchat::seatMenuAction(int item)
{
    const int tag = popupKickTag_;
    if (item == 0)
        kicking(tag);
    else if (model_.loggedin() && isSeat(tag))
        send(toServer::JustWatch{tag, item == 1});
}

void Tchat::kicking(int slot)
{
    if (model_.hosting() && model_.loggedin())
        send(toServer::KickHim{model_.myseat(), slot});
}

void Tchat::justwatching(const toTable::JustWatching &m)
{
    if (!model_.justwatching(m))
        return;
    if (m.seat == model_.myseat())
        JustWatch1->setChecked(m.watching);
    systemLine(seatName(m.seat) + (m.watching ? " is just watching" : " now playing again"));
    seat(m.seat).image_eyes->setVisible(m.watching);
    if (m.watching)
        seat(m.seat).image_eyes->raise();
}

} // namespace quillet
