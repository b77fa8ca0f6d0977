// The controls of one seat around the table.
#pragma once

class QLabel;

namespace quillet {

struct SeatPanel {
    QLabel *label_playername = nullptr;
    QLabel *label_score = nullptr;
    QLabel *label_tricks = nullptr;
    QLabel *label_bid = nullptr;
    QLabel *label_bidlabel = nullptr;
    QLabel *image_cards = nullptr;
    QLabel *image_played = nullptr;
    QLabel *image_turn = nullptr;
    QLabel *image_eyes = nullptr;
    QLabel *image_winner = nullptr;
    QLabel *image_thumb = nullptr;
    QLabel *image_trickwinner = nullptr;
    QLabel *captionScore = nullptr;   // the fixed "Score" caption of the position
    QLabel *captionTricks = nullptr;  // the fixed "Tricks" caption of the position
    int position = 0;    // screen position 1 bottom, 2 left, 3 top, 4 right
};

} // namespace quillet
