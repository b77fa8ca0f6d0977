// Small widgets of the table: picture buttons and clickable pictures.
#pragma once

#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <functional>

class QLineEdit;

namespace quillet {

// A flat button drawn from a picture, with a pressed look.
class PictureButton : public QWidget {
    Q_OBJECT
public:
    PictureButton(const QString &caption, QSize size, QWidget *parent = nullptr);
    void setPictures(const QPixmap &normal, const QPixmap &pressed);
    QString caption() const { return caption_; }
    void click() { emit clicked(); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void enterEvent(QEnterEvent *) override;
    void leaveEvent(QEvent *) override;

private:
    QString caption_;
    QPixmap normal_;
    QPixmap pressed_;
    bool down_ = false;
    bool hover_ = false;
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

// One card of the own hand: its server hand slot and card number.
class CardImage : public ClickablePicture {
    Q_OBJECT
public:
    CardImage(int slot, int card, QWidget *parent);
    int slot() const { return slot_; }
    int card() const { return card_; }

private:
    int slot_;
    int card_;
};

} // namespace quillet

namespace quillet {

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
