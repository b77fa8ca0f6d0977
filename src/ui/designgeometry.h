// A view laid out at a design size and shown `scale` times as large (the table in a
// large window). Each placed widget keeps its design rectangle and font size; the real
// geometry and font follow from them and the view's scale, so the layout keeps its
// proportions at any size and nothing is a bitmap scaled up.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace quillet::design {

// Makes `root` the view whose scale its placed descendants follow (1 at first).
void makeView(QWidget *root);
// The scale of the view a widget belongs to (1 outside any view).
qreal scaleOf(const QWidget *w);
// A design rectangle at a scale: the edges are rounded, so neighbours stay neighbours.
QRect scaled(const QRect &design, qreal scale);

// Places a widget at a design rectangle, now and at every later scale.
void place(QWidget *w, const QRect &designRect);
void move(QWidget *w, QPoint designTopLeft);
void resize(QWidget *w, QSize designSize);
// The widget's design rectangle; its real geometry when it was never placed.
QRect rect(const QWidget *w);
bool isPlaced(const QWidget *w);

// The widget's font at `pixelSize` design pixels, scaled with the view.
void setFont(QWidget *w, int pixelSize, bool bold);
int fontPixels(const QWidget *w); // the design size, 0 when never set

// Gives the view a new scale: every placed descendant gets its geometry and font anew
// and every picture of the kit is drawn again at the new size.
void setScale(QWidget *root, qreal scale);
// Draws the view's pictures again at the same scale (after the pictures changed look).
void redrawPictures(QWidget *root);

} // namespace quillet::design
