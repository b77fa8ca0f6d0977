// Where everything sits on the table, in the design's 782×474 pixels (the table grows with
// the window from there, see ui/designgeometry.h), and the colours of its texts. The places
// follow the original table; those that made controls collide were moved as little as
// needed: the cards of a trick are spread so every card shows its index, the marks keep off
// the names and labels, and the right fan stays clear of the chat.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace quillet::layout {

inline constexpr QSize kTable(782, 474);
inline constexpr QSize kCard(71, 96);

// Seat panels by screen position: 1 bottom, 2 left, 3 top, 4 right (index 0 unused).
inline constexpr QPoint kName[5] = {{}, {122, 298}, {39, 102}, {147, 3}, {384, 63}};
// A longer name is cut short with an ellipsis at this width, so it meets no other control.
inline constexpr int kNameWidth[5] = {0, 78, 116, 200, 126};
inline constexpr QPoint kScore[5] = {{}, {170, 321}, {89, 125}, {196, 28}, {425, 85}};
inline constexpr QPoint kTricks[5] = {{}, {170, 337}, {89, 141}, {196, 43}, {425, 102}};
inline constexpr QPoint kBid[5] = {{}, {170, 353}, {89, 157}, {196, 59}, {425, 119}};
inline constexpr QPoint kBidLabel[5] = {{}, {130, 353}, {49, 157}, {156, 59}, {385, 119}};
inline constexpr QPoint kCards[5] = {{}, {208, 320}, {48, 176}, {227, 27}, {381, 136}};
inline constexpr QPoint kPlayed[5] = {{}, {245, 180}, {180, 152}, {245, 123}, {309, 152}};
inline constexpr QPoint kTurn[5] = {{}, {100, 321}, {18, 125}, {156, 76}, {358, 88}};
inline constexpr QPoint kEyes[5] = {{}, {96, 301}, {15, 106}, {122, 8}, {358, 69}};
inline constexpr QPoint kWinner[5] = {{}, {200, 320}, {40, 176}, {219, 32}, {384, 136}};
inline constexpr QPoint kThumb[5] = {{}, {216, 328}, {48, 184}, {232, 40}, {392, 152}};
inline constexpr QPoint kTrickWinner[5] = {{}, {144, 368}, {120, 128}, {188, 76}, {470, 90}};
// The fixed "Score" and "Tricks" captions stand this far left of their values.
inline constexpr int kCaptionGap = 40;
inline constexpr QSize kValue(30, 16);
inline constexpr QSize kCaption(40, 16);

// Table-wide labels.
inline constexpr QRect kGameType(7, 4, 148, 18);
inline constexpr QRect kRound(7, 23, 148, 18);
inline constexpr QRect kNumCards(7, 42, 148, 18);
inline constexpr QRect kTotalBids(7, 60, 148, 18);
inline constexpr QRect kTurnText(7, 79, 146, 18);
inline constexpr QRect kOverUnder(21, 295, 76, 18);
inline constexpr QRect kTrumpCard(23, 314, 71, 96);
inline constexpr QRect kTrumpCaption(13, 411, 91, 16);
inline constexpr QRect kEnd(6, 277, 509, 21);
inline constexpr QRect kStatus1(3, 451, 332, 18);
inline constexpr QRect kStatus2(336, 451, 169, 18);
inline constexpr QRect kFirstPlay(181, 251, 240, 18);
inline constexpr QRect kLogo(446, 2, 60, 60);
inline constexpr QRect kStart(221, 180, 91, 28);
// While the last trick still lies on the table the start button waits in the empty hand row.
inline constexpr QRect kStartBesideTrick(300, 350, 91, 28);
inline constexpr QRect kScoreCardButton(330, 424, 85, 22);
inline constexpr QRect kLastTrickButton(420, 424, 85, 22);

// The bid box.
inline constexpr QRect kYourBid(153, 274, 128, 24);
inline constexpr QRect kEditBid(284, 272, 34, 28);
inline constexpr QRect kUpDown(318, 272, 17, 28);
inline constexpr QRect kSetBid(337, 272, 91, 28);

// The trump choice, between the seats' labels above and the own name below; it may
// cover the other seats' face-down hands while it is open.
inline constexpr QRect kTrumpPanel(48, 173, 417, 122);
inline constexpr int kTrumpChoiceX[6] = {0, 13, 93, 173, 253, 333};
inline constexpr int kTrumpChoiceY = 3;
inline constexpr QRect kTrumpPrompt(0, 100, 417, 20);

// The own hand: place p (1..13) has its left edge at 18 × p + 184.
constexpr int handLeft(int place) { return 18 * place + 184; }
inline constexpr int kHandTop = 320;
inline constexpr int kHandRaisedTop = 316;
inline constexpr int kHandHintTop = 312;  // the card a hint names, above a card sent

// The chat side.
inline constexpr QRect kChatArea(512, 0, 270, 474);

// Text on the felt: light on the dark baize, every one at least 4.5:1 against the felt
// behind it (the table tests measure it).
inline const QColor kFeltText(0xff, 0xff, 0xff);        // names, scores, tricks, bids made
inline const QColor kFeltCaption(0xd8, 0xe6, 0xdc);     // "Score", "Tricks"
inline const QColor kFeltNotYetBid(0xc4, 0xd6, 0xc9);   // a bid not made yet this round
inline const QColor kFeltStatus(0xff, 0xd8, 0x70);      // the table's own lines (gold)

} // namespace quillet::layout
