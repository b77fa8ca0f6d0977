// Paragraphs of the chat pane and their line layout. Each paragraph is cut
// into atoms (pieces ending at a break opportunity) measured once per font
// change; wrapping to a new width only adds up the cached widths.
#pragma once

#include "chat/chatstyles.h"

#include <QPointF>
#include <QString>

#include <vector>

namespace quillet {

inline constexpr int kSmileySize = 17; // logical pixels, square

struct ChatRun {
    int start = 0;    // in the paragraph's text
    int length = 0;
    int style = 0;
    int picture = -1; // smiley picture, or -1 for text
    int link = -1;    // link number, or -1
};

struct ChatAtom {
    int start = 0;
    int length = 0;
    int run = 0;
    float width = 0;
    float blanks = 0;        // width of the blanks at its end, which may hang
    bool breakAfter = false; // ends with a delimiter
};

struct ChatFragment {
    int start = 0;
    int length = 0;
    int run = 0;
    float x = 0;
    float width = 0;
};

struct ChatLine {
    int firstFragment = 0;
    int fragmentCount = 0;
    int top = 0; // from the paragraph's top
    int height = 0;
    int ascent = 0;
};

struct ChatParagraph {
    QString text; // a smiley stands as one U+FFFC
    std::vector<ChatRun> runs;
    std::vector<ChatAtom> atoms;
    std::vector<ChatFragment> fragments;
    std::vector<ChatLine> lines;
    int top = 0; // in the document
    int height = 0;
};

// Wrapping happens after a blank and after . ; , : ( ) { } and '"'.
bool isChatBreakChar(QChar c);

// How far a smiley's top stands above the baseline of its line.
qreal chatSmileyAboveBaseline(const ChatStyleSheet &styles);

// Cuts the runs into atoms and measures them with the current fonts.
void measureChatParagraph(ChatParagraph &p, const ChatStyleSheet &styles);

// Lays the measured atoms out in lines no wider than `width`; a piece wider
// than a whole line is broken between any two characters.
void wrapChatParagraph(ChatParagraph &p, const ChatStyleSheet &styles, int width);

// Width of the first `count` characters of a fragment.
qreal chatFragmentAdvance(const ChatParagraph &p, const ChatFragment &f,
                          const ChatStyleSheet &styles, int count);

// Character offset in the paragraph nearest to a point given relative to
// the paragraph's top left corner (the text's left edge).
int chatOffsetAt(const ChatParagraph &p, const ChatStyleSheet &styles, QPointF pos);

// The run drawn under a point, or -1 when the point is on no run.
int chatRunAt(const ChatParagraph &p, QPointF pos);

} // namespace quillet
