// The score card: one row per round, one column per seat. It hides on "Done"
// and on a click into the grid, moves to its stored place whenever it is
// shown or becomes active, and reports a place the user gave it (see
// PlacedWindow).
#pragma once

#include "windows/placedwindow.h"

class QTableWidget;

namespace quillet {

class Tscore : public PlacedWindow {
    Q_OBJECT
public:
    explicit Tscore(QWidget *parent = nullptr);

    // Lays the grid out for a game type ("h", "f", "m"; anything else leaves
    // rows 1..24 empty).
    void setscorecard(const QString &letter);
    // Row 0, columns 1..4: the names of seats 1..4.
    void updatenames(const QStringList &names);
    void setCell(int row, int column, const QString &text);
    QString cell(int row, int column) const;
    QTableWidget *scorecard() const { return scorecard_; }

    static constexpr int kRows = 25;
    static constexpr int kColumns = 5;

private:
    QTableWidget *scorecard_;
};

} // namespace quillet
