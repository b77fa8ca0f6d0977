// The chat input box `mychat`: starts with "<Enter Chat Here>", which goes
// away at the first key; Enter hands the line to the table.
#pragma once

#include "protocol/messages.h"

#include <QLineEdit>

#include <optional>

class QAction;
class QMenu;

namespace quillet {

class ChatInput : public QLineEdit {
    Q_OBJECT
public:
    static inline const QString kEnterChatHere = QStringLiteral("<Enter Chat Here>");

    explicit ChatInput(QWidget *parent = nullptr);

    // Text colour of the box: the chat colour once the settings are read.
    void setTextColor(const QColor &color);
    QColor textColor() const;

    // Appends text (a smiley code, the clipboard) with the caret after it;
    // the "<Enter Chat Here>" invitation is removed first.
    void appendText(const QString &text);
    // "Paste" of `PopupMenu2`: appends the clipboard's text, blanks for
    // control characters so a pasted line break cannot split the message.
    void pasteAppend();

    // The table's Enter handler: builds what to send for the current text
    // and empties the box when the rules say so. Returns the message, or
    // nothing to send.
    std::optional<ToServer> sendit(int myseat, bool loggedin, const QString &colorText);

    QMenu *popupMenu() const { return popup_; }
    QAction *pasteAction() const { return pasteAction_; }

signals:
    // Enter was typed; the key itself is swallowed.
    void enterPressed(const QString &text);
    // Esc: the player leaves the box.
    void escapePressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void dropInvitation();

    QMenu *popup_ = nullptr;
    QAction *pasteAction_ = nullptr;
};

} // namespace quillet
