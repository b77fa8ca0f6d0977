#include "svgwriter.h"

#include <QBrush>
#include <QHash>
#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPen>
#include <QTransform>

#include <cmath>

namespace quillet::icons {

namespace {

QByteArray number(qreal v)
{
    // Three decimals are far below a pixel of any icon size.
    const qreal r = std::round(v * 1000.0) / 1000.0;
    return QByteArray::number(r == 0 ? 0.0 : r, 'g', 10);
}

QByteArray pathData(const QPainterPath &path)
{
    QByteArray d;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QByteArray xy = number(e.x) + ' ' + number(e.y);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            d += 'M' + xy;
            break;
        case QPainterPath::LineToElement:
            d += 'L' + xy;
            break;
        case QPainterPath::CurveToElement: {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element end = path.elementAt(i + 2);
            d += 'C' + xy + ' ' + number(c2.x) + ' ' + number(c2.y) + ' ' + number(end.x) + ' ' +
                 number(end.y);
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement:
            break; // consumed with its curve
        }
    }
    return d;
}

QByteArray colour(const QColor &c) { return c.name(QColor::HexRgb).toLatin1(); }

QByteArray matrix(const QTransform &t)
{
    return "matrix(" + number(t.m11()) + ' ' + number(t.m12()) + ' ' + number(t.m21()) + ' ' +
           number(t.m22()) + ' ' + number(t.dx()) + ' ' + number(t.dy()) + ')';
}

} // namespace

class SvgPaintEngine : public QPaintEngine {
public:
    SvgPaintEngine() : QPaintEngine(AllFeatures) {}

    bool begin(QPaintDevice *) override
    {
        body_.clear();
        defs_.clear();
        clip_ = QPainterPath();
        hasClip_ = false;
        clipId_.clear();
        return true;
    }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState &state) override
    {
        const DirtyFlags dirty = state.state();
        if (dirty & DirtyTransform)
            transform_ = state.transform();
        if (dirty & DirtyPen)
            pen_ = state.pen();
        if (dirty & DirtyBrush)
            brush_ = state.brush();
        if (dirty & (DirtyClipPath | DirtyClipRegion)) {
            QPainterPath next;
            if (dirty & DirtyClipPath)
                next = state.clipPath();
            else
                next.addRegion(state.clipRegion());
            // Kept in device coordinates: the clip stays where it was set whatever
            // the transform does afterwards.
            next = state.transform().map(next);
            switch (state.clipOperation()) {
            case Qt::NoClip:
                hasClip_ = false;
                clip_ = QPainterPath();
                break;
            case Qt::ReplaceClip:
                hasClip_ = true;
                clip_ = next;
                break;
            case Qt::IntersectClip:
                clip_ = hasClip_ ? clip_.intersected(next) : next;
                hasClip_ = true;
                break;
            }
            clipId_.clear();
        }
        if (dirty & (DirtyClipPath | DirtyClipRegion | DirtyClipEnabled))
            clipEnabled_ = state.isClipEnabled();
    }

    void drawPath(const QPainterPath &path) override { write(path, true); }

    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        if (count < 2)
            return;
        QPainterPath path;
        path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        path.moveTo(points[0]);
        for (int i = 1; i < count; ++i)
            path.lineTo(points[i]);
        if (mode != PolylineMode)
            path.closeSubpath();
        write(path, mode != PolylineMode);
    }

    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}

    QByteArray document(QSize size, const QString &title) const
    {
        QByteArray doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        const QByteArray w = QByteArray::number(size.width()), h = QByteArray::number(size.height());
        doc += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
               "\" viewBox=\"0 0 " + w + ' ' + h + "\">\n";
        if (!title.isEmpty())
            doc += "<title>" + title.toHtmlEscaped().toUtf8() + "</title>\n";
        if (!defs_.isEmpty())
            doc += "<defs>\n" + defs_ + "</defs>\n";
        doc += body_;
        doc += "</svg>\n";
        return doc;
    }

private:
    QByteArray paint(const QBrush &brush)
    {
        switch (brush.style()) {
        case Qt::NoBrush:
            return "none";
        case Qt::LinearGradientPattern: {
            const auto *g = static_cast<const QLinearGradient *>(brush.gradient());
            QByteArray def = "<linearGradient gradientUnits=\"userSpaceOnUse\" x1=\"" + number(g->start().x()) +
                             "\" y1=\"" + number(g->start().y()) + "\" x2=\"" + number(g->finalStop().x()) +
                             "\" y2=\"" + number(g->finalStop().y()) + "\">";
            for (const QGradientStop &stop : g->stops()) {
                def += "<stop offset=\"" + number(stop.first) + "\" stop-color=\"" + colour(stop.second) + '"';
                if (stop.second.alpha() != 255)
                    def += " stop-opacity=\"" + number(stop.second.alphaF()) + '"';
                def += "/>";
            }
            def += "</linearGradient>";
            return "url(#" + define("g", def) + ')';
        }
        default:
            return colour(brush.color());
        }
    }

    QByteArray opacity(const char *attribute, const QBrush &brush) const
    {
        if (brush.style() == Qt::LinearGradientPattern || brush.color().alpha() == 255)
            return {};
        return QByteArray(" ") + attribute + "=\"" + number(brush.color().alphaF()) + '"';
    }

    // One definition per distinct content, named by its first use.
    QByteArray define(const char *prefix, const QByteArray &content)
    {
        QByteArray &id = ids_[content];
        if (id.isEmpty()) {
            id = prefix + QByteArray::number(ids_.size());
            QByteArray def = content;
            def.insert(def.indexOf(' '), " id=\"" + id + '"');
            defs_ += def + '\n';
        }
        return id;
    }

    void write(const QPainterPath &path, bool fillable)
    {
        const bool fill = fillable && brush_.style() != Qt::NoBrush;
        const bool stroke = pen_.style() != Qt::NoPen && pen_.brush().style() != Qt::NoBrush;
        if ((!fill && !stroke) || path.isEmpty())
            return;
        const bool clipping = hasClip_ && clipEnabled_;
        if (clipping && clipId_.isEmpty())
            clipId_ = define("c", "<clipPath clipPathUnits=\"userSpaceOnUse\"><path d=\"" + pathData(clip_) +
                                      "\"/></clipPath>");
        if (clipping)
            body_ += "<g clip-path=\"url(#" + clipId_ + ")\">";
        body_ += "<path d=\"" + pathData(path) + '"';
        if (!transform_.isIdentity())
            body_ += " transform=\"" + matrix(transform_) + '"';
        if (fill) {
            body_ += " fill=\"" + paint(brush_) + '"' + opacity("fill-opacity", brush_);
            if (path.fillRule() == Qt::OddEvenFill)
                body_ += " fill-rule=\"evenodd\"";
        } else {
            body_ += " fill=\"none\"";
        }
        if (stroke) {
            const qreal width = pen_.widthF() > 0 ? pen_.widthF() : 1.0;
            body_ += " stroke=\"" + paint(pen_.brush()) + '"' + opacity("stroke-opacity", pen_.brush()) +
                     " stroke-width=\"" + number(width) + '"';
            body_ += pen_.capStyle() == Qt::RoundCap    ? " stroke-linecap=\"round\""
                     : pen_.capStyle() == Qt::FlatCap   ? QByteArray()
                                                        : QByteArray(" stroke-linecap=\"square\"");
            body_ += pen_.joinStyle() == Qt::RoundJoin   ? " stroke-linejoin=\"round\""
                     : pen_.joinStyle() == Qt::BevelJoin ? " stroke-linejoin=\"bevel\""
                                                         : QByteArray();
            if (pen_.joinStyle() == Qt::MiterJoin || pen_.joinStyle() == Qt::SvgMiterJoin)
                body_ += " stroke-miterlimit=\"" + number(pen_.miterLimit()) + '"';
        }
        body_ += "/>";
        if (clipping)
            body_ += "</g>";
        body_ += '\n';
    }

    QTransform transform_;
    QPen pen_;
    QBrush brush_;
    QPainterPath clip_; // device coordinates
    bool hasClip_ = false;
    bool clipEnabled_ = false;
    QByteArray clipId_;
    QByteArray body_;
    QByteArray defs_;
    QHash<QByteArray, QByteArray> ids_;
};

SvgWriter::SvgWriter(QSize size, QString title)
    : size_(size), engine_(std::make_unique<SvgPaintEngine>()), title_(std::move(title))
{
}

SvgWriter::~SvgWriter() = default;

QByteArray SvgWriter::document() const { return engine_->document(size_, title_); }

QPaintEngine *SvgWriter::paintEngine() const { return engine_.get(); }

int SvgWriter::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return size_.width();
    case PdmHeight:
        return size_.height();
    case PdmWidthMM:
        return qRound(size_.width() * 25.4 / 96);
    case PdmHeightMM:
        return qRound(size_.height() * 25.4 / 96);
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    }
    return 0;
}

} // namespace quillet::icons
