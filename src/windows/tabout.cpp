#include "windows/tabout.h"

#include "net/guard.h"
#include "protocol/commands.h"
#include "windows/windowplace.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillet {

Tabout::Tabout(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setObjectName("Tabout");
    setWindowTitle("Quillet");
    openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    useSideBackground(this);

    auto *logo = new QLabel(this);
    logo->setObjectName("image_logo");
    logo->setPixmap(pictures::logo());
    logo->setFixedSize(64, 64);

    auto *title = new QLabel("Quillet", this);
    QFont big = title->font();
    big.setPointSize(16);
    big.setBold(true);
    title->setFont(big);

    // "Version 1.0.16" and ".1" read as one number: no gap between them.
    auto *versionCaption = new QLabel("Version", this);
    version = new QLabel(QString::fromLatin1(kVersion.data(), int(kVersion.size())), this);
    version->setObjectName("version");
    auto *build = new QLabel(".1", this);
    build->setObjectName("label_build");
    auto *versionRow = new QHBoxLayout;
    versionRow->setSpacing(0);
    versionRow->addWidget(versionCaption);
    versionRow->addSpacing(5);
    versionRow->addWidget(version);
    versionRow->addWidget(build);
    versionRow->addStretch(1);

    auto *clickable = new ClickablePicture(this);
    link = clickable;
    link->setObjectName("label_link");
    link->setTextFormat(Qt::PlainText);
    link->setText(QString::fromLatin1(kMakerWebAddress));
    link->setCursor(Qt::PointingHandCursor);
    link->setToolTip(QString::fromLatin1(kMakerWebAddress));
    link->setStyleSheet("color: #1a3fb0; text-decoration: underline;");
    clickable->onPress = [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            openMakerSite();
    };

    auto *text = new QVBoxLayout;
    text->addWidget(title);
    text->addLayout(versionRow);
    text->addWidget(link);
    text->addStretch(1);

    auto *top = new QHBoxLayout;
    top->setSpacing(14);
    top->addWidget(logo, 0, Qt::AlignTop);
    top->addLayout(text, 1);

    auto *done = new QPushButton("Done", this);
    done->setObjectName("button_done");
    done->setFixedWidth(90);
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &QDialog::hide);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(done, 0, Qt::AlignHCenter);
    setFixedSize(300, 150);
}

QString Tabout::versionText() const { return version->text(); }

void Tabout::openMakerSite()
{
    guarded([&] {
        if (openUrl)
            openUrl(QUrl(QString::fromLatin1(kMakerWebAddress)));
    });
}

void Tabout::setVisible(bool visible)
{
    // Opens centred on the table.
    if (visible && !isVisible())
        centreOn(this, parentWidget());
    QDialog::setVisible(visible);
}

} // namespace quillet
