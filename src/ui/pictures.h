// The program's pictures: cards, marks, smileys, picture buttons, game start pictures,
// window backgrounds and the logo. Pictures are drawn by code (backgrounds decoded from JPEG
// resources) at the screen's device pixel ratio, each the first time it is asked for, and kept.
// Every pixmap carries that ratio, so the sizes below are logical.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace quillet::pictures {

// Sets the ratio to draw at; call after QApplication exists. A second call with the same
// ratio does nothing; another ratio redraws the pictures already handed out, in place, so
// references stay valid. Any accessor calls it with the application's ratio if nobody did.
// Without a QGuiApplication every accessor returns a null pixmap.
void init(qreal devicePixelRatio);
qreal devicePixelRatio();

inline constexpr int kCardWidth = 71;
inline constexpr int kCardHeight = 96;

// What a card picture shows, in words: "Queen of Hearts", "Two of Clubs"; 0 "Card back",
// 53 "No Trump"; empty for anything else.
QString cardName(int number);
// "Clubs", "Diamonds", "Hearts", "Spades" for suits 1..4, empty otherwise.
QString suitWord(int suit);

// 71×96: 0 the back, 1..52 the faces (1 two of clubs .. 13 ace of clubs, then diamonds,
// hearts, spades), 53 the no-trump sign. Any other number gives a null pixmap.
const QPixmap &card(int number);

// `count` face-down cards, the i-th at x = 5 × (i − 1): (5 × count + 66) × 96.
// Count is clamped to 13; count <= 0 gives a null pixmap.
QPixmap fan(int count);

enum class Mark { Turn, Eyes, Winner, Thumb, TrickStack };
// Turn 27×44, Eyes 24×17, Winner 82×88, Thumb 53×66, TrickStack 32×41.
const QPixmap &mark(Mark m);

inline constexpr int kSmileys = 18;
// 17×17 chat smileys 0..17; any other index gives smiley 0.
const QPixmap &smiley(int index);

// A brass picture button with its caption centred; `pressed` draws it pushed in.
QPixmap pictureButton(const QString &caption, QSize size, bool pressed = false);

// 120×90 picture of a game type: 'h' Half, 'f' Full, 'm' Vale; null for other letters.
QPixmap gameTypePicture(char letter);

enum class Background { Table, Side, Trump };
// Table 782×474, Side 360×500 (tiles seamlessly), Trump 417×133. Falls back to a plain
// colour of the same size when the JPEG cannot be decoded.
const QPixmap &background(Background b);

// 64×64 program picture.
const QPixmap &logo();

// The same pictures for a view drawn `scale` times its design size (the table in a large
// window): drawn at that size, never a small bitmap scaled up. A scale of 1 (or one that is not
// finite or out of 0.25..8) gives the pictures above. The pictures of the latest other scale
// are kept; asking for yet another scale drops them, so hold the copies these return.
QPixmap card(int number, qreal scale);
QPixmap mark(Mark m, qreal scale);
QPixmap fan(int count, qreal scale);
QPixmap background(Background b, qreal scale);
QPixmap logo(qreal scale);
QPixmap smiley(int index, qreal scale); // drawn each time: the chat keeps its own

// The four-colour deck: clubs green and diamonds blue on every card. Redraws the pictures
// already handed out, in place; copies taken earlier keep the old look until asked again.
void setFourColour(bool on);
bool fourColour();

} // namespace quillet::pictures
