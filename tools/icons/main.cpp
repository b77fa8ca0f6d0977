// quillet-icons THEMEDIR: writes the programs' icons (PNG at every theme size and
// SVG) into an icon theme folder; tools/make-icons.sh runs it for packaging/.
#include "programicons.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("Usage: quillet-icons THEMEDIR\n", stderr);
        return 2;
    }
    // The picture code builds its letters from fonts, which need the application.
    QGuiApplication app(argc, argv);
    QString error;
    if (!quillet::icons::writeIcons(QString::fromLocal8Bit(argv[1]), &error)) {
        std::fprintf(stderr, "quillet-icons: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
