#include "ui/kit.h"

#include "protocol/cards.h"
#include "ui/designgeometry.h"
#include "ui/pictures.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace quillet {

PictureButton::PictureButton(const QString &caption, QSize size, QWidget *parent) : QAbstractButton(parent)
{
    setText(caption);
    resize(size);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    redraw();
}

void PictureButton::setPictures(const QPixmap &normal, const QPixmap &pressed)
{
    ownPictures_ = true;
    normal_ = normal;
    pressed_ = pressed;
    update();
}

void PictureButton::redraw()
{
    if (ownPictures_)
        return;
    normal_ = pictures::pictureButton(text(), size(), false);
    pressed_ = pictures::pictureButton(text(), size(), true);
    update();
}

void PictureButton::resizeEvent(QResizeEvent *)
{
    if (!ownPictures_ && normal_.deviceIndependentSize().toSize() != size())
        redraw();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPixmap &pm = isDown() ? pressed_ : normal_;
    if (!pm.isNull())
        p.drawPixmap(rect(), pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (hover_ && !isDown()) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 36));
        p.drawRoundedRect(rect().adjusted(1, 1, -1, -1), 4, 4);
    }
    if (hasFocus()) {
        // The keyboard's button: a ring the felt and the brass both show.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0xff, 0xff, 0xff), 2));
        p.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
    }
}

void PictureButton::enterEvent(QEnterEvent *)
{
    hover_ = true;
    update();
}

void PictureButton::leaveEvent(QEvent *)
{
    hover_ = false;
    update();
}

TableLabel::TableLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
}

QString TableLabel::shownText() const
{
    const QString t = text();
    if (t.trimmed().isEmpty())
        return QString();
    return fontMetrics().elidedText(t, Qt::ElideRight, std::max(0, contentsRect().width()));
}

QRect TableLabel::textRect() const
{
    const QString shown = shownText();
    if (shown.isEmpty())
        return QRect();
    const QFontMetrics fm = fontMetrics();
    const QRect box = contentsRect();
    const int w = std::min(box.width(), fm.horizontalAdvance(shown));
    const int h = std::min(box.height(), fm.height());
    const Qt::Alignment a = QStyle::visualAlignment(layoutDirection(), alignment());
    int x = box.left();
    if (a & Qt::AlignRight)
        x = box.right() + 1 - w;
    else if (a & Qt::AlignHCenter)
        x = box.left() + (box.width() - w) / 2;
    int y = box.top();
    if (a & Qt::AlignBottom)
        y = box.bottom() + 1 - h;
    else if (a & Qt::AlignVCenter)
        y = box.top() + (box.height() - h) / 2;
    return QRect(x, y, w, h);
}

void TableLabel::paintEvent(QPaintEvent *)
{
    const QString shown = shownText();
    if (shown.isEmpty())
        return;
    QPainter p(this);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    p.drawText(textRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
}

void ClickablePicture::mousePressEvent(QMouseEvent *event)
{
    if (onPress)
        onPress(event->button());
    else
        QLabel::mousePressEvent(event);
}

TablePicture::TablePicture(QWidget *parent) : ClickablePicture(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TablePicture::showCard(int number)
{
    ringed_ = false;
    kind_ = number >= 0 && number <= 53 ? Kind::Card : Kind::None;
    value_ = number;
    redraw();
}

void TablePicture::showMark(pictures::Mark m)
{
    kind_ = Kind::Mark;
    value_ = int(m);
    redraw();
}

void TablePicture::showFan(int count)
{
    if (count <= 0) {
        clear();
        return;
    }
    kind_ = Kind::Fan;
    value_ = std::min(count, kHandSlots);
    design::resize(this, QSize(5 * value_ + 66, pictures::kCardHeight));
    redraw();
}

void TablePicture::showBackground(pictures::Background b)
{
    kind_ = Kind::Background;
    value_ = int(b);
    redraw();
}

void TablePicture::showLogo()
{
    kind_ = Kind::Logo;
    value_ = 0;
    redraw();
}

void TablePicture::clear()
{
    kind_ = Kind::None;
    value_ = 0;
    ringed_ = false;
    QLabel::clear();
}

void TablePicture::setRinged(bool on)
{
    if (ringed_ == on)
        return;
    ringed_ = on;
    update();
}

void TablePicture::redraw()
{
    const qreal s = design::scaleOf(parentWidget());
    switch (kind_) {
    case Kind::None: QLabel::clear(); return;
    case Kind::Card: setPixmap(pictures::card(value_, s)); return;
    case Kind::Mark: setPixmap(pictures::mark(pictures::Mark(value_), s)); return;
    case Kind::Fan: setPixmap(pictures::fan(value_, s)); return;
    case Kind::Background: setPixmap(pictures::background(pictures::Background(value_), s)); return;
    case Kind::Logo: setPixmap(pictures::logo(s)); return;
    }
}

void TablePicture::setVeiled(bool on)
{
    if (veiled_ == on)
        return;
    veiled_ = on;
    update();
}

void TablePicture::paintEvent(QPaintEvent *event)
{
    if (veiled_)
        return;
    ClickablePicture::paintEvent(event);
    if (!ringed_)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = design::scaleOf(parentWidget());
    const qreal w = std::max<qreal>(2.0, 3.5 * s);
    p.setPen(QPen(QColor(0xf2, 0xb8, 0x1a), w));
    p.setBrush(Qt::NoBrush);
    const qreal r = 4.5 * s;
    p.drawRoundedRect(QRectF(rect()).adjusted(w / 2, w / 2, -w / 2, -w / 2), r, r);
}

CardImage::CardImage(int slot, int card, QWidget *parent) : TablePicture(parent), slot_(slot), card_(card)
{
    setObjectName(QStringLiteral("card%1").arg(slot));
    design::resize(this, QSize(pictures::kCardWidth, pictures::kCardHeight));
    showCard(card);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(pictures::cardName(card));
}

void CardImage::setDimmed(bool on)
{
    if (dimmed_ != on) {
        dimmed_ = on;
        update();
    }
}

void CardImage::setOutlined(bool on)
{
    if (outlined_ != on) {
        outlined_ = on;
        update();
    }
}

void CardImage::setSelected(bool on)
{
    if (selected_ != on) {
        selected_ = on;
        update();
    }
}

void CardImage::paintEvent(QPaintEvent *event)
{
    TablePicture::paintEvent(event);
    if (veiled() || (!dimmed_ && !outlined_ && !selected_))
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = design::scaleOf(parentWidget());
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = 4.5 * s;
    if (dimmed_) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x10, 0x20, 0x18, 120));
        p.drawRoundedRect(card, radius, radius);
    }
    if (outlined_ || selected_) {
        // Gold for the cards that may be played, blue for the keyboard's card: both
        // stand out on the white card and on the felt.
        const qreal w = std::max<qreal>(2.0, (selected_ ? 4.0 : 3.0) * s);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(selected_ ? QColor(0x15, 0x5c, 0xe8) : QColor(0xf2, 0xb8, 0x1a), w));
        p.drawRoundedRect(card.adjusted(w / 2, w / 2, -w / 2, -w / 2), radius, radius);
        if (selected_ && outlined_) {
            // Both: gold dashes on the blue ring, in the ring's own width, so that the
            // card's corners (its rank and suit) stay as clear as with one ring.
            QPen dashes(QColor(0xf2, 0xb8, 0x1a), w, Qt::CustomDashLine, Qt::FlatCap);
            dashes.setDashPattern({1.5, 1.5});
            p.setPen(dashes);
            p.drawRoundedRect(card.adjusted(w / 2, w / 2, -w / 2, -w / 2), radius, radius);
        }
    }
}

} // namespace quillet

#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillet {

QPoint popupPlace(const QWidget *anchor, QSize menuSize)
{
    const QPoint corner = anchor->mapToGlobal(QPoint(anchor->width(), anchor->height()));
    const QScreen *screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return corner;
    const QRect area = screen->availableGeometry();
    QPoint at = corner;
    // Below and to the right of the corner when there is room, else above and to the left.
    if (at.x() + menuSize.width() > area.right() + 1)
        at.setX(corner.x() - menuSize.width());
    if (at.y() + menuSize.height() > area.bottom() + 1)
        at.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - menuSize.height());
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - menuSize.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - menuSize.height())));
    return at;
}

void popupOnScreen(QMenu *menu, const QWidget *anchor)
{
    menu->ensurePolished();
    menu->popup(popupPlace(anchor, menu->sizeHint()));
}

UpDown::UpDown(QLineEdit *buddy, QWidget *parent) : QWidget(parent), buddy_(buddy)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    up->setAccessibleName("More");
    auto *down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    down->setAccessibleName("Fewer");
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
