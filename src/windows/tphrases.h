// The phrase editor: the texts of the nine phrase buttons of the chat.
#pragma once

#include <QDialog>
#include <QStringList>

#include <array>
#include <functional>

class QLineEdit;

namespace quillet {

class Tphrases : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPhrases = 9;
    static constexpr int kMaxPhraseLength = 50;

    explicit Tphrases(QWidget *parent = nullptr);

    // Copies the buttons' phrases into the edit boxes (missing ones empty)
    // and shows the editor centred on the table.
    void editPhrases(const QStringList &current);
    // The nine texts as they stand in the edit boxes.
    QStringList phrases() const;
    QLineEdit *phrase(int n) const;  // 1..9, null otherwise

    // "Done": the nine phrases, changed or not. The table copies them to its
    // buttons and writes them (savePhrases). Closing any other way reports
    // nothing.
    std::function<void(const QStringList &phrases)> onDone;

    // Writes the keys "Phrase1".."Phrase9" into the settings file at `path`,
    // keeping everything else in it. False (with a reason) when it cannot.
    static bool savePhrases(const QString &path, const QStringList &phrases, QString *error = nullptr);

protected:
    void setVisible(bool visible) override;

private:
    void done();

    std::array<QLineEdit *, kPhrases> edits_{};
};

} // namespace quillet
