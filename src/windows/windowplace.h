// Where the side windows go on the desktop, and their shared look.
#pragma once

#include <QList>
#include <QPoint>
#include <QSize>

#include <optional>

class QWidget;

namespace quillet {

// The place every side window falls back to (and starts at).
inline constexpr QPoint kHomePlace{3, 3};

// A window whose top-left corner is at `topLeft` can be reached with the
// mouse when its title strip lies on some screen; otherwise it goes home, so a
// place stored with another monitor layout never loses the window.
QPoint reachablePlace(QPoint topLeft, QSize size);
bool isReachable(QPoint topLeft, QSize size);

// Moves a top-level window so its centre is over the anchor's centre (the
// screen's work area when the anchor is null or hidden), kept on that screen.
void centreOn(QWidget *window, const QWidget *anchor);

// A place for `window` beside the shown `anchor` (right of it first, then left, then
// below and above), wholly on the anchor's screen and clear of the anchor and of
// every window in `avoid`; nothing when there is no such room.
std::optional<QPoint> besidePlace(const QWidget *window, const QWidget *anchor, const QList<QWidget *> &avoid);

// The tiled side background used by every small window.
void useSideBackground(QWidget *window);

} // namespace quillet
