// The last-trick window: the four cards of the trick just finished. It moves
// to its stored place whenever it is shown and reports a place the user gave
// it (see PlacedWindow); it starts kept on top.
#pragma once

#include "windows/placedwindow.h"

#include <array>

class QLabel;

namespace quillet {

class Tlasttrick : public PlacedWindow {
    Q_OBJECT
public:
    explicit Tlasttrick(QWidget *parent = nullptr);

    void updatenames(const QStringList &names);
    // Card pictures of seats 1..4 and the trump (0 clears).
    void setPlayed(int seat, int card);
    void setTrump(int card);
    void clearCards();
    // Draws the cards again (the deck changed its colours).
    void redrawCards();
    QLabel *played(int seat) const { return played_[static_cast<std::size_t>(seat)]; }
    QLabel *player(int seat) const { return player_[static_cast<std::size_t>(seat)]; }
    QLabel *label_winner = nullptr;
    QLabel *label_ledoff = nullptr;
    QLabel *trumpcard = nullptr;
    int playedCard(int seat) const { return cards_[static_cast<std::size_t>(seat)]; }
    int trumpCard() const { return trump_; }
    // Left edge of the card picture of a seat (played1 for anything else).
    int cardLeft(int seat) const;

private:
    std::array<QLabel *, 5> played_{};
    std::array<QLabel *, 5> player_{};
    std::array<int, 5> cards_{};
    int trump_ = 0;
};

} // namespace quillet
