// Sound timings: decoding every built-in sound, how long SoundPlayer::play()
// keeps its caller, and how long a sound takes from play() to the sound
// server's sink, against a private server (pulseaudio, null sink) whose sink
// is recorded; tools/install-deps.sh installs it.
//
// usage: bench_sound [rounds]

#include "sound/resample.h"
#include "sound/soundplayer.h"
#include "sound/wavereader.h"
#include "soundlab.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Stats {
    std::vector<double> v;
    void add(double x) { v.push_back(x); }
    double pct(double p)
    {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[std::min(v.size() - 1, size_t(p * double(v.size())))];
    }
    void print(const char *what, const char *unit)
    {
        std::printf("%-36s n=%5zu  median %8.1f %s  p90 %8.1f %s  worst %8.1f %s\n", what, v.size(), pct(0.5), unit,
                    pct(0.9), unit, pct(1.0), unit);
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

void benchDecoding(int rounds)
{
    const QStringList names = SoundPlayer::soundNames();
    std::printf("-- decode (read resource + decode) and convert to %d Hz stereo, median of %d rounds --\n",
                outputRate, rounds);
    double total = 0, seconds = 0;
    for (const QString &name : names) {
        Stats decode, convert;
        double length = 0;
        for (int r = 0; r < rounds; ++r) {
            QElapsedTimer t;
            t.start();
            const auto sound = SoundPlayer::loadSound(name);
            decode.add(microseconds(t));
            t.start();
            if (sound)
                toOutputFormat(*sound);
            convert.add(microseconds(t));
            length = sound ? sound->seconds() : 0;
        }
        total += decode.pct(0.5) + convert.pct(0.5);
        seconds += length;
        QFile f(SoundPlayer::resourcePath(name));
        std::printf("%-13s %7lld bytes  %5.2f s of audio  decode %8.1f us  convert %8.1f us\n", qPrintable(name),
                    f.size(), length, decode.pct(0.5), convert.pct(0.5));
    }
    std::printf("all 28 sounds: %.2f ms for %.1f s of audio\n", total / 1000.0, seconds);
}

// How long play() and the event-loop turn it leaves keep the caller.
void benchCallCost(int rounds)
{
    const QStringList names = SoundPlayer::soundNames();
    Stats cold, coldTurn, warm, warmTurn;
    for (int r = 0; r < rounds; ++r) {
        for (const QString &name : names) {
            SoundPlayer player;   // a new cache: every call is the first for its sound
            QElapsedTimer t;
            t.start();
            player.play(name);
            cold.add(microseconds(t));
            t.start();
            settle();
            coldTurn.add(microseconds(t));
            player.stop();
            settle();
        }
    }
    SoundPlayer player;
    player.preload();
    waitFor([&] { return player.isDecoded(names.last()); }, 30000);
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
    std::printf("\n-- SoundPlayer::play(), caller's cost --\n");
    cold.print("play(), cold cache", "us");
    coldTurn.print("  then its event-loop turn", "us");
    warm.print("play(), decoded already", "us");
    warmTurn.print("  then its event-loop turn", "us");
}

// From play() to the server: when the sound's first samples went to it
// (`sent`), and when its first sample came out of the sink, seen in the
// sink's recording (`atSink`: the arrival of the recorded piece holding it,
// so a little late). A speaker adds the sink's own latency to the latter.
struct Latency {
    Stats sent, atSink;
};

void measure(MonitorRecorder &rec, SoundPlayer &player, const QString &name, Latency &out,
             const std::function<void()> &before = {})
{
    const auto sound = SoundPlayer::loadSound(name);
    const std::vector<double> expected =
        envelope(sound->samples.data(), sound->frameCount(), sound->channels, sound->sampleRate);
    if (before)
        before();
    const qint64 from = std::max<qint64>(0, rec.frames() - MonitorRecorder::rate / 20);
    const qint64 sentBefore = player.soundsSent();
    const qint64 calledNs = rec.nowNs();
    player.play(name);
    waitFor([&] { return player.soundsSent() > sentBefore; }, 5000);
    const qint64 sentNs = rec.nowNs();
    const qint64 until = rec.frames() + qint64((sound->seconds() + 0.15) * MonitorRecorder::rate);
    waitFor([&] { return player.isIdle() && rec.frames() >= until; }, 20000);
    const Heard h = compareHeard(expected, rec.samples().data() + from * 2, rec.frames() - from, 2,
                                 MonitorRecorder::rate, bool(before));
    if (h.heardSeconds <= 0 || h.correlation < 0.8) {
        std::printf("  %s: not heard\n", qPrintable(name));
        return;
    }
    out.sent.add(double(sentNs - calledNs) / 1e6);
    // Where the envelopes matched, to the millisecond; the null sink
    // renders in blocks of about 10 ms, so this is as fine as it gets.
    const qint64 first = from + qint64(h.startSeconds * MonitorRecorder::rate);
    out.atSink.add(double(rec.arrivalNs(std::max(first, from)) - calledNs) / 1e6);
}

// The sink's latency as the server reports it, while a sound plays.
QString sinkLatency(PrivateSoundServer &server, MonitorRecorder &rec, SoundPlayer &player)
{
    player.play("wave20");
    const qint64 at = rec.frames();
    waitFor([&] { return rec.frames() > at + MonitorRecorder::rate / 2; }, 10000);
    QByteArray out;
    server.runClient("pactl", {"list", "sinks"}, &out);
    player.stop();
    waitFor([&] { return player.isIdle(); }, 5000);
    for (const QByteArray &line : out.split('\n'))
        if (line.trimmed().startsWith("Latency:"))
            return QString::fromLatin1(line.trimmed());
    return QStringLiteral("unknown");
}

void benchLatency(PrivateSoundServer &server, MonitorRecorder &rec, int rounds)
{
    std::printf("\n-- play() to the sink (private pulseaudio, null sink, recorded) --\n");
    const QStringList names = SoundPlayer::soundNames();
    Latency cold, warm, cutOff;
    for (int r = 0; r < rounds; ++r) {
        // The first sound of a table: connects to the server, decodes that sound.
        for (const QString &name : names) {
            SoundPlayer fresh;
            measure(rec, fresh, name, cold);
        }
        SoundPlayer player;
        for (const QString &name : names)
            measure(rec, player, name, warm);
        // A new sound while a long one plays.
        for (const char *name : {"wave3", "turn", "wave15", "bid"}) {
            measure(rec, player, name, cutOff, [&] {
                const qint64 at = rec.frames();
                player.play("wave20");
                waitFor([&] { return rec.frames() > at + MonitorRecorder::rate / 2; }, 10000);
            });
        }
    }
    std::printf("play() until the sound's first samples went to the server, and until the sink put\n"
                "them out as recorded (the null sink works in blocks of ~10 ms: +-10 ms)\n");
    cold.sent.print("a player's first sound: sent", "ms");
    cold.atSink.print("  out of the sink", "ms");
    warm.sent.print("its later sounds: sent", "ms");
    warm.atSink.print("  out of the sink", "ms");
    cutOff.sent.print("cutting off a sound playing: sent", "ms");
    cutOff.atSink.print("  out of the sink", "ms");
    SoundPlayer player;
    std::printf("a speaker adds the sink's own latency; the server reports, while a sound plays: %s\n",
                qPrintable(sinkLatency(server, rec, player)));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    benchDecoding(rounds * 5);
    PrivateSoundServer server;
    server.pointClientsHere();
    QString error;
    MonitorRecorder rec;
    if (!server.start(&error) || !rec.start(&error)) {
        std::printf("\nno private sound server, so no timings of playing: %s\n", qPrintable(error));
        return 0;
    }
    waitFor([&] { return rec.frames() > MonitorRecorder::rate / 10; }, 10000);
    benchCallCost(rounds);
    benchLatency(server, rec, rounds);
    rec.stop();
    return 0;
}
