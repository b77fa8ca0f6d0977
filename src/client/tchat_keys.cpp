// Playing from the keyboard. The table takes the keys: Left and Right move the selected
// card over the hand, Enter or Space plays it; digits and Enter bid (the bid box takes
// them); Left, Right and Enter choose trump. The chat box takes the keys only while it
// holds text or the player clicked into it; typing on the table starts a chat line, and
// Esc gives the keys back to the table. Every move goes through the mouse's handlers.
#include "client/tchat.h"
#include "net/guard.h"
#include "chat/chatinput.h"
#include "protocol/cards.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace quillet {

namespace {
bool isEnter(const QKeyEvent *e)
{
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Space;
}

// A key that types a character (no Ctrl, Alt or Meta): the start of a chat line.
bool typesText(const QKeyEvent *e)
{
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString t = e->text();
    return !t.isEmpty() && t.at(0).isPrint() && t.at(0) != QLatin1Char(' ');
}
} // namespace

bool Tchat::eventFilter(QObject *watched, QEvent *event)
{
    if (seatMenuEvent(watched, event))
        return true;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        bool used = false;
        guarded([&] {
            if (watched == panel_main)
                used = tableKey(key);
            else if (watched == panel_trump)
                used = trumpKey(key);
            else if ((watched == edit_bid || (watched == mychat_ && !chatTakesKeys())) && hintKey(key))
                used = true;
            else if (watched == mychat_ && !chatTakesKeys() && !typesText(key) && key->key() != Qt::Key_Escape) {
                // An empty box the player did not choose passes the game's keys on.
                used = tableKey(key);
                if (used && holdsKeys(mychat_))
                    focusTable();
            }
            else if (watched == edit_bid && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
                updown_bid->stepBy(key->key() == Qt::Key_Up ? 1 : -1);
                edit_bid->selectAll();
                used = true;
            } else if (watched == edit_bid && key->key() == Qt::Key_Escape) {
                focusTable();
                used = true;
            }
        });
        if (used)
            return true;
        break;
    }
    case QEvent::FocusIn:
        if (watched == mychat_) {
            // Clicked or tabbed into: the box keeps the keys even while empty.
            const Qt::FocusReason why = static_cast<QFocusEvent *>(event)->reason();
            chatClicked_ = why == Qt::MouseFocusReason || why == Qt::TabFocusReason || why == Qt::BacktabFocusReason;
        }
        if (watched == panel_main)
            refreshHandLooks();
        break;
    case QEvent::FocusOut:
        if (watched == mychat_)
            chatClicked_ = false;
        if (watched == panel_main)
            refreshHandLooks();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool Tchat::chatTakesKeys() const
{
    if (!holdsKeys(mychat_))
        return false;
    const QString t = mychat_->text();
    return chatClicked_ || (!t.isEmpty() && t != ChatInput::kEnterChatHere);
}

void Tchat::focusTable() { panel_main->setFocus(Qt::OtherFocusReason); }

void Tchat::giveBidBoxTheKeys()
{
    if (chatTakesKeys() || !edit_bid->isVisibleTo(panel_main))
        return;
    edit_bid->setFocus(Qt::OtherFocusReason);
    edit_bid->selectAll();
}

bool Tchat::tableKey(QKeyEvent *event)
{
    if (hintKey(event))
        return true;
    if (edit_bid->isVisibleTo(panel_main) && button_bid->isVisibleTo(panel_main)) {
        // The bid box is open: digits, arrows and Enter belong to it.
        const int k = event->key();
        if ((k >= Qt::Key_0 && k <= Qt::Key_9) || k == Qt::Key_Up || k == Qt::Key_Down || isEnter(event)) {
            giveBidBoxTheKeys();
            if (k >= Qt::Key_0 && k <= Qt::Key_9)
                edit_bid->setText(event->text());
            else if (k == Qt::Key_Up || k == Qt::Key_Down)
                updown_bid->stepBy(k == Qt::Key_Up ? 1 : -1);
            else
                button_bidClick();
            return true;
        }
    }
    if (panel_trump->isVisibleTo(panel_main))
        return trumpKey(event);
    switch (event->key()) {
    case Qt::Key_Left:
        moveSelection(-1);
        return true;
    case Qt::Key_Right:
        moveSelection(1);
        return true;
    case Qt::Key_Home:
        selectPlace(1);
        return true;
    case Qt::Key_End:
        selectPlace(model_.handSize());
        return true;
    default:
        break;
    }
    if (isEnter(event)) {
        playSelected();
        return true;
    }
    if (typesText(event)) {
        // Typing on the table starts a chat line; the box keeps the keys while it has text.
        if (mychat_->text() == ChatInput::kEnterChatHere)
            mychat_->clear();
        mychat_->setFocus(Qt::OtherFocusReason);
        mychat_->appendText(event->text());
        return true;
    }
    return false;
}

bool Tchat::trumpKey(QKeyEvent *event)
{
    if (hintKey(event))
        return true;
    const int k = event->key();
    if (k == Qt::Key_Left || k == Qt::Key_Right) {
        selectTrumpChoice(selectedTrump_ + (k == Qt::Key_Left ? -1 : 1));
        return true;
    }
    if (k >= Qt::Key_1 && k <= Qt::Key_5) {
        selectTrumpChoice(k - Qt::Key_0);
        return true;
    }
    if (isEnter(event)) {
        selectTrump(selectedTrump_);
        return true;
    }
    return false;
}

void Tchat::selectTrumpChoice(int index)
{
    selectedTrump_ = std::clamp(index, 1, 5);
    for (int i = 1; i <= 5; ++i)
        trumpChoices_[std::size_t(i)]->setRinged(i == selectedTrump_);
    if (panel_trump->isVisible())
        announce(trumpChoices_[std::size_t(selectedTrump_)]->accessibleName());
}

void Tchat::selectPlace(int place)
{
    const int n = model_.handSize();
    if (n == 0) {
        selectedPlace_ = 0;
        return;
    }
    selectedPlace_ = std::clamp(place, 1, n);
    refreshHandLooks();
    if (CardImage *c = cardAtPlace(selectedPlace_)) {
        const auto playable = model_.playableSlots();
        const bool may = std::find(playable.begin(), playable.end(), c->slot()) != playable.end();
        announce(c->accessibleName() + (model_.myturn() && !may ? QString(", cannot be played now") : QString()));
    }
}

void Tchat::moveSelection(int step)
{
    if (selectedPlace_ == 0) {
        // The first press picks the first card that may be played (the first card otherwise).
        const auto playable = model_.playableSlots();
        int place = 1;
        for (int p = 1; p <= model_.handSize() && !playable.empty(); ++p)
            if (model_.handplaces()[std::size_t(p)] == playable.front())
                place = p;
        selectPlace(place);
        return;
    }
    selectPlace(selectedPlace_ + step);
}

void Tchat::playSelected()
{
    if (selectedPlace_ == 0) {
        moveSelection(0);
        return;
    }
    cardimagesMouseDown(cardAtPlace(selectedPlace_), Qt::LeftButton);
}

} // namespace quillet
