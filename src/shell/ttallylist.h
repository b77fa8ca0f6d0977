// The tally list: games and wins per followed player.
#pragma once

#include <QDialog>

class QListWidget;
class QLabel;

namespace quillet {

class Ttallylist : public QDialog {
    Q_OBJECT
public:
    explicit Ttallylist(QWidget *parent = nullptr);

    // Records one finished game. `localPlayerWon` replaces the old
    // "addtomine" winner text inside the program.
    void addgame(const QString &winner, bool localPlayerWon);
    // Adds 1 to the own row's column (1 games, 2 wins).
    void addtomine(int column);
    // The players now at the table (other seats); ticked when tallied.
    void setCurrentPlayers(const QStringList &names);
    QStringList currentPlayers() const;
    bool isTallied(const QString &name) const;
    int ownGames() const { return ownGames_; }
    int ownWins() const { return ownWins_; }

private:
    QListWidget *checklist_;
    QListWidget *listbox_tally_;
    QLabel *mylabel_1_;
    QLabel *mylabel_2_;
    int ownGames_ = 0;
    int ownWins_ = 0;
};

} // namespace quillet
