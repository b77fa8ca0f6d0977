#include "windows/tphrases.h"

#include "net/guard.h"
#include "settings/profile.h"
#include "settings/settingsvalues.h"
#include "windows/windowplace.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillet {

Tphrases::Tphrases(QWidget *parent) : QDialog(parent)
{
    setObjectName("Tphrases");
    setWindowTitle("Quillet - Phrase Buttons");
    useSideBackground(this);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    for (int i = 0; i < kPhrases; ++i) {
        auto *label = new QLabel(QStringLiteral("Phrase Button %1:").arg(i + 1), this);
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("phrase%1").arg(i + 1));
        // Typing and pasting both stop at the limit.
        edit->setMaxLength(kMaxPhraseLength);
        edit->setMinimumWidth(320);
        label->setBuddy(edit);
        grid->addWidget(label, i, 0);
        grid->addWidget(edit, i, 1);
        edits_[static_cast<std::size_t>(i)] = edit;
    }

    auto *doneButton = new QPushButton("Done", this);
    doneButton->setObjectName("button_done");
    doneButton->setFixedWidth(90);
    doneButton->setDefault(true);
    connect(doneButton, &QPushButton::clicked, this, [this] { done(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(doneButton, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint());
}

QLineEdit *Tphrases::phrase(int n) const
{
    return n >= 1 && n <= kPhrases ? edits_[static_cast<std::size_t>(n - 1)] : nullptr;
}

void Tphrases::editPhrases(const QStringList &current)
{
    for (int i = 0; i < kPhrases; ++i)
        edits_[static_cast<std::size_t>(i)]->setText(i < current.size() ? current[i] : QString());
    show();
    raise();
    activateWindow();
}

QStringList Tphrases::phrases() const
{
    QStringList list;
    for (const QLineEdit *edit : edits_)
        list << edit->text();
    return list;
}

void Tphrases::done()
{
    const QStringList list = phrases();
    hide();
    guarded([&] {
        if (onDone)
            onDone(list);
    });
}

bool Tphrases::savePhrases(const QString &path, const QStringList &phrases, QString *error)
{
    ProfileFile file(path);
    QString values[kPhrases];
    for (int i = 0; i < kPhrases && i < phrases.size(); ++i)
        values[i] = phrases[i];
    writePhrases(file, values);
    return file.save(error);
}

void Tphrases::setVisible(bool visible)
{
    if (visible && !isVisible())
        centreOn(this, parentWidget());
    QDialog::setVisible(visible);
}

} // namespace quillet
