// A side window that remembers its place on the desktop and can be kept on
// top: the base of the score card and the last-trick window.
#pragma once

#include <QDialog>
#include <QPoint>

namespace quillet {

class PlacedWindow : public QDialog {
    Q_OBJECT
public:
    // Stays on top of other windows when on; keeps the window shown or
    // hidden as it was, at the same place.
    void setKeepOpen(bool on);
    bool keepOpen() const;

    // The stored place (the table's scLeft/scTop or ltLeft/ltTop). A place
    // off every screen becomes 3, 3. Takes effect at the next showing (and,
    // for the score card, the next activation).
    void setPlace(int left, int top);
    QPoint place() const { return place_; }
    // Moves to 3, 3 and makes that the place, without reporting it: the
    // table's next save writes it.
    void resetPlace();

signals:
    // The user left the window somewhere else; the table saves the settings.
    void placeChanged(int left, int top);

protected:
    enum class MoveOn { Show, ShowAndActivation };
    PlacedWindow(QWidget *parent, Qt::WindowFlags flags, MoveOn moveOn);

    void setVisible(bool visible) override;
    void changeEvent(QEvent *event) override;

private:
    void moveToPlace();
    void takeOverPlace();

    QPoint place_;
    MoveOn moveOn_;
    // Until the player gives the window a place (or one is stored), it opens beside
    // the table, clear of the other side windows, when the screen has room.
    bool placeChosen_ = false;
};

} // namespace quillet
