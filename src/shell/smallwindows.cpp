#include "shell/smallwindows.h"

#include "protocol/commands.h"
#include "ui/pictures.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillet {

Thelp::Thelp(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setObjectName("Thelp");
    setWindowTitle("Quillet Help File");
    resize(520, 380);
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel("Four players bid the exact number of tricks they expect to take.\n"
                            "Take exactly your bid to score 10 plus your bid (5 for a bid of 0).",
                            this);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto *done = new QPushButton("Done", this);
    connect(done, &QPushButton::clicked, this, &QDialog::hide);
    layout->addWidget(done);
}

Tabout::Tabout(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setObjectName("Tabout");
    setWindowTitle("Quillet");
    setFixedSize(260, 150);
    auto *logo = new QLabel(this);
    logo->setPixmap(pictures::logo());
    logo->setGeometry(12, 12, 64, 64);
    auto *label = new QLabel("Version", this);
    label->setGeometry(90, 24, 50, 18);
    version_ = new QLabel(QString::fromLatin1(kVersion.data(), int(kVersion.size())), this);
    version_->setObjectName("version");
    version_->setGeometry(142, 24, 44, 18);
    auto *sub = new QLabel(".1", this);
    sub->setGeometry(186, 24, 20, 18);
    auto *done = new QPushButton("Done", this);
    done->setGeometry(92, 110, 76, 28);
    connect(done, &QPushButton::clicked, this, &QDialog::hide);
}

QString Tabout::versionText() const { return version_->text(); }

Tphrases::Tphrases(QWidget *parent) : QDialog(parent)
{
    setObjectName("Tphrases");
    setWindowTitle("Quillet - Phrase Buttons");
}

Tdownload::Tdownload(QWidget *parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName("Tdownload");
    setWindowTitle("Download The Zolvex Lobby");
    setFixedSize(420, 200);
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel("To proceed to the game without the ability to play against others "
                            "click the button below.",
                            this);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto *solo = new QPushButton("Play Solo Game", this);
    solo->setObjectName("Button1");
    solo->setDefault(true);
    connect(solo, &QPushButton::clicked, this, &QDialog::hide);
    layout->addWidget(solo);
}

} // namespace quillet
