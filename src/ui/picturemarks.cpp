// Seat marks: TURN tag, watching eyes, WINNER burst, raised thumb, trick stack.
#include "ui/picturepaint.h"
#include "ui/picturepainters.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace quillet::pictures::paint {

namespace {

QPainterPath star(QPointF c, int points, qreal outer, qreal inner, qreal turn = -90)
{
    QPainterPath s;
    for (int i = 0; i < 2 * points; ++i) {
        const qreal a = (turn + i * 180.0 / points) * std::numbers::pi / 180;
        const qreal r = i % 2 ? inner : outer;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0)
            s.moveTo(pt);
        else
            s.lineTo(pt);
    }
    s.closeSubpath();
    return s;
}

} // namespace

QPixmap turnMark(qreal dpr)
{
    QPixmap pm = canvas(QSize(27, 44), dpr);
    QPainter p;
    begin(p, pm);
    // A tag with a clipped top and a punched hole.
    QPainterPath tag;
    tag.moveTo(7, 1);
    tag.lineTo(20, 1);
    tag.lineTo(25.5, 7);
    tag.lineTo(25.5, 40.5);
    tag.quadTo(25.5, 43, 23, 43);
    tag.lineTo(4, 43);
    tag.quadTo(1.5, 43, 1.5, 40.5);
    tag.lineTo(1.5, 7);
    tag.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(QPointF(13.5, 6), 1.9, 1.9);
    QLinearGradient g(0, 0, 27, 0);
    g.setColorAt(0, QColor(0xe8, 0x3a, 0x2f));
    g.setColorAt(1, QColor(0xb0, 0x17, 0x17));
    p.setPen(QPen(QColor(0x5c, 0x08, 0x08), 1.0));
    p.setBrush(g);
    p.drawPath(tag.subtracted(hole));
    p.setPen(QPen(QColor(0xf2, 0xc8, 0x4b), 0.9));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(13.5, 6), 2.5, 2.5);
    p.setPen(QPen(QColor(255, 255, 255, 90), 0.8));
    p.drawLine(QPointF(4, 11), QPointF(4, 40));

    // TURN, reading upwards.
    QTransform t;
    t.translate(7, 40);
    t.rotate(-90);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(t.map(fittedText(QStringLiteral("TURN"), QRectF(0, 0, 28, 13))));
    return pm;
}

QPixmap eyesMark(qreal dpr)
{
    QPixmap pm = canvas(QSize(24, 17), dpr);
    QPainter p;
    begin(p, pm);
    for (qreal cx : {6.25, 17.75}) {
        QRadialGradient white(QPointF(cx - 1, 6), 7);
        white.setColorAt(0, Qt::white);
        white.setColorAt(1, QColor(0xdd, 0xdd, 0xe2));
        p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.0));
        p.setBrush(white);
        p.drawEllipse(QPointF(cx, 8.5), 5.4, 7.4);
        // Looking down and to the side, at the table.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2a, 0x55, 0x8a));
        p.drawEllipse(QPointF(cx + 1.4, 10.6), 3.0, 3.3);
        p.setBrush(QColor(0x0c, 0x0c, 0x0c));
        p.drawEllipse(QPointF(cx + 1.5, 10.8), 1.6, 1.8);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(cx + 0.6, 9.6), 0.8, 0.8);
    }
    return pm;
}

QPixmap winnerMark(qreal dpr)
{
    QPixmap pm = canvas(QSize(82, 88), dpr);
    QPainter p;
    begin(p, pm);
    const QPointF c(41, 44);
    QRadialGradient gold(c, 42);
    gold.setColorAt(0, QColor(0xff, 0xf6, 0xb0));
    gold.setColorAt(0.55, QColor(0xf7, 0xc8, 0x2a));
    gold.setColorAt(1, QColor(0xd4, 0x8a, 0x06));
    p.setPen(QPen(QColor(0x8a, 0x55, 0x00), 1.1));
    p.setBrush(gold);
    p.drawPath(star(c, 16, 40.5, 29));
    p.setPen(QPen(QColor(0xff, 0xfb, 0xe0, 200), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 25, 25);

    // Ribbon across the middle.
    QPainterPath ribbon;
    ribbon.moveTo(1, 36);
    ribbon.lineTo(81, 36);
    ribbon.lineTo(77, 44.5);
    ribbon.lineTo(81, 53);
    ribbon.lineTo(1, 53);
    ribbon.lineTo(5, 44.5);
    ribbon.closeSubpath();
    QLinearGradient red(0, 36, 0, 53);
    red.setColorAt(0, QColor(0xe0, 0x26, 0x2e));
    red.setColorAt(1, QColor(0xa8, 0x0e, 0x18));
    p.setPen(QPen(QColor(0x5a, 0x05, 0x0a), 1.0));
    p.setBrush(red);
    p.drawPath(ribbon);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(fittedText(QStringLiteral("WINNER"), QRectF(9, 39.5, 64, 10)));

    // Small stars above and below the ribbon.
    p.setPen(QPen(QColor(0x8a, 0x55, 0x00), 0.6));
    p.setBrush(QColor(0xc8, 0x10, 0x2e));
    p.drawPath(star(QPointF(41, 23), 5, 7, 2.9));
    p.drawPath(star(QPointF(28, 27), 5, 3.6, 1.5));
    p.drawPath(star(QPointF(54, 27), 5, 3.6, 1.5));
    p.drawPath(star(QPointF(41, 65), 5, 5, 2.1));
    return pm;
}

QPixmap thumbMark(qreal dpr)
{
    QPixmap pm = canvas(QSize(53, 66), dpr);
    QPainter p;
    begin(p, pm);
    const QColor outline(0x6b, 0x3a, 0x14);
    QLinearGradient skin(8, 0, 46, 0);
    skin.setColorAt(0, QColor(0xff, 0xdc, 0xa8));
    skin.setColorAt(1, QColor(0xe8, 0xa8, 0x68));

    // Sleeve.
    QLinearGradient cloth(0, 0, 53, 0);
    cloth.setColorAt(0, QColor(0x3a, 0x6c, 0xc0));
    cloth.setColorAt(1, QColor(0x1e, 0x3e, 0x82));
    p.setPen(QPen(QColor(0x10, 0x20, 0x48), 1.1));
    p.setBrush(cloth);
    p.drawRoundedRect(QRectF(6.5, 53, 27, 12), 2.5, 2.5);
    p.setBrush(QColor(0xf4, 0xf4, 0xf4));
    p.drawRoundedRect(QRectF(7.5, 49.5, 25, 5), 1.5, 1.5);

    // Thumb, pointing up.
    QPainterPath thumb;
    thumb.moveTo(9, 30);
    thumb.cubicTo(9, 21, 12, 13, 15, 6.5);
    thumb.cubicTo(17.5, 1.5, 26.5, 1.5, 26.5, 8);
    thumb.cubicTo(26.5, 14, 25, 19, 27, 24);
    thumb.lineTo(30, 30);
    thumb.closeSubpath();
    p.setPen(QPen(outline, 1.3));
    p.setBrush(skin);
    p.drawPath(thumb);
    // Thumbnail.
    p.setPen(QPen(outline, 0.7));
    p.setBrush(QColor(0xff, 0xe8, 0xcc));
    p.drawRoundedRect(QRectF(18, 3.8, 7, 7.5), 3, 3);

    // Palm and four curled fingers, knuckles to the right.
    p.setPen(QPen(outline, 1.3));
    p.setBrush(skin);
    p.drawRoundedRect(QRectF(6, 24, 27, 27), 7, 7);
    for (int i = 0; i < 4; ++i)
        p.drawRoundedRect(QRectF(21, 24.5 + i * 6.4, 26 - i * 1.5, 7), 3.5, 3.5);
    // Crease where the thumb meets the palm.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(outline, 0.9));
    p.drawArc(QRectF(9, 24, 14, 10), 200 * 16, 120 * 16);
    return pm;
}

QPixmap trickStackMark(qreal dpr)
{
    QPixmap pm = canvas(QSize(32, 41), dpr);
    QPainter p;
    begin(p, pm);
    for (int i = 0; i < 3; ++i) {
        const QRectF r(i * 4, 8 - i * 4, 24, 33);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 45));
        p.drawRoundedRect(r.translated(0.8, 0.8), 2.5, 2.5);
        paintBack(p, r, 2.5, 2);
    }
    return pm;
}

} // namespace quillet::pictures::paint
