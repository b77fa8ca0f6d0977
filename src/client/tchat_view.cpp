// What the table shows beyond the texts of the handlers: the hand's looks (cards that
// may be played, the keyboard's card), the seats as assistive technology reads them,
// the window title, the start button's place, the table's size, and the announcements
// of turns and tricks.
#include "client/tablelayout.h"
#include "client/tablemotion.h"
#include "client/tchat.h"
#include "client/wiretext.h"
#include "protocol/cards.h"
#include "chat/chatpane.h"
#include "ui/designgeometry.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QAccessible>
#include <QAction>
#include <QIcon>
#include <QToolButton>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace quillet {

namespace {
// Assistive technology hears of every change: only real ones are made.
void setName(QWidget *w, const QString &text)
{
    if (w->accessibleName() != text)
        w->setAccessibleName(text);
}
void setDescription(QWidget *w, const QString &text)
{
    if (w->accessibleDescription() != text)
        w->setAccessibleDescription(text);
}

// The table grows in steps of a twentieth, so a window dragged larger redraws the
// pictures now and then, not at every pixel, and the design size stays exact.
constexpr qreal kScaleStep = 20.0;
} // namespace

qreal Tchat::tableScale() const { return design::scaleOf(panel_main); }

void Tchat::applyTableScale()
{
    QWidget *central = centralWidget();
    if (!central || !panel_main)
        return;
    const qreal fit = std::min(central->width() / qreal(layout::kTable.width()),
                               central->height() / qreal(layout::kTable.height()));
    const qreal s = std::max(1.0, std::floor(fit * kScaleStep) / kScaleStep);
    if (!qFuzzyCompare(s, tableScale())) {
        motion_->finishAll();
        design::setScale(panel_main, s);
        chatpane_->setZoom(s);
        button_smilies->setIcon(QIcon(pictures::smiley(0, s)));
        button_smilies->setIconSize(QSize(qRound(17 * s), qRound(17 * s)));
    }
    const QSize size = design::scaled(QRect(QPoint(0, 0), layout::kTable), s).size();
    panel_main->resize(size);
    // The table keeps its place in the middle as the window grows.
    panel_main->move(std::max(0, (central->width() - size.width()) / 2),
                     std::max(0, (central->height() - size.height()) / 2));
}

void Tchat::refreshView()
{
    refreshHandLooks();
    refreshSeatDescriptions();
    refreshTitle();
    if (button_start->isVisible())
        placeStartButton();
}

void Tchat::refreshHandLooks()
{
    const auto playable = model_.playableSlots();
    const bool myturn = model_.myturn();
    const bool dim = myturn && ShowPlayable1 && ShowPlayable1->isChecked();
    const bool outline = outlineTimer_ && outlineTimer_->isActive();
    const bool showSelection = holdsKeys(panel_main) && selectedPlace_ >= 1;
    CardImage *selected = nullptr;
    for (int p = 1; p <= kHandSlots; ++p) {
        CardImage *c = cardAtPlace(p);
        if (!c)
            continue;
        const bool may = std::find(playable.begin(), playable.end(), c->slot()) != playable.end();
        c->setDimmed(dim && !may);
        const bool hinted = c->slot() == hintedSlot_ && may;
        c->setOutlined((outline && may) || hinted);
        c->setSelected(showSelection && p == selectedPlace_);
        if (!c->raised)
            design::move(c, QPoint(design::rect(c).x(), hinted ? layout::kHandHintTop : layout::kHandTop));
        setDescription(c, myturn ? (may ? QString("Can be played") : QString("Cannot be played now")) : QString());
        c->raise();
        if (c->selected())
            selected = c;
    }
    // The keyboard's card shows whole, in front of its neighbours.
    if (selected)
        selected->raise();
}

void Tchat::refreshSeatDescriptions()
{
    for (int s = 1; s <= kSeats; ++s) {
        SeatPanel &sp = seat(s);
        QString text = seatName(s) + ", score " + QString::number(model_.score(s)) + ", tricks " +
                       QString::number(model_.tricks(s)) + ", ";
        text += model_.hasBid(s) ? "bid " + QString::number(model_.bid(s)) : QString("no bid yet");
        if (model_.watching(s))
            text += ", just watching";
        if (model_.currentplayer() == s && model_.gameRunning() && sp.image_turn->isVisibleTo(panel_main))
            text += ", to play";
        setName(sp.label_playername, text);
        if (sp.label_playername->toolTip() != seatName(s))
            sp.label_playername->setToolTip(seatName(s));
        const int fan = sp.image_cards->fanCount();
        setName(sp.image_cards, fan > 0 ? seatName(s) + "'s hand: " + QString::number(fan) + (fan == 1 ? " card" : " cards")
                                        : QString());
    }
}

void Tchat::refreshTitle()
{
    // Two tables on one desktop are told apart by the player's name.
    QString title = QStringLiteral("Quillet");
    if (model_.loggedin()) {
        if (soloGame_)
            title += QStringLiteral(" \u2014 Solo game");
        else if (!loginName_.isEmpty())
            title += QStringLiteral(" \u2014 ") + loginName_ + (model_.watcher() ? QStringLiteral(" (watching)") : QString());
    }
    if (windowTitle() != title)
        setWindowTitle(title);
}

void Tchat::placeStartButton()
{
    bool trickShown = false;
    for (int s = 1; s <= kSeats; ++s)
        trickShown = trickShown || !seat(s).image_played->isEmpty();
    design::place(button_start, trickShown ? layout::kStartBesideTrick : layout::kStart);
}

void Tchat::showStartButton()
{
    placeStartButton();
    button_start->show();
    button_start->raise();
}

void Tchat::announce(const QString &text)
{
    // The turn label is the table's live status: assistive technology hears of every
    // change through it, and through the table itself when it has the keys.
    label_turn->setAccessibleDescription(text);
    QAccessibleEvent description(label_turn, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
    QAccessibleValueChangeEvent value(label_turn, text);
    QAccessible::updateAccessibility(&value);
    panel_main->setAccessibleDescription(text);
    QAccessibleEvent table(panel_main, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&table);
    emit announced(text);
}

bool Tchat::gameRunning() const { return model_.gameRunning(); }

bool Tchat::confirmLosingGame(const QString &question) { return !confirm || confirm(question); }

QRect Tchat::inkRect(const QWidget *w) const
{
    if (!w || !w->isVisibleTo(panel_main))
        return {};
    QRect real;
    if (const auto *l = qobject_cast<const TableLabel *>(w)) {
        const QRect t = l->textRect();
        if (t.isEmpty())
            return {};
        real = QRect(l->mapTo(panel_main, t.topLeft()), t.size());
    } else if (const auto *p = qobject_cast<const TablePicture *>(w)) {
        if (p->isEmpty())
            return {};
        real = QRect(p->mapTo(panel_main, QPoint(0, 0)), p->size());
    } else {
        real = QRect(w->mapTo(panel_main, QPoint(0, 0)), w->size());
    }
    const qreal s = tableScale();
    const int left = int(std::lround(real.left() / s));
    const int top = int(std::lround(real.top() / s));
    return QRect(left, top, int(std::lround((real.left() + real.width()) / s)) - left,
                 int(std::lround((real.top() + real.height()) / s)) - top);
}

} // namespace quillet
