// Time of one tally save (grid text, Fast coding, atomic replace) and one load
// (read, decoding, grid parsing) for growing numbers of followed players.
#include "tally/tallyfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using quillet::TallyFile;
using quillet::TallyGrid;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    TallyFile file(dir.filePath("quillettally.tld"));
    std::printf("%10s %12s %12s %12s %12s\n", "players", "text bytes", "file bytes", "save ms", "load ms");
    for (int players : {0, 10, 100, 1000, 10000, 100000}) {
        TallyGrid g;
        for (int i = 0; i < players; ++i) {
            const int r = g.addRow(QString("Player %1").arg(i));
            for (int k = 0; k < i % 50; ++k)
                g.addit(1 + k % 8, r);
        }
        const int reps = players >= 10000 ? 3 : 50;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < reps; ++i)
            if (!file.save(g, nullptr))
                return 1;
        const double saveMs = double(t.nsecsElapsed()) / 1e6 / reps;
        t.restart();
        for (int i = 0; i < reps; ++i)
            if (file.load().status != TallyFile::Loaded::Status::Ok)
                return 1;
        const double loadMs = double(t.nsecsElapsed()) / 1e6 / reps;
        std::printf("%10d %12lld %12lld %12.3f %12.3f\n", players, qint64(g.toText().size()),
                    QFileInfo(file.path()).size(), saveMs, loadMs);
    }
    return 0;
}
