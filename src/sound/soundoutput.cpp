#include "sound/soundoutput.h"

#include "sound/pulseloop.h"
#include "sound/resample.h"

#include <pulse/context.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>

#include <algorithm>

namespace {

// What the server keeps between its buffer and the speaker.
constexpr pa_usec_t targetLatencyUs = 40 * 1000;
// How far ahead of the speaker we hand sound to the server: more than any
// stall of the event loop, less than a burst of sounds can pile up.
constexpr int leadMs = 1000;
constexpr int topUpMs = 100;

const pa_sample_spec outputSpec = {PA_SAMPLE_S16LE, uint32_t(outputRate), uint8_t(outputChannels)};
constexpr qsizetype frameBytes = outputChannels * 2;
constexpr qsizetype bytesPerMs = outputRate / 1000 * frameBytes + 1;   // rounded up: never short

qsizetype wholeFrames(qsizetype bytes)
{
    return bytes - bytes % frameBytes;
}

void forget(pa_operation *op)
{
    if (op)
        pa_operation_unref(op);
}

// Drops an operation and the call it would make when done.
void cancel(pa_operation *&op)
{
    if (!op)
        return;
    pa_operation_cancel(op);
    pa_operation_unref(op);
    op = nullptr;
}

} // namespace

SoundOutput::SoundOutput(QObject *parent)
    : QObject(parent), loop_(new PulseLoop(this))
{
    topUp_.setInterval(topUpMs);
    connect(&topUp_, &QTimer::timeout, this, &SoundOutput::feed);
}

SoundOutput::~SoundOutput()
{
    sound_.clear();
    dropConnection();
}

void SoundOutput::prepare()
{
    if (!context_)
        connectToServer();
}

void SoundOutput::play(const QByteArray &pcm)
{
    sound_ = pcm.left(wholeFrames(pcm.size()));
    written_ = 0;
    if (sound_.isEmpty()) {
        stop();
        return;
    }
    if (!context_) {
        connectToServer();   // openStream() follows once connected
        return;
    }
    if (pa_context_get_state(context_) != PA_CONTEXT_READY)
        return;
    if (!stream_) {
        openStream();
        return;
    }
    if (pa_stream_get_state(stream_) != PA_STREAM_READY)
        return;   // feed() follows once the stream is there
    // Cut off the last sound: closing its stream drops what the server still
    // holds of it, and answers its pending drain (a flushed stream's would
    // be left waiting). However fast sounds are asked for, one stream at a
    // time is open, and only the newest sound goes to it.
    closeStream();
    openStream();
}

void SoundOutput::stop()
{
    sound_.clear();
    written_ = 0;
    closeStream();
}

void SoundOutput::connectToServer()
{
    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Quillet");
    // The desktop entry's id, so that sound settings show the game's name and icon.
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, QUILLET_APP_ID);
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, QUILLET_APP_ID);
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "game");
    context_ = pa_context_new_with_proplist(loop_->api(), "Quillet", props);
    pa_proplist_free(props);
    if (!context_) {
        fail();
        return;
    }
    pa_context_set_state_callback(context_, &SoundOutput::contextState, this);
    // The server the user's session names, started on demand where that is set up.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0 && context_)
        fail();   // unless the state callback has done so already
}

void SoundOutput::contextState(pa_context *context, void *self)
{
    auto *out = static_cast<SoundOutput *>(self);
    if (context != out->context_)
        return;
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        if (out->busy() && !out->stream_)
            out->openStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        out->fail();
        break;
    default:
        break;
    }
}

void SoundOutput::openStream()
{
    stream_ = pa_stream_new(context_, "Quillet sounds", &outputSpec, nullptr);
    if (!stream_) {
        fail();
        return;
    }
    pa_stream_set_state_callback(stream_, &SoundOutput::streamState, this);
    pa_stream_set_write_callback(stream_, &SoundOutput::streamWrite, this);
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(targetLatencyUs, &outputSpec));
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(-1);
    if (pa_stream_connect_playback(stream_, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0
        && stream_)
        fail();
}

void SoundOutput::streamState(pa_stream *stream, void *self)
{
    auto *out = static_cast<SoundOutput *>(self);
    if (stream != out->stream_)
        return;
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        out->feed();
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        // No output to play on, or the server went away.
        out->fail();
        break;
    default:
        break;
    }
}

void SoundOutput::streamWrite(pa_stream *stream, size_t, void *self)
{
    auto *out = static_cast<SoundOutput *>(self);
    if (stream == out->stream_)
        out->feed();
}

void SoundOutput::feed()
{
    if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY || sound_.isEmpty()
        || written_ >= sound_.size()) {
        topUp_.stop();
        return;
    }
    // The server plays in real time from the first bytes on; stay a lead ahead.
    const bool first = written_ == 0;
    const qsizetype played = first ? 0 : std::min(written_, qsizetype(sinceStart_.elapsed()) * bytesPerMs);
    const qsizetype n = wholeFrames(std::min(sound_.size(), played + leadMs * bytesPerMs) - written_);
    if (n <= 0)
        return;
    if (pa_stream_write(stream_, sound_.constData() + written_, size_t(n), nullptr, 0, PA_SEEK_RELATIVE) < 0) {
        fail();
        return;
    }
    written_ += n;
    if (first) {
        sinceStart_.start();
        ++sent_;
        emit started();
    }
    if (written_ < sound_.size()) {
        if (!topUp_.isActive())
            topUp_.start();
        return;
    }
    topUp_.stop();
    // All there: start even a sound shorter than the prebuffer, and hear
    // when its last sample has been played.
    forget(pa_stream_trigger(stream_, nullptr, nullptr));
    drain_ = pa_stream_drain(stream_, &SoundOutput::streamDrained, this);
}

void SoundOutput::streamDrained(pa_stream *stream, int success, void *self)
{
    auto *out = static_cast<SoundOutput *>(self);
    if (stream != out->stream_ || !out->drain_)
        return;
    pa_operation_unref(out->drain_);
    out->drain_ = nullptr;
    out->sound_.clear();
    out->written_ = 0;
    // Close at once: an idle stream would hold the output open with nothing in it.
    out->closeStream();
    if (success)
        emit out->finished();
}

void SoundOutput::closeStream()
{
    topUp_.stop();
    cancel(drain_);
    if (!stream_)
        return;
    pa_stream *stream = stream_;
    stream_ = nullptr;
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    if (pa_stream_get_state(stream) == PA_STREAM_READY || pa_stream_get_state(stream) == PA_STREAM_CREATING)
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

void SoundOutput::dropConnection()
{
    closeStream();
    if (!context_)
        return;
    pa_context *context = context_;
    context_ = nullptr;
    pa_context_set_state_callback(context, nullptr, nullptr);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state != PA_CONTEXT_FAILED && state != PA_CONTEXT_TERMINATED && state != PA_CONTEXT_UNCONNECTED)
        pa_context_disconnect(context);
    pa_context_unref(context);
}

void SoundOutput::fail()
{
    // Start afresh at the next sound: the server may be back by then.
    sound_.clear();
    written_ = 0;
    dropConnection();
    emit unavailable();
}
