#include "windows/windowplace.h"

#include "ui/pictures.h"

#include <QGuiApplication>
#include <QPalette>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace quillet {

namespace {
// The part of a window that must be on a screen: the strip the title bar
// sits in, wide enough to grab.
constexpr int kGrabHeight = 20;
constexpr int kGrabWidth = 40;
} // namespace

bool isReachable(QPoint topLeft, QSize size)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return true;  // nothing to measure against; leave it alone
    const QRect strip(topLeft, QSize(std::max(size.width(), 1), kGrabHeight));
    for (const QScreen *screen : screens) {
        // The whole screen, not its work area: a window tucked under a panel
        // at 3, 3 is still where the user expects it.
        const QRect on = strip.intersected(screen->geometry());
        if (on.width() >= std::min(kGrabWidth, strip.width()) && on.height() >= kGrabHeight / 2)
            return true;
    }
    return false;
}

QPoint reachablePlace(QPoint topLeft, QSize size)
{
    return isReachable(topLeft, size) ? topLeft : kHomePlace;
}

void centreOn(QWidget *window, const QWidget *anchor)
{
    QRect area;
    QScreen *screen = nullptr;
    if (anchor && anchor->isVisible()) {
        area = anchor->frameGeometry();
        screen = anchor->screen();
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    if (!area.isValid())
        area = work;
    // The frame is not known before the first showing; the client size is
    // close enough for centring.
    const QSize size = window->isVisible() ? window->frameGeometry().size() : window->size();
    QPoint topLeft = area.center() - QPoint(size.width() / 2, size.height() / 2);
    topLeft.setX(std::clamp(topLeft.x(), work.left(), std::max(work.left(), work.right() - size.width())));
    topLeft.setY(std::clamp(topLeft.y(), work.top(), std::max(work.top(), work.bottom() - size.height())));
    window->move(topLeft);
}

namespace {
// The frame a window will have: its own once shown, else its size with the frame a
// shown sibling has (or a common one).
QSize frameSizeOf(const QWidget *window, const QWidget *anchor)
{
    if (window->isVisible())
        return window->frameGeometry().size();
    QSize frame(8, 32);
    if (anchor && anchor->isVisible())
        frame = anchor->frameGeometry().size() - anchor->geometry().size();
    return window->size() + frame;
}
} // namespace

std::optional<QPoint> besidePlace(const QWidget *window, const QWidget *anchor, const QList<QWidget *> &avoid)
{
    if (!anchor || !anchor->isVisible())
        return std::nullopt;
    const QScreen *screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    const QRect work = screen->availableGeometry();
    const QRect table = anchor->frameGeometry();
    const QSize size = frameSizeOf(window, anchor);
    constexpr int gap = 4;
    // Spots around a rectangle: right, left, below, above, each at both ends.
    const auto around = [&](const QRect &o) -> std::vector<QPoint> {
        const int right = o.right() + 1 + gap, left = o.left() - gap - size.width();
        const int below = o.bottom() + 1 + gap, above = o.top() - gap - size.height();
        const int lowEnd = o.bottom() + 1 - size.height(), farEnd = o.right() + 1 - size.width();
        return {{right, o.top()}, {right, lowEnd},  {left, o.top()},  {left, lowEnd},
                {o.left(), below}, {farEnd, below}, {o.left(), above}, {farEnd, above}};
    };
    std::vector<QRect> taken{table};
    for (const QWidget *other : avoid)
        if (other && other != window && other->isVisible())
            taken.push_back(other->frameGeometry());
    // Beside the table first; beside a window already there when the table's sides are full.
    for (const QRect &next : taken)
        for (QPoint at : around(next)) {
            const QRect r(at, size);
            if (work.contains(r) &&
                std::none_of(taken.begin(), taken.end(), [&](const QRect &t) { return t.intersects(r); }))
                return at;
        }
    return std::nullopt;
}

void useSideBackground(QWidget *window)
{
    QPalette pal = window->palette();
    pal.setBrush(QPalette::Window, QBrush(pictures::background(pictures::Background::Side)));
    pal.setColor(QPalette::WindowText, QColor(0x20, 0x20, 0x20));
    window->setPalette(pal);
    window->setAutoFillBackground(true);
}

} // namespace quillet
