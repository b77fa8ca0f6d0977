// The installed icons: the committed files are what the picture code draws today,
// and the SVG writer draws what QPainter draws (checked with the renderer the
// desktop itself uses for scalable icons, rsvg-convert).
#include "programicons.h"
#include "svgwriter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace quillet::icons;

namespace {

// Share of pixels whose premultiplied colour differs by more than `tolerance` in some
// channel: antialiasing differs a little between renderers, a wrong shape a lot.
double mismatch(const QImage &a, const QImage &b, int tolerance = 40)
{
    if (a.size() != b.size())
        return 1.0;
    const QImage pa = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage pb = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    qint64 off = 0;
    for (int y = 0; y < pa.height(); ++y) {
        const auto *ra = reinterpret_cast<const QRgb *>(pa.constScanLine(y));
        const auto *rb = reinterpret_cast<const QRgb *>(pb.constScanLine(y));
        for (int x = 0; x < pa.width(); ++x) {
            const QRgb p = ra[x], q = rb[x];
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            off += d > tolerance;
        }
    }
    return double(off) / double(pa.width() * pa.height());
}

// The SVG as the desktop's renderer draws it; a null image if it cannot.
QImage rasterise(const QByteArray &svg, int pixels)
{
    QTemporaryDir dir;
    const QString in = dir.filePath("in.svg"), out = dir.filePath("out.png");
    QFile file(in);
    if (!file.open(QIODevice::WriteOnly) || file.write(svg) != svg.size())
        return {};
    file.close();
    QProcess rsvg;
    rsvg.start("rsvg-convert", {"-w", QString::number(pixels), "-h", QString::number(pixels), "-o", out, in});
    if (!rsvg.waitForFinished(30000) || rsvg.exitCode() != 0)
        return {};
    return QImage(out);
}

} // namespace

class TestIcons : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable("rsvg-convert").isEmpty(),
                 "rsvg-convert is missing: run tools/install-deps.sh");
        QVERIFY(!programIcons().empty());
    }

    void committedBitmapsAreThePictureCodes()
    {
        const QDir theme(QStringLiteral(QUILLET_ICON_THEME));
        for (const ProgramIcon &icon : programIcons()) {
            for (int pixels : kBitmapSizes) {
                const QString path = theme.filePath(bitmapPath(icon, pixels));
                const QImage committed(path);
                QVERIFY2(!committed.isNull(), qPrintable(path + " is missing"));
                QCOMPARE(committed.size(), QSize(pixels, pixels));
                QVERIFY2(mismatch(committed, renderBitmap(icon, pixels), 8) < 0.002,
                         qPrintable(path + " is out of date: run tools/make-icons.sh"));
            }
        }
    }

    void committedSvgDrawsThePicture()
    {
        const QDir theme(QStringLiteral(QUILLET_ICON_THEME));
        for (const ProgramIcon &icon : programIcons()) {
            QFile file(theme.filePath(svgPath(icon)));
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName() + " is missing"));
            const QImage drawn = rasterise(file.readAll(), 256);
            QVERIFY(!drawn.isNull());
            QVERIFY2(mismatch(drawn, renderBitmap(icon, 256)) < 0.01,
                     qPrintable(file.fileName() + " is out of date: run tools/make-icons.sh"));
        }
    }

    // Clips set under one transform and kept under the next, restore() dropping
    // them, gradients, translucency, strokes with caps and both fill rules.
    void svgWriterDrawsWhatThePainterDraws()
    {
        const auto draw = [](QPainter &p) {
            p.setRenderHint(QPainter::Antialiasing);
            p.fillRect(QRectF(0, 0, 64, 64), QColor(250, 250, 240));
            p.save();
            p.translate(32, 32);
            p.rotate(30);
            QPainterPath clip;
            clip.addEllipse(QPointF(0, 0), 20, 12);
            p.setClipPath(clip);
            p.rotate(-60);
            p.setPen(QPen(QColor(20, 40, 160), 3));
            for (int x = -40; x <= 40; x += 8)
                p.drawLine(QPointF(x, -40), QPointF(x, 40));
            p.restore();
            QLinearGradient g(0, 48, 0, 64);
            g.setColorAt(0, QColor(200, 30, 30));
            g.setColorAt(1, QColor(30, 160, 30, 128));
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawRect(QRectF(4, 48, 56, 14));
            p.setBrush(QColor(0, 0, 0, 90));
            p.drawEllipse(QRectF(2, 2, 18, 18));
            p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(44, 6), QPointF(60, 20));
            QPainterPath ring;
            ring.addEllipse(QPointF(52, 36), 8, 8);
            ring.addEllipse(QPointF(52, 36), 4, 4);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(120, 60, 10));
            p.drawPath(ring); // odd-even: a hole in the middle
        };
        QImage raster(256, 256, QImage::Format_ARGB32_Premultiplied);
        raster.fill(Qt::transparent);
        {
            QPainter p(&raster);
            p.scale(4, 4);
            draw(p);
        }
        SvgWriter svg(QSize(64, 64), "test");
        {
            QPainter p(&svg);
            draw(p);
        }
        const QByteArray doc = svg.document();
        QVERIFY(doc.contains("<clipPath"));
        QVERIFY(doc.contains("<title>test</title>"));
        const QImage drawn = rasterise(doc, 256);
        QVERIFY(!drawn.isNull());
        QVERIFY2(mismatch(drawn, raster) < 0.01, doc.constData());
    }
};

QTEST_MAIN(TestIcons)
#include "test_icons.moc"
