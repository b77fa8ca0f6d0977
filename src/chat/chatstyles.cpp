#include "chat/chatstyles.h"

#include "chat/chatlayout.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <QPalette>

namespace quillet {

ChatStyleSheet::ChatStyleSheet()
{
    const QColor windowText = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
        ? QGuiApplication::palette().color(QPalette::Text)
        : QColor(Qt::black);
    const QColor blue(0, 0, 255), navy(0, 0, 128), maroon(128, 0, 0), green(0, 128, 0),
        silver(192, 192, 192);
    styles_[0] = {blue};
    styles_[1] = {blue, true};
    styles_[2] = {navy, true};
    styles_[3] = {maroon, false, true};
    styles_[4] = {green, false, false, true};
    styles_[5] = {green, false, false, true};
    styles_[6] = {silver};
    styles_[7] = {silver};
    for (std::size_t s = 8; s < kCount; ++s)
        styles_[s] = {windowText};
    rebuild();
}

bool ChatStyleSheet::setBold(int s, bool bold)
{
    if (styles_[std::size_t(s)].bold == bold)
        return false;
    styles_[std::size_t(s)].bold = bold;
    rebuild();
    return true;
}

void ChatStyleSheet::setPointSize(int points)
{
    if (points == pointSize_)
        return;
    pointSize_ = points;
    rebuild();
}

void ChatStyleSheet::setZoom(qreal zoom)
{
    zoom = std::clamp<qreal>(zoom, 0.25, 8.0);
    if (qFuzzyCompare(zoom, zoom_))
        return;
    zoom_ = zoom;
    rebuild();
}

qreal ChatStyleSheet::smileySize() const { return std::round(kSmileySize * zoom_); }

qreal ChatStyleSheet::advance(int s, const QString &piece) const
{
    QHash<QString, qreal> &cache = widthCache_[std::size_t(s)];
    const auto it = cache.constFind(piece);
    if (it != cache.constEnd())
        return *it;
    if (cache.size() >= 50000) // a bound for endless unique words
        cache.clear();
    const qreal w = metrics_[std::size_t(s)].horizontalAdvance(piece);
    cache.insert(piece, w);
    return w;
}

void ChatStyleSheet::rebuild()
{
    for (auto &cache : widthCache_)
        cache.clear();
    fonts_.clear();
    metrics_.clear();
    ascent_ = descent_ = 0;
    for (const Style &st : styles_) {
        QFont f;
        f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                       QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
        f.setStyleHint(QFont::SansSerif);
        f.setPointSizeF(pointSize_ * zoom_);
        f.setBold(st.bold);
        f.setItalic(st.italic);
        f.setUnderline(st.underline);
        fonts_.push_back(f);
        metrics_.emplace_back(f);
        blankWidths_[fonts_.size() - 1] = metrics_.back().horizontalAdvance(QLatin1Char(' '));
        ascent_ = std::max(ascent_, metrics_.back().ascent());
        descent_ = std::max(descent_, metrics_.back().descent());
    }
}

} // namespace quillet
