#include "windows/tgamestart.h"

#include "ui/kit.h"
#include "windows/windowplace.h"
#include "ui/pictures.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPalette>

namespace quillet {

Tgamestart::Tgamestart(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName("Tgamestart");
    setWindowTitle("Pomvane - Game Start");
    setFixedSize(420, 190);
    useSideBackground(this);

    auto *heading = new QLabel("Game Options", this);
    QFont f = heading->font();
    f.setPixelSize(20);
    f.setBold(true);
    heading->setFont(f);
    heading->setStyleSheet("color: #24331f;");
    heading->setAlignment(Qt::AlignCenter);
    heading->setGeometry(0, 10, 420, 30);

    auto make = [this](const char *name, const QString &letter, int x) {
        auto *b = new PictureButton(QString(), QSize(120, 90), this);
        const QPixmap pm = pictures::gameTypePicture(letter.at(0).toLatin1());
        b->setPictures(pm, pm);
        b->setObjectName(name);
        b->setToolTip(letter); // the tooltip is the game type letter the program reads
        b->setAccessibleName(letter == "h" ? "Half Game" : letter == "f" ? "Full Game" : "Vale Game");
        b->setFocusPolicy(Qt::StrongFocus);
        b->move(x, 60);
        connect(b, &PictureButton::clicked, this, [this, b] { choose(b->toolTip()); });
        return b;
    };
    button_starthalf = make("button_starthalf", "h", 15);
    button_start = make("button_start", "f", 150);
    image_startvale = make("image_startvale", "m", 285);
}

void Tgamestart::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    button_starthalf->setFocus(Qt::OtherFocusReason);
}

void Tgamestart::keyPressEvent(QKeyEvent *event)
{
    PictureButton *order[] = {button_starthalf, button_start, image_startvale};
    int at = 0;
    for (int i = 0; i < 3; ++i)
        if (focusWidget() == order[i])
            at = i;
    switch (event->key()) {
    case Qt::Key_Left:
        order[(at + 2) % 3]->setFocus(Qt::TabFocusReason);
        return;
    case Qt::Key_Right:
        order[(at + 1) % 3]->setFocus(Qt::TabFocusReason);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        order[at]->click();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void Tgamestart::choose(const QString &letter)
{
    if (onChoose)
        onChoose(letter);
    hide();
}

} // namespace quillet
