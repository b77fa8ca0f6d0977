// The tally figures: a grid of 9 columns. Row 0 is the local player's own row
// (column 1 games finished, column 2 games won); every further row is one
// followed player: column 0 his name, 1–4 games together, his wins, the local
// player's wins and games neither won (all-time), 5–8 the same for this session.
//
// The text form is the tally file's content: the column count line, the row
// count line, then one line per cell, column by column, each ended by CR LF.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace quillet {

class TallyGrid {
public:
    static constexpr int kColumns = 9;
    // A figure never grows past what the file's readers take as a number.
    static constexpr qint64 kMaxFigure = 2147483647;

    TallyGrid();

    int rowCount() const { return int(rows_.size()); }
    // The cell's text as the file holds it; empty outside the grid.
    QString cell(int column, int row) const;
    QString name(int row) const;
    // Column 1..8 of a row; 0 outside the grid.
    qint64 figure(int column, int row) const;

    // The first followed player's row whose name matches, letter case
    // ignored; -1 when he is not followed.
    int findRow(const QString &name) const;
    // Appends a followed player with every figure 0; returns his row.
    int addRow(const QString &name);
    // Adds 1 to a figure and returns the new value; 0 (and no change)
    // outside columns 1..8 or the grid.
    qint64 addit(int column, int row);
    // Removes a followed player's row; the own row 0 always stays.
    void moverow(int row);
    // Columns 5..8 of every followed player back to 0: a new session.
    void clearSession();

    // One finished game for the followed players among those at the table.
    // `winner` is the announced winners' text, compared exactly with a row's
    // name; `localPlayerWon` credits the local player instead.
    void recordGame(const QStringList &atTable, const QString &winner, bool localPlayerWon);

    QByteArray toText() const;
    // Refuses a text that is not a whole tally with a readable message in
    // *error; never allocates more rows than the text has cells for.
    static std::optional<TallyGrid> fromText(const QByteArray &text, QString *error);

    // Control characters become blanks: a line break in a name would shift
    // every later cell of the file.
    static QString cleanName(const QString &name);

    bool operator==(const TallyGrid &) const = default;

private:
    struct Row {
        QString name;
        std::array<qint64, kColumns - 1> figures{}; // columns 1..8
        bool operator==(const Row &) const = default;
    };
    bool valid(int column, int row) const
    {
        return row >= 0 && row < rowCount() && column >= 1 && column < kColumns;
    }

    QList<Row> rows_;
};

} // namespace quillet
