// The painters behind quillet::pictures: each returns a fresh pixmap of its logical size × dpr.
#pragma once

#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

namespace quillet::pictures::paint {

inline constexpr int kCardWidth = 71;
inline constexpr int kCardHeight = 96;

// picturecards.cpp
QPixmap cardBack(qreal dpr);
QPixmap cardFace(int card, qreal dpr); // 1..52
QPixmap noTrumpCard(qreal dpr);

// picturecourts.cpp: the framed two-headed figure of a jack, queen or king (rank 10, 11, 12).
void paintCourt(QPainter &p, int suit, int rank, const QRectF &frame);

// picturemarks.cpp
QPixmap turnMark(qreal dpr);
QPixmap eyesMark(qreal dpr);
QPixmap winnerMark(qreal dpr);
QPixmap thumbMark(qreal dpr);
QPixmap trickStackMark(qreal dpr);

// picturesmileys.cpp
inline constexpr int kSmileyCount = 18;
QPixmap smileyFace(int index, qreal dpr); // 0..17

// picturebuttons.cpp
QPixmap button(const QString &caption, QSize size, bool pressed, qreal dpr);
QPixmap gameType(char letter, qreal dpr);
QPixmap logo(qreal dpr);
// The logo in logical coordinates 0..kLogoSize, onto any painter: the window icon,
// and the installed icon files (bitmaps and the scalable one) drawn by tools/.
inline constexpr int kLogoSize = 64;
void paintLogo(QPainter &p);

} // namespace quillet::pictures::paint
