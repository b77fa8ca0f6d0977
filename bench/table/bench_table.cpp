// The table window's costs: process start to the table shown and logged in
// to its own server, CPU while a logged-in table sits idle, and peak memory
// over a whole solo game played by a scripted seat 1, and the time to lay out
// and draw the table anew at 2, 1.5 and 1 times its size. Optionally saves
// pictures of the table as the game goes (--shots DIR).
//
//   bench_table [--idle-seconds N] [--type h|f|m] [--shots DIR] [--pause MS]
#include "client/tchat.h"
#include "server/tserver.h"
#include "app/quilletapp.h"
#include "windows/smallwindows.h"
#include "ui/kit.h"
#include "ui/pictures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

using namespace quillet;

namespace {

// Milliseconds since this process started, from the kernel's start time.
double msSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    unsigned long long start = 0;
    for (int i = 3; i <= 22 && rest >> field; ++i)
        if (i == 22)
            start = std::stoull(field);
    std::ifstream up("/proc/uptime");
    double uptime = 0;
    up >> uptime;
    return (uptime - double(start) / double(sysconf(_SC_CLK_TCK))) * 1000.0;
}

double cpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

long peakRssKb()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

// Runs the event loop for a while, sleeping while nothing happens.
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

template <class Pred>
bool waitFor(Pred pred, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return pred();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int idleSeconds = 10;
    QString type = "f";
    QString shots;
    int pause = 200;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--idle-seconds")
            idleSeconds = args[i + 1].toInt();
        else if (args[i] == "--type")
            type = args[i + 1];
        else if (args[i] == "--shots")
            shots = args[i + 1];
        else if (args[i] == "--pause")
            pause = args[i + 1].toInt();
    }
    QTemporaryDir home;
    int port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    pictures::init(app.devicePixelRatio());
    CommandLine cl;
    cl.home = home.path();
    cl.port = port;
    QuilletApp quillet(cl);
    Tchat *t = quillet.table();
    t->messageBox = [](const QString &text) { std::fprintf(stderr, "box: %s\n", qPrintable(text)); };
    quillet.start();
    if (!waitFor([&] { return t->model().loggedin() && t->seat(1).label_playername->text() == "You"; }, 10000)) {
        std::fprintf(stderr, "the table did not log in\n");
        return 1;
    }
    std::printf("start to table shown and logged in: %.1f ms\n", msSinceProcessStart());
    quillet.windows().download->hide();

    const double cpu0 = cpuSeconds();
    runFor(idleSeconds * 1000);
    std::printf("CPU while idle for %d s: %.1f ms\n", idleSeconds, (cpuSeconds() - cpu0) * 1000.0);

    auto shot = [&](const QString &name) {
        if (!shots.isEmpty())
            t->grab().save(QDir(shots).filePath(name + ".png"));
    };
    quillet.windows().server->setTimings(Timings{pause, pause, pause / 2});
    t->startGameWith(type);
    auto *status2 = t->panelMain()->findChild<QLabel *>("label_status2");
    auto *edit = t->findChild<QLineEdit *>("edit_bid");
    auto *button = t->findChild<PictureButton *>("button_bid");
    auto *trumpPanel = t->findChild<QWidget *>("panel_trump");
    int shotRound = 0;
    const TableModel &m = t->model();
    QElapsedTimer clock;
    clock.start();
    while (!status2->text().startsWith("Winning Score: ") && clock.elapsed() < 600000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 2);
        if (button->isVisible() && edit->isVisible()) {
            if (m.scoreround() != shotRound) {
                shotRound = m.scoreround();
                shot(QStringLiteral("round%1-bid").arg(shotRound, 2, 10, QChar('0')));
            }
            edit->setText(m.checkBid("1").ok ? "1" : "0");
            t->button_bidClick();
        }
        if (trumpPanel->isVisible()) {
            shot("trump-choice");
            t->selectTrump(5);
        }
        if (m.myturn()) {
            if (m.handSize() == 3)
                shot(QStringLiteral("round%1-play").arg(m.scoreround(), 2, 10, QChar('0')));
            const auto playable = m.playableSlots();
            if (!playable.empty())
                t->cardimagesMouseDown(t->cardForSlot(playable.front()), Qt::LeftButton);
        }
    }
    shot("game-over");
    // The table redrawn for a larger window: every picture drawn again at the new size.
    for (const double scale : {2.0, 1.5, 1.0}) {
        t->show();
        QElapsedTimer grow;
        grow.start();
        t->resize(QSize(int(784 * scale) + 8, int(474 * scale) + 60));
        waitFor([&] { return qFuzzyCompare(t->tableScale(), scale); }, 5000);
        t->grab();
        std::printf("table rescaled to %.1f and drawn: %.1f ms\n", scale, grow.nsecsElapsed() / 1e6);
    }
    std::printf("whole %s game: %s in %.1f s, peak resident memory %.1f MB\n", qPrintable(type),
                status2->text().startsWith("Winning Score: ") ? "finished" : "NOT finished",
                clock.elapsed() / 1000.0, peakRssKb() / 1024.0);
    return 0;
}
