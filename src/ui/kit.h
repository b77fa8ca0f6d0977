// Small widgets of the table: picture buttons, pictures that know what they show (and
// draw it again at any size), the own hand's cards and the bid box's arrows.
#pragma once

#include "ui/pictures.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <functional>

class QLineEdit;
class QMenu;

namespace quillet {

// A flat button drawn from a picture, with a pressed look. Its caption is its text, so
// it reads as a button to assistive technology and takes Space when it has the focus.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(const QString &caption, QSize size, QWidget *parent = nullptr);
    // Pictures of its own (drawn at the size they were made for) instead of the caption's.
    void setPictures(const QPixmap &normal, const QPixmap &pressed);
    QString caption() const { return text(); }
    // Draws the caption's pictures again at the current size (after a rescale).
    void redraw();
    QSize sizeHint() const override { return size(); }

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void enterEvent(QEnterEvent *) override;
    void leaveEvent(QEvent *) override;

private:
    QPixmap normal_;
    QPixmap pressed_;
    bool ownPictures_ = false;
    bool hover_ = false;
};

// A text label of the table: plain text, cut short with an ellipsis where it does not
// fit its width. Its text stays whole (for the tooltip, the tests and assistive
// technology); only what is drawn is shortened.
class TableLabel : public QLabel {
    Q_OBJECT
public:
    explicit TableLabel(const QString &text = QString(), QWidget *parent = nullptr);
    QString shownText() const;
    // Where the text is drawn, in the label's own coordinates; empty without text.
    QRect textRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A picture that reports mouse presses with their button.
class ClickablePicture : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    std::function<void(Qt::MouseButton)> onPress;

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// A picture of the table: it remembers what it shows (a card, a mark, a fan of backs, a
// background, the logo) and draws it at the size of its view, crisp at any scale.
class TablePicture : public ClickablePicture {
    Q_OBJECT
public:
    explicit TablePicture(QWidget *parent = nullptr);

    void showCard(int number);      // 0 the back, 53 no trump
    void showMark(pictures::Mark m);
    void showFan(int count);        // also takes the fan's width: 5 × count + 66
    void showBackground(pictures::Background b);
    void showLogo();
    void clear();                   // shows nothing
    bool isEmpty() const { return kind_ == Kind::None; }
    int cardNumber() const { return kind_ == Kind::Card ? value_ : -1; }
    int fanCount() const { return kind_ == Kind::Fan ? value_ : 0; }

    // Draws the picture again at the view's scale.
    void redraw();
    // A veiled picture keeps its place and content but paints nothing (while a copy of it
    // glides into place).
    void setVeiled(bool on);
    bool veiled() const { return veiled_; }
    // A gold ring around the picture: the card that took the trick. Cleared with it.
    void setRinged(bool on);
    bool ringed() const { return ringed_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    enum class Kind { None, Card, Mark, Fan, Background, Logo };
    Kind kind_ = Kind::None;
    int value_ = 0;
    bool veiled_ = false;
    bool ringed_ = false;
};

// One card of the own hand: its server hand slot and card number, and the looks the
// table gives it: dimmed (not playable now), outlined (playable, after a refusal),
// selected (the keyboard's card) and raised (sent, the answer pending).
class CardImage : public TablePicture {
    Q_OBJECT
public:
    CardImage(int slot, int card, QWidget *parent);
    int slot() const { return slot_; }
    int card() const { return card_; }

    void setDimmed(bool on);
    void setOutlined(bool on);
    void setSelected(bool on);
    bool dimmed() const { return dimmed_; }
    bool outlined() const { return outlined_; }
    bool selected() const { return selected_; }
    bool raised = false;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int slot_;
    int card_;
    bool dimmed_ = false;
    bool outlined_ = false;
    bool selected_ = false;
};

// Where a pop-up menu opened by `anchor` goes: at the anchor's lower right corner when it
// fits there, else moved (above, to the left) so that all of it lies on the anchor's screen.
QPoint popupPlace(const QWidget *anchor, QSize menuSize);
void popupOnScreen(QMenu *menu, const QWidget *anchor);

// Up-down arrows bound to a line edit holding a whole number.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(QLineEdit *buddy, QWidget *parent);
    void setMaximum(int m) { max_ = m; }
    int maximum() const { return max_; }
    void stepBy(int delta);

private:
    QLineEdit *buddy_;
    int max_ = 0;
};

} // namespace quillet
