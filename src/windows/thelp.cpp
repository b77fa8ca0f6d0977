#include "windows/thelp.h"

#include "windows/helppages.h"
#include "windows/windowplace.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace quillet {

namespace {
struct Topic {
    const char *caption;
    int tag;
};
// The topics in button order; the tag names the page.
constexpr Topic kTopics[] = {
    {"Overview", 1},      {"Connecting", 2}, {"Game Play", 3}, {"Scoring", 4},
    {"Documentation", 9}, {"License", 10},   {"The Lobby", 11},
};
constexpr int kButtonWidth = 112;
} // namespace

Thelp::Thelp(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setObjectName("Thelp");
    setWindowTitle("Quillet Help File");
    resize(640, 460);
    setMinimumSize(480, 360);
    useSideBackground(this);

    auto *topics = new QVBoxLayout;
    topics->setSpacing(6);
    pages_ = new QStackedWidget(this);
    pages_->setObjectName("pages");
    for (const Topic &t : kTopics) {
        auto *memo = new QPlainTextEdit(this);
        memo->setObjectName(QStringLiteral("memo%1").arg(t.tag));
        memo->setReadOnly(true);
        memo->setPlainText(helpPageText(t.tag));
        memo->setStyleSheet("QPlainTextEdit { background: white; color: black; }");
        QFont f = memo->font();
        f.setPointSize(10);
        memo->setFont(f);
        pages_->addWidget(memo);
        memos_[t.tag] = memo;
        topics->addWidget(addTopic(QString::fromLatin1(t.caption), t.tag));
    }
    auto *about = new QPushButton("About", this);
    about->setObjectName("button_about");
    about->setFixedWidth(kButtonWidth);
    connect(about, &QPushButton::clicked, this, &Thelp::aboutRequested);
    topics->addWidget(about);
    topics->addStretch(1);

    label_caption = new QLabel(this);
    label_caption->setObjectName("label_caption");
    QFont big = label_caption->font();
    big.setPointSize(14);
    big.setBold(true);
    label_caption->setFont(big);

    auto *right = new QVBoxLayout;
    right->addWidget(label_caption);
    right->addWidget(pages_, 1);
    auto *done = new QPushButton("Done", this);
    done->setObjectName("button_done");
    done->setFixedWidth(90);
    connect(done, &QPushButton::clicked, this, &QDialog::hide);
    right->addWidget(done, 0, Qt::AlignRight);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(topics);
    layout->addLayout(right, 1);

    showPage(1, QStringLiteral("Overview"));
}

QPushButton *Thelp::addTopic(const QString &caption, int tag)
{
    auto *b = new QPushButton(caption, this);
    b->setObjectName(QStringLiteral("button_topic%1").arg(tag));
    b->setProperty("tag", tag);
    b->setFixedWidth(kButtonWidth);
    connect(b, &QPushButton::clicked, this, [this, b] { showPage(b->property("tag").toInt(), b->text()); });
    return b;
}

void Thelp::showPage(int tag, const QString &caption)
{
    QPlainTextEdit *memo = page(tag);
    if (!memo)
        return;
    pages_->setCurrentWidget(memo);
    label_caption->setText(caption);
}

QPlainTextEdit *Thelp::currentPage() const
{
    return qobject_cast<QPlainTextEdit *>(pages_->currentWidget());
}

QPlainTextEdit *Thelp::page(int tag) const
{
    const auto it = memos_.find(tag);
    return it == memos_.end() ? nullptr : it->second;
}

void Thelp::setVisible(bool visible)
{
    // Opens centred on the table.
    if (visible && !isVisible())
        centreOn(this, parentWidget());
    QDialog::setVisible(visible);
}

} // namespace quillet
