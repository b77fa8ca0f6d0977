#include "ui/pictures.h"

#include "ui/picturepaint.h"
#include "ui/picturepainters.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>

#include <array>
#include <cmath>

// Resources in a static library are only linked in when referenced by name.
static void initBackgroundResources() { Q_INIT_RESOURCE(backgrounds); }

namespace quillet::pictures {

namespace {

// Every picture is drawn (or decoded) the first time it is asked for and kept; start-up
// pays only for what the first window shows.
struct Store {
    qreal dpr = 0; // 0: init() not called yet
    std::array<QPixmap, 54> cards;
    std::array<QPixmap, 5> marks;
    std::array<QPixmap, kSmileys> smileys;
    std::array<QPixmap, 3> backgrounds;
    QPixmap logo;
};

// The pictures of one other scale, drawn as they are asked for.
struct ScaledSet {
    qreal scale = 0; // 0: none kept
    std::array<QPixmap, 54> cards;
    std::array<QPixmap, 5> marks;
    std::array<QPixmap, 3> backgrounds;
    QPixmap logo;
};

ScaledSet &scaledSet()
{
    static ScaledSet s;
    return s;
}

Store &store()
{
    static Store s;
    return s;
}

const QPixmap &nullPixmap()
{
    static const QPixmap none;
    return none;
}

struct BackgroundFile {
    const char *path;
    QSize size;
    QColor fallback;
};

const BackgroundFile kBackgrounds[3] = {
    {":/backgrounds/table.jpg", QSize(782, 474), QColor(0x1c, 0x53, 0x2f)},
    {":/backgrounds/side.jpg", QSize(360, 500), QColor(0xd9, 0xe2, 0xd2)},
    {":/backgrounds/trump.jpg", QSize(417, 133), QColor(0x72, 0x47, 0x23)},
};

// Pictures for a scaled view are drawn at the ratio times the scale and then carry the
// ratio alone, so their logical size is the design size times the scale.
QPixmap retagged(QPixmap pm, qreal dpr)
{
    if (!pm.isNull())
        pm.setDevicePixelRatio(dpr);
    return pm;
}

QPixmap loadBackground(const BackgroundFile &file, qreal dpr)
{
    QImageReader reader(QString::fromLatin1(file.path));
    QImage image = reader.read();
    if (image.isNull()) {
        // Without the JPEG decoder the windows still get a calm background of the right size.
        QPixmap plain(qRound(file.size.width() * dpr), qRound(file.size.height() * dpr));
        plain.setDevicePixelRatio(dpr);
        plain.fill(file.fallback);
        return plain;
    }
    const QSize device(qRound(file.size.width() * dpr), qRound(file.size.height() * dpr));
    if (image.size() != device)
        image = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPixmap pm = QPixmap::fromImage(std::move(image));
    pm.setDevicePixelRatio(dpr);
    return pm;
}

qreal saneRatio(qreal dpr)
{
    if (!std::isfinite(dpr) || dpr < 1.0)
        return 1.0;
    return qMin<qreal>(dpr, 4.0);
}

// Makes sure init() has run before a picture is handed out.
bool ready()
{
    if (store().dpr > 0)
        return true;
    if (!qGuiApp)
        return false; // pixmaps need the application object
    init(qGuiApp->devicePixelRatio());
    return store().dpr > 0;
}

QPixmap drawCard(int n, qreal dpr)
{
    if (n == 0)
        return paint::cardBack(dpr);
    if (n == 53)
        return paint::noTrumpCard(dpr);
    return paint::cardFace(n, dpr);
}

QPixmap drawMark(int i, qreal dpr)
{
    switch (Mark(i)) {
    case Mark::Turn: return paint::turnMark(dpr);
    case Mark::Eyes: return paint::eyesMark(dpr);
    case Mark::Winner: return paint::winnerMark(dpr);
    case Mark::Thumb: return paint::thumbMark(dpr);
    case Mark::TrickStack: return paint::trickStackMark(dpr);
    }
    return QPixmap();
}

// Pixmaps must not outlive the application object: drop them when it goes.
void releaseAll()
{
    store() = Store();
    scaledSet() = ScaledSet();
}

// 1 for a scale that names no other size worth drawing.
qreal saneScale(qreal scale)
{
    if (!std::isfinite(scale) || scale < 0.25 || scale > 8.0 || qFuzzyCompare(scale, 1.0))
        return 1.0;
    return scale;
}

// The kept set for `scale`, emptied when it was kept for another one.
ScaledSet &setFor(qreal scale)
{
    ScaledSet &s = scaledSet();
    if (s.scale != scale) {
        s = ScaledSet();
        s.scale = scale;
    }
    return s;
}

void redrawHeldCards()
{
    Store &s = store();
    for (int n = 0; n < int(s.cards.size()); ++n)
        if (!s.cards[n].isNull())
            s.cards[n] = drawCard(n, s.dpr);
    scaledSet() = ScaledSet();
}

template <typename Draw>
const QPixmap &cached(QPixmap &slot, Draw draw)
{
    if (slot.isNull())
        slot = draw(store().dpr);
    return slot;
}

} // namespace

QString suitWord(int suit)
{
    static const char *const words[] = {"", "Clubs", "Diamonds", "Hearts", "Spades"};
    return suit >= 1 && suit <= 4 ? QString::fromLatin1(words[suit]) : QString();
}

QString cardName(int number)
{
    static const char *const ranks[] = {"",     "Two",  "Three", "Four", "Five",  "Six",  "Seven",
                                        "Eight", "Nine", "Ten",   "Jack", "Queen", "King", "Ace"};
    if (number == 0)
        return QStringLiteral("Card back");
    if (number == 53)
        return QStringLiteral("No Trump");
    if (number < 1 || number > 52)
        return QString();
    const int suit = (number - 1) / 13 + 1;
    const int rank = (number - 1) % 13 + 1;
    return QString::fromLatin1(ranks[rank]) + QStringLiteral(" of ") + suitWord(suit);
}

void init(qreal devicePixelRatio)
{
    if (!qGuiApp)
        return;
    const qreal dpr = saneRatio(devicePixelRatio);
    Store &s = store();
    if (s.dpr == dpr)
        return;
    if (s.dpr == 0) {
        initBackgroundResources();
        qAddPostRoutine(releaseAll);
    }
    s.dpr = dpr;
    // A new ratio: redraw what was handed out already, so held references stay good.
    for (int n = 0; n < int(s.cards.size()); ++n)
        if (!s.cards[n].isNull())
            s.cards[n] = drawCard(n, dpr);
    for (int i = 0; i < int(s.marks.size()); ++i)
        if (!s.marks[i].isNull())
            s.marks[i] = drawMark(i, dpr);
    for (int i = 0; i < kSmileys; ++i)
        if (!s.smileys[i].isNull())
            s.smileys[i] = paint::smileyFace(i, dpr);
    for (int b = 0; b < 3; ++b)
        if (!s.backgrounds[b].isNull())
            s.backgrounds[b] = loadBackground(kBackgrounds[b], dpr);
    if (!s.logo.isNull())
        s.logo = paint::logo(dpr);
    scaledSet() = ScaledSet();
}

qreal devicePixelRatio()
{
    return ready() ? store().dpr : 1.0;
}

const QPixmap &card(int number)
{
    if (number < 0 || number > 53 || !ready())
        return nullPixmap();
    return cached(store().cards[number], [number](qreal dpr) { return drawCard(number, dpr); });
}

QPixmap fan(int count)
{
    if (count <= 0 || !ready())
        return QPixmap();
    count = qMin(count, 13);
    const QPixmap &back = card(0);
    QPixmap pm = paint::canvas(QSize(5 * count + 66, paint::kCardHeight), store().dpr);
    QPainter p(&pm);
    for (int i = 1; i <= count; ++i)
        p.drawPixmap(5 * (i - 1), 0, back);
    return pm;
}

const QPixmap &mark(Mark m)
{
    const int i = int(m);
    if (i < 0 || i >= 5 || !ready())
        return nullPixmap();
    return cached(store().marks[i], [i](qreal dpr) { return drawMark(i, dpr); });
}

const QPixmap &smiley(int index)
{
    if (!ready())
        return nullPixmap();
    if (index < 0 || index >= kSmileys)
        index = 0;
    return cached(store().smileys[index], [index](qreal dpr) { return paint::smileyFace(index, dpr); });
}

QPixmap pictureButton(const QString &caption, QSize size, bool pressed)
{
    if (!ready())
        return QPixmap();
    return paint::button(caption, size, pressed, store().dpr);
}

QPixmap gameTypePicture(char letter)
{
    if (!ready())
        return QPixmap();
    return paint::gameType(letter, store().dpr);
}

const QPixmap &background(Background b)
{
    const int i = int(b);
    if (i < 0 || i >= 3 || !ready())
        return nullPixmap();
    return cached(store().backgrounds[i], [i](qreal dpr) { return loadBackground(kBackgrounds[i], dpr); });
}

const QPixmap &logo()
{
    return ready() ? cached(store().logo, paint::logo) : nullPixmap();
}

QPixmap card(int number, qreal scale)
{
    scale = saneScale(scale);
    if (scale == 1.0 || number < 0 || number > 53 || !ready())
        return card(number);
    const qreal dpr = store().dpr;
    return cached(setFor(scale).cards[number], [=](qreal) { return retagged(drawCard(number, dpr * scale), dpr); });
}

QPixmap mark(Mark m, qreal scale)
{
    scale = saneScale(scale);
    const int i = int(m);
    if (scale == 1.0 || i < 0 || i >= 5 || !ready())
        return mark(m);
    const qreal dpr = store().dpr;
    return cached(setFor(scale).marks[i], [=](qreal) { return retagged(drawMark(i, dpr * scale), dpr); });
}

QPixmap fan(int count, qreal scale)
{
    scale = saneScale(scale);
    if (scale == 1.0 || count <= 0 || !ready())
        return fan(count);
    count = qMin(count, 13);
    // The backs are laid at the scaled steps of the design, each drawn at the scaled size.
    const QPixmap back = card(0, scale);
    const qreal dpr = store().dpr;
    QPixmap pm = paint::canvas(QSize(qRound((5 * count + 66) * scale), qRound(paint::kCardHeight * scale)), dpr);
    QPainter p(&pm);
    for (int i = 1; i <= count; ++i)
        p.drawPixmap(QPointF(5 * (i - 1) * scale, 0), back);
    return pm;
}

QPixmap background(Background b, qreal scale)
{
    scale = saneScale(scale);
    const int i = int(b);
    if (scale == 1.0 || i < 0 || i >= 3 || !ready())
        return background(b);
    const qreal dpr = store().dpr;
    return cached(setFor(scale).backgrounds[i],
                  [=](qreal) { return retagged(loadBackground(kBackgrounds[i], dpr * scale), dpr); });
}

QPixmap logo(qreal scale)
{
    scale = saneScale(scale);
    if (scale == 1.0 || !ready())
        return logo();
    const qreal dpr = store().dpr;
    return cached(setFor(scale).logo, [=](qreal) { return retagged(paint::logo(dpr * scale), dpr); });
}

QPixmap smiley(int index, qreal scale)
{
    scale = saneScale(scale);
    if (scale == 1.0 || !ready())
        return smiley(index);
    if (index < 0 || index >= kSmileys)
        index = 0;
    return retagged(paint::smileyFace(index, store().dpr * scale), store().dpr);
}

void setFourColour(bool on)
{
    if (paint::fourColour() == on)
        return;
    paint::setFourColour(on);
    if (store().dpr > 0)
        redrawHeldCards();
}

bool fourColour() { return paint::fourColour(); }

} // namespace quillet::pictures
