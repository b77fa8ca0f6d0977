// The chat pane's fifteen text styles. Runs keep only their style number and
// are painted with the style's current colour, so recolouring a style
// recolours every earlier run of it at no cost.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>

#include <array>
#include <vector>

namespace quillet {

class ChatStyleSheet {
public:
    struct Style {
        QColor color;
        bool bold = false;
        bool italic = false;
        bool underline = false;
    };

    static constexpr int kDesignPointSize = 10;

    ChatStyleSheet(); // the design: blue system lines, green links, silver seats 1-2

    static bool validStyle(int s) { return s >= 0 && s < int(kCount); }
    const Style &style(int s) const { return styles_[std::size_t(s)]; }

    void setColor(int s, const QColor &color) { styles_[std::size_t(s)].color = color; }
    // True when the look changed, which changes the widths of its text.
    bool setBold(int s, bool bold);

    int pointSize() const { return pointSize_; }
    void setPointSize(int points);
    // The pane drawn larger with the table: fonts and smileys times `zoom`.
    qreal zoom() const { return zoom_; }
    void setZoom(qreal zoom);
    qreal smileySize() const;

    const QFont &font(int s) const { return fonts_[std::size_t(s)]; }
    const QFontMetricsF &metrics(int s) const { return metrics_[std::size_t(s)]; }

    // Width of a piece of text in a style. Chat repeats its words (names,
    // "chats:", the phrases), so widths are remembered until the fonts change.
    qreal advance(int s, const QString &piece) const;
    qreal blankWidth(int s) const { return blankWidths_[std::size_t(s)]; }

    // Common line box of all styles (they share one size).
    qreal ascent() const { return ascent_; }
    qreal descent() const { return descent_; }

private:
    static constexpr std::size_t kCount = 15;
    void rebuild();

    std::array<Style, kCount> styles_;
    int pointSize_ = kDesignPointSize;
    qreal zoom_ = 1.0;
    std::vector<QFont> fonts_;
    std::vector<QFontMetricsF> metrics_;
    std::array<qreal, kCount> blankWidths_{};
    mutable std::array<QHash<QString, qreal>, kCount> widthCache_;
    qreal ascent_ = 0;
    qreal descent_ = 0;
};

} // namespace quillet
