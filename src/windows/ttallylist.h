// The tally list: games and wins of the local player and of every player he
// follows, all-time and this session, kept in the compressed tally file.
#pragma once

#include "tally/tallyfile.h"
#include "tally/tallygrid.h"

#include <QDialog>

#include <array>
#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace quillet {

class PictureButton;

class Ttallylist : public QDialog {
    Q_OBJECT
public:
    explicit Ttallylist(QWidget *parent = nullptr);
    // Program end: the tally is saved once more (when a file was loaded).
    ~Ttallylist() override;

    // --- the tally file -----------------------------------------------------
    void setFilePath(const QString &path);
    QString filePath() const { return file_.path(); }
    // Start-up: reads the file and shows its figures, session columns at 0.
    // An unreadable file is kept aside as "<file>.bad" (or ".bad.1", ...,
    // never over an earlier one), reported through showMessage with the name
    // it was kept under, and the tally starts empty. From here on the tally
    // is saved after every finished game and at the end. No file set: the
    // tally lives in memory only.
    void loadFile();
    // Replaces the file atomically; false when it could not, the old file
    // then being untouched. A failure is shown in the window and told
    // through saveFailed; a later success clears it.
    bool saveFile();
    // The program's end: saves when anything changed since the last save.
    bool saveIfChanged();
    // This run keeps no file; the window says so, with the reason.
    void disableSaving(const QString &why);
    QString lastSaveError() const { return lastSaveError_; }
    TallyFile &tallyFile() { return file_; }

    // --- what the table calls -----------------------------------------------
    // Records one finished game. `localPlayerWon` replaces the old
    // "addtomine" winner text inside the program.
    void addgame(const QString &winner, bool localPlayerWon);
    // Adds 1 to the own row's column (1 games, 2 wins) and shows it.
    void addtomine(int column);
    // The players now at the table (other seats); ticked when tallied.
    void setCurrentPlayers(const QStringList &names);
    QStringList currentPlayers() const;
    bool isTallied(const QString &name) const;
    int ownGames() const { return int(stringgrid_scores_.figure(1, 0)); }
    int ownWins() const { return int(stringgrid_scores_.figure(2, 0)); }

    // --- the grid -------------------------------------------------------------
    const TallyGrid &stringgrid_scores() const { return stringgrid_scores_; }
    qint64 addit(int column, int row);
    void moverow(int row);
    // Shows the grid: own figures, the followed players, session columns 0.
    void loadtally();
    QStringList talliedPlayers() const;

    // --- event handlers (the controls call these; tests may too) --------------
    void checklistClickCheck(int index);
    void listbox_tallyClickCheck(int index);
    void listbox_tallyClick();
    void button_resetClick();
    void FlatButton1Click() { hide(); }

    // --- hooks ------------------------------------------------------------------
    // Yes/No question; true for Yes.
    std::function<bool(const QString &question)> confirm;
    // A failure the user must hear of (an unreadable tally file).
    std::function<void(const QString &text)> showMessage;
    // The table's refresh of the players at the table, run first by addgame.
    std::function<void()> loadchecklist;

signals:
    // A save failed (the reason); the table shows it in the chat.
    void saveFailed(const QString &reason);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void bumpOwn(int column);
    void showDetails(int row);
    void refreshChecks();
    void appendTallied(const QString &name);
    void saveAfterChange();
    bool store();
    void showSaveNote(const QString &text);

    TallyGrid stringgrid_scores_;
    TallyFile file_;
    bool autosave_ = false;      // a file was loaded: save after games and at the end
    bool keepOldFile_ = false;   // an unreadable file could not be moved aside
    bool filling_ = false;       // check marks set by code, not by the user
    bool savedSinceChange_ = false;
    QString lastSaveError_;

    QListWidget *checklist_ = nullptr;
    QListWidget *listbox_tally_ = nullptr;
    QLabel *mylabel_1_ = nullptr;
    QLabel *mylabel_2_ = nullptr;
    QLabel *label_hisnametop_ = nullptr;
    QLabel *label_hisname_ = nullptr;
    std::array<QLabel *, 9> label_{}; // label_1 .. label_8 at their numbers
    PictureButton *FlatButton1_ = nullptr;
    PictureButton *button_reset_ = nullptr;
    QLabel *label_savenote_ = nullptr; // why the tally is not saved, when it is not
};

} // namespace quillet
