// A paint device that writes what a QPainter draws as SVG: filled and stroked paths,
// solid and linear-gradient brushes, transforms and clipping (which the program's
// pictures use, and which Qt's own SVG generator drops). Enough for the icons drawn
// by the picture code; pixmaps and text items are not written.
#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <QString>

#include <memory>

namespace quillet::icons {

class SvgPaintEngine;

class SvgWriter : public QPaintDevice {
public:
    // `size` in pixels; the drawing's coordinates are pixels too (the view box).
    explicit SvgWriter(QSize size, QString title = {});
    ~SvgWriter() override;

    // The whole document; complete once the painter has ended.
    QByteArray document() const;

    QPaintEngine *paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize size_;
    std::unique_ptr<SvgPaintEngine> engine_;
    QString title_;
};

} // namespace quillet::icons
