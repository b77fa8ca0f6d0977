#include "windows/tscore.h"

#include "protocol/cards.h"
#include "windows/windowplace.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

namespace quillet {

Tscore::Tscore(QWidget *parent) : PlacedWindow(parent, Qt::Tool, MoveOn::ShowAndActivation)
{
    setObjectName("Tscore");
    setWindowTitle("Quillet - Scorecard");
    setFixedSize(357, 491);
    useSideBackground(this);

    scorecard_ = new QTableWidget(kRows, kColumns, this);
    scorecard_->setObjectName("scorecard");
    scorecard_->horizontalHeader()->hide();
    scorecard_->verticalHeader()->hide();
    scorecard_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scorecard_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scorecard_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    scorecard_->setSelectionMode(QAbstractItemView::NoSelection);
    scorecard_->setFocusPolicy(Qt::NoFocus);
    const int widths[kColumns] = {60, 71, 73, 71, 68};
    int total = 0;
    for (int c = 0; c < kColumns; ++c) {
        scorecard_->setColumnWidth(c, widths[c]);
        total += widths[c];
    }
    // The header's own minimum follows the font and would stretch the rows
    // past the grid's bottom; lower it first.
    scorecard_->verticalHeader()->setMinimumSectionSize(17);
    scorecard_->verticalHeader()->setDefaultSectionSize(17);
    for (int r = 0; r < kRows; ++r)
        scorecard_->setRowHeight(r, 17);
    scorecard_->setFrameShape(QFrame::Box);
    scorecard_->setGeometry(7, 8, total + 2, kRows * 17 + 2);
    QFont f("Arial");
    f.setPixelSize(13);
    scorecard_->setFont(f);
    scorecard_->setStyleSheet("QTableWidget { background: white; color: black; gridline-color: #a0a0a0; }");
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            if (r == 0) {
                item->setBackground(QColor(109, 150, 199));
                QFont bold = f;
                bold.setBold(true);
                item->setFont(bold);
            }
            scorecard_->setItem(r, c, item);
        }
    }
    setCell(0, 0, "Round");
    // A click anywhere in the grid hides the card.
    connect(scorecard_, &QTableWidget::cellPressed, this, [this] { hide(); });

    auto *done = new QPushButton("Done", this);
    done->setGeometry(140, 446, 77, 30);
    connect(done, &QPushButton::clicked, this, &QDialog::hide);
}

void Tscore::setscorecard(const QString &letter)
{
    for (int r = 1; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c)
            setCell(r, c, QString());
    const std::string t = letter.toStdString();
    if (!isGameType(t))
        return;
    const int total = endRound(t);
    for (int r = 1; r < total; ++r)
        setCell(r, 0, QString::number(r));
    setCell(total, 0, "Total");
    for (int r = total + 1; r < kRows; ++r)
        for (int c = 1; c < kColumns; ++c)
            setCell(r, c, "--");
}

void Tscore::updatenames(const QStringList &names)
{
    for (int c = 1; c < kColumns && c - 1 < names.size(); ++c)
        setCell(0, c, names[c - 1]);
}

void Tscore::setCell(int row, int column, const QString &text)
{
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns)
        return;
    scorecard_->item(row, column)->setText(text);
}

QString Tscore::cell(int row, int column) const
{
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns)
        return {};
    return scorecard_->item(row, column)->text();
}

} // namespace quillet
