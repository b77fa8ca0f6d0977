// The help window: topic buttons on the left, one read-only page per topic.
#pragma once

#include <QDialog>

#include <map>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace quillet {

class Thelp : public QDialog {
    Q_OBJECT
public:
    explicit Thelp(QWidget *parent = nullptr);

    // Brings page "memo" + tag to the front and shows the caption above it.
    // Unknown tags change nothing.
    void showPage(int tag, const QString &caption);
    // The page in front, and a page by its tag (null for unknown tags).
    QPlainTextEdit *currentPage() const;
    QPlainTextEdit *page(int tag) const;
    QLabel *label_caption = nullptr;

signals:
    // The "About" topic: the table shows the about window.
    void aboutRequested();

protected:
    void setVisible(bool visible) override;

private:
    QPushButton *addTopic(const QString &caption, int tag);

    QStackedWidget *pages_ = nullptr;
    std::map<int, QPlainTextEdit *> memos_;
};

} // namespace quillet
