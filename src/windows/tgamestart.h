// The game start dialog: the host picks the game type of a new game.
#pragma once

#include <QDialog>

#include <functional>

namespace quillet {

class PictureButton;

class Tgamestart : public QDialog {
    Q_OBJECT
public:
    explicit Tgamestart(QWidget *parent = nullptr);
    // Called with the chosen letter ("h", "f", "m") when a button is clicked.
    std::function<void(const QString &letter)> onChoose;
    // Clicks the button of a letter, as the mouse does.
    void choose(const QString &letter);

protected:
    // Left and Right move between the three games, Enter or Space starts the one in focus.
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    PictureButton *button_starthalf;
    PictureButton *button_start;
    PictureButton *image_startvale;
};

} // namespace quillet
