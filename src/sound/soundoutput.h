#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

struct pa_context;
struct pa_operation;
struct pa_stream;
class PulseLoop;

// The audio output: one long-lived connection to the sound server and,
// while a sound plays, one playback stream in the fixed output format
// (resample.h). The server always holds about a second of sound ahead (most
// sounds are shorter and go whole), so a busy event loop does not starve it.
// A stream carries one sound: it closes as soon as its sound has played out,
// so none is left open without data, and a new sound closes it to cut the
// old one off. Without a server nothing is heard; the next play() looks for
// one again.
class SoundOutput : public QObject
{
    Q_OBJECT
public:
    explicit SoundOutput(QObject *parent = nullptr);
    ~SoundOutput() override;

    // Plays interleaved 16-bit stereo samples at outputRate, cutting off the
    // sound playing; connects to the server first if need be. Returns at once.
    void play(const QByteArray &pcm);
    // Cuts off the sound playing or on its way.
    void stop();
    // Connects to the server ahead of the first sound, so that it starts sooner.
    void prepare();

    // A sound is on its way or playing.
    bool busy() const { return !sound_.isEmpty(); }
    // Connected to a server (or on the way there).
    bool connected() const { return context_ != nullptr; }
    // Sounds whose first samples have gone to the server so far.
    qint64 soundsSent() const { return sent_; }

signals:
    // A sound's first samples have gone to the server.
    void started();
    // The sound played to its end (not when it was cut off).
    void finished();
    // No server could be reached, it refused the stream, or it went away;
    // the sound on its way, if any, is dropped.
    void unavailable();

private:
    static void contextState(pa_context *context, void *self);
    static void streamState(pa_stream *stream, void *self);
    static void streamWrite(pa_stream *stream, size_t bytes, void *self);
    static void streamDrained(pa_stream *stream, int success, void *self);

    void connectToServer();
    void openStream();
    void feed();
    void closeStream();
    void dropConnection();
    void fail();

    PulseLoop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;
    pa_operation *drain_ = nullptr;
    QByteArray sound_;           // playing or on its way; empty when silent
    qsizetype written_ = 0;      // handed to the server so far
    qint64 sent_ = 0;
    QElapsedTimer sinceStart_;   // since the sound's first bytes went
    QTimer topUp_;               // keeps the lead while a long sound plays
};
