// Hints for the own seat and the host's choice of computer players. A hint
// only shows the Expert's choice: the bid in the bid box, the card raised
// and outlined, the trump picture outlined. Nothing is sent until the
// player confirms as usual.
#include "client/tablehint.h"
#include "client/tchat.h"
#include "ui/kit.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

#include <chrono>

namespace quillet {

namespace {
// The trump picture the hint names: a gold frame over it, passed through by the mouse.
QWidget *outline(QWidget *around)
{
    auto *frame = new QFrame(around);
    frame->setObjectName("hint_outline");
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    frame->setStyleSheet("QFrame#hint_outline { border: 3px solid #ffc800; border-radius: 4px; background: transparent; }");
    frame->setGeometry(around->rect());
    frame->show();
    frame->raise();
    return frame;
}
} // namespace

void Tchat::buildComputerMenu(QMenu *options)
{
    computerMenu_ = options->addMenu("Com&puter Players");
    computerMenu_->setObjectName("ComputerPlayers1");
    auto *group = new QActionGroup(this);
    ComputerClassic1 = computerMenu_->addAction("&Classic");
    ComputerClassic1->setObjectName("ComputerClassic1");
    ComputerExpert1 = computerMenu_->addAction("&Expert");
    ComputerExpert1->setObjectName("ComputerExpert1");
    for (QAction *a : {ComputerClassic1, ComputerExpert1}) {
        a->setCheckable(true);
        group->addAction(a);
    }
    ComputerClassic1->setChecked(true);
    // Only the host's server has computer seats to set; a joining table
    // shows the choice disabled.
    computerMenu_->setEnabled(false);
    ComputerClassic1->setEnabled(false);
    ComputerExpert1->setEnabled(false);
    connect(ComputerClassic1, &QAction::triggered, this, [this] {
        chooseComputerLevel(false);
        saveinifile();
    });
    connect(ComputerExpert1, &QAction::triggered, this, [this] {
        chooseComputerLevel(true);
        saveinifile();
    });
    hintExpert_.reseed(std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()));
}

void Tchat::chooseComputerLevel(bool expert)
{
    expertComputers_ = expert;
    (expert ? ComputerExpert1 : ComputerClassic1)->setChecked(true);
    const bool host = model_.hosting();
    computerMenu_->setEnabled(host);
    ComputerClassic1->setEnabled(host);
    ComputerExpert1->setEnabled(host);
    if (host && setExpertComputers)
        setExpertComputers(expert);
}

void Tchat::tellComputerLevel()
{
    if (model_.hosting())
        systemLine(expertComputers_ ? "The computer players are Expert." : "The computer players are Classic.");
}

void Tchat::clearHint()
{
    delete hintOutline_.data();
    if (hintedSlot_ == 0)
        return;
    hintedSlot_ = 0;
    refreshHandLooks();
}

bool Tchat::hintKey(QKeyEvent *event)
{
    if (event->key() != Qt::Key_H || (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)))
        return false;
    if (awaitedDecision(model_) == Hint::Kind::none)
        return false;  // nothing to hint: the letter starts a chat line as any other
    hintClick();
    return true;
}

void Tchat::hintClick()
{
    clearHint();
    const Hint hint = tableHint(model_, hintExpert_);
    switch (hint.kind) {
    case Hint::Kind::none:
        break;
    case Hint::Kind::bid:
        edit_bid->setText(QString::number(hint.value));
        edit_bid->setFocus(Qt::OtherFocusReason);
        edit_bid->selectAll();
        break;
    case Hint::Kind::trump:
        for (int i = 1; i <= 5; ++i)
            if (kTrumpChoices[i] == hint.value) {
                // Enter confirms it, as it does any keyboard choice of the panel.
                selectTrumpChoice(i);
                hintOutline_ = outline(trumpChoices_[std::size_t(i)]);
            }
        break;
    case Hint::Kind::card:
        for (int p = 1; p <= model_.handSize(); ++p)
            if (model_.handplaces()[std::size_t(p)] == hint.value) {
                // Raised, outlined and the keyboard's card: Enter plays it.
                hintedSlot_ = hint.value;
                if (!chatTakesKeys())
                    focusTable();
                selectPlace(p);
            }
        break;
    }
}

} // namespace quillet
