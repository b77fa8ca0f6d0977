// Picture buttons, the three game start pictures and the program's logo.
#include "ui/picturepaint.h"
#include "ui/picturepainters.h"

#include "protocol/cards.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <string>

namespace quillet::pictures::paint {

namespace {

// The largest bold font up to `pixels` in which `text` fits `width`.
QFont captionFont(const QString &text, int pixels, qreal width)
{
    QFont f = pictureFont();
    for (int px = pixels; px >= 7; --px) {
        f.setPixelSize(px);
        if (QFontMetricsF(f).horizontalAdvance(text) <= width)
            break;
    }
    return f;
}

void drawCaption(QPainter &p, const QRectF &box, const QString &text, int pixels, const QColor &colour)
{
    p.setFont(captionFont(text, pixels, box.width()));
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
}

} // namespace

QPixmap button(const QString &caption, QSize size, bool pressed, qreal dpr)
{
    if (size.width() < 4 || size.height() < 4 || size.width() > 4096 || size.height() > 4096)
        return QPixmap();
    QPixmap pm = canvas(size, dpr);
    QPainter p;
    begin(p, pm);
    const QRectF r = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = qMin<qreal>(5, size.height() / 4.0);
    QLinearGradient g(0, 0, 0, size.height());
    if (pressed) {
        g.setColorAt(0, QColor(0xc4, 0x98, 0x44));
        g.setColorAt(1, QColor(0xe8, 0xce, 0x88));
    } else {
        g.setColorAt(0, QColor(0xfd, 0xf2, 0xcc));
        g.setColorAt(0.5, QColor(0xf0, 0xd4, 0x8a));
        g.setColorAt(1, QColor(0xcf, 0xa2, 0x4c));
    }
    p.setPen(QPen(QColor(0x5a, 0x3c, 0x0c), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
    if (!pressed) {
        p.setPen(QPen(QColor(255, 255, 255, 150), 1.0));
        p.drawLine(QPointF(r.left() + radius, r.top() + 1.2), QPointF(r.right() - radius, r.top() + 1.2));
    }
    const QRectF text = r.adjusted(4, 1, -4, -1).translated(pressed ? 1 : 0, pressed ? 1 : 0);
    drawCaption(p, text, caption, qBound(8, qRound(size.height() * 0.46), 128), QColor(0x3a, 0x22, 0x00));
    return pm;
}

QPixmap gameType(char letter, qreal dpr)
{
    const std::string type(1, letter);
    if (!isGameType(type))
        return QPixmap();
    const QString title = letter == 'h' ? QStringLiteral("Half Game")
                          : letter == 'f' ? QStringLiteral("Full Game")
                                          : QStringLiteral("Vale Game");
    QPixmap pm = canvas(QSize(120, 90), dpr);
    QPainter p;
    begin(p, pm);
    QLinearGradient felt(0, 0, 0, 90);
    felt.setColorAt(0, QColor(0x33, 0x86, 0x4c));
    felt.setColorAt(1, QColor(0x1b, 0x56, 0x2e));
    p.setPen(QPen(QColor(0xd9, 0xb6, 0x4a), 1.6));
    p.setBrush(felt);
    p.drawRoundedRect(QRectF(1, 1, 118, 88), 8, 8);
    drawCaption(p, QRectF(4, 4, 112, 18), title, 14, Qt::white);

    // Cards per hand, round by round: a bar of little cards per round.
    const int rounds = roundsOf(type);
    int cards = initialNumCards(type);
    const QRectF chart(9, 26, 102, 42);
    const qreal step = chart.width() / rounds;
    for (int round = 1; round <= rounds; ++round) {
        cards = nextNumCards(type, round, cards);
        const qreal h = chart.height() * cards / 13.0;
        const QRectF bar(chart.left() + (round - 1) * step + step * 0.12, chart.bottom() - h, step * 0.76, h);
        p.setPen(QPen(QColor(0x0e, 0x30, 0x18), 0.5));
        p.setBrush(cards == 13 || (cards == 11 && letter == 'f') || (cards == 10 && letter == 'h')
                       ? QColor(0xf2, 0xcd, 0x4e)
                       : QColor(0xf6, 0xf4, 0xec));
        p.drawRoundedRect(bar, 1, 1);
    }
    p.setPen(QPen(QColor(0xd9, 0xb6, 0x4a, 160), 0.8));
    p.drawLine(QPointF(chart.left(), chart.bottom() + 1), QPointF(chart.right(), chart.bottom() + 1));
    const QString detail = letter == 'h' ? QStringLiteral("1 to 10 cards")
                           : letter == 'f' ? QStringLiteral("1 to 11 to 2 cards")
                                           : QStringLiteral("13 to 2 to 13 cards");
    drawCaption(p, QRectF(4, 71, 112, 14), detail, 11, QColor(0xf6, 0xe6, 0xaa));
    return pm;
}

void paintLogo(QPainter &p)
{
    // Three cards fanned out: a back, the ace of hearts and the ace of spades.
    const QRectF card(-14, -49, 28, 40);
    const qreal angles[3] = {-19, 0, 19};
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(29, 59);
        p.rotate(angles[i]);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 50));
        p.drawRoundedRect(card.translated(1, 1), 2.5, 2.5);
        if (i == 0) {
            paintBack(p, card, 2.5, 2);
        } else {
            const int suit = i == 1 ? 3 : 4;
            paintBlank(p, card, 2.5);
            p.setPen(Qt::NoPen);
            p.setBrush(suitColour(suit));
            p.drawPath(suitPath(suit, QRectF(card.center().x() - 8, card.center().y() - 8, 16, 16)));
            p.drawPath(fittedText(QStringLiteral("A"), QRectF(card.left() + 2, card.top() + 2.5, 6, 6)));
        }
        p.restore();
    }
    // A quill standing at the right, nib down: along +x from the nib to the tip.
    p.save();
    p.translate(42, 63);
    p.rotate(-68.9);
    const QColor brown(0x4a, 0x2c, 0x10);
    QPainterPath vane;
    vane.moveTo(15, 0);
    vane.cubicTo(25, -7.5, 47, -9, 61, -3);
    vane.cubicTo(50, 2.5, 30, 5, 15, 0);
    QLinearGradient feather(0, -8, 0, 5);
    feather.setColorAt(0, QColor(0xfb, 0xf2, 0xdc));
    feather.setColorAt(1, QColor(0xc9, 0x9a, 0x58));
    p.setPen(QPen(brown, 0.8));
    p.setBrush(feather);
    p.drawPath(vane);
    p.save();
    p.setClipPath(vane);
    p.setPen(QPen(QColor(0x8a, 0x60, 0x30), 0.5));
    for (qreal x = 18; x < 60; x += 3.2) {
        p.drawLine(QPointF(x, -0.2), QPointF(x + 5, -9));
        p.drawLine(QPointF(x, 0.2), QPointF(x + 4, 6));
    }
    p.restore();
    QPainterPath shaft;
    shaft.moveTo(3, 0);
    shaft.quadTo(30, -0.6, 59, -2.6);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(brown, 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(shaft);
    p.setPen(QPen(QColor(0x18, 0x18, 0x20), 1.7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 0.1), QPointF(4, 0));
    p.restore();
}

QPixmap logo(qreal dpr)
{
    QPixmap pm = canvas(QSize(kLogoSize, kLogoSize), dpr);
    QPainter p;
    begin(p, pm);
    paintLogo(p);
    return pm;
}

} // namespace quillet::pictures::paint
