#include "ui/designgeometry.h"

#include "ui/kit.h"

#include <QAbstractButton>
#include <QVariant>
#include <QWidget>

#include <cmath>

namespace quillet::design {

namespace {
constexpr char kScale[] = "designScale";
constexpr char kRect[] = "designRect";
constexpr char kFontPx[] = "designFontPx";

// Whole pixel sizes, rounded down: a text never grows faster than the box it was
// laid out in.
QFont fontAt(const QWidget *w, int px, qreal scale)
{
    QFont f = w->font();
    f.setPixelSize(std::max(1, int(std::floor(px * scale + 1e-6))));
    return f;
}
} // namespace

void makeView(QWidget *root)
{
    if (!root->property(kScale).isValid())
        root->setProperty(kScale, 1.0);
}

qreal scaleOf(const QWidget *w)
{
    for (; w; w = w->parentWidget())
        if (const QVariant v = w->property(kScale); v.isValid())
            return v.toReal();
    return 1.0;
}

QRect scaled(const QRect &d, qreal s)
{
    const int left = int(std::lround(d.x() * s));
    const int top = int(std::lround(d.y() * s));
    const int right = int(std::lround((d.x() + d.width()) * s));
    const int bottom = int(std::lround((d.y() + d.height()) * s));
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

void place(QWidget *w, const QRect &designRect)
{
    w->setProperty(kRect, designRect);
    w->setGeometry(scaled(designRect, scaleOf(w->parentWidget())));
}

void move(QWidget *w, QPoint designTopLeft) { place(w, QRect(designTopLeft, rect(w).size())); }

void resize(QWidget *w, QSize designSize) { place(w, QRect(rect(w).topLeft(), designSize)); }

QRect rect(const QWidget *w)
{
    const QVariant v = w->property(kRect);
    return v.isValid() ? v.toRect() : w->geometry();
}

bool isPlaced(const QWidget *w) { return w->property(kRect).isValid(); }

void setFont(QWidget *w, int pixelSize, bool bold)
{
    w->setProperty(kFontPx, pixelSize);
    QFont f = fontAt(w, pixelSize, scaleOf(w));
    f.setBold(bold);
    w->setFont(f);
}

int fontPixels(const QWidget *w) { return w->property(kFontPx).toInt(); }

void setScale(QWidget *root, qreal scale)
{
    if (!std::isfinite(scale) || scale <= 0)
        return;
    root->setProperty(kScale, scale);
    // Parents before children: findChildren lists them in that order.
    const auto all = root->findChildren<QWidget *>();
    for (QWidget *w : all) {
        if (const QVariant r = w->property(kRect); r.isValid())
            w->setGeometry(scaled(r.toRect(), scaleOf(w->parentWidget())));
        if (const int px = fontPixels(w); px > 0)
            w->setFont(fontAt(w, px, scale));
    }
    redrawPictures(root);
}

void redrawPictures(QWidget *root)
{
    for (TablePicture *p : root->findChildren<TablePicture *>())
        p->redraw();
    for (PictureButton *b : root->findChildren<PictureButton *>())
        b->redraw();
}

} // namespace quillet::design
