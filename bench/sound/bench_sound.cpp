// Sound timings: decoding every built-in sound, and how long SoundPlayer::play()
// keeps its caller, with a cold cache and after preload().
//
// usage: bench_sound [rounds]

#include "sound/soundplayer.h"
#include "sound/wavereader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Stats {
    std::vector<double> us;
    void add(double v) { us.push_back(v); }
    double pct(double p)
    {
        std::sort(us.begin(), us.end());
        return us.empty() ? 0 : us[std::min(us.size() - 1, size_t(p * double(us.size())))];
    }
    void print(const char *what)
    {
        std::printf("%-34s n=%5zu  median %8.1f us  p99 %8.1f us  max %8.1f us\n", what, us.size(),
                    pct(0.5), pct(0.99), pct(1.0));
    }
};

double microseconds(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1000.0;
}

// Runs the event loop until every zero-time timer queued so far has fired.
void settle()
{
    bool reached = false;
    QTimer::singleShot(0, [&reached] { reached = true; });
    while (!reached)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const QStringList names = SoundPlayer::soundNames();

    // Decoding: each resource read and decoded, many times.
    std::printf("\n-- decode (read resource + decode), median of %d rounds --\n", rounds);
    double total = 0, seconds = 0;
    for (const QString &name : names) {
        Stats s;
        double length = 0;
        for (int r = 0; r < rounds; ++r) {
            QElapsedTimer t;
            t.start();
            const auto sound = SoundPlayer::loadSound(name);
            s.add(microseconds(t));
            length = sound ? sound->seconds() : 0;
        }
        const double median = s.pct(0.5);
        total += median;
        seconds += length;
        QFile f(SoundPlayer::resourcePath(name));
        std::printf("%-13s %7lld bytes  %5.2f s of audio  %8.1f us\n", qPrintable(name),
                    f.size(), length, median);
    }
    std::printf("all 28 sounds: %.2f ms for %.1f s of audio\n", total / 1000.0, seconds);

    // play() with a cold cache: a new player each time, so every call is the
    // first for its sound.
    Stats cold, deferred;
    for (int r = 0; r < rounds; ++r) {
        for (const QString &name : names) {
            SoundPlayer player;
            QElapsedTimer t;
            t.start();
            player.play(name);
            cold.add(microseconds(t));
            t.start();
            settle();   // the decode and start the call left for the event loop
            deferred.add(microseconds(t));
            player.stop();
        }
    }

    // play() after preload(): everything decoded, each call starts a sound and
    // cuts off the previous one.
    SoundPlayer player;
    QElapsedTimer pre;
    pre.start();
    player.preload();
    const double preloadCall = microseconds(pre);
    Stats turn;
    while (!player.isDecoded(names.last())) {
        QElapsedTimer t;
        t.start();
        QCoreApplication::processEvents();
        turn.add(microseconds(t));
    }
    const double preloadAll = microseconds(pre);
    Stats warm, warmTurn;
    for (int r = 0; r < rounds * 5; ++r) {
        for (const QString &name : names) {
            QElapsedTimer t;
            t.start();
            player.play(name);
            warm.add(microseconds(t));
            t.start();
            settle();   // cuts off the previous sound and starts this one
            warmTurn.add(microseconds(t));
        }
    }
    player.stop();

    std::printf("\n-- SoundPlayer::play() --\n");
    cold.print("play(), cold cache");
    deferred.print("  then its event-loop turn");
    warm.print("play(), preloaded");
    warmTurn.print("  then its event-loop turn");
    std::printf("preload(): call %.1f us; all decoded after %.1f ms\n", preloadCall, preloadAll / 1000.0);
    turn.print("  one preload event-loop turn");
    return 0;
}
