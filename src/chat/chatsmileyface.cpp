#include "chat/chatsmileyface.h"

#include "chat/chatlayout.h"

#include <QPainter>
#include <QPainterPath>

namespace quillet {

QPixmap drawChatSmileyFace(int picture, qreal devicePixelRatio)
{
    const qreal dpr = std::max<qreal>(1.0, devicePixelRatio);
    const int side = kSmileySize;
    QPixmap pix(QSize(side, side) * dpr);
    pix.setDevicePixelRatio(dpr);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor face = QColor::fromHsv((40 + picture * 37) % 360, 170, 255);
    p.setPen(QPen(face.darker(220), 1));
    p.setBrush(face);
    p.drawEllipse(QRectF(0.5, 0.5, side - 1, side - 1));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 30, 20));
    p.drawEllipse(QRectF(4.5, 5, 2.2, 2.6));
    p.drawEllipse(QRectF(10.3, 5, 2.2, 2.6));
    p.setPen(QPen(QColor(40, 30, 20), 1.3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath mouth;
    const qreal bend = (picture % 3 == 0) ? 3.0 : (picture % 3 == 1 ? 0.0 : -2.5);
    mouth.moveTo(4.5, 11);
    mouth.quadTo(8.5, 11 + bend, 12.5, 11);
    p.drawPath(mouth);
    return pix;
}

} // namespace quillet
