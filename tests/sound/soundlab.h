#pragma once

// A private sound server for tests and benchmarks, a recorder of what it
// plays, and the measures that tell whether a sound was heard whole.

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <vector>

// Runs the event loop until the condition holds, at most timeoutMs; finer
// grained than QTRY_*, which matters over a thousand waits.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 10000);

// A sound server of our own with one null sink, in a temporary runtime
// folder, never the user's. pointClientsHere() makes this process and the
// tools it starts use it (and nothing else, with no server started on
// demand); the server itself may start later, or stop and start again.
class PrivateSoundServer
{
public:
    PrivateSoundServer();
    ~PrivateSoundServer();   // stops the server it started, by its process id
    PrivateSoundServer(const PrivateSoundServer &) = delete;
    PrivateSoundServer &operator=(const PrivateSoundServer &) = delete;

    // The server program, or empty when it is not installed.
    static QString program();
    static QString sinkName() { return QStringLiteral("quillet_test"); }

    void pointClientsHere();
    // Starts the server and waits until it answers; false with the reason.
    bool start(QString *error);
    void stop();
    bool running() const { return process_.state() == QProcess::Running; }
    qint64 processId() const { return process_.processId(); }

    // Playback streams open on the server now, or -1 if it does not answer.
    int playbackStreams() const;
    // Runs a tool of the sound server's client side against this server.
    bool runClient(const QString &tool, const QStringList &args, QByteArray *out = nullptr) const;

private:
    QTemporaryDir dir_;
    QProcess process_;
};

// Records the private server's sink as 16-bit stereo at 44100 Hz, noting
// when each piece arrived.
class MonitorRecorder : public QObject
{
public:
    static constexpr int rate = 44100;

    ~MonitorRecorder() override;
    bool start(QString *error);
    void stop();
    // Frames recorded so far.
    qint64 frames() const { return qint64(samples_.size()) / 2; }
    const std::vector<int16_t> &samples() const { return samples_; }
    // The recorder's clock, in ns since it started.
    qint64 nowNs() const { return clock_.nsecsElapsed(); }
    // When (on that clock) the piece holding that frame arrived, or -1.
    qint64 arrivalNs(qint64 frame) const;
    // When that frame was played, as far as the arrivals tell: its piece's
    // arrival less the frames after it in the piece. Still later than the
    // sink played it by what recording adds.
    qint64 frameTimeNs(qint64 frame) const;

private:
    void readMore();

    QProcess process_;
    std::vector<int16_t> samples_;
    QByteArray partial_;
    std::vector<std::pair<qint64, qint64>> arrivals_;   // frames so far, ns
    QElapsedTimer clock_;
};

// Loudness of 10 ms windows of one channel.
std::vector<double> envelope(const int16_t *samples, qint64 frames, int channels, int rate);
inline constexpr double windowSeconds = 0.01;
// A window at least this loud (RMS, full scale 1) counts as sound.
inline constexpr double audibleLevel = 0.01;

// Where sound is in an envelope: the first and one past the last window at
// least that loud.
struct Span {
    int first = -1;
    int end = -1;
    bool empty() const { return first < 0; }
    double seconds() const { return empty() ? 0.0 : (end - first) * windowSeconds; }
};
Span audibleSpan(const std::vector<double> &env, double level = audibleLevel);

// How a recorded stretch compares with the sound that should be in it.
struct Heard {
    double expectedSeconds = 0;   // audible span of the sound itself
    double heardSeconds = 0;      // from where it begins in the stretch to the last sound there
    double leadingSeconds = 0;    // sound in the stretch before it began
    double onsetSeconds = 0;      // where its first audible part lies in the stretch
    double startSeconds = 0;      // where its first sample lies in the stretch
    double correlation = 0;       // of the two envelopes, lined up
    double levelRatio = 0;        // recorded RMS / the sound's RMS, same span
};
// expected: the sound's envelope; recorded: the stretch of recording that
// should hold that sound once and nothing after it, near its first sound,
// or anywhere in its first 0.4 s when `anywhere` (another sound may come
// before it).
Heard compareHeard(const std::vector<double> &expected, const int16_t *recorded, qint64 frames, int channels,
                   int rate, bool anywhere = false);
