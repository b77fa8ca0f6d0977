// The pictures that stand for the installed programs in menus and software centres,
// drawn by the same code as the window icon: bitmaps at the icon theme's sizes and
// one scalable file per program.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <vector>

class QPainter;

namespace quillet::icons {

struct ProgramIcon {
    QString id;                // the application id, which names the icon files
    QString title;             // the scalable file's title
    int size;                  // the picture's own coordinates run from 0 to size
    void (*paint)(QPainter &); // draws in those coordinates
};

inline constexpr int kBitmapSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

const std::vector<ProgramIcon> &programIcons();

QImage renderBitmap(const ProgramIcon &icon, int pixels); // pixels × pixels, transparent around
QByteArray renderSvg(const ProgramIcon &icon);

// Where a theme keeps an icon file, relative to the theme folder ("hicolor").
QString bitmapPath(const ProgramIcon &icon, int pixels); // 48x48/apps/<id>.png
QString svgPath(const ProgramIcon &icon);                // scalable/apps/<id>.svg

// Writes every icon into themeDir; false with the reason if a file cannot be written.
bool writeIcons(const QString &themeDir, QString *error);

} // namespace quillet::icons
