#include "ui/kit.h"

#include "ui/pictures.h"

#include <QMouseEvent>
#include <QPainter>

namespace quillet {

PictureButton::PictureButton(const QString &caption, QSize size, QWidget *parent)
    : QWidget(parent), caption_(caption)
{
    setFixedSize(size);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setPictures(pictures::pictureButton(caption, size, false),
                pictures::pictureButton(caption, size, true));
}

void PictureButton::setPictures(const QPixmap &normal, const QPixmap &pressed)
{
    normal_ = normal;
    pressed_ = pressed;
    update();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPixmap &pm = down_ ? pressed_ : normal_;
    if (!pm.isNull())
        p.drawPixmap(rect(), pm);
    if (hover_ && !down_) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 36));
        p.drawRoundedRect(rect().adjusted(1, 1, -1, -1), 4, 4);
    }
}

void PictureButton::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton) {
        down_ = true;
        update();
    }
}

void PictureButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || !down_)
        return;
    down_ = false;
    update();
    if (rect().contains(e->position().toPoint()))
        emit clicked();
}

void PictureButton::enterEvent(QEnterEvent *)
{
    hover_ = true;
    update();
}

void PictureButton::leaveEvent(QEvent *)
{
    hover_ = false;
    down_ = false;
    update();
}

void ClickablePicture::mousePressEvent(QMouseEvent *event)
{
    if (onPress)
        onPress(event->button());
    else
        QLabel::mousePressEvent(event);
}

CardImage::CardImage(int slot, int card, QWidget *parent)
    : ClickablePicture(parent), slot_(slot), card_(card)
{
    setObjectName(QStringLiteral("card%1").arg(slot));
    setFixedSize(71, 96);
    setScaledContents(true);
    setPixmap(pictures::card(card));
    setCursor(Qt::PointingHandCursor);
}

} // namespace quillet

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillet {

UpDown::UpDown(QLineEdit *buddy, QWidget *parent) : QWidget(parent), buddy_(buddy)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    auto *down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {up, down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
    }
    connect(up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(down, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void UpDown::stepBy(int delta)
{
    bool ok = false;
    int v = buddy_->text().toInt(&ok);
    if (!ok)
        v = 0;
    v = std::clamp(v + delta, 0, std::max(0, max_));
    buddy_->setText(QString::number(v));
}

} // namespace quillet
