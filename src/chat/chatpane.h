// The chat pane `mainchat`: a read-only view of coloured chat lines with
// inline smileys and numbered links. Lines are kept as runs of a style and
// laid out once per width or font change, and only the visible paragraphs
// are painted, so adding a line costs the same with ten or ten thousand
// lines in the pane.
#pragma once

#include "chat/chatlayout.h"
#include "chat/chatlogic.h"
#include "chat/chatstyles.h"

#include <QAbstractScrollArea>
#include <QPixmap>
#include <QUrl>

#include <array>
#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace quillet {

class ChatPane : public QAbstractScrollArea {
    Q_OBJECT
public:
    using SmileyProvider = std::function<QPixmap(int picture)>;
    using UrlOpener = std::function<bool(const QUrl &url)>;
    using MessageShower = std::function<void(const QString &text)>;

    explicit ChatPane(QWidget *parent = nullptr);
    ~ChatPane() override;

    // Adds one line: source, "+", head and body. The source's style takes
    // the colour and the bold look, which every earlier line of that source
    // shows too. Lines whose source is not 0..9 are dropped.
    void addlinetochat(const QString &text, quint32 color);

    // Empties the pane; link numbers start again at 0.
    void clear();
    void selectAll();
    void copy() const; // the selection as plain text, smileys as their codes
    QString selectedText() const;
    bool hasSelection() const;

    // Point size of all fifteen styles.
    void setTextSize(int points);
    int textSize() const { return styles_.pointSize(); }
    // The pane drawn `zoom` times larger (the table grew with the window); the text
    // size stays the one chosen.
    void setZoom(qreal zoom);

    // "Scroll Chat Off": new lines leave the view where it is.
    bool scrollOff() const;
    void setScrollOff(bool off);

    // The pop-up menu `PopupMenu1` and its items. A window menu that offers
    // "Scroll Chat Off" or "Clear Main Chat" should add these same actions,
    // so both places share one state and one shortcut.
    QMenu *popupMenu() const { return popup_; }
    QAction *selectAllAction() const { return selectAllAction_; }
    QAction *copyAction() const { return copyAction_; }
    QAction *clearAction() const { return clearAction_; }
    QAction *scrollOffAction() const { return scrollOffAction_; }

    // Number of the last link, -1 when the pane holds none.
    int linkcount() const { return int(links_.size()) - 1; }
    // The text stored under a link number (with its trailing blank), or an
    // empty text.
    QString link(int number) const;
    // What a click on link `number` does: opens its address when that is a
    // web address, else shows "Cannot open Webpage".
    void mainchatJump(int number);

    // Seams for the picture list and the desktop; the defaults draw a
    // simple face, open with the desktop and show a message box.
    void setSmileyProvider(SmileyProvider provider);
    void setUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }
    void setMessageShower(MessageShower shower) { showMessage_ = std::move(shower); }

    // Read access for the table and for tests.
    const ChatStyleSheet &styles() const { return styles_; }
    int paragraphCount() const { return int(paras_.size()); }
    const ChatParagraph &paragraph(int index) const { return paras_[std::size_t(index)]; }
    QString paragraphText(int index) const; // smileys as their codes
    // Where link `number` is drawn first, in viewport coordinates; empty
    // when there is no such link.
    QRect linkRect(int number) const;
    int documentHeight() const { return docHeight_; }

signals:
    void linkClicked(int number);
    void cleared();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    struct Pos {
        int para = 0;
        int offset = 0;
        auto operator<=>(const Pos &) const = default;
    };
    struct Link {
        QString text;
        int para = 0;
        int run = 0;
    };

    void appendRun(ChatParagraph &p, int style, const QString &text, int link);
    int contentWidth() const;
    void relayoutAll(bool remeasure);
    void updateScrollRange();
    bool atEnd() const;
    int paragraphAtY(int docY) const;
    QPointF toDoc(QPoint viewportPos) const;
    Pos positionAt(QPoint viewportPos) const;
    int linkAt(QPoint viewportPos) const;
    const QPixmap &smiley(int picture) const;
    void paintParagraph(QPainter &painter, const ChatParagraph &p, int paraIndex, int yOffset,
                        int clipTop, int clipBottom);

    ChatStyleSheet styles_;
    std::array<bool, kChatStyleCount> styleUsed_{};
    std::vector<ChatParagraph> paras_;
    std::vector<Link> links_;
    int docHeight_ = 0;
    int laidOutWidth_ = -1;

    Pos anchor_, cursor_;
    QPoint pressPoint_;
    int pressLink_ = -1;
    bool selecting_ = false;
    bool dragged_ = false;

    SmileyProvider smileyProvider_;
    mutable std::array<QPixmap, kSmileyCount> smileyCache_;
    UrlOpener openUrl_;
    MessageShower showMessage_;

    QMenu *popup_ = nullptr;
    QAction *selectAllAction_ = nullptr;
    QAction *copyAction_ = nullptr;
    QAction *clearAction_ = nullptr;
    QAction *scrollOffAction_ = nullptr;
};

} // namespace quillet
