// Court figures: a framed, two-headed half-length figure per rank, drawn once for the upper half
// and again turned half a turn for the lower half, as on printed cards.
#include "ui/picturepaint.h"
#include "ui/picturepainters.h"

#include <QPainter>

#include <cmath>
#include <numbers>

namespace quillet::pictures::paint {

namespace {

constexpr int kJack = 10, kQueen = 11, kKing = 12;

const QColor kRed(0xb8, 0x26, 0x2b);
const QColor kBlue(0x23, 0x47, 0x9a);
const QColor kGold(0xe2, 0xb1, 0x3c);
const QColor kSkin(0xf6, 0xd5, 0xab);
const QColor kInk(0x3a, 0x24, 0x14);

struct Dress {
    QColor robe, panel, trim, hair;
};

Dress dressOf(int rank)
{
    switch (rank) {
    case kKing: return {kRed, kBlue, kGold, QColor(0x8a, 0x5a, 0x2b)};
    case kQueen: return {kBlue, kRed, kGold, QColor(0xc9, 0x7f, 0x28)};
    default: return {QColor(0xd9, 0xa0, 0x26), kBlue, kRed, QColor(0x6b, 0x40, 0x1c)};
    }
}

void fill(QPainter &p, const QPainterPath &path, const QColor &c, qreal outline = 0.5)
{
    p.setPen(outline > 0 ? QPen(kInk, outline) : QPen(Qt::NoPen));
    p.setBrush(c);
    p.drawPath(path);
}

QPainterPath circle(qreal x, qreal y, qreal r)
{
    QPainterPath c;
    c.addEllipse(QPointF(x, y), r, r);
    return c;
}

void paintAttribute(QPainter &p, int rank)
{
    p.setBrush(Qt::NoBrush);
    if (rank == kKing) { // sword held upright at the right
        p.setPen(QPen(QColor(0x8d, 0x96, 0xa0), 1.8, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(34.5, 4), QPointF(34.5, 38.5));
        p.setPen(QPen(QColor(0xdd, 0xe2, 0xe8), 0.5));
        p.drawLine(QPointF(34.2, 5), QPointF(34.2, 25));
        p.setPen(QPen(kGold.darker(120), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(31.5, 26.5), QPointF(37.5, 26.5));
    } else if (rank == kQueen) { // a flower at the left
        p.setPen(QPen(QColor(0x3c, 0x7a, 0x34), 0.9));
        p.drawLine(QPointF(9, 36), QPointF(8, 20));
        fill(p, circle(5.8, 26, 1.2), QColor(0x4c, 0x9a, 0x40), 0);
        for (int i = 0; i < 5; ++i) {
            const qreal a = i * 72 * std::numbers::pi / 180;
            fill(p, circle(8 + 2 * std::sin(a), 18.5 - 2 * std::cos(a), 1.5), QColor(0xd8, 0x2a, 0x4a), 0.3);
        }
        fill(p, circle(8, 18.5, 1.1), kGold, 0);
    } else { // a halberd at the right
        p.setPen(QPen(QColor(0x7a, 0x4e, 0x22), 1.4, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(35, 5), QPointF(35, 38.5));
        QPainterPath blade;
        blade.moveTo(35, 7);
        blade.cubicTo(40, 7, 41.5, 10, 41, 14);
        blade.lineTo(35, 12.5);
        blade.closeSubpath();
        blade.moveTo(35, 2);
        blade.lineTo(36.2, 6);
        blade.lineTo(33.8, 6);
        blade.closeSubpath();
        fill(p, blade, QColor(0xa6, 0xae, 0xb8), 0.4);
    }
}

void paintHair(QPainter &p, int rank, const Dress &d)
{
    if (rank == kQueen) { // long hair falling to the shoulders
        QPainterPath hair;
        hair.moveTo(22, 6.5);
        hair.cubicTo(31, 6.5, 31, 16, 30.5, 25);
        hair.lineTo(13.5, 25);
        hair.cubicTo(13, 16, 13, 6.5, 22, 6.5);
        fill(p, hair, d.hair);
    } else if (rank == kJack) { // curls at both sides
        fill(p, circle(16.5, 16, 2.8), d.hair, 0.4);
        fill(p, circle(27.5, 16, 2.8), d.hair, 0.4);
        fill(p, circle(17, 11, 3), d.hair, 0.4);
        fill(p, circle(27, 11, 3), d.hair, 0.4);
    }
}

void paintBody(QPainter &p, int suit, int rank, const Dress &d)
{
    QPainterPath body;
    body.moveTo(4.5, 38.5);
    body.lineTo(4.5, 30);
    body.quadTo(4.5, 25.5, 9.5, 24.5);
    body.lineTo(17, 23);
    body.lineTo(27, 23);
    body.lineTo(34.5, 24.5);
    body.quadTo(39.5, 25.5, 39.5, 30);
    body.lineTo(39.5, 38.5);
    body.closeSubpath();
    fill(p, body, d.robe);

    p.save();
    p.setClipPath(body);
    // Sleeves: the arms hang beside the front panel.
    p.setPen(QPen(d.trim, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(11.5, 27), QPointF(10.5, 38.5));
    p.drawLine(QPointF(32.5, 27), QPointF(33.5, 38.5));
    p.setPen(QPen(d.trim.darker(130), 0.6));
    for (qreal y : {30.0, 33.0, 36.0}) {
        p.drawLine(QPointF(5, y), QPointF(10.8, y));
        p.drawLine(QPointF(33.2, y), QPointF(39, y));
    }
    // Front panel with trimmed edges and buttons.
    QPainterPath panel;
    panel.moveTo(18.5, 23);
    panel.lineTo(25.5, 23);
    panel.lineTo(29.5, 38.5);
    panel.lineTo(14.5, 38.5);
    panel.closeSubpath();
    fill(p, panel, d.panel, 0);
    p.setPen(QPen(d.trim, 1.2));
    p.drawLine(QPointF(18.5, 23), QPointF(14.5, 38.5));
    p.drawLine(QPointF(25.5, 23), QPointF(29.5, 38.5));
    for (qreal y : {28.5, 32.5, 36.5})
        fill(p, circle(22, y, 0.9), d.trim, 0);
    // A band of the suit's colour across the chest.
    p.setPen(QPen(suitColour(suit), 1.0));
    p.drawLine(QPointF(3, 35), QPointF(41, 35));
    p.restore();

    // Collar: ermine for the king, lace for the queen, a gold band for the jack.
    if (rank == kKing) {
        QPainterPath collar;
        collar.addRoundedRect(QRectF(14, 21.5, 16, 4.5), 2, 2);
        fill(p, collar, QColor(0xfb, 0xfb, 0xf6), 0.4);
        for (qreal x : {17.0, 22.0, 27.0})
            fill(p, circle(x, 23.8, 0.6), QColor(0x10, 0x10, 0x10), 0);
    } else if (rank == kQueen) {
        QPainterPath lace;
        for (qreal x = 15; x <= 29.01; x += 2.8)
            lace.addEllipse(QPointF(x, 23.5), 1.7, 1.7);
        lace = lace.simplified();
        fill(p, lace, QColor(0xfb, 0xfb, 0xf6), 0.35);
    } else {
        QPainterPath band;
        band.addRoundedRect(QRectF(15.5, 22, 13, 3.5), 1.5, 1.5);
        fill(p, band, kGold, 0.4);
    }
}

void paintHead(QPainter &p, int rank, const Dress &d)
{
    QPainterPath neck;
    neck.addRect(QRectF(19.8, 18, 4.4, 4.5));
    fill(p, neck, kSkin, 0);
    QPainterPath face;
    face.addEllipse(QPointF(22, 14.5), 5, 6);
    fill(p, face, kSkin);

    if (rank == kKing) { // beard and moustache
        QPainterPath beard;
        beard.moveTo(17.2, 15);
        beard.cubicTo(17, 22, 20, 25, 22, 25.5);
        beard.cubicTo(24, 25, 27, 22, 26.8, 15);
        beard.cubicTo(26, 18.5, 24, 18.8, 22, 18.8);
        beard.cubicTo(20, 18.8, 18, 18.5, 17.2, 15);
        fill(p, beard, d.hair, 0.4);
    }
    // Eyes, brows and mouth.
    fill(p, circle(20.1, 13.8, 0.7), kInk, 0);
    fill(p, circle(23.9, 13.8, 0.7), kInk, 0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kInk, 0.45));
    p.drawLine(QPointF(19, 12.2), QPointF(21, 12));
    p.drawLine(QPointF(23, 12), QPointF(25, 12.2));
    p.setPen(QPen(QColor(0xb0, 0x30, 0x30), 0.7));
    p.drawArc(QRectF(20.6, 15.6, 2.8, 1.8), 200 * 16, 140 * 16);

    if (rank == kKing) { // pointed crown with a jewel
        QPainterPath crown;
        crown.moveTo(15.8, 10);
        crown.lineTo(15.2, 3.5);
        crown.lineTo(18.6, 6.6);
        crown.lineTo(22, 1.2);
        crown.lineTo(25.4, 6.6);
        crown.lineTo(28.8, 3.5);
        crown.lineTo(28.2, 10);
        crown.closeSubpath();
        fill(p, crown, kGold);
        fill(p, circle(22, 8, 1.1), kRed, 0.3);
        for (qreal x : {15.2, 22.0, 28.8})
            fill(p, circle(x, x == 22.0 ? 1.2 : 3.5, 0.8), kGold.lighter(115), 0.3);
    } else if (rank == kQueen) { // low crown with pearls
        QPainterPath crown;
        crown.moveTo(16.5, 9.5);
        crown.lineTo(16.5, 6);
        crown.quadTo(19.2, 7.6, 22, 4.8);
        crown.quadTo(24.8, 7.6, 27.5, 6);
        crown.lineTo(27.5, 9.5);
        crown.closeSubpath();
        fill(p, crown, kGold);
        for (qreal x : {16.5, 22.0, 27.5})
            fill(p, circle(x, x == 22.0 ? 4.6 : 5.6, 1.1), QColor(0xf7, 0xf4, 0xec), 0.3);
        fill(p, circle(22, 8, 0.9), kBlue, 0);
    } else { // a beret with a feather
        QPainterPath feather;
        feather.moveTo(26, 7.5);
        feather.cubicTo(30, 4, 33, 2, 37, 1.5);
        feather.cubicTo(34, 4.5, 31, 7, 27, 9);
        feather.closeSubpath();
        fill(p, feather, QColor(0xfb, 0xfb, 0xf6), 0.35);
        QPainterPath cap;
        cap.moveTo(14, 10.5);
        cap.cubicTo(13.5, 5, 19, 3.5, 23, 3.8);
        cap.cubicTo(28, 4.2, 31, 6.5, 30, 10);
        cap.cubicTo(26, 8.5, 18, 8.8, 14, 10.5);
        fill(p, cap, d.trim);
    }
}

void paintHands(QPainter &p, int rank)
{
    if (rank == kQueen)
        fill(p, circle(9.2, 31, 2.1), kSkin, 0.45);
    else
        fill(p, circle(rank == kKing ? 34.5 : 35, 30, 2.1), kSkin, 0.45);
}

void paintHalf(QPainter &p, int suit, int rank)
{
    const Dress d = dressOf(rank);
    paintAttribute(p, rank);
    paintHair(p, rank, d);
    paintBody(p, suit, rank, d);
    paintHead(p, rank, d);
    paintHands(p, rank);
    p.setPen(Qt::NoPen);
    p.setBrush(suitColour(suit));
    p.drawPath(suitPath(suit, QRectF(2.2, 2.2, 7, 7)));
}

} // namespace

void paintCourt(QPainter &p, int suit, int rank, const QRectF &frame)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xfc, 0xf4, 0xdc));
    p.drawRect(frame);

    const qreal w = frame.width(), h = frame.height() / 2;
    const qreal scale = w / 44.0;
    for (int half = 0; half < 2; ++half) {
        p.save();
        if (half == 0) {
            p.translate(frame.topLeft());
        } else {
            p.translate(frame.center());
            p.rotate(180);
            p.translate(-w / 2, -h);
        }
        p.setClipRect(QRectF(0, 0, w, h));
        p.scale(scale, scale);
        paintHalf(p, suit, rank);
        p.restore();
    }

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kInk, 0.5));
    p.drawLine(QPointF(frame.left(), frame.center().y()), QPointF(frame.right(), frame.center().y()));
    p.setPen(QPen(suitColour(suit), 1.0));
    p.drawRect(frame);
    p.restore();
}

} // namespace quillet::pictures::paint
