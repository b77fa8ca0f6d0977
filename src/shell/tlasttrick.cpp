#include "shell/tlasttrick.h"

#include "protocol/cards.h"
#include "ui/pictures.h"

#include <QLabel>
#include <QPalette>

namespace quillet {

namespace {
constexpr int kCardX[5] = {5, 5, 85, 165, 245};

QLabel *whiteLabel(const QString &text, QWidget *parent, int px, bool bold)
{
    auto *l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    QFont f = l->font();
    f.setPixelSize(px);
    f.setBold(bold);
    l->setFont(f);
    l->setStyleSheet("color: white;");
    return l;
}
} // namespace

Tlasttrick::Tlasttrick(QWidget *parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName("Tlasttrick");
    setWindowTitle("Last Trick");
    setFixedSize(434, 150);
    QPalette pal = palette();
    pal.setBrush(QPalette::Window, QBrush(pictures::background(pictures::Background::Side)));
    setPalette(pal);
    setAutoFillBackground(true);

    for (int s = 1; s <= 4; ++s) {
        auto *card = new QLabel(this);
        card->setObjectName(QStringLiteral("played%1").arg(s));
        card->setGeometry(kCardX[s], 18, 71, 96);
        card->setScaledContents(true);
        played_[s] = card;
        auto *name = whiteLabel("<Waiting>", this, 12, true);
        name->setObjectName(QStringLiteral("player%1").arg(s));
        name->setAlignment(Qt::AlignHCenter);
        name->setGeometry(kCardX[s] - 4, 115, 79, 16);
        player_[s] = name;
    }
    auto *label2 = whiteLabel("Trump", this, 12, true);
    label2->setObjectName("Label2");
    label2->setAlignment(Qt::AlignHCenter);
    label2->setGeometry(342, 2, 71, 15);
    trumpcard = new QLabel(this);
    trumpcard->setObjectName("trumpcard");
    trumpcard->setGeometry(342, 18, 71, 96);
    trumpcard->setScaledContents(true);
    label_winner = whiteLabel("Winner", this, 13, true);
    label_winner->setObjectName("label_winner");
    label_winner->setGeometry(5, 131, 424, 17);
    label_winner->setAlignment(Qt::AlignHCenter);
    label_ledoff = whiteLabel("LED OFF", this, 11, true);
    label_ledoff->setObjectName("label_ledoff");
    label_ledoff->setGeometry(kCardX[1], 2, 71, 15);
    label_ledoff->setAlignment(Qt::AlignLeft);
    label_ledoff->setStyleSheet("color: #ffd84a;");
}

void Tlasttrick::updatenames(const QStringList &names)
{
    for (int s = 1; s <= 4 && s - 1 < names.size(); ++s)
        player_[s]->setText(names[s - 1]);
}

void Tlasttrick::setPlayed(int seat, int card)
{
    if (!isSeat(seat))
        return;
    cards_[seat] = card;
    played_[seat]->setPixmap(card > 0 ? pictures::card(card) : QPixmap());
}

void Tlasttrick::setTrump(int card)
{
    trump_ = card;
    trumpcard->setPixmap(card > 0 ? pictures::card(card) : QPixmap());
}

void Tlasttrick::clearCards()
{
    for (int s = 1; s <= 4; ++s)
        setPlayed(s, 0);
}

int Tlasttrick::cardLeft(int seat) const
{
    return isSeat(seat) ? kCardX[seat] : kCardX[1];
}

} // namespace quillet
