#include "shell/ttallylist.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace quillet {

Ttallylist::Ttallylist(QWidget *parent) : QDialog(parent)
{
    setObjectName("Ttallylist");
    setWindowTitle("Quillet - Tally List");
    setFixedSize(420, 300);
    auto *cap1 = new QLabel("Players In Current Game", this);
    cap1->setGeometry(10, 8, 190, 18);
    checklist_ = new QListWidget(this);
    checklist_->setObjectName("checklist");
    checklist_->setGeometry(10, 28, 190, 120);
    auto *cap2 = new QLabel("Players Being Tallied", this);
    cap2->setGeometry(220, 8, 190, 18);
    listbox_tally_ = new QListWidget(this);
    listbox_tally_->setObjectName("listbox_tally");
    listbox_tally_->setGeometry(220, 28, 190, 120);
    auto *cap3 = new QLabel("Total Games:", this);
    cap3->setGeometry(10, 160, 100, 18);
    mylabel_1_ = new QLabel("0", this);
    mylabel_1_->setObjectName("mylabel_1");
    mylabel_1_->setGeometry(110, 160, 60, 18);
    auto *cap4 = new QLabel("Your Wins", this);
    cap4->setGeometry(10, 180, 100, 18);
    mylabel_2_ = new QLabel("0", this);
    mylabel_2_->setObjectName("mylabel_2");
    mylabel_2_->setGeometry(110, 180, 60, 18);
    auto *ok = new QPushButton("Ok", this);
    ok->setObjectName("FlatButton1");
    ok->setGeometry(170, 260, 80, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::hide);
}

void Ttallylist::addgame(const QString &, bool)
{
    addtomine(1);
}

void Ttallylist::addtomine(int column)
{
    if (column == 1)
        mylabel_1_->setText(QString::number(++ownGames_));
    else if (column == 2)
        mylabel_2_->setText(QString::number(++ownWins_));
}

void Ttallylist::setCurrentPlayers(const QStringList &names)
{
    checklist_->clear();
    for (const QString &n : names) {
        auto *item = new QListWidgetItem(n, checklist_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(isTallied(n) ? Qt::Checked : Qt::Unchecked);
    }
}

QStringList Ttallylist::currentPlayers() const
{
    QStringList out;
    for (int i = 0; i < checklist_->count(); ++i)
        out << checklist_->item(i)->text();
    return out;
}

bool Ttallylist::isTallied(const QString &name) const
{
    for (int i = 0; i < listbox_tally_->count(); ++i)
        if (listbox_tally_->item(i)->text().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace quillet
