// The drawn pictures: sizes at both ratios, distinct faces, suit colours, bad numbers,
// fan widths and the JPEG backgrounds.
#include "ui/pictures.h"

#include <QCryptographicHash>
#include <QImage>
#include <QSet>
#include <QtTest>

#include <climits>

using namespace quillet;
namespace pics = quillet::pictures;

namespace {

QByteArray digest(const QPixmap &pm)
{
    const QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    return QCryptographicHash::hash(QByteArrayView(img.constBits(), img.sizeInBytes()), QCryptographicHash::Sha1);
}

// Clearly red pixels (the suit red), counted inside `area` (device pixels).
int redPixels(const QImage &img, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.alpha() > 200 && c.red() > 150 && c.green() < 90 && c.blue() < 90)
                ++n;
        }
    return n;
}

// Separate blobs of pixels that pass `inside`, within `area` (4-connected).
template <typename Inside>
int blobs(const QImage &img, const QRect &area, Inside inside)
{
    QVector<bool> seen(img.width() * img.height());
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (seen[y * img.width() + x] || !inside(img.pixelColor(x, y)))
                continue;
            ++count;
            QVector<QPoint> todo{QPoint(x, y)};
            seen[y * img.width() + x] = true;
            while (!todo.isEmpty()) {
                const QPoint p = todo.takeLast();
                for (QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint q = p + d;
                    if (!area.contains(q) || seen[q.y() * img.width() + q.x()] || !inside(img.pixelColor(q)))
                        continue;
                    seen[q.y() * img.width() + q.x()] = true;
                    todo.append(q);
                }
            }
        }
    return count;
}

bool suitInk(const QColor &c)
{
    return c.alpha() > 200 && ((c.red() > 150 && c.green() < 90) || (c.red() < 90 && c.green() < 90 && c.blue() < 90));
}

QSize logical(const QPixmap &pm) { return (QSizeF(pm.size()) / pm.devicePixelRatio()).toSize(); }

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void sizesAtRatio_data();
    void sizesAtRatio();
    void newRatioRedrawsHeldReferences();
    void facesAreDistinct();
    void suitColours();
    void pipCounts();
    void gameTypesShowTheirRounds();
    void badNumbersGiveNullPixmaps();
    void fanWidths();
    void backgroundsDecodeFromResources();
};

void TestPictures::sizesAtRatio_data()
{
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("1") << 1.0;
    QTest::newRow("2") << 2.0;
}

void TestPictures::sizesAtRatio()
{
    QFETCH(qreal, dpr);
    pics::init(dpr);
    QCOMPARE(pics::devicePixelRatio(), dpr);

    const auto check = [dpr](const QPixmap &pm, QSize want, const char *what) {
        QVERIFY2(!pm.isNull(), what);
        QCOMPARE(pm.devicePixelRatio(), dpr);
        QCOMPARE(logical(pm), want);
        QCOMPARE(pm.size(), want * dpr);
    };
    for (int n = 0; n <= 53; ++n)
        check(pics::card(n), QSize(71, 96), qPrintable(QString("card %1").arg(n)));
    check(pics::mark(pics::Mark::Turn), QSize(27, 44), "turn");
    check(pics::mark(pics::Mark::Eyes), QSize(24, 17), "eyes");
    check(pics::mark(pics::Mark::Winner), QSize(82, 88), "winner");
    check(pics::mark(pics::Mark::Thumb), QSize(53, 66), "thumb");
    check(pics::mark(pics::Mark::TrickStack), QSize(32, 41), "trick stack");
    for (int i = 0; i < pics::kSmileys; ++i)
        check(pics::smiley(i), QSize(17, 17), "smiley");
    check(pics::pictureButton("Set Bid", QSize(91, 28)), QSize(91, 28), "button");
    check(pics::pictureButton("Start Game", QSize(91, 28), true), QSize(91, 28), "pressed button");
    for (char letter : {'h', 'f', 'm'})
        check(pics::gameTypePicture(letter), QSize(120, 90), "game type");
    check(pics::logo(), QSize(64, 64), "logo");
    check(pics::fan(13), QSize(131, 96), "fan");
    check(pics::background(pics::Background::Table), QSize(782, 474), "table");
    check(pics::background(pics::Background::Side), QSize(360, 500), "side");
    check(pics::background(pics::Background::Trump), QSize(417, 133), "trump");
}

void TestPictures::newRatioRedrawsHeldReferences()
{
    pics::init(1);
    const QPixmap &ace = pics::card(13);
    const QPixmap &smile = pics::smiley(0);
    QCOMPARE(ace.devicePixelRatio(), 1.0);
    pics::init(2);
    QCOMPARE(ace.devicePixelRatio(), 2.0);
    QCOMPARE(ace.size(), QSize(142, 192));
    QCOMPARE(smile.size(), QSize(34, 34));
    pics::init(1);
    QCOMPARE(ace.size(), QSize(71, 96));
}

void TestPictures::facesAreDistinct()
{
    pics::init(1);
    QSet<QByteArray> seen;
    for (int n = 0; n <= 53; ++n) {
        const QByteArray d = digest(pics::card(n));
        QVERIFY2(!seen.contains(d), qPrintable(QString("card %1 looks like an earlier one").arg(n)));
        seen.insert(d);
    }
    seen.clear();
    for (int i = 0; i < pics::kSmileys; ++i)
        seen.insert(digest(pics::smiley(i)));
    QCOMPARE(seen.size(), pics::kSmileys);
    QVERIFY(digest(pics::pictureButton("Set Bid", QSize(91, 28)))
            != digest(pics::pictureButton("Set Bid", QSize(91, 28), true)));
}

void TestPictures::suitColours()
{
    pics::init(1);
    const QRect index(1, 3, 13, 20); // rank and suit sign, top left
    for (int n = 1; n <= 52; ++n) {
        const QImage img = pics::card(n).toImage();
        const int suit = (n - 1) / 13 + 1, rank = (n - 1) % 13 + 1;
        const bool red = suit == 2 || suit == 3;
        const QString what = QString("card %1").arg(n);
        // Court figures wear red in every suit; their suit colour shows in the corners.
        const bool court = rank >= 10 && rank <= 12;
        const QRect area = court ? index : img.rect();
        if (red)
            QVERIFY2(redPixels(img, area) > 20, qPrintable(what));
        else
            QVERIFY2(redPixels(img, area) == 0, qPrintable(what));
    }
    // The no-trump sign's circle is red.
    QVERIFY(redPixels(pics::card(53).toImage(), QRect(0, 0, 71, 96)) > 100);
}

void TestPictures::pipCounts()
{
    pics::init(2);
    // Between the corner indices: one separate pip per spot, two to ten.
    const QRect middle(2 * 14, 2 * 8, 2 * 43, 2 * 80);
    for (int suit = 0; suit < 4; ++suit)
        for (int rank = 1; rank <= 9; ++rank) {
            const int n = suit * 13 + rank;
            QCOMPARE(blobs(pics::card(n).toImage(), middle, suitInk), rank + 1);
        }
}

void TestPictures::gameTypesShowTheirRounds()
{
    pics::init(2);
    // One light bar per round along the foot of the chart.
    const QList<QPair<char, int>> types{{'h', 10}, {'f', 20}, {'m', 23}};
    for (const auto &[letter, rounds] : types) {
        const QImage img = pics::gameTypePicture(letter).toImage();
        const QRect foot(2 * 8, 2 * 66, 2 * 104, 1); // inside the frame
        QCOMPARE(blobs(img, foot, [](const QColor &c) { return c.red() > 180; }), rounds);
    }
}

void TestPictures::badNumbersGiveNullPixmaps()
{
    pics::init(1);
    for (int n : {-1, 54, 255, INT_MIN, INT_MAX})
        QVERIFY(pics::card(n).isNull());
    QVERIFY(pics::fan(0).isNull());
    QVERIFY(pics::fan(-5).isNull());
    QVERIFY(pics::fan(INT_MIN).isNull());
    for (int i : {-1, 18, INT_MAX})
        QCOMPARE(pics::smiley(i).cacheKey(), pics::smiley(0).cacheKey());
    QVERIFY(pics::gameTypePicture('x').isNull());
    QVERIFY(pics::gameTypePicture('\0').isNull());
    QVERIFY(pics::mark(pics::Mark(99)).isNull());
    QVERIFY(pics::background(pics::Background(7)).isNull());
    QVERIFY(pics::pictureButton("Set Bid", QSize(0, 28)).isNull());
    QVERIFY(pics::pictureButton("Set Bid", QSize(-91, 28)).isNull());
    QVERIFY(pics::pictureButton("Set Bid", QSize(100000, 28)).isNull());
}

void TestPictures::fanWidths()
{
    pics::init(1);
    QCOMPARE(pics::fan(10).width(), 116);
    QCOMPARE(pics::fan(9).width(), 111);
    QCOMPARE(pics::fan(1).width(), 71);
    QCOMPARE(pics::fan(14).width(), 131); // clamped to a full hand
    QCOMPARE(pics::fan(INT_MAX).width(), 131);
    // The last back lies whole at the right end (its rounded corners show the one beneath).
    const QImage fan = pics::fan(10).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage back = pics::card(0).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(fan.copy(50, 5, 61, 86), back.copy(5, 5, 61, 86));
}

void TestPictures::backgroundsDecodeFromResources()
{
    pics::init(1);
    // The JPEG decoder must have been used: a plain fallback colour would have no texture.
    for (auto b : {pics::Background::Table, pics::Background::Side, pics::Background::Trump}) {
        const QImage img = pics::background(b).toImage();
        QSet<QRgb> colours;
        for (int x = 0; x < img.width(); x += 7)
            colours.insert(img.pixel(x, img.height() / 2));
        QVERIFY2(colours.size() > 10, "background looks like the plain fallback");
    }
    QVERIFY(QFile::exists(":/backgrounds/table.jpg"));
}

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
