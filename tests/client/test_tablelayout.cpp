// The table's look in every state of a game, from every seat: no control drawn over
// another, every card of a trick showing its index, every text on the felt at 4.5:1 or
// more, the same layout at 1.5 and 2 times the size with pictures drawn for it, and the
// side windows opening beside the table.
#include "tablefixture.h"
#include "tablestates.h"

#include "app/quilletapp.h"
#include "client/tchat.h"
#include "windows/tlasttrick.h"
#include "windows/tscore.h"
#include "ui/designgeometry.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <map>

using namespace quillet;
using tablestates::State;

namespace {

using Table = TableFixture;

// The controls drawn on the table, by name, where they draw (design pixels).
std::map<QString, QRect> drawnControls(const Tchat *t)
{
    std::map<QString, QRect> out;
    for (QObject *o : t->panelMain()->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || w->objectName().isEmpty() || w->objectName() == "image_background")
            continue;
        const QRect r = t->inkRect(w);
        if (!r.isEmpty())
            out[w->objectName()] = r;
    }
    return out;
}

// Pairs that are drawn over each other by design: the cards of the own hand, the cards
// of a trick (checked apart: each shows its index), and the trump choice over the
// other seats' face-down hands while it is open.
bool mayOverlap(const QString &a, const QString &b)
{
    const auto both = [&](const char *prefix) { return a.startsWith(prefix) && b.startsWith(prefix); };
    if (both("card") || both("image_played"))
        return true;
    const auto pair = [&](const char *x, const char *y) {
        return (a == x && b.startsWith(y)) || (b == x && a.startsWith(y));
    };
    return pair("panel_trump", "image_cards");
}

// The corner indices of a card at `r`: rank over suit, top left and (turned) bottom right.
QRect topIndex(const QRect &r) { return QRect(r.x() + 1, r.y() + 2, 14, 22); }
QRect bottomIndex(const QRect &r) { return QRect(r.right() - 14, r.bottom() - 23, 14, 22); }

double linear(double c)
{
    c /= 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The average colour of a picture under a rectangle (logical pixels).
QColor averageUnder(const QPixmap &picture, const QRect &logical)
{
    const QImage img = picture.toImage();
    const qreal dpr = picture.devicePixelRatio();
    const QRect area = QRect(QPoint(qRound(logical.x() * dpr), qRound(logical.y() * dpr)),
                             QSize(qRound(logical.width() * dpr), qRound(logical.height() * dpr)))
                           .intersected(img.rect());
    double r = 0, g = 0, b = 0;
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            r += c.red();
            g += c.green();
            b += c.blue();
            ++n;
        }
    return n ? QColor(int(r / n), int(g / n), int(b / n)) : QColor();
}

QString family(const QString &name) { return QString(name).remove(QRegularExpression("\\d+$")); }

} // namespace

class TestTableLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pictures::init(qGuiApp->devicePixelRatio()); }

    void noCollisions_data()
    {
        QTest::addColumn<int>("myseat");
        QTest::addColumn<int>("state");
        for (int seat : {1, 2, 3, 4, 7})
            for (State s : tablestates::kAll)
                QTest::newRow(qPrintable(QString("seat %1, %2").arg(seat).arg(tablestates::name(s))))
                    << seat << int(s);
    }
    void noCollisions()
    {
        QFETCH(int, myseat);
        QFETCH(int, state);
        Table tb;
        tablestates::driveTo(tb.t, State(state), myseat);
        const auto drawn = drawnControls(tb.t);
        QVERIFY(drawn.size() > 10);
        for (auto a = drawn.begin(); a != drawn.end(); ++a) {
            QVERIFY2(QRect(QPoint(0, 0), QSize(782, 474)).contains(a->second), qPrintable(a->first));
            for (auto b = std::next(a); b != drawn.end(); ++b)
                if (!mayOverlap(a->first, b->first) && a->second.intersects(b->second))
                    QFAIL(qPrintable(QString("%1 %2 meets %3 %4")
                                         .arg(a->first)
                                         .arg(QString("(%1,%2 %3x%4)").arg(a->second.x()).arg(a->second.y())
                                                  .arg(a->second.width()).arg(a->second.height()))
                                         .arg(b->first)
                                         .arg(QString("(%1,%2 %3x%4)").arg(b->second.x()).arg(b->second.y())
                                                  .arg(b->second.width()).arg(b->second.height()))));
        }
        // Every card of the trick shows its rank and suit in one corner at least.
        for (const auto &[name, r] : drawn) {
            if (!name.startsWith("image_played"))
                continue;
            bool top = true, bottom = true;
            for (const auto &[other, o] : drawn)
                if (other != name && other.startsWith("image_played")) {
                    top = top && !o.intersects(topIndex(r));
                    bottom = bottom && !o.intersects(bottomIndex(r));
                }
            QVERIFY2(top || bottom, qPrintable(name + " shows no index"));
        }
        // Names that do not fit are cut short on the table, never run into others.
        for (int s = 1; s <= 4; ++s) {
            auto *name = static_cast<TableLabel *>(tb.t->seat(s).label_playername);
            QCOMPARE(name->text(), QString(tablestates::kNames[s]));
            QVERIFY(name->accessibleName().startsWith(name->text()));
        }
    }

    void textOnTheFeltReads()
    {
        const QPixmap felt = pictures::background(pictures::Background::Table);
        const QPixmap wood = pictures::background(pictures::Background::Trump);
        std::map<QString, double> worst; // by control family, the lowest contrast seen
        for (int seat : {1, 3, 7}) {
            for (State state : tablestates::kAll) {
                Table tb;
                tablestates::driveTo(tb.t, state, seat);
                QWidget *trump = tb.t->control("panel_trump");
                for (TableLabel *l : tb.t->panelMain()->findChildren<TableLabel *>()) {
                    const QRect r = tb.t->inkRect(l);
                    if (r.isEmpty())
                        continue;
                    const bool onWood = l->parentWidget() == trump;
                    const QColor behind = onWood ? averageUnder(wood, r.translated(-design::rect(trump).topLeft()))
                                                 : averageUnder(felt, r);
                    const double c = contrast(l->palette().color(QPalette::WindowText), behind);
                    const QString key = family(l->objectName());
                    worst[key] = worst.count(key) ? std::min(worst[key], c) : c;
                    QVERIFY2(c >= 4.5, qPrintable(QString("%1 \"%2\" %3:1").arg(l->objectName(), l->text()).arg(c)));
                }
            }
        }
        // Every text of the table was seen at least once.
        for (const char *f : {"label_playername", "label_score", "label_tricks", "label_bid", "label_bidlabel",
                              "label_scorecaption", "label_trickscaption", "label_gametype", "label_round",
                              "label_cards", "label_totalbids", "label_turn", "label_overunder", "label_end",
                              "label_status", "label_firstplay", "label_trumpcaption", "label_choosetrump"})
            QVERIFY2(worst.count(f), f);
        QString figures;
        for (const auto &[name, c] : worst)
            figures += QString("%1 %2:1; ").arg(name).arg(c, 0, 'f', 1);
        qInfo("lowest contrast by label: %s", qPrintable(figures));
    }

    void scaledTableKeepsItsPlaces_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("1.25") << 1.25;
        QTest::newRow("1.5") << 1.5;
        QTest::newRow("2") << 2.0;
    }
    void scaledTableKeepsItsPlaces()
    {
        QFETCH(double, scale);
        Table small, large;
        for (Table *tb : {&small, &large}) {
            tablestates::driveTo(tb->t, State::Play, 2);
            tb->t->show();
        }
        QWidget *central = large.t->centralWidget();
        const QSize extra = large.t->size() - central->size();
        large.t->resize(QSize(qCeil(784 * scale), qCeil(474 * scale)) + extra);
        QTRY_COMPARE(large.t->tableScale(), scale);
        QCOMPARE(large.t->panelMain()->size(), QSize(qRound(782 * scale), qRound(474 * scale)));
        const auto before = drawnControls(small.t);
        const auto after = drawnControls(large.t);
        QCOMPARE(after.size(), before.size());
        for (const auto &[name, r] : before) {
            QVERIFY2(after.count(name), qPrintable(name));
            const QRect s = after.at(name);
            // Places within a pixel. Texts take whole pixel sizes, rounded down, so they may
            // come out a little narrower (and a centred one a little further in), never wider.
            const bool text = qobject_cast<TableLabel *>(large.t->control(name));
            const int narrower = text ? 3 + r.width() / 12 : 1;
            QVERIFY2(std::abs(s.x() - r.x()) <= narrower && std::abs(s.y() - r.y()) <= 1 &&
                         s.width() <= r.width() + (text ? 3 : 1) && s.width() >= r.width() - narrower &&
                         std::abs(s.height() - r.height()) <= 1,
                     qPrintable(QString("%1 at %2,%3 %4x%5, was %6,%7 %8x%9")
                                    .arg(name).arg(s.x()).arg(s.y()).arg(s.width()).arg(s.height())
                                    .arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())));
        }
        // Pictures are drawn for the size they are shown at: one device pixel per pixel.
        const qreal dpr = large.t->devicePixelRatioF();
        for (TablePicture *p : large.t->panelMain()->findChildren<TablePicture *>()) {
            if (p->isEmpty() || !p->isVisibleTo(large.t->panelMain()) || p->hasScaledContents())
                continue;
            const QSize device = p->pixmap().size();
            // Within one pixel of rounding, the edges being rounded apart.
            QVERIFY2(std::abs(device.width() - p->width() * dpr) <= dpr + 0.5 && std::abs(device.height() - p->height() * dpr) <= dpr + 0.5,
                     qPrintable(QString("%1: %2x%3 for %4x%5").arg(p->objectName()).arg(device.width())
                                    .arg(device.height()).arg(p->width()).arg(p->height())));
        }
        // Fonts grow with the table.
        QCOMPARE(large.t->control("label_playername1")->font().pixelSize(), int(19 * scale));
        // A text that fits at the design size fits at every size.
        for (TableLabel *l : large.t->panelMain()->findChildren<TableLabel *>()) {
            auto *before = small.t->panelMain()->findChild<TableLabel *>(l->objectName());
            if (before && before->shownText() == before->text())
                QVERIFY2(l->shownText() == l->text(), qPrintable(l->objectName() + ": " + l->shownText()));
        }
        // Back to the design size: the design places exactly.
        large.t->resize(QSize(790, 520));
        QTRY_COMPARE(large.t->tableScale(), 1.0);
        QCOMPARE(drawnControls(large.t), before);
    }

    void sideWindowsOpenBesideTheTable()
    {
        QScreen *screen = QGuiApplication::primaryScreen();
        if (screen->availableGeometry().width() < 1700)
            QSKIP("needs a screen with room beside the table");
        Table tb;
        tablestates::driveTo(tb.t, State::Play, 1);
        tb.t->move(3, 3);
        tb.t->show();
        QVERIFY(QTest::qWaitForWindowExposed(tb.t));
        tb.t->showScoreCard();
        tb.t->showLastTrick();
        QWidget *score = tb.app->windows().score;
        QWidget *last = tb.app->windows().lasttrick;
        QTRY_VERIFY(score->isVisible() && last->isVisible());
        const QRect table = tb.t->frameGeometry();
        QVERIFY2(!score->frameGeometry().intersects(table), "the score card covers the table");
        QVERIFY2(!last->frameGeometry().intersects(table), "the last trick covers the table");
        QVERIFY(!score->frameGeometry().intersects(last->frameGeometry()));
        QVERIFY(screen->availableGeometry().contains(score->frameGeometry()));
        QVERIFY(screen->availableGeometry().contains(last->frameGeometry()));
        // A place the player chose is kept.
        score->hide();
        score->move(600, 40);
        static_cast<Tscore *>(score)->setPlace(600, 40);
        tb.t->showScoreCard();
        QTRY_COMPARE(score->pos(), QPoint(600, 40));
    }
};

QTEST_MAIN(TestTableLayout)
#include "test_tablelayout.moc"
