#include "windows/tspylist.h"

#include "protocol/message.h"
#include "windows/windowplace.h"
#include "ui/pictures.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>

namespace quillet {

Tspylist::Tspylist(QWidget *parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName("Tspylist");
    setWindowTitle("Quillet-Spys");
    setFixedSize(200, 240);
    useSideBackground(this);

    auto *label = new QLabel("Spy List", this);
    QFont f = label->font();
    f.setBold(true);
    f.setPixelSize(14);
    label->setFont(f);
    label->setStyleSheet("color: #24331f;");
    label->setGeometry(10, 6, 180, 20);
    list_ = new QListWidget(this);
    list_->setObjectName("listbox_spys");
    list_->setGeometry(10, 28, 180, 160);
    list_->setMouseTracking(true);
    list_->viewport()->installEventFilter(this);
    list_->setContextMenuPolicy(Qt::DefaultContextMenu);
    auto *done = new QPushButton("Done", this);
    done->setGeometry(62, 198, 76, 28);
    connect(done, &QPushButton::clicked, this, &QDialog::hide);
    popup_kickhim_ = new QAction("Remove From Game", this);
    popup_kickhim_->setObjectName("popup_kickhim");
    popup_kickhim_->setEnabled(false);
    connect(popup_kickhim_, &QAction::triggered, this, &Tspylist::triggerRemove);
}

void Tspylist::addEntry(const QString &entry) { list_->addItem(entry); }

void Tspylist::clearEntries() { list_->clear(); }

bool Tspylist::removeEntry(const QString &entry)
{
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->text() == entry) {
            delete list_->takeItem(i);
            return true;
        }
    }
    return false;
}

bool Tspylist::contains(const QString &entry) const
{
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->text() == entry)
            return true;
    return false;
}

QStringList Tspylist::entries() const
{
    QStringList out;
    for (int i = 0; i < list_->count(); ++i)
        out << list_->item(i)->text();
    return out;
}

void Tspylist::setRemoveEnabled(bool enabled) { popup_kickhim_->setEnabled(enabled); }
bool Tspylist::removeEnabled() const { return popup_kickhim_->isEnabled(); }

int Tspylist::openMenuAt(int index)
{
    menuSlot_ = -1;
    if (index >= 0 && index < list_->count()) {
        const QString text = list_->item(index)->text();
        const int colon = text.indexOf(':');
        int slot = 0;
        if (colon > 0 && parseNumber(text.left(colon).toStdString(), slot))
            menuSlot_ = slot;
    }
    return menuSlot_;
}

void Tspylist::triggerRemove()
{
    // The slot recorded when the menu opened: the list may have changed since.
    if (menuSlot_ > 0 && onKick)
        onKick(menuSlot_);
}

void Tspylist::setVisible(bool visible)
{
    if (visible && !isVisible() && !placed_) {
        placed_ = true;
        QList<QWidget *> others;
        if (parentWidget())
            for (QWidget *w : parentWidget()->findChildren<QDialog *>(Qt::FindDirectChildrenOnly))
                others << w;
        if (const auto beside = besidePlace(this, parentWidget(), others))
            move(*beside);
    }
    QDialog::setVisible(visible);
}

bool Tspylist::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == list_->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            auto *me = static_cast<QMouseEvent *>(event);
            QListWidgetItem *item = list_->itemAt(me->position().toPoint());
            tag_ = item ? list_->row(item) : -1;
        } else if (event->type() == QEvent::ContextMenu) {
            auto *ce = static_cast<QContextMenuEvent *>(event);
            QListWidgetItem *item = list_->itemAt(ce->pos());
            tag_ = item ? list_->row(item) : -1;
            openMenuAt(tag_);
            QMenu menu;
            menu.addAction(popup_kickhim_);
            menu.exec(ce->globalPos());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace quillet
