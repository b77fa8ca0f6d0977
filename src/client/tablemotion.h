// The table's motion: a played card glides from its seat to its place and a won trick
// to the seat that took it, in about 150 ms. Only copies move: the table's controls
// hold their final state at once, so messages, tests and the computer never wait.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

#include <vector>

class QLabel;
class QVariantAnimation;
class QWidget;

namespace quillet {

class TablePicture;

class TableMotion : public QObject {
    Q_OBJECT
public:
    static constexpr int kGlideMs = 150;

    // `view` is the table: the copies fly over it.
    explicit TableMotion(QWidget *view);
    ~TableMotion() override;

    // `target` already shows its card at its place; it is veiled while a copy glides
    // there from `fromDesign` (design pixels).
    void glideIn(TablePicture *target, const QRect &fromDesign);
    // A copy of what `source` shows (before it is cleared) glides to `toDesign`.
    void glideAway(const TablePicture *source, const QRect &toDesign);
    // Every glide ends now (the table changes size, or closes).
    void finishAll();
    int running() const { return int(glides_.size()); }

private:
    struct Glide {
        QVariantAnimation *animation = nullptr;
        QLabel *copy = nullptr;
        QPointer<TablePicture> target; // unveiled at the end, when there is one
    };
    void start(QLabel *copy, const QRect &from, const QRect &to, TablePicture *target);
    void finish(QVariantAnimation *animation);

    QWidget *view_;
    std::vector<Glide> glides_;
};

} // namespace quillet
