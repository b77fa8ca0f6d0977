// The 71×96 card pictures: faces, back and the no-trump sign.
#include "ui/picturepaint.h"
#include "ui/picturepainters.h"

#include "protocol/cards.h"

#include <QPainter>

namespace quillet::pictures::paint {

namespace {

const QRectF kCardRect(0, 0, kCardWidth, kCardHeight);
constexpr qreal kRadius = 4.5;
const QPointF kCentre(kCardWidth / 2.0, kCardHeight / 2.0);

QString rankText(int rank) // 1 (two) .. 13 (ace)
{
    static const char *texts[] = {"2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K", "A"};
    return QString::fromLatin1(texts[rank - 1]);
}

// Turns a path drawn for the upper half into its counterpart: rotated half a turn about the card's centre.
QPainterPath upsideDown(const QPainterPath &path, const QPointF &about = kCentre)
{
    QTransform t;
    t.translate(about.x(), about.y());
    t.rotate(180);
    t.translate(-about.x(), -about.y());
    return t.map(path);
}

// Rank above a small suit sign in the top-left corner, and the same upside down bottom-right.
void paintIndices(QPainter &p, int suit, int rank)
{
    const qreal cx = 7.5;
    const qreal w = rank == 9 ? 12.0 : 9.0; // "10" is squeezed into a little more room
    QPainterPath index = fittedText(rankText(rank), QRectF(cx - w / 2, 4, w, 9));
    index.addPath(suitPath(suit, QRectF(cx - 4, 15, 8, 8)));
    p.setPen(Qt::NoPen);
    p.setBrush(suitColour(suit));
    p.drawPath(index);
    p.drawPath(upsideDown(index));
}

// Classic pip places for 2..10: column (-1 left, 0 centre, 1 right) and row fraction (0 top .. 1 bottom).
struct Pip {
    int col;
    qreal row;
};

QList<Pip> pipLayout(int count)
{
    QList<Pip> pips;
    const auto sides = [&](std::initializer_list<qreal> rows) {
        for (qreal r : rows) {
            pips.append({-1, r});
            pips.append({1, r});
        }
    };
    switch (count) {
    case 2: pips = {{0, 0}, {0, 1}}; break;
    case 3: pips = {{0, 0}, {0, 0.5}, {0, 1}}; break;
    case 4: sides({0, 1}); break;
    case 5: sides({0, 1}); pips.append({0, 0.5}); break;
    case 6: sides({0, 0.5, 1}); break;
    case 7: sides({0, 0.5, 1}); pips.append({0, 0.25}); break;
    case 8: sides({0, 0.5, 1}); pips.append({0, 0.25}); pips.append({0, 0.75}); break;
    case 9: sides({0, 1.0 / 3, 2.0 / 3, 1}); pips.append({0, 0.5}); break;
    case 10: sides({0, 1.0 / 3, 2.0 / 3, 1}); pips.append({0, 1.0 / 6}); pips.append({0, 5.0 / 6}); break;
    default: break;
    }
    return pips;
}

void paintPips(QPainter &p, int suit, int count)
{
    constexpr qreal size = 12, top = 17, bottom = 79, spread = 14;
    QPainterPath all;
    for (const Pip &pip : pipLayout(count)) {
        const QPointF c(kCentre.x() + pip.col * spread, top + (bottom - top) * pip.row);
        const QPainterPath one = suitPath(suit, QRectF(c.x() - size / 2, c.y() - size / 2, size, size));
        all.addPath(pip.row > 0.5 ? upsideDown(one, c) : one);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(suitColour(suit));
    p.drawPath(all);
}

void paintAce(QPainter &p, int suit)
{
    const qreal size = suit == 4 ? 40 : 32;
    const QRectF box(kCentre.x() - size / 2, kCentre.y() - size / 2, size, size);
    p.setPen(Qt::NoPen);
    p.setBrush(suitColour(suit));
    p.drawPath(suitPath(suit, box));
    if (suit == 4) { // the ace of spades keeps its traditional flourish: a fine ring around the sign
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x14, 0x14, 0x14), 0.7));
        p.drawEllipse(kCentre, 24, 27);
        p.setPen(QPen(QColor(0xb8, 0x93, 0x2e), 1.2));
        p.drawEllipse(kCentre, 26, 29);
    } else if (isRedSuit(suit)) {
        // A soft highlight gives the large red sign some depth.
        p.setBrush(QColor(255, 255, 255, 60));
        p.drawPath(suitPath(suit, box.adjusted(size * 0.18, size * 0.12, -size * 0.42, -size * 0.5)));
    }
}

} // namespace

QPixmap cardBack(qreal dpr)
{
    QPixmap pm = canvas(QSize(kCardWidth, kCardHeight), dpr);
    QPainter p;
    begin(p, pm);
    paintBack(p, kCardRect, kRadius, 4);
    return pm;
}

QPixmap cardFace(int card, qreal dpr)
{
    if (!isCard(card))
        return QPixmap();
    const int suit = suitOf(card);
    const int rank = rankOf(card);
    QPixmap pm = canvas(QSize(kCardWidth, kCardHeight), dpr);
    QPainter p;
    begin(p, pm);
    paintBlank(p, kCardRect, kRadius);
    if (rank <= 9)
        paintPips(p, suit, rank + 1);
    else if (rank <= 12)
        paintCourt(p, suit, rank, QRectF(13.5, 9.5, 44, 77));
    else
        paintAce(p, suit);
    paintIndices(p, suit, rank);
    return pm;
}

QPixmap noTrumpCard(qreal dpr)
{
    QPixmap pm = canvas(QSize(kCardWidth, kCardHeight), dpr);
    QPainter p;
    begin(p, pm);
    paintBlank(p, kCardRect, kRadius);

    const QColor red(0xd0, 0x10, 0x1c);
    const QColor ink(0x1a, 0x1a, 0x1a);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(fittedText(QStringLiteral("NO"), QRectF(8, 8, 55, 12)));
    p.drawPath(fittedText(QStringLiteral("TRUMP"), QRectF(7, 76, 57, 12)));

    // The four suits, faint, behind a red circle with a bar across it.
    const QPointF c(kCentre.x(), 48);
    const qreal s = 10;
    const QPointF offsets[4] = {{-7, -7}, {7, -7}, {-7, 7}, {7, 7}};
    const int suits[4] = {4, 3, 1, 2};
    for (int i = 0; i < 4; ++i) {
        QColor col = suitColour(suits[i]);
        col.setAlpha(150);
        p.setBrush(col);
        const QPointF m = c + offsets[i];
        p.drawPath(suitPath(suits[i], QRectF(m.x() - s / 2, m.y() - s / 2, s, s)));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(red, 4.2));
    p.drawEllipse(c, 21, 21);
    p.setPen(QPen(red, 4.2, Qt::SolidLine, Qt::FlatCap));
    const qreal d = 21 * 0.7071;
    p.drawLine(QPointF(c.x() - d, c.y() - d), QPointF(c.x() + d, c.y() + d));
    return pm;
}

} // namespace quillet::pictures::paint
