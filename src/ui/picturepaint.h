// Painting helpers shared by the picture painters (cards, marks, smileys, buttons).
// Everything is drawn in logical pixels onto canvases that carry the device pixel ratio.
#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

namespace quillet::pictures::paint {

// A transparent pixmap of `logical` size × dpr, tagged with dpr.
QPixmap canvas(QSize logical, qreal dpr);
// Antialiased painter on a canvas; logical coordinates.
void begin(QPainter &p, QPixmap &pm);

// Suit 1 clubs, 2 diamonds, 3 hearts, 4 spades, fitted into a square box
// (centred if the box is not square). Drawn from paths so no font is needed.
QPainterPath suitPath(int suit, const QRectF &box);
bool isRedSuit(int suit);
// Red and black, or with the four-colour deck clubs green and diamonds blue.
QColor suitColour(int suit);
void setFourColour(bool on);
bool fourColour();

// The bold sans font the pictures build their text outlines from.
QFont pictureFont(bool bold = true);
// Text as an outline whose cap height fills box.height() (baseline on box.bottom()),
// squeezed horizontally when wider than the box; aligned left, right or centred.
QPainterPath fittedText(const QString &text, const QRectF &box, Qt::Alignment align = Qt::AlignHCenter,
                        bool bold = true);

// The card back's pattern inside `card` (rounded rectangle with a white margin); scaled to
// any size so the trick stack and the logo share the card's look.
void paintBack(QPainter &p, const QRectF &card, qreal radius, qreal margin);
// A white card blank with a thin grey border.
void paintBlank(QPainter &p, const QRectF &card, qreal radius);

} // namespace quillet::pictures::paint
