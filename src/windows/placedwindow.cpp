#include "windows/placedwindow.h"

#include "windows/windowplace.h"

#include <QEvent>

namespace quillet {

PlacedWindow::PlacedWindow(QWidget *parent, Qt::WindowFlags flags, MoveOn moveOn)
    : QDialog(parent, flags), place_(kHomePlace), moveOn_(moveOn)
{
}

bool PlacedWindow::keepOpen() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

void PlacedWindow::setKeepOpen(bool on)
{
    if (keepOpen() == on)
        return;
    const bool shown = isVisible();
    // A place the user just chose must survive the re-creation of the window
    // that changing the flag causes.
    if (shown)
        takeOverPlace();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown)
        show();
}

void PlacedWindow::setPlace(int left, int top)
{
    place_ = reachablePlace(QPoint(left, top), size());
    placeChosen_ = place_ != kHomePlace;
}

void PlacedWindow::resetPlace()
{
    place_ = kHomePlace;
    placeChosen_ = true;
    move(place_);
}

void PlacedWindow::setVisible(bool visible)
{
    if (visible && !isVisible())
        moveToPlace();
    QDialog::setVisible(visible);
}

void PlacedWindow::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow()) {
        if (moveOn_ == MoveOn::ShowAndActivation)
            moveToPlace();
    } else {
        takeOverPlace();
    }
}

void PlacedWindow::moveToPlace()
{
    if (!placeChosen_) {
        QList<QWidget *> others;
        if (parentWidget())
            for (PlacedWindow *w : parentWidget()->findChildren<PlacedWindow *>(Qt::FindDirectChildrenOnly))
                others << w;
        if (const auto beside = besidePlace(this, parentWidget(), others)) {
            // Not the player's choice: nothing to store unless he moves it on.
            place_ = *beside;
            if (pos() != place_)
                move(place_);
            return;
        }
        place_ = kHomePlace;
    }
    // The screens may have changed since the place was stored.
    place_ = reachablePlace(place_, size());
    if (pos() != place_)
        move(place_);
}

void PlacedWindow::takeOverPlace()
{
    const QPoint now = pos();
    if (now == place_)
        return;
    place_ = now;
    placeChosen_ = true;
    emit placeChanged(now.x(), now.y());
}

} // namespace quillet
