#include "ui/picturepaint.h"

#include <QFontMetricsF>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QTransform>

#include <cmath>

namespace quillet::pictures::paint {

QPixmap canvas(QSize logical, qreal dpr)
{
    QPixmap pm(qMax(1, qRound(logical.width() * dpr)), qMax(1, qRound(logical.height() * dpr)));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    return pm;
}

void begin(QPainter &p, QPixmap &pm)
{
    p.begin(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

namespace {

// Suit outlines in a 100×100 box; built once.
QPainterPath makeSuit(int suit)
{
    QPainterPath s;
    switch (suit) {
    case 1: { // clubs: three lobes and a flared stem, united into one outline
        const auto lobe = [](qreal x, qreal y) {
            QPainterPath e;
            e.addEllipse(QPointF(x, y), 22, 22);
            return e;
        };
        QPainterPath middle;
        middle.addPolygon(QPolygonF({QPointF(50, 30), QPointF(28, 56), QPointF(72, 56)}));
        middle.closeSubpath();
        QPainterPath stem;
        stem.moveTo(46, 56);
        stem.cubicTo(46, 78, 40, 90, 28, 100);
        stem.lineTo(72, 100);
        stem.cubicTo(60, 90, 54, 78, 54, 56);
        stem.closeSubpath();
        return lobe(50, 25).united(lobe(25, 58)).united(lobe(75, 58)).united(middle).united(stem);
    }
    case 2: // diamonds: slightly curved sides
        s.moveTo(50, 0);
        s.cubicTo(60, 18, 72, 36, 88, 50);
        s.cubicTo(72, 64, 60, 82, 50, 100);
        s.cubicTo(40, 82, 28, 64, 12, 50);
        s.cubicTo(28, 36, 40, 18, 50, 0);
        s.closeSubpath();
        return s;
    case 3: // hearts
        s.moveTo(50, 26);
        s.cubicTo(50, 8, 30, -2, 14, 6);
        s.cubicTo(-2, 15, -2, 40, 11, 55);
        s.cubicTo(22, 68, 40, 80, 50, 100);
        s.cubicTo(60, 80, 78, 68, 89, 55);
        s.cubicTo(102, 40, 102, 15, 86, 6);
        s.cubicTo(70, -2, 50, 8, 50, 26);
        s.closeSubpath();
        return s;
    case 4: // spades: an upturned heart on a flared stem
        s.setFillRule(Qt::WindingFill);
        s.moveTo(50, 0);
        s.cubicTo(40, 18, 20, 30, 9, 44);
        s.cubicTo(-3, 59, 4, 80, 24, 80);
        s.cubicTo(35, 80, 43, 73, 47, 66);
        s.cubicTo(46, 80, 40, 91, 28, 100);
        s.lineTo(72, 100);
        s.cubicTo(60, 91, 54, 80, 53, 66);
        s.cubicTo(57, 73, 65, 80, 76, 80);
        s.cubicTo(96, 80, 103, 59, 91, 44);
        s.cubicTo(80, 30, 60, 18, 50, 0);
        s.closeSubpath();
        return s.simplified();
    default:
        return s;
    }
}

const QPainterPath &unitSuit(int suit)
{
    static const QPainterPath paths[5] = {QPainterPath(), makeSuit(1), makeSuit(2), makeSuit(3), makeSuit(4)};
    return paths[suit >= 1 && suit <= 4 ? suit : 0];
}

} // namespace

QPainterPath suitPath(int suit, const QRectF &box)
{
    const qreal side = qMin(box.width(), box.height());
    QTransform t;
    t.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    t.scale(side / 100.0, side / 100.0);
    return t.map(unitSuit(suit));
}

bool isRedSuit(int suit) { return suit == 2 || suit == 3; }

namespace {
bool fourColourDeck = false;
} // namespace

void setFourColour(bool on) { fourColourDeck = on; }
bool fourColour() { return fourColourDeck; }

QColor suitColour(int suit)
{
    if (fourColourDeck && suit == 1)
        return QColor(0x0e, 0x7a, 0x2c);
    if (fourColourDeck && suit == 2)
        return QColor(0x14, 0x4c, 0xc8);
    return isRedSuit(suit) ? QColor(0xd0, 0x10, 0x1c) : QColor(0x14, 0x14, 0x14);
}

QFont pictureFont(bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                   QStringLiteral("Helvetica")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(100);
    f.setBold(bold);
    return f;
}

namespace {

struct TextOutline {
    QPainterPath path; // at 100 px, baseline at y 0
    qreal cap = 72;
};

// Outlines are built from the font once per text; the pictures reuse a handful of words.
const TextOutline &outlineOf(const QString &text, bool bold)
{
    static QHash<QString, TextOutline> cache[2];
    auto it = cache[bold].find(text);
    if (it == cache[bold].end()) {
        const QFont font = pictureFont(bold);
        TextOutline o;
        o.path.addText(0, 0, font, text);
        const qreal cap = QFontMetricsF(font).capHeight();
        if (cap > 0)
            o.cap = cap;
        it = cache[bold].insert(text, o);
    }
    return *it;
}

} // namespace

QPainterPath fittedText(const QString &text, const QRectF &box, Qt::Alignment align, bool bold)
{
    const TextOutline &o = outlineOf(text, bold);
    const QRectF br = o.path.boundingRect();
    const qreal scale = box.height() / o.cap;
    qreal sx = scale;
    if (br.width() * scale > box.width() && br.width() > 0)
        sx = box.width() / br.width();
    qreal x = box.left() - br.left() * sx;
    if (align & Qt::AlignHCenter)
        x = box.center().x() - (br.left() + br.width() / 2) * sx;
    else if (align & Qt::AlignRight)
        x = box.right() - br.right() * sx;
    QTransform t;
    t.translate(x, box.bottom());
    t.scale(sx, scale);
    return t.map(o.path);
}

void paintBlank(QPainter &p, const QRectF &card, qreal radius)
{
    QLinearGradient g(card.topLeft(), card.bottomRight());
    g.setColorAt(0, QColor(0xff, 0xff, 0xff));
    g.setColorAt(1, QColor(0xf3, 0xf1, 0xea));
    p.setPen(QPen(QColor(0x6e, 0x6e, 0x6e), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

void paintBack(QPainter &p, const QRectF &card, qreal radius, qreal margin)
{
    paintBlank(p, card, radius);
    const QRectF field = card.adjusted(margin, margin, -margin, -margin);
    const qreal r = qMax<qreal>(0.5, radius - margin / 2);
    QPainterPath clip;
    clip.addRoundedRect(field, r, r);

    p.save();
    p.setClipPath(clip);
    p.fillRect(field, QColor(0x1b, 0x35, 0x7a));
    // Diagonal lattice, both ways, centred on the card so the back is symmetric.
    const qreal step = qMax<qreal>(3.0, field.width() / 9.0);
    const QPointF c = field.center();
    const qreal reach = field.width() + field.height();
    p.setPen(QPen(QColor(0x6d, 0x8f, 0xd8), qMax<qreal>(0.5, step / 7.0)));
    for (qreal k = -reach; k <= reach; k += step) {
        p.drawLine(QPointF(c.x() + k - reach, c.y() - reach), QPointF(c.x() + k + reach, c.y() + reach));
        p.drawLine(QPointF(c.x() + k + reach, c.y() - reach), QPointF(c.x() + k - reach, c.y() + reach));
    }
    // A small light diamond in every lattice cell.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc9, 0xd6, 0xf2));
    const qreal d = step * 0.16;
    for (qreal y = -reach; y <= reach; y += step) {
        for (qreal x = -reach; x <= reach; x += step) {
            const QPointF m(c.x() + x, c.y() + y + step / 2);
            if (!field.adjusted(-step, -step, step, step).contains(m))
                continue;
            const QPointF pts[4] = {{m.x(), m.y() - d}, {m.x() + d, m.y()}, {m.x(), m.y() + d}, {m.x() - d, m.y()}};
            p.drawPolygon(pts, 4);
        }
    }
    p.restore();
    // Double frame line inside the coloured field.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x0e, 0x1f, 0x4d), qMax<qreal>(0.6, margin / 4)));
    p.drawRoundedRect(field, r, r);
    const qreal inset = qMax<qreal>(1.5, margin * 0.6);
    p.setPen(QPen(QColor(0xe8, 0xee, 0xfa), qMax<qreal>(0.5, margin / 5)));
    p.drawRoundedRect(field.adjusted(inset, inset, -inset, -inset), r * 0.6, r * 0.6);
}

} // namespace quillet::pictures::paint
