#include "soundlab.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <sys/prctl.h>

#include <algorithm>
#include <cmath>
#include <csignal>

namespace {

// A helper process ends with the test, even one that crashes.
void endWithParent(QProcess &process)
{
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

QString clientProgram(const QString &tool)
{
    return QStandardPaths::findExecutable(tool);
}

} // namespace

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTimer tick;   // wakes the wait below at least this often
    tick.start(5);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

PrivateSoundServer::PrivateSoundServer()
{
    process_.setProcessChannelMode(QProcess::MergedChannels);
    endWithParent(process_);
}

PrivateSoundServer::~PrivateSoundServer()
{
    stop();
}

QString PrivateSoundServer::program()
{
    return QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
}

void PrivateSoundServer::pointClientsHere()
{
    const QString base = dir_.path();
    QFile conf(base + "/client.conf");
    if (conf.open(QIODevice::WriteOnly))
        conf.write("autospawn = no\n");
    conf.close();
    qputenv("PULSE_SERVER", ("unix:" + base + "/native").toLocal8Bit());
    qputenv("PULSE_CLIENTCONFIG", conf.fileName().toLocal8Bit());
    // Keeps the client side from reading or making a cookie in the user's home.
    qputenv("PULSE_COOKIE", (base + "/cookie").toLocal8Bit());
}

bool PrivateSoundServer::start(QString *error)
{
    if (running())
        return true;
    const QString exe = program();
    if (exe.isEmpty()) {
        *error = QStringLiteral("pulseaudio is not installed (tools/install-deps.sh installs it)");
        return false;
    }
    const QString base = dir_.path();
    QDir().mkpath(base + "/home");
    QDir().mkpath(base + "/runtime");
    // Everything the server keeps goes into our folder; it must not find
    // the user's session, bus or display.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY", "PULSE_SERVER"})
        env.remove(QString::fromLatin1(name));
    env.insert("HOME", base + "/home");
    env.insert("XDG_CONFIG_HOME", base + "/home/.config");
    env.insert("XDG_RUNTIME_DIR", base + "/runtime");
    env.insert("PULSE_RUNTIME_PATH", base + "/runtime/pulse");
    env.insert("PULSE_STATE_PATH", base + "/home/state");
    process_.setProcessEnvironment(env);
    process_.setProgram(exe);
    process_.setArguments({
        "--daemonize=no", "--system=false", "-n", "--exit-idle-time=-1", "--use-pid-file=false",
        "--realtime=false", "--high-priority=false", "--log-target=stderr", "--log-level=error",
        "-L", "module-null-sink sink_name=" + sinkName() + " rate=44100 channels=2",
        "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + base + "/native",
    });
    process_.start();
    if (!process_.waitForStarted(5000)) {
        *error = QStringLiteral("pulseaudio did not start: ") + process_.errorString();
        return false;
    }
    // Ready once a client gets an answer; bounded, it normally takes ~100 ms.
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (runClient("pactl", {"info"}))
            return true;
        if (process_.waitForFinished(100))
            break;
    }
    *error = QStringLiteral("pulseaudio did not come up: ")
        + QString::fromLocal8Bit(process_.readAll()).trimmed();
    stop();
    return false;
}

void PrivateSoundServer::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();   // SIGTERM to the server's own process id
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool PrivateSoundServer::runClient(const QString &tool, const QStringList &args, QByteArray *out) const
{
    const QString exe = clientProgram(tool);
    if (exe.isEmpty())
        return false;
    QProcess p;
    p.start(exe, args);
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

int PrivateSoundServer::playbackStreams() const
{
    QByteArray out;
    if (!runClient("pactl", {"list", "short", "sink-inputs"}, &out))
        return -1;
    return int(out.count('\n'));
}

bool MonitorRecorder::start(QString *error)
{
    const QString exe = clientProgram("parec");
    if (exe.isEmpty()) {
        *error = QStringLiteral("parec is not installed (pulseaudio-utils)");
        return false;
    }
    clock_.start();
    endWithParent(process_);
    connect(&process_, &QProcess::readyReadStandardOutput, this, &MonitorRecorder::readMore);
    process_.start(exe, {"--device=" + PrivateSoundServer::sinkName() + ".monitor", "--raw",
                         "--format=s16le", "--rate=44100", "--channels=2", "--latency-msec=10"});
    if (!process_.waitForStarted(5000)) {
        *error = QStringLiteral("parec did not start: ") + process_.errorString();
        return false;
    }
    return true;
}

MonitorRecorder::~MonitorRecorder()
{
    process_.disconnect(this);
    stop();
}

void MonitorRecorder::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void MonitorRecorder::readMore()
{
    partial_ += process_.readAllStandardOutput();
    const qsizetype whole = partial_.size() - partial_.size() % 4;
    if (whole == 0)
        return;
    const size_t at = samples_.size();
    samples_.resize(at + size_t(whole / 2));
    for (qsizetype i = 0; i < whole / 2; ++i)
        samples_[at + size_t(i)] = int16_t(uint8_t(partial_[2 * i]) | (uint8_t(partial_[2 * i + 1]) << 8));
    partial_.remove(0, whole);
    arrivals_.emplace_back(frames(), clock_.nsecsElapsed());
}

qint64 MonitorRecorder::arrivalNs(qint64 frame) const
{
    const auto it = std::upper_bound(arrivals_.begin(), arrivals_.end(), frame,
                                     [](qint64 f, const std::pair<qint64, qint64> &a) { return f < a.first; });
    if (it == arrivals_.end())
        return -1;
    return it->second;
}

qint64 MonitorRecorder::frameTimeNs(qint64 frame) const
{
    const auto it = std::upper_bound(arrivals_.begin(), arrivals_.end(), frame,
                                     [](qint64 f, const std::pair<qint64, qint64> &a) { return f < a.first; });
    if (it == arrivals_.end())
        return -1;
    // The piece's last frame came with it; the ones before were played earlier.
    return it->second - (it->first - 1 - frame) * 1000000000LL / rate;
}

std::vector<double> envelope(const int16_t *samples, qint64 frames, int channels, int rate)
{
    // Window edges on the clock, not a rounded sample count, so that
    // envelopes of different rates stay in step over seconds.
    std::vector<double> env;
    for (qint64 w = 0;; ++w) {
        const qint64 at = qint64(double(w) * rate * windowSeconds);
        const qint64 end = qint64(double(w + 1) * rate * windowSeconds);
        if (end > frames || end <= at)
            break;
        double sum = 0;
        for (qint64 i = at; i < end; ++i) {
            const double v = samples[i * channels] / 32768.0;
            sum += v * v;
        }
        env.push_back(std::sqrt(sum / double(end - at)));
    }
    return env;
}

Span audibleSpan(const std::vector<double> &env, double level)
{
    Span span;
    for (int i = 0; i < int(env.size()); ++i) {
        if (env[size_t(i)] >= level) {
            if (span.first < 0)
                span.first = i;
            span.end = i + 1;
        }
    }
    return span;
}

namespace {

// Pearson correlation of expected[want] with recorded shifted by lag windows.
double correlationAt(const std::vector<double> &expected, Span want, const std::vector<double> &recorded, int lag)
{
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    const int n = want.end - want.first;
    for (int i = want.first; i < want.end; ++i) {
        const int j = i + lag;
        const double x = expected[size_t(i)];
        const double y = j >= 0 && j < int(recorded.size()) ? recorded[size_t(j)] : 0.0;
        sx += x;
        sy += y;
        sxx += x * x;
        syy += y * y;
        sxy += x * y;
    }
    const double vx = sxx - sx * sx / n, vy = syy - sy * sy / n;
    return vx > 0 && vy > 0 ? (sxy - sx * sy / n) / std::sqrt(vx * vy) : 0.0;
}

} // namespace

Heard compareHeard(const std::vector<double> &expected, const int16_t *recorded, qint64 frames, int channels,
                   int rate, bool anywhere)
{
    Heard heard;
    // Quiet tails hovering about a fixed level would make the length depend
    // on a hair's difference: count what is clearly part of the sound.
    const double peak = expected.empty() ? 0.0 : *std::max_element(expected.begin(), expected.end());
    const double level = std::max(audibleLevel, 0.05 * peak);
    const Span want = audibleSpan(expected, level);
    heard.expectedSeconds = want.seconds();
    const std::vector<double> coarse = envelope(recorded, frames, channels, rate);
    const Span got = audibleSpan(coarse, level);
    if (want.empty() || got.empty())
        return heard;
    // Line the envelopes up where they match best, to the millisecond:
    // windows that straddle differently make noisy sounds look unlike
    // themselves. Near where sound begins, or anywhere in the first 0.4 s
    // when something else may be heard before it.
    const int lag0 = got.first - want.first;
    const int lagFrom = anywhere ? -want.first : lag0 - 2;
    const int lagTo = anywhere ? int(0.4 / windowSeconds) : lag0 + 1;
    double best = -2;
    int bestShift = 0, bestLag = lag0;
    std::vector<double> bestEnv;
    for (int ms = 0; ms < 10; ++ms) {
        const qint64 shift = qint64(ms) * rate / 1000;
        if (shift >= frames)
            break;
        std::vector<double> env = envelope(recorded + shift * channels, frames - shift, channels, rate);
        for (int lag = lagFrom; lag <= lagTo; ++lag) {
            const double r = correlationAt(expected, want, env, lag);
            if (r > best) {
                best = r;
                bestShift = ms;
                bestLag = lag;
                bestEnv = env;
            }
        }
    }
    heard.correlation = best;
    heard.startSeconds = bestShift / 1000.0 + bestLag * windowSeconds;
    // Heard from where this sound's first audible part lies to where the
    // recording falls silent; anything audible before that came before it.
    const double begins = heard.startSeconds + want.first * windowSeconds;
    heard.onsetSeconds = begins;
    heard.heardSeconds = std::max(0.0, got.end * windowSeconds - begins);
    heard.leadingSeconds = std::max(0.0, std::min(begins, got.end * windowSeconds) - got.first * windowSeconds);
    double ex = 0, re = 0;
    for (int i = want.first; i < want.end; ++i) {
        const int j = i + bestLag;
        const double y = j >= 0 && j < int(bestEnv.size()) ? bestEnv[size_t(j)] : 0.0;
        ex += expected[size_t(i)] * expected[size_t(i)];
        re += y * y;
    }
    heard.levelRatio = ex > 0 ? std::sqrt(re / ex) : 0.0;
    return heard;
}
