#include "sound/pulseloop.h"

#include <pulse/rtclock.h>
#include <pulse/timeval.h>

#include <QSocketNotifier>
#include <QTimer>

#include <sys/time.h>

#include <algorithm>
#include <climits>

namespace {

// The library marks times on its monotonic clock with this bit in tv_usec;
// times without it are wall-clock times.
constexpr suseconds_t monotonicBit = suseconds_t(1) << 30;

int msUntil(const timeval &when)
{
    timeval at = when;
    pa_usec_t now = 0;
    if (at.tv_usec & monotonicBit) {
        at.tv_usec &= ~monotonicBit;
        now = pa_rtclock_now();
    } else {
        timeval wall{};
        gettimeofday(&wall, nullptr);
        now = pa_timeval_load(&wall);
    }
    const pa_usec_t due = pa_timeval_load(&at);
    if (due <= now)
        return 0;
    return int(std::min<pa_usec_t>((due - now + 999) / 1000, INT_MAX));
}

PulseLoop *loopOf(pa_mainloop_api *api)
{
    return static_cast<PulseLoop *>(api->userdata);
}

// The library may free an event from inside that event's own callback, so a
// freed event only goes inert and is deleted on a later event-loop turn.
class IoEvent : public QObject
{
public:
    IoEvent(pa_mainloop_api *api, int fd, pa_io_event_cb_t cb, void *userdata)
        : QObject(loopOf(api)), api_(api), fd_(fd), cb_(cb), userdata_(userdata),
          read_(fd, QSocketNotifier::Read, this), write_(fd, QSocketNotifier::Write, this)
    {
        connect(&read_, &QSocketNotifier::activated, this, [this] { fire(PA_IO_EVENT_INPUT); });
        connect(&write_, &QSocketNotifier::activated, this, [this] { fire(PA_IO_EVENT_OUTPUT); });
    }
    static IoEvent *of(pa_io_event *e) { return reinterpret_cast<IoEvent *>(e); }
    pa_io_event *handle() { return reinterpret_cast<pa_io_event *>(this); }

    void enable(pa_io_event_flags_t events)
    {
        read_.setEnabled(cb_ && (events & (PA_IO_EVENT_INPUT | PA_IO_EVENT_HANGUP | PA_IO_EVENT_ERROR)));
        write_.setEnabled(cb_ && (events & PA_IO_EVENT_OUTPUT));
    }
    void free()
    {
        enable(PA_IO_EVENT_NULL);
        cb_ = nullptr;
        if (destroy_)
            destroy_(api_, handle(), userdata_);
        deleteLater();
    }
    pa_io_event_destroy_cb_t destroy_ = nullptr;

private:
    void fire(pa_io_event_flags_t what)
    {
        if (cb_)
            cb_(api_, handle(), fd_, what, userdata_);
    }
    pa_mainloop_api *api_;
    int fd_;
    pa_io_event_cb_t cb_;
    void *userdata_;
    QSocketNotifier read_;
    QSocketNotifier write_;
};

class TimeEvent : public QObject
{
public:
    TimeEvent(pa_mainloop_api *api, pa_time_event_cb_t cb, void *userdata)
        : QObject(loopOf(api)), api_(api), cb_(cb), userdata_(userdata)
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (cb_)
                cb_(api_, handle(), &when_, userdata_);
        });
    }
    static TimeEvent *of(pa_time_event *e) { return reinterpret_cast<TimeEvent *>(e); }
    pa_time_event *handle() { return reinterpret_cast<pa_time_event *>(this); }

    void restart(const timeval *when)
    {
        if (!when || !cb_) {
            timer_.stop();
            return;
        }
        when_ = *when;
        timer_.start(msUntil(when_));
    }
    void free()
    {
        timer_.stop();
        cb_ = nullptr;
        if (destroy_)
            destroy_(api_, handle(), userdata_);
        deleteLater();
    }
    pa_time_event_destroy_cb_t destroy_ = nullptr;

private:
    pa_mainloop_api *api_;
    pa_time_event_cb_t cb_;
    void *userdata_;
    timeval when_{};
    QTimer timer_;
};

// Called on every event-loop turn while enabled.
class DeferEvent : public QObject
{
public:
    DeferEvent(pa_mainloop_api *api, pa_defer_event_cb_t cb, void *userdata)
        : QObject(loopOf(api)), api_(api), cb_(cb), userdata_(userdata)
    {
        timer_.setInterval(0);
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (cb_)
                cb_(api_, handle(), userdata_);
        });
        timer_.start();
    }
    static DeferEvent *of(pa_defer_event *e) { return reinterpret_cast<DeferEvent *>(e); }
    pa_defer_event *handle() { return reinterpret_cast<pa_defer_event *>(this); }

    void enable(bool on)
    {
        if (on && cb_)
            timer_.start();
        else
            timer_.stop();
    }
    void free()
    {
        timer_.stop();
        cb_ = nullptr;
        if (destroy_)
            destroy_(api_, handle(), userdata_);
        deleteLater();
    }
    pa_defer_event_destroy_cb_t destroy_ = nullptr;

private:
    pa_mainloop_api *api_;
    pa_defer_event_cb_t cb_;
    void *userdata_;
    QTimer timer_;
};

} // namespace

PulseLoop::PulseLoop(QObject *parent)
    : QObject(parent)
{
    api_.userdata = this;
    api_.io_new = [](pa_mainloop_api *a, int fd, pa_io_event_flags_t events, pa_io_event_cb_t cb,
                     void *userdata) {
        auto *e = new IoEvent(a, fd, cb, userdata);
        e->enable(events);
        return e->handle();
    };
    api_.io_enable = [](pa_io_event *e, pa_io_event_flags_t events) { IoEvent::of(e)->enable(events); };
    api_.io_free = [](pa_io_event *e) { IoEvent::of(e)->free(); };
    api_.io_set_destroy = [](pa_io_event *e, pa_io_event_destroy_cb_t cb) { IoEvent::of(e)->destroy_ = cb; };

    api_.time_new = [](pa_mainloop_api *a, const timeval *when, pa_time_event_cb_t cb, void *userdata) {
        auto *e = new TimeEvent(a, cb, userdata);
        e->restart(when);
        return e->handle();
    };
    api_.time_restart = [](pa_time_event *e, const timeval *when) { TimeEvent::of(e)->restart(when); };
    api_.time_free = [](pa_time_event *e) { TimeEvent::of(e)->free(); };
    api_.time_set_destroy = [](pa_time_event *e, pa_time_event_destroy_cb_t cb) {
        TimeEvent::of(e)->destroy_ = cb;
    };

    api_.defer_new = [](pa_mainloop_api *a, pa_defer_event_cb_t cb, void *userdata) {
        return (new DeferEvent(a, cb, userdata))->handle();
    };
    api_.defer_enable = [](pa_defer_event *e, int on) { DeferEvent::of(e)->enable(on != 0); };
    api_.defer_free = [](pa_defer_event *e) { DeferEvent::of(e)->free(); };
    api_.defer_set_destroy = [](pa_defer_event *e, pa_defer_event_destroy_cb_t cb) {
        DeferEvent::of(e)->destroy_ = cb;
    };

    // Only the owner of a loop may end it; the library never asks.
    api_.quit = [](pa_mainloop_api *, int) {};
}

// Events the library did not free (it always should) go with their parent.
PulseLoop::~PulseLoop() = default;
