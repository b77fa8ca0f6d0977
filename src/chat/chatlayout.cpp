#include "chat/chatlayout.h"

#include <cmath>

namespace quillet {
namespace {

int trailingBlanks(const QString &text, int start, int length)
{
    int n = 0;
    while (n < length && text.at(start + length - 1 - n) == QLatin1Char(' '))
        ++n;
    return n;
}

// Width of a piece without the blanks at its end: blanks may hang past the
// right edge, as they would in any text view.
qreal visibleAdvance(const QString &text, int start, int length, const QFontMetricsF &fm)
{
    length -= trailingBlanks(text, start, length);
    return length > 0 ? fm.horizontalAdvance(text.mid(start, length)) : 0.0;
}

class LineBuilder {
public:
    LineBuilder(ChatParagraph &p, const ChatStyleSheet &styles, qreal avail)
        : p_(p), styles_(styles), avail_(avail)
    {
        p_.fragments.clear();
        p_.lines.clear();
        p_.height = 0;
    }

    qreal x() const { return x_; }
    qreal room() const { return avail_ - x_; }

    void place(int run, int start, int length, qreal width)
    {
        if (p_.fragments.size() > std::size_t(lineFirst_)) {
            ChatFragment &last = p_.fragments.back();
            if (last.run == run && last.start + last.length == start) {
                last.length += length;
                last.width += float(width);
                x_ += width;
                return;
            }
        }
        p_.fragments.push_back({start, length, run, float(x_), float(width)});
        x_ += width;
        if (p_.runs[std::size_t(run)].picture >= 0)
            hasSmiley_ = true;
    }

    void newLine()
    {
        ChatLine line;
        line.firstFragment = lineFirst_;
        line.fragmentCount = int(p_.fragments.size()) - lineFirst_;
        line.top = p_.height;
        int ascent = int(std::ceil(styles_.ascent()));
        int descent = int(std::ceil(styles_.descent()));
        if (hasSmiley_) {
            const qreal above = chatSmileyAboveBaseline(styles_);
            ascent = std::max(ascent, int(std::ceil(above)));
            descent = std::max(descent, int(std::ceil(styles_.smileySize() - above)));
        }
        line.ascent = ascent;
        line.height = ascent + descent + 1;
        p_.lines.push_back(line);
        p_.height += line.height;
        lineFirst_ = int(p_.fragments.size());
        x_ = 0;
        hasSmiley_ = false;
    }

private:
    ChatParagraph &p_;
    const ChatStyleSheet &styles_;
    qreal avail_;
    qreal x_ = 0;
    int lineFirst_ = 0;
    bool hasSmiley_ = false;
};

// Places one atom that may be wider than a line, breaking it between any
// two characters (never inside a surrogate pair).
void placeBroken(ChatParagraph &p, const ChatStyleSheet &styles, LineBuilder &b, const ChatAtom &a)
{
    const ChatRun &run = p.runs[std::size_t(a.run)];
    if (run.picture >= 0) {
        if (b.x() > 0 && a.width > b.room())
            b.newLine();
        b.place(a.run, a.start, a.length, a.width);
        return;
    }
    const QFontMetricsF &fm = styles.metrics(run.style);
    int start = a.start;
    int remaining = a.length;
    while (remaining > 0) {
        if (visibleAdvance(p.text, start, remaining, fm) <= b.room()) {
            b.place(a.run, start, remaining, fm.horizontalAdvance(p.text.mid(start, remaining)));
            return;
        }
        int lo = 0, hi = remaining - 1; // largest prefix that fits
        while (lo < hi) {
            const int mid = (lo + hi + 1) / 2;
            if (fm.horizontalAdvance(p.text.mid(start, mid)) <= b.room())
                lo = mid;
            else
                hi = mid - 1;
        }
        int count = lo;
        if (count > 0 && p.text.at(start + count).isLowSurrogate())
            --count;
        if (count == 0) {
            if (b.x() > 0) {
                b.newLine();
                continue;
            }
            count = (remaining > 1 && p.text.at(start).isHighSurrogate()) ? 2 : 1;
        }
        b.place(a.run, start, count, fm.horizontalAdvance(p.text.mid(start, count)));
        b.newLine();
        start += count;
        remaining -= count;
    }
}

} // namespace

bool isChatBreakChar(QChar c)
{
    switch (c.unicode()) {
    case ' ': case '.': case ';': case ',': case ':': case '(': case ')':
    case '{': case '}': case '"':
        return true;
    default:
        return false;
    }
}

qreal chatSmileyAboveBaseline(const ChatStyleSheet &styles)
{
    // The picture is centred on the middle of the text's line box.
    return (styles.ascent() - styles.descent()) / 2 + styles.smileySize() / 2.0;
}

void measureChatParagraph(ChatParagraph &p, const ChatStyleSheet &styles)
{
    p.atoms.clear();
    for (int ri = 0; ri < int(p.runs.size()); ++ri) {
        const ChatRun &r = p.runs[std::size_t(ri)];
        if (r.picture >= 0) {
            p.atoms.push_back({r.start, r.length, ri, float(styles.smileySize()), true});
            continue;
        }
        const auto add = [&](int start, int length, bool breakAfter) {
            const qreal blank = styles.blankWidth(r.style);
            p.atoms.push_back({start, length, ri, float(styles.advance(r.style, p.text.mid(start, length))),
                               float(blank * trailingBlanks(p.text, start, length)), breakAfter});
        };
        const int end = r.start + r.length;
        int s = r.start;
        for (int i = r.start; i < end; ++i) {
            if (isChatBreakChar(p.text.at(i))) {
                add(s, i + 1 - s, true);
                s = i + 1;
            }
        }
        if (s < end)
            add(s, end - s, false);
    }
}

void wrapChatParagraph(ChatParagraph &p, const ChatStyleSheet &styles, int width)
{
    LineBuilder b(p, styles, std::max(1, width));
    const auto isPicture = [&](std::size_t k) { return p.runs[std::size_t(p.atoms[k].run)].picture >= 0; };
    const std::size_t n = p.atoms.size();
    std::size_t i = 0;
    while (i < n) {
        // A word: atoms up to the next break opportunity. Pictures stand alone.
        std::size_t j = i;
        qreal full = p.atoms[i].width;
        while (j + 1 < n && !p.atoms[j].breakAfter && !isPicture(j) && !isPicture(j + 1)) {
            ++j;
            full += p.atoms[j].width;
        }
        const qreal visible = full - p.atoms[j].blanks;
        if (b.x() > 0 && visible > b.room())
            b.newLine();
        if (visible <= b.room()) {
            for (std::size_t k = i; k <= j; ++k)
                b.place(p.atoms[k].run, p.atoms[k].start, p.atoms[k].length, p.atoms[k].width);
        } else {
            for (std::size_t k = i; k <= j; ++k)
                placeBroken(p, styles, b, p.atoms[k]);
        }
        i = j + 1;
    }
    b.newLine();
}

qreal chatFragmentAdvance(const ChatParagraph &p, const ChatFragment &f,
                          const ChatStyleSheet &styles, int count)
{
    if (count <= 0)
        return 0;
    if (count >= f.length)
        return f.width;
    const ChatRun &run = p.runs[std::size_t(f.run)];
    if (run.picture >= 0)
        return f.width;
    return styles.metrics(run.style).horizontalAdvance(p.text.mid(f.start, count));
}

namespace {
const ChatLine *lineAt(const ChatParagraph &p, qreal y, bool clamp)
{
    if (p.lines.empty())
        return nullptr;
    if (y < 0)
        return clamp ? &p.lines.front() : nullptr;
    for (const ChatLine &l : p.lines)
        if (y < l.top + l.height)
            return &l;
    return clamp ? &p.lines.back() : nullptr;
}
} // namespace

int chatOffsetAt(const ChatParagraph &p, const ChatStyleSheet &styles, QPointF pos)
{
    const ChatLine *line = lineAt(p, pos.y(), true);
    if (!line || line->fragmentCount == 0)
        return line && line->firstFragment < int(p.fragments.size())
            ? p.fragments[std::size_t(line->firstFragment)].start
            : int(p.text.size());
    const ChatFragment *first = &p.fragments[std::size_t(line->firstFragment)];
    const ChatFragment *last = first + (line->fragmentCount - 1);
    if (pos.x() <= first->x)
        return first->start;
    for (const ChatFragment *f = first; f <= last; ++f) {
        if (pos.x() >= f->x + f->width)
            continue;
        const qreal dx = pos.x() - f->x;
        qreal prev = 0;
        for (int c = 1; c <= f->length; ++c) {
            if (c < f->length && p.text.at(f->start + c).isLowSurrogate())
                continue;
            const qreal adv = chatFragmentAdvance(p, *f, styles, c);
            if (dx < (prev + adv) / 2)
                return f->start + c - (c > 1 && p.text.at(f->start + c - 1).isLowSurrogate() ? 2 : 1);
            prev = adv;
        }
        return f->start + f->length;
    }
    return last->start + last->length;
}

int chatRunAt(const ChatParagraph &p, QPointF pos)
{
    const ChatLine *line = lineAt(p, pos.y(), false);
    if (!line)
        return -1;
    for (int k = 0; k < line->fragmentCount; ++k) {
        const ChatFragment &f = p.fragments[std::size_t(line->firstFragment + k)];
        if (pos.x() >= f.x && pos.x() < f.x + f.width)
            return f.run;
    }
    return -1;
}

} // namespace quillet
