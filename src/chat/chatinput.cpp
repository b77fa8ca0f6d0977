#include "chat/chatinput.h"

#include "chat/chatlogic.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

namespace quillet {

ChatInput::ChatInput(QWidget *parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("mychat"));
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(13);
    setFont(f);
    setText(kEnterChatHere);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("PopupMenu2"));
    pasteAction_ = popup_->addAction(tr("Paste"), this, &ChatInput::pasteAppend);
    pasteAction_->setObjectName(QStringLiteral("Paste1"));
    pasteAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    pasteAction_->setShortcutContext(Qt::WidgetShortcut);
}

void ChatInput::setTextColor(const QColor &color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Text, color);
    setPalette(pal);
}

QColor ChatInput::textColor() const { return palette().color(QPalette::Text); }

void ChatInput::dropInvitation()
{
    if (text() == kEnterChatHere)
        clear();
}

void ChatInput::appendText(const QString &more)
{
    dropInvitation();
    setText(text() + more);
    setCursorPosition(int(text().size()));
}

void ChatInput::pasteAppend()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return;
    QString pasted = data->text();
    for (QChar &c : pasted)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    appendText(pasted);
}

std::optional<ToServer> ChatInput::sendit(int myseat, bool loggedin, const QString &colorText)
{
    const ChatSend send = buildChatSend(myseat, text(), colorText, loggedin);
    if (send.emptyBox)
        clear();
    return send.message;
}

void ChatInput::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        emit escapePressed();
        return;
    }
    dropInvitation();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit enterPressed(text());
        return;
    }
    // The line editor's own paste would insert at the caret; the box's
    // paste appends.
    if (event->matches(QKeySequence::Paste)) {
        event->accept();
        pasteAppend();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void ChatInput::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty() || !event->preeditString().isEmpty())
        dropInvitation();
    QLineEdit::inputMethodEvent(event);
}

void ChatInput::contextMenuEvent(QContextMenuEvent *event)
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    pasteAction_->setEnabled(data && data->hasText());
    popup_->exec(event->globalPos());
}

} // namespace quillet
