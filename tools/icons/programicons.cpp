#include "programicons.h"

#include "svgwriter.h"
#include "ui/picturepainters.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>

namespace quillet::icons {

const std::vector<ProgramIcon> &programIcons()
{
    static const std::vector<ProgramIcon> icons = {
        {QStringLiteral(QUILLET_APP_ID), QStringLiteral("Quillet"), pictures::paint::kLogoSize,
         pictures::paint::paintLogo},
    };
    return icons;
}

QImage renderBitmap(const ProgramIcon &icon, int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(qreal(pixels) / icon.size, qreal(pixels) / icon.size);
    icon.paint(p);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray renderSvg(const ProgramIcon &icon)
{
    SvgWriter svg(QSize(icon.size, icon.size), icon.title);
    QPainter p(&svg);
    icon.paint(p);
    p.end();
    return svg.document();
}

QString bitmapPath(const ProgramIcon &icon, int pixels)
{
    return QStringLiteral("%1x%1/apps/%2.png").arg(pixels).arg(icon.id);
}

QString svgPath(const ProgramIcon &icon) { return QStringLiteral("scalable/apps/%1.svg").arg(icon.id); }

namespace {

bool writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    *error = path + ": " + file.errorString();
    return false;
}

} // namespace

bool writeIcons(const QString &themeDir, QString *error)
{
    const QDir dir(themeDir);
    for (const ProgramIcon &icon : programIcons()) {
        for (int pixels : kBitmapSizes) {
            QByteArray png;
            {
                QBuffer buffer(&png);
                buffer.open(QIODevice::WriteOnly);
                renderBitmap(icon, pixels).save(&buffer, "PNG");
            }
            if (!writeFile(dir.filePath(bitmapPath(icon, pixels)), png, error))
                return false;
        }
        if (!writeFile(dir.filePath(svgPath(icon)), renderSvg(icon), error))
            return false;
    }
    return true;
}

} // namespace quillet::icons
