// The controls of one seat around the table.
#pragma once

#include "ui/kit.h" // the controls' types, for everybody who reads a seat

namespace quillet {

struct SeatPanel {
    TableLabel *label_playername = nullptr;
    TableLabel *label_score = nullptr;
    TableLabel *label_tricks = nullptr;
    TableLabel *label_bid = nullptr;
    TableLabel *label_bidlabel = nullptr;
    TablePicture *image_cards = nullptr;
    TablePicture *image_played = nullptr;
    TablePicture *image_turn = nullptr;
    TablePicture *image_eyes = nullptr;
    TablePicture *image_winner = nullptr;
    TablePicture *image_thumb = nullptr;
    TablePicture *image_trickwinner = nullptr;
    TableLabel *captionScore = nullptr;   // the fixed "Score" caption of the position
    TableLabel *captionTricks = nullptr;  // the fixed "Tricks" caption of the position
    int position = 0;    // screen position 1 bottom, 2 left, 3 top, 4 right
};

} // namespace quillet
