#include "chat/chatpane.h"

#include "chat/chatsmileyface.h"
#include "chat/colortext.h"

#include <QAction>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>

#include <algorithm>

namespace quillet {
namespace {

constexpr int kSideMargin = 5;
constexpr int kTopMargin = 2;
const QChar kObjectChar(0xFFFC);

} // namespace

ChatPane::ChatPane(QWidget *parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("mainchat"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::ClickFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::ArrowCursor);

    openUrl_ = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    showMessage_ = [this](const QString &text) {
        QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                        QMessageBox::Ok, window());
        box.exec();
    };

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("PopupMenu1"));
    selectAllAction_ = popup_->addAction(tr("Select &All"), this, &ChatPane::selectAll);
    selectAllAction_->setObjectName(QStringLiteral("SelectAll1"));
    copyAction_ = popup_->addAction(tr("&Copy"), this, &ChatPane::copy);
    copyAction_->setObjectName(QStringLiteral("Copy1"));
    copyAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    copyAction_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    clearAction_ = popup_->addAction(tr("Clear &Main Chat"), this, &ChatPane::clear);
    clearAction_->setObjectName(QStringLiteral("ClearMainChat1"));
    scrollOffAction_ = popup_->addAction(tr("Scroll C&hat Off"));
    scrollOffAction_->setObjectName(QStringLiteral("ScrollChatOff1"));
    scrollOffAction_->setCheckable(true);
    scrollOffAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    scrollOffAction_->setShortcutContext(Qt::WindowShortcut);
    // The shortcuts work without the menu being open.
    addAction(copyAction_);
    addAction(scrollOffAction_);
}

ChatPane::~ChatPane() = default;

void ChatPane::setSmileyProvider(SmileyProvider provider)
{
    smileyProvider_ = std::move(provider);
    smileyCache_ = {};
    viewport()->update();
}

const QPixmap &ChatPane::smiley(int picture) const
{
    picture = std::clamp(picture, 0, kSmileyCount - 1);
    QPixmap &cached = smileyCache_[std::size_t(picture)];
    if (cached.isNull()) {
        cached = smileyProvider_ ? smileyProvider_(picture)
                                 : drawChatSmileyFace(picture, devicePixelRatioF());
    }
    return cached;
}

// ---- lines --------------------------------------------------------------

void ChatPane::appendRun(ChatParagraph &p, int style, const QString &text, int link)
{
    styleUsed_[std::size_t(style)] = true;
    if (link < 0 && !p.runs.empty()) {
        ChatRun &last = p.runs.back();
        if (last.style == style && last.link < 0 && last.picture < 0) {
            p.text += text;
            last.length += int(text.size());
            return;
        }
    }
    p.runs.push_back({int(p.text.size()), int(text.size()), style, -1, link});
    p.text += text;
}

void ChatPane::addlinetochat(const QString &text, quint32 color)
{
    const std::optional<ChatLineParts> parts = splitChatLine(text);
    if (!parts)
        return;
    const int style = chatStyleForSource(parts->source);
    styles_.setColor(style, toQColor(color));
    // Only the first line of a source makes its style bold; its earlier
    // runs, if any, then need new widths.
    if (styles_.setBold(style, true) && styleUsed_[std::size_t(style)])
        relayoutAll(true);

    ChatParagraph p;
    appendRun(p, style, parts->head + QLatin1Char(' '), -1);
    for (ChatPiece &piece : splitChatBody(parts->body)) {
        if (piece.picture >= 0) {
            styleUsed_[std::size_t(style)] = true;
            p.runs.push_back({int(p.text.size()), 1, style, piece.picture, -1});
            p.text += kObjectChar;
        } else if (piece.link) {
            const int number = int(links_.size());
            links_.push_back({piece.text, int(paras_.size()), int(p.runs.size())});
            appendRun(p, kLinkStyle, piece.text, number);
        } else {
            appendRun(p, style, piece.text, -1);
        }
    }
    measureChatParagraph(p, styles_);
    wrapChatParagraph(p, styles_, contentWidth());
    p.top = docHeight_;
    docHeight_ += p.height;
    paras_.push_back(std::move(p));

    updateScrollRange();
    if (!scrollOff())
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    viewport()->update();
}

void ChatPane::clear()
{
    paras_.clear();
    paras_.shrink_to_fit();
    links_.clear();
    styleUsed_ = {};
    docHeight_ = 0;
    anchor_ = cursor_ = Pos{};
    pressLink_ = -1;
    selecting_ = false;
    updateScrollRange();
    viewport()->update();
    emit cleared();
}

QString ChatPane::link(int number) const
{
    if (number < 0 || number >= int(links_.size()))
        return {};
    return links_[std::size_t(number)].text;
}

void ChatPane::mainchatJump(int number)
{
    emit linkClicked(number);
    const std::optional<QUrl> url = chatLinkUrl(link(number));
    if (!url || !openUrl_ || !openUrl_(*url)) {
        if (showMessage_)
            showMessage_(QStringLiteral("Cannot open Webpage"));
    }
}

QString ChatPane::paragraphText(int index) const
{
    const ChatParagraph &p = paras_[std::size_t(index)];
    QString out;
    for (const ChatRun &r : p.runs) {
        if (r.picture >= 0)
            out += QStringLiteral(":)#") + QString::number(r.picture + 10);
        else
            out += QStringView(p.text).mid(r.start, r.length);
    }
    return out;
}

// ---- options ------------------------------------------------------------

void ChatPane::setTextSize(int points)
{
    points = std::clamp(points, 1, 400);
    if (points == styles_.pointSize())
        return;
    const bool wasAtEnd = atEnd();
    styles_.setPointSize(points);
    relayoutAll(true);
    if (wasAtEnd)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    viewport()->update();
}

void ChatPane::setZoom(qreal zoom)
{
    if (qFuzzyCompare(zoom, styles_.zoom()))
        return;
    const bool wasAtEnd = atEnd();
    styles_.setZoom(zoom);
    smileyCache_ = {}; // the provider draws them for the new size
    relayoutAll(true);
    if (wasAtEnd)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    viewport()->update();
}

bool ChatPane::scrollOff() const { return scrollOffAction_->isChecked(); }

void ChatPane::setScrollOff(bool off) { scrollOffAction_->setChecked(off); }

// ---- layout -------------------------------------------------------------

int ChatPane::contentWidth() const { return std::max(1, viewport()->width() - 2 * kSideMargin); }

void ChatPane::relayoutAll(bool remeasure)
{
    const int width = contentWidth();
    int top = 0;
    for (ChatParagraph &p : paras_) {
        if (remeasure)
            measureChatParagraph(p, styles_);
        wrapChatParagraph(p, styles_, width);
        p.top = top;
        top += p.height;
    }
    docHeight_ = top;
    laidOutWidth_ = width;
    updateScrollRange();
}

void ChatPane::updateScrollRange()
{
    QScrollBar *bar = verticalScrollBar();
    const int page = viewport()->height();
    bar->setRange(0, std::max(0, docHeight_ + 2 * kTopMargin - page));
    bar->setPageStep(std::max(1, page));
    bar->setSingleStep(std::max(1, int(styles_.ascent() + styles_.descent())));
}

bool ChatPane::atEnd() const { return verticalScrollBar()->value() >= verticalScrollBar()->maximum(); }

void ChatPane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    const bool wasAtEnd = atEnd();
    if (contentWidth() != laidOutWidth_)
        relayoutAll(false);
    else
        updateScrollRange();
    if (wasAtEnd && !scrollOff())
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ChatPane::scrollContentsBy(int, int) { viewport()->update(); }

int ChatPane::paragraphAtY(int docY) const
{
    // Last paragraph whose top is at or above docY.
    auto it = std::upper_bound(paras_.begin(), paras_.end(), docY,
                               [](int y, const ChatParagraph &p) { return y < p.top; });
    return int(it - paras_.begin()) - 1;
}

QPointF ChatPane::toDoc(QPoint viewportPos) const
{
    return QPointF(viewportPos.x() - kSideMargin,
                   viewportPos.y() + verticalScrollBar()->value() - kTopMargin);
}

ChatPane::Pos ChatPane::positionAt(QPoint viewportPos) const
{
    if (paras_.empty())
        return {};
    const QPointF d = toDoc(viewportPos);
    if (d.y() < 0)
        return {0, 0};
    if (d.y() >= docHeight_)
        return {int(paras_.size()) - 1, int(paras_.back().text.size())};
    const int index = std::max(0, paragraphAtY(int(d.y())));
    const ChatParagraph &p = paras_[std::size_t(index)];
    return {index, chatOffsetAt(p, styles_, QPointF(d.x(), d.y() - p.top))};
}

int ChatPane::linkAt(QPoint viewportPos) const
{
    const QPointF d = toDoc(viewportPos);
    if (paras_.empty() || d.y() < 0 || d.y() >= docHeight_)
        return -1;
    const int index = paragraphAtY(int(d.y()));
    if (index < 0)
        return -1;
    const ChatParagraph &p = paras_[std::size_t(index)];
    const int run = chatRunAt(p, QPointF(d.x(), d.y() - p.top));
    return run < 0 ? -1 : p.runs[std::size_t(run)].link;
}

QRect ChatPane::linkRect(int number) const
{
    if (number < 0 || number >= int(links_.size()))
        return {};
    const Link &l = links_[std::size_t(number)];
    const ChatParagraph &p = paras_[std::size_t(l.para)];
    for (const ChatLine &line : p.lines) {
        for (int k = 0; k < line.fragmentCount; ++k) {
            const ChatFragment &f = p.fragments[std::size_t(line.firstFragment + k)];
            if (f.run != l.run)
                continue;
            const int y = kTopMargin + p.top + line.top - verticalScrollBar()->value();
            return QRect(int(kSideMargin + f.x), y, std::max(1, int(f.width)), line.height);
        }
    }
    return {};
}
} // namespace quillet
