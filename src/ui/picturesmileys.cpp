// The eighteen 17×17 chat smileys.
#include "ui/picturepaint.h"
#include "ui/picturepainters.h"

#include <QPainter>
#include <QRadialGradient>

namespace quillet::pictures::paint {

namespace {

const QColor kFeature(0x3b, 0x22, 0x00);
constexpr qreal kEyeY = 6.6;
constexpr qreal kLeftEye = 6.1, kRightEye = 10.9;

struct Face {
    QPainter &p;

    void head(const QColor &light, const QColor &dark, const QColor &rim)
    {
        QRadialGradient g(QPointF(6.5, 5.5), 10);
        g.setColorAt(0, light);
        g.setColorAt(1, dark);
        p.setPen(QPen(rim, 0.9));
        p.setBrush(g);
        p.drawEllipse(QPointF(8.5, 8.5), 7.6, 7.6);
    }
    void yellow() { head(QColor(0xff, 0xf0, 0x7a), QColor(0xf5, 0xb5, 0x00), QColor(0x8a, 0x5c, 0x00)); }
    void dot(qreal x, qreal y, qreal rx, qreal ry, const QColor &c = kFeature)
    {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QPointF(x, y), rx, ry);
    }
    void eyes()
    {
        dot(kLeftEye, kEyeY, 0.95, 1.35);
        dot(kRightEye, kEyeY, 0.95, 1.35);
    }
    void line(QPointF a, QPointF b, qreal w = 0.9, const QColor &c = kFeature)
    {
        p.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a, b);
    }
    // An arc of the ellipse in r from `start` degrees over `span` degrees (counter-clockwise).
    void arc(const QRectF &r, qreal start, qreal span, qreal w = 0.95, const QColor &c = kFeature)
    {
        p.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(r, qRound(start * 16), qRound(span * 16));
    }
    void smile() { arc(QRectF(4.6, 5.2, 7.8, 6.6), 200, 140); }
    void frown() { arc(QRectF(5.2, 10.6, 6.6, 5), 25, 130); }
    void happyEyes() // ^ ^
    {
        arc(QRectF(kLeftEye - 1.5, kEyeY - 0.6, 3, 2.6), 20, 140);
        arc(QRectF(kRightEye - 1.5, kEyeY - 0.6, 3, 2.6), 20, 140);
    }
    void openMouth(const QColor &inside = QColor(0x8a, 0x1a, 0x10))
    {
        QPainterPath m;
        m.moveTo(4.6, 9.4);
        m.cubicTo(5, 14.5, 12, 14.5, 12.4, 9.4);
        m.closeSubpath();
        p.setPen(QPen(kFeature, 0.7));
        p.setBrush(inside);
        p.drawPath(m);
    }
};

} // namespace

QPixmap smileyFace(int index, qreal dpr)
{
    QPixmap pm = canvas(QSize(17, 17), dpr);
    QPainter painter;
    begin(painter, pm);
    Face f{painter};
    switch (index) {
    case 0: // smile
        f.yellow();
        f.eyes();
        f.smile();
        break;
    case 1: // grin with teeth
        f.yellow();
        f.eyes();
        f.openMouth(Qt::white);
        f.line({4.9, 10.6}, {12.1, 10.6}, 0.5);
        break;
    case 2: // wink
        f.yellow();
        f.dot(kLeftEye, kEyeY, 0.95, 1.35);
        f.arc(QRectF(kRightEye - 1.6, kEyeY - 1.8, 3.2, 2.6), 200, 140);
        f.smile();
        break;
    case 3: // sad
        f.yellow();
        f.eyes();
        f.frown();
        break;
    case 4: // tongue out
        f.yellow();
        f.eyes();
        f.smile();
        f.dot(9.8, 12.4, 1.7, 1.8, QColor(0xe8, 0x4a, 0x6a));
        break;
    case 5: // surprised
        f.yellow();
        f.dot(kLeftEye, kEyeY - 0.3, 1.2, 1.6);
        f.dot(kRightEye, kEyeY - 0.3, 1.2, 1.6);
        f.dot(8.5, 11.8, 1.8, 2.1);
        f.dot(8.5, 11.8, 1.0, 1.3, QColor(0x8a, 0x1a, 0x10));
        break;
    case 6: // sunglasses
        f.yellow();
        f.line({3.2, 5.8}, {13.8, 5.8}, 0.9, QColor(0x10, 0x10, 0x10));
        f.dot(6.0, 6.9, 2.4, 1.7, QColor(0x10, 0x10, 0x10));
        f.dot(11.0, 6.9, 2.4, 1.7, QColor(0x10, 0x10, 0x10));
        f.dot(5.2, 6.3, 0.6, 0.4, QColor(0x90, 0x90, 0xa0));
        f.smile();
        break;
    case 7: // angry
        f.head(QColor(0xff, 0xa0, 0x70), QColor(0xd8, 0x30, 0x1a), QColor(0x6a, 0x10, 0x00));
        f.line({4.6, 4.6}, {7.6, 5.8});
        f.line({12.4, 4.6}, {9.4, 5.8});
        f.dot(kLeftEye, kEyeY + 0.7, 0.9, 1.0);
        f.dot(kRightEye, kEyeY + 0.7, 0.9, 1.0);
        f.frown();
        break;
    case 8: // laughing
        f.yellow();
        f.happyEyes();
        f.openMouth();
        f.dot(8.5, 12.3, 1.8, 0.8, QColor(0xe8, 0x4a, 0x6a));
        break;
    case 9: // crying
        f.yellow();
        f.eyes();
        f.frown();
        f.dot(kLeftEye - 0.4, 10.0, 0.8, 1.4, QColor(0x3a, 0x9a, 0xf0));
        f.dot(kRightEye + 0.4, 10.6, 0.8, 1.4, QColor(0x3a, 0x9a, 0xf0));
        break;
    case 10: // neutral
        f.yellow();
        f.eyes();
        f.line({5.8, 11.6}, {11.2, 11.6});
        break;
    case 11: { // confused
        f.yellow();
        f.eyes();
        f.line({9.4, 3.8}, {12.4, 3.2}, 0.8);
        QPainterPath w;
        w.moveTo(5.2, 12);
        w.cubicTo(6.6, 10.4, 7.6, 13.2, 8.8, 11.6);
        w.cubicTo(10, 10.2, 10.8, 12.6, 11.8, 11.2);
        painter.setPen(QPen(kFeature, 0.9, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(w);
        break;
    }
    case 12: { // kiss with a little heart
        f.yellow();
        f.happyEyes();
        f.arc(QRectF(6.8, 9.6, 2.6, 2), 270, 180, 0.9);
        f.arc(QRectF(6.8, 11.4, 2.6, 2), 270, 180, 0.9);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xe0, 0x10, 0x30));
        painter.drawPath(suitPath(3, QRectF(11, 9.5, 4.6, 4.6)));
        break;
    }
    case 13: { // devil
        QPainterPath horns;
        horns.moveTo(3.0, 5.0);
        horns.lineTo(2.2, 0.6);
        horns.lineTo(6.0, 2.4);
        horns.closeSubpath();
        horns.moveTo(14.0, 5.0);
        horns.lineTo(14.8, 0.6);
        horns.lineTo(11.0, 2.4);
        horns.closeSubpath();
        painter.setPen(QPen(QColor(0x3a, 0x06, 0x40), 0.6));
        painter.setBrush(QColor(0x8e, 0x2a, 0xa8));
        painter.drawPath(horns);
        f.head(QColor(0xd0, 0x80, 0xf0), QColor(0x7a, 0x1e, 0x9a), QColor(0x3a, 0x06, 0x40));
        f.line({4.8, 4.8}, {7.4, 5.8});
        f.line({12.2, 4.8}, {9.6, 5.8});
        f.eyes();
        f.smile();
        break;
    }
    case 14: // angel
        f.yellow();
        f.happyEyes();
        f.smile();
        painter.setPen(QPen(QColor(0x3a, 0x9a, 0xf0), 1.1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(8.5, 1.6), 5.0, 1.2);
        break;
    case 15: // sleepy
        f.yellow();
        f.line({4.9, 6.9}, {7.3, 6.9});
        f.line({9.7, 6.9}, {12.1, 6.9});
        f.dot(8.5, 11.8, 1.1, 1.2);
        f.line({11.8, 1.4}, {14.2, 1.4}, 0.7, QColor(0x20, 0x40, 0xa0));
        f.line({14.2, 1.4}, {11.8, 3.8}, 0.7, QColor(0x20, 0x40, 0xa0));
        f.line({11.8, 3.8}, {14.2, 3.8}, 0.7, QColor(0x20, 0x40, 0xa0));
        break;
    case 16: // blushing
        f.yellow();
        f.happyEyes();
        f.smile();
        f.dot(4.4, 9.6, 1.6, 1.0, QColor(0xf2, 0x6a, 0x7a, 170));
        f.dot(12.6, 9.6, 1.6, 1.0, QColor(0xf2, 0x6a, 0x7a, 170));
        break;
    case 17: { // sick
        f.head(QColor(0xd8, 0xf0, 0x90), QColor(0x8a, 0xc0, 0x30), QColor(0x3a, 0x5a, 0x00));
        f.line({4.9, 6.6}, {7.3, 7.2});
        f.line({12.1, 6.6}, {9.7, 7.2});
        QPainterPath w;
        w.moveTo(4.8, 11.8);
        for (int i = 0; i < 4; ++i)
            w.quadTo(5.7 + i * 1.85, i % 2 ? 12.9 : 10.7, 6.65 + i * 1.85, 11.8);
        painter.setPen(QPen(QColor(0x2a, 0x3a, 0x00), 0.9, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(w);
        break;
    }
    default:
        return QPixmap();
    }
    return pm;
}

} // namespace quillet::pictures::paint
