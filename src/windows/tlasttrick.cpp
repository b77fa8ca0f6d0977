#include "windows/tlasttrick.h"

#include "protocol/cards.h"
#include "windows/windowplace.h"
#include "ui/pictures.h"

#include <QLabel>

namespace quillet {

namespace {
constexpr int kCardX[5] = {5, 5, 85, 165, 245};

// Dark text: the side background is a light linen.
QLabel *textLabel(const QString &text, QWidget *parent, int px, const char *colour)
{
    auto *l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    QFont f = l->font();
    f.setPixelSize(px);
    f.setBold(true);
    l->setFont(f);
    l->setStyleSheet(QStringLiteral("color: %1;").arg(QLatin1String(colour)));
    return l;
}

constexpr char kTextColour[] = "#202020";
constexpr char kLedOffColour[] = "#a01818";
} // namespace

Tlasttrick::Tlasttrick(QWidget *parent)
    : PlacedWindow(parent, Qt::Tool | Qt::WindowStaysOnTopHint, MoveOn::Show)
{
    setObjectName("Tlasttrick");
    setWindowTitle("Last Trick");
    setFixedSize(434, 150);
    useSideBackground(this);

    for (int s = 1; s <= 4; ++s) {
        auto *card = new QLabel(this);
        card->setObjectName(QStringLiteral("played%1").arg(s));
        card->setGeometry(kCardX[s], 18, 71, 96);
        card->setScaledContents(true);
        played_[s] = card;
        auto *name = textLabel("<Waiting>", this, 12, kTextColour);
        name->setObjectName(QStringLiteral("player%1").arg(s));
        name->setAlignment(Qt::AlignHCenter);
        name->setGeometry(kCardX[s] - 4, 115, 79, 16);
        player_[s] = name;
    }
    auto *label2 = textLabel("Trump", this, 12, kTextColour);
    label2->setObjectName("Label2");
    label2->setAlignment(Qt::AlignHCenter);
    label2->setGeometry(342, 2, 71, 15);
    trumpcard = new QLabel(this);
    trumpcard->setObjectName("trumpcard");
    trumpcard->setGeometry(342, 18, 71, 96);
    trumpcard->setScaledContents(true);
    label_winner = textLabel("Winner", this, 13, kTextColour);
    label_winner->setObjectName("label_winner");
    label_winner->setGeometry(5, 131, 424, 17);
    label_winner->setAlignment(Qt::AlignHCenter);
    label_ledoff = textLabel("LED OFF", this, 11, kLedOffColour);
    label_ledoff->setObjectName("label_ledoff");
    label_ledoff->setGeometry(kCardX[1], 2, 71, 15);
    label_ledoff->setAlignment(Qt::AlignLeft);
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
    played_[seat]->setAccessibleName(card > 0 ? pictures::cardName(card) : QString());
}

void Tlasttrick::setTrump(int card)
{
    trump_ = card;
    trumpcard->setPixmap(card > 0 ? pictures::card(card) : QPixmap());
}

void Tlasttrick::redrawCards()
{
    for (int s = 1; s <= 4; ++s)
        setPlayed(s, cards_[s]);
    setTrump(trump_);
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
