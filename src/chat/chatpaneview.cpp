// ChatPane: painting, selection and the mouse.
#include "chat/chatpane.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace quillet {
namespace {
constexpr int kSideMargin = 5;
constexpr int kTopMargin = 2;
} // namespace

void ChatPane::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    painter.fillRect(area, Qt::white);
    if (paras_.empty())
        return;
    const int scroll = verticalScrollBar()->value();
    const int docTop = scroll - kTopMargin;
    const int docBottom = docTop + area.height();
    for (int i = std::max(0, paragraphAtY(docTop)); i < int(paras_.size()); ++i) {
        const ChatParagraph &p = paras_[std::size_t(i)];
        if (p.top >= docBottom)
            break;
        paintParagraph(painter, p, i, kTopMargin + p.top - scroll, 0, area.height());
    }
}

void ChatPane::paintParagraph(QPainter &painter, const ChatParagraph &p, int paraIndex,
                              int yOffset, int clipTop, int clipBottom)
{
    // The selected part of this paragraph, as offsets.
    const Pos selA = std::min(anchor_, cursor_), selB = std::max(anchor_, cursor_);
    int selStart = 0, selEnd = 0;
    if (selA != selB && paraIndex >= selA.para && paraIndex <= selB.para) {
        selStart = paraIndex == selA.para ? selA.offset : 0;
        selEnd = paraIndex == selB.para ? selB.offset : int(p.text.size());
    }
    const QPalette &pal = palette();
    const qreal smileyAbove = chatSmileyAboveBaseline(styles_);

    for (const ChatLine &line : p.lines) {
        const int top = yOffset + line.top;
        if (top + line.height <= clipTop || top >= clipBottom)
            continue;
        const qreal baseline = top + line.ascent;
        for (int k = 0; k < line.fragmentCount; ++k) {
            const ChatFragment &f = p.fragments[std::size_t(line.firstFragment + k)];
            const ChatRun &run = p.runs[std::size_t(f.run)];
            const qreal x = kSideMargin + f.x;
            const auto draw = [&](const QColor &color) {
                if (run.picture >= 0) {
                    painter.drawPixmap(QRectF(x, baseline - smileyAbove, styles_.smileySize(), styles_.smileySize()),
                                       smiley(run.picture), QRectF());
                } else {
                    painter.setFont(styles_.font(run.style));
                    painter.setPen(color);
                    painter.drawText(QPointF(x, baseline), p.text.mid(f.start, f.length));
                }
            };
            draw(styles_.style(run.style).color);

            const int a = std::max(selStart, f.start), b = std::min(selEnd, f.start + f.length);
            if (a < b) {
                const qreal x0 = x + chatFragmentAdvance(p, f, styles_, a - f.start);
                const qreal x1 = x + chatFragmentAdvance(p, f, styles_, b - f.start);
                const QRectF band(x0, top, x1 - x0, line.height);
                painter.save();
                painter.setClipRect(band);
                if (run.picture >= 0) {
                    QColor tint = pal.color(QPalette::Active, QPalette::Highlight);
                    tint.setAlpha(110);
                    painter.fillRect(band, tint);
                } else {
                    painter.fillRect(band, pal.color(QPalette::Active, QPalette::Highlight));
                    draw(pal.color(QPalette::Active, QPalette::HighlightedText));
                }
                painter.restore();
            }
        }
    }
}

// ---- selection ----------------------------------------------------------

bool ChatPane::hasSelection() const { return anchor_ != cursor_; }

void ChatPane::selectAll()
{
    if (paras_.empty())
        return;
    anchor_ = {0, 0};
    cursor_ = {int(paras_.size()) - 1, int(paras_.back().text.size())};
    viewport()->update();
}

QString ChatPane::selectedText() const
{
    if (!hasSelection() || paras_.empty())
        return {};
    const Pos a = std::min(anchor_, cursor_), b = std::max(anchor_, cursor_);
    QString out;
    for (int i = a.para; i <= b.para && i < int(paras_.size()); ++i) {
        const ChatParagraph &p = paras_[std::size_t(i)];
        const int from = i == a.para ? a.offset : 0;
        const int to = i == b.para ? b.offset : int(p.text.size());
        if (i > a.para)
            out += QLatin1Char('\n');
        for (const ChatRun &r : p.runs) {
            const int s = std::max(from, r.start), e = std::min(to, r.start + r.length);
            if (s >= e)
                continue;
            if (r.picture >= 0)
                out += QStringLiteral(":)#") + QString::number(r.picture + 10);
            else
                out += QStringView(p.text).mid(s, e - s);
        }
    }
    return out;
}

void ChatPane::copy() const
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

// ---- mouse --------------------------------------------------------------

void ChatPane::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    anchor_ = cursor_ = positionAt(pos);
    pressPoint_ = pos;
    pressLink_ = linkAt(pos);
    selecting_ = true;
    dragged_ = false;
    viewport()->update();
}

void ChatPane::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    viewport()->setCursor(linkAt(pos) >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (!selecting_ || !(event->buttons() & Qt::LeftButton))
        return;
    if ((pos - pressPoint_).manhattanLength() >= QApplication::startDragDistance())
        dragged_ = true;
    if (!dragged_)
        return;
    // Dragging past the edge scrolls the view along.
    QScrollBar *bar = verticalScrollBar();
    if (pos.y() < 0)
        bar->setValue(bar->value() + pos.y());
    else if (pos.y() > viewport()->height())
        bar->setValue(bar->value() + pos.y() - viewport()->height());
    cursor_ = positionAt(pos);
    viewport()->update();
}

void ChatPane::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !selecting_) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    selecting_ = false;
    const QPoint pos = event->position().toPoint();
    if (!dragged_) {
        anchor_ = cursor_;
        viewport()->update();
        const int clicked = pressLink_;
        pressLink_ = -1;
        if (clicked >= 0 && linkAt(pos) == clicked)
            mainchatJump(clicked);
        return;
    }
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && hasSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void ChatPane::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || paras_.empty())
        return;
    // Selects the word under the pointer: everything between blanks.
    const Pos at = positionAt(event->position().toPoint());
    const QString &text = paras_[std::size_t(at.para)].text;
    int s = std::min(at.offset, int(text.size())), e = s;
    while (s > 0 && text.at(s - 1) != QLatin1Char(' '))
        --s;
    while (e < text.size() && text.at(e) != QLatin1Char(' '))
        ++e;
    anchor_ = {at.para, s};
    cursor_ = {at.para, e};
    selecting_ = false;
    pressLink_ = -1;
    viewport()->update();
}

void ChatPane::contextMenuEvent(QContextMenuEvent *event)
{
    copyAction_->setEnabled(hasSelection());
    popup_->exec(event->globalPos());
    copyAction_->setEnabled(true);
}

} // namespace quillet
