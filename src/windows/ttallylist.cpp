#include "windows/ttallylist.h"

#include "ui/kit.h"
#include "windows/windowplace.h"
#include "ui/pictures.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPalette>
#include <QPersistentModelIndex>
#include <QShowEvent>
#include <QTimer>
#include <QtDebug>

namespace quillet {

namespace {

constexpr int kWidth = 452;
constexpr int kHeight = 336;
constexpr int kNoteHeight = 46; // three lines of the save note

// Shows a long player name cut short with "..." instead of clipped; the
// label's text stays whole.
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setPen(palette().color(foregroundRole()));
        p.setFont(font());
        p.drawText(contentsRect(), int(alignment()),
                   fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width()));
    }
};

QLabel *textLabel(const QString &text, const QRect &geometry, QWidget *parent, bool bold = false,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *l = new ElidedLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->setGeometry(geometry);
    l->setAlignment(align);
    QFont f = l->font();
    f.setPixelSize(bold ? 14 : 12);
    f.setBold(bold);
    l->setFont(f);
    return l;
}

// A darker pane behind a group of labels, so they read well on the picture.
QFrame *pane(const QRect &geometry, QWidget *parent)
{
    auto *f = new QFrame(parent);
    f->setGeometry(geometry);
    f->setStyleSheet("QFrame { background: rgba(20, 12, 4, 150); border: 1px solid rgba(255, 230, 170, 90);"
                     " border-radius: 6px; } QLabel { background: transparent; border: none;"
                     " color: #f4ecd8; }");
    return f;
}

} // namespace

Ttallylist::Ttallylist(QWidget *parent) : QDialog(parent)
{
    setObjectName("Ttallylist");
    setWindowTitle("Quillet - Tally List");
    setFixedSize(kWidth, kHeight);
    useSideBackground(this);
    buildControls();

    confirm = [this](const QString &question) {
        return QMessageBox::question(this, "Confirm", question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    showMessage = [this](const QString &text) {
        QMessageBox::warning(parentWidget(), "Quillet", text);
    };
    loadtally();
}

Ttallylist::~Ttallylist()
{
    // The last resort when the program's end did not save: nobody is left to
    // show a failure to (the table is going away with us).
    if (autosave_ && !savedSinceChange_ && !store())
        qWarning("quillet: the tally was not saved: %s", qPrintable(lastSaveError_));
}

void Ttallylist::buildControls()
{
    const QString headingStyle = "color: #2e1f0c;";
    textLabel("Players In Current Game", QRect(12, 8, 210, 20), this, true)->setStyleSheet(headingStyle);
    checklist_ = new QListWidget(this);
    checklist_->setObjectName("checklist");
    checklist_->setGeometry(12, 30, 206, 122);
    textLabel("Players Being Tallied", QRect(234, 8, 210, 20), this, true)->setStyleSheet(headingStyle);
    listbox_tally_ = new QListWidget(this);
    listbox_tally_->setObjectName("listbox_tally");
    listbox_tally_->setGeometry(234, 30, 206, 122);

    // The own figures.
    QFrame *own = pane(QRect(12, 164, 166, 112), this);
    textLabel("Your Total Tally", QRect(10, 8, 150, 20), own, true);
    textLabel("Total Games:", QRect(10, 40, 90, 18), own);
    mylabel_1_ = textLabel("0", QRect(100, 40, 56, 18), own, false, Qt::AlignRight | Qt::AlignVCenter);
    mylabel_1_->setObjectName("mylabel_1");
    textLabel("Your Wins", QRect(10, 62, 90, 18), own);
    mylabel_2_ = textLabel("0", QRect(100, 62, 56, 18), own, false, Qt::AlignRight | Qt::AlignVCenter);
    mylabel_2_->setObjectName("mylabel_2");

    // The selected followed player's figures: total and this session.
    QFrame *his = pane(QRect(190, 164, 250, 112), this);
    label_hisnametop_ = textLabel("XX's Tally", QRect(10, 6, 230, 20), his, true);
    label_hisnametop_->setObjectName("label_hisnametop");
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    textLabel("Total", QRect(132, 26, 50, 16), his, false, right);
    textLabel("Session", QRect(186, 26, 54, 16), his, false, right);
    const char *rowCaptions[4] = {"Number of Games", nullptr, "Your Wins:", "Neither Won:"};
    for (int i = 0; i < 4; ++i) {
        const int y = 44 + 16 * i;
        if (rowCaptions[i]) {
            textLabel(rowCaptions[i], QRect(10, y, 122, 16), his);
        } else {
            label_hisname_ = textLabel("XX Wins:", QRect(10, y, 122, 16), his);
            label_hisname_->setObjectName("label_hisname");
        }
        for (int session = 0; session < 2; ++session) {
            const int n = i + 1 + 4 * session;
            QLabel *l = textLabel("0", QRect(session ? 186 : 132, y, session ? 54 : 50, 16), his, false, right);
            l->setObjectName("label_" + QString::number(n));
            label_[n] = l;
        }
    }

    button_reset_ = new PictureButton("Reset Tally", QSize(104, 30), this);
    button_reset_->setObjectName("button_reset");
    button_reset_->move(12, 292);
    connect(button_reset_, &PictureButton::clicked, this, &Ttallylist::button_resetClick);
    FlatButton1_ = new PictureButton("Ok", QSize(90, 30), this);
    FlatButton1_->setObjectName("FlatButton1");
    FlatButton1_->move(kWidth - 12 - 90, 292);
    connect(FlatButton1_, &PictureButton::clicked, this, &Ttallylist::FlatButton1Click);
    // Below the buttons, and only while there is something to say: the
    // window grows to hold it.
    label_savenote_ = new QLabel(this);
    label_savenote_->setObjectName("label_savenote");
    label_savenote_->setTextFormat(Qt::PlainText);
    label_savenote_->setWordWrap(true);
    label_savenote_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_savenote_->setGeometry(12, kHeight - 2, kWidth - 24, kNoteHeight);
    label_savenote_->setStyleSheet("color: #8b0000; font-size: 11px; font-weight: bold;");
    label_savenote_->hide();

    connect(checklist_, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (!filling_)
            checklistClickCheck(checklist_->row(item));
    });
    // Handled after the click is over: a confirmed delete removes the very
    // item whose change is being reported.
    connect(listbox_tally_, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (filling_)
            return;
        const QPersistentModelIndex at(listbox_tally_->model()->index(listbox_tally_->row(item), 0));
        QTimer::singleShot(0, this, [this, at] {
            if (at.isValid())
                listbox_tallyClickCheck(at.row());
        });
    });
    connect(listbox_tally_, &QListWidget::currentRowChanged, this, [this] { listbox_tallyClick(); });
}

void Ttallylist::setFilePath(const QString &path)
{
    file_.setPath(path);
}

void Ttallylist::loadFile()
{
    TallyFile::Loaded loaded = file_.load();
    keepOldFile_ = false;
    if (loaded.status == TallyFile::Loaded::Status::Damaged) {
        QString message = loaded.error;
        QString why;
        const QString kept = file_.keepDamaged(&why);
        if (kept.isEmpty()) {
            // Never write over a tally we could neither read nor move aside.
            keepOldFile_ = true;
            message += "\n\n" + why + ". The tally will not be saved while that file is there.";
        } else {
            message += "\n\nThe damaged file is kept as " + kept + "; a new tally starts.";
        }
        if (showMessage)
            showMessage(message);
    }
    stringgrid_scores_ = std::move(loaded.grid);
    loadtally();
    autosave_ = !file_.path().isEmpty();
    savedSinceChange_ = false;
}

void Ttallylist::disableSaving(const QString &why)
{
    file_.setPath(QString());
    autosave_ = false;
    showSaveNote("Not saved in this run: " + why);
}

bool Ttallylist::store()
{
    if (keepOldFile_) {
        lastSaveError_ = "The unreadable tally file " + file_.path() + " was not replaced.";
        return false;
    }
    return file_.save(stringgrid_scores_, &lastSaveError_);
}

bool Ttallylist::saveFile()
{
    if (!store()) {
        showSaveNote("Not saved: " + lastSaveError_);
        emit saveFailed(lastSaveError_);
        return false;
    }
    savedSinceChange_ = true;
    lastSaveError_.clear();
    showSaveNote(QString());
    return true;
}

bool Ttallylist::saveIfChanged()
{
    return !autosave_ || savedSinceChange_ || saveFile();
}

void Ttallylist::saveAfterChange()
{
    savedSinceChange_ = false;
    if (autosave_)
        saveFile();
}

void Ttallylist::showSaveNote(const QString &text)
{
    label_savenote_->setText(text);
    label_savenote_->setToolTip(text);
    label_savenote_->setVisible(!text.isEmpty());
    setFixedSize(kWidth, text.isEmpty() ? kHeight : kHeight + kNoteHeight);
}

void Ttallylist::loadtally()
{
    mylabel_1_->setText(stringgrid_scores_.cell(1, 0));
    mylabel_2_->setText(stringgrid_scores_.cell(2, 0));
    stringgrid_scores_.clearSession();
    filling_ = true;
    listbox_tally_->clear();
    filling_ = false;
    for (int r = 1; r < stringgrid_scores_.rowCount(); ++r)
        appendTallied(stringgrid_scores_.name(r));
    refreshChecks();
}

void Ttallylist::appendTallied(const QString &name)
{
    filling_ = true;
    auto *item = new QListWidgetItem(name, listbox_tally_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    filling_ = false;
}

void Ttallylist::addgame(const QString &winner, bool localPlayerWon)
{
    if (loadchecklist)
        loadchecklist();
    bumpOwn(1);
    stringgrid_scores_.recordGame(currentPlayers(), winner, localPlayerWon);
    if (listbox_tally_->currentRow() >= 0)
        listbox_tallyClick();
    saveAfterChange();
}

void Ttallylist::addtomine(int column)
{
    bumpOwn(column);
    saveAfterChange();
}

void Ttallylist::bumpOwn(int column)
{
    if (column != 1 && column != 2)
        return;
    stringgrid_scores_.addit(column, 0);
    (column == 1 ? mylabel_1_ : mylabel_2_)->setText(stringgrid_scores_.cell(column, 0));
}

qint64 Ttallylist::addit(int column, int row)
{
    return stringgrid_scores_.addit(column, row);
}

void Ttallylist::moverow(int row)
{
    stringgrid_scores_.moverow(row);
}

void Ttallylist::setCurrentPlayers(const QStringList &names)
{
    filling_ = true;
    checklist_->clear();
    for (const QString &n : names) {
        auto *item = new QListWidgetItem(TallyGrid::cleanName(n), checklist_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(isTallied(n) ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
}

QStringList Ttallylist::currentPlayers() const
{
    QStringList out;
    for (int i = 0; i < checklist_->count(); ++i)
        out << checklist_->item(i)->text();
    return out;
}

QStringList Ttallylist::talliedPlayers() const
{
    QStringList out;
    for (int i = 0; i < listbox_tally_->count(); ++i)
        out << listbox_tally_->item(i)->text();
    return out;
}

bool Ttallylist::isTallied(const QString &name) const
{
    return stringgrid_scores_.findRow(name) >= 1;
}

void Ttallylist::refreshChecks()
{
    filling_ = true;
    for (int i = 0; i < checklist_->count(); ++i) {
        QListWidgetItem *item = checklist_->item(i);
        item->setCheckState(isTallied(item->text()) ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
}

void Ttallylist::checklistClickCheck(int index)
{
    QListWidgetItem *item = checklist_->item(index);
    if (!item || isTallied(item->text()))
        return; // unticking never removes a followed player
    stringgrid_scores_.addRow(item->text());
    savedSinceChange_ = false;
    appendTallied(stringgrid_scores_.name(stringgrid_scores_.rowCount() - 1));
}

void Ttallylist::listbox_tallyClickCheck(int index)
{
    QListWidgetItem *item = listbox_tally_->item(index);
    if (!item || item->checkState() == Qt::Checked)
        return;
    const QString name = item->text();
    if (confirm && confirm("This will delete " + name + "'s Tally, Are you want to delete it?")) {
        moverow(index + 1);
        savedSinceChange_ = false;
        filling_ = true;
        delete listbox_tally_->takeItem(index);
        filling_ = false;
        refreshChecks();
        listbox_tallyClick();
    } else {
        filling_ = true;
        item->setCheckState(Qt::Checked);
        filling_ = false;
    }
}

void Ttallylist::listbox_tallyClick()
{
    showDetails(listbox_tally_->currentRow() + 1);
}

void Ttallylist::showDetails(int row)
{
    if (row < 1 || row >= stringgrid_scores_.rowCount()) {
        for (int n = 1; n <= 8; ++n)
            label_[n]->setText("0");
        return;
    }
    for (int n = 1; n <= 8; ++n)
        label_[n]->setText(stringgrid_scores_.cell(n, row));
    const QString name = stringgrid_scores_.name(row);
    label_hisname_->setText(name + " Wins:");
    label_hisnametop_->setText(name + "'s Tally");
    label_hisname_->setToolTip(name);
    label_hisnametop_->setToolTip(name);
}

void Ttallylist::button_resetClick()
{
    if (confirm && !confirm("Are you sure you want to reset the Tally?"))
        return;
    stringgrid_scores_ = TallyGrid();
    savedSinceChange_ = false;
    mylabel_1_->setText("0");
    mylabel_2_->setText("0");
    filling_ = true;
    listbox_tally_->clear();
    filling_ = false;
    for (int n = 1; n <= 8; ++n)
        label_[n]->setText("0");
    refreshChecks();
}

void Ttallylist::showEvent(QShowEvent *event)
{
    if (QWidget *main = parentWidget()) {
        const QPoint centre = main->frameGeometry().center();
        move(centre.x() - frameGeometry().width() / 2, centre.y() - frameGeometry().height() / 2);
    }
    QDialog::showEvent(event);
}

} // namespace quillet
