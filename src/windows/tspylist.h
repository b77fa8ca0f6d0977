// The spy list: watchers of the game, and the host's removal of one.
#pragma once

#include <QDialog>

#include <functional>

class QAction;
class QListWidget;

namespace quillet {

class Tspylist : public QDialog {
    Q_OBJECT
public:
    explicit Tspylist(QWidget *parent = nullptr);

    void addEntry(const QString &entry);
    // Removes the exact entry; false when it is not listed.
    bool removeEntry(const QString &entry);
    bool contains(const QString &entry) const;
    // Empties the list (a table that lost its connection hears the watchers again).
    void clearEntries();
    QStringList entries() const;
    void setRemoveEnabled(bool enabled);
    bool removeEnabled() const;
    QListWidget *listbox_spys() const { return list_; }

    // "Remove From Game" for the slot of the entry the menu was opened on.
    std::function<void(int slot)> onKick;
    // Opens the pop-up menu for the entry at `index` (as a right click does)
    // and returns the slot recorded for it, or -1.
    int openMenuAt(int index);
    void triggerRemove();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The first showing puts it beside the table when the screen has room.
    void setVisible(bool visible) override;

private:
    QListWidget *list_;
    QAction *popup_kickhim_;
    int tag_ = -1;          // entry under the pointer
    int menuSlot_ = -1;     // slot recorded when the menu opened
    bool placed_ = false;
};

} // namespace quillet
