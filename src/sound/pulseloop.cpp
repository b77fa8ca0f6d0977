#include "sound/pulseloop.h"

#include <pulse/rtclock.h>
#include <pulse/timeval.h>

#include <QSocketNotifier>
#include <QTimer>

#include <sys/time.h>

#include <algorithm>
#include <climits>
#include <functional>

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

} // namespace

// The library may free an event from inside that event's own callback (or
// another's): a freed event goes inert at once and is deleted when the
// outermost callback has returned.
class PulseLoop::Event
{
public:
    Event(PulseLoop *loop, void *userdata) : loop_(loop), userdata_(userdata) {}
    virtual ~Event() = default;
    Event(const Event &) = delete;
    Event &operator=(const Event &) = delete;

    // Runs the library's callback, unless the event has been freed.
    template <typename F>
    void fire(F &&callback)
    {
        if (!freed_)
            loop_->dispatch(std::forward<F>(callback));
    }
    void free()
    {
        freed_ = true;
        silence();
        if (destroy_)
            destroy_();
        loop_->release(this);
    }
    template <typename Cb, typename Handle>
    void onDestroy(Cb cb, Handle *handle)
    {
        destroy_ = cb ? std::function<void()>([this, cb, handle] { cb(&loop_->api_, handle, userdata_); })
                      : std::function<void()>();
    }

protected:
    virtual void silence() = 0;
    PulseLoop *loop_;
    void *userdata_;
    bool freed_ = false;

private:
    std::function<void()> destroy_;
};

template <typename F>
void PulseLoop::dispatch(F &&callback)
{
    ++depth_;
    callback();
    if (--depth_ == 0)
        freed_.clear();
}

void PulseLoop::release(Event *event)
{
    live_.erase(event);
    if (depth_ > 0)
        freed_.emplace_back(event);
    else
        delete event;
}

namespace {

class IoEvent : public PulseLoop::Event
{
public:
    IoEvent(pa_mainloop_api *api, int fd, pa_io_event_cb_t cb, void *userdata)
        : Event(loopOf(api), userdata), api_(api), fd_(fd), cb_(cb),
          read_(fd, QSocketNotifier::Read), write_(fd, QSocketNotifier::Write)
    {
        QObject::connect(&read_, &QSocketNotifier::activated, [this] { ready(PA_IO_EVENT_INPUT); });
        QObject::connect(&write_, &QSocketNotifier::activated, [this] { ready(PA_IO_EVENT_OUTPUT); });
    }
    static IoEvent *of(pa_io_event *e) { return reinterpret_cast<IoEvent *>(e); }
    pa_io_event *handle() { return reinterpret_cast<pa_io_event *>(this); }

    void enable(pa_io_event_flags_t events)
    {
        // Hang-ups and errors show as readable.
        read_.setEnabled(!freed_ && (events & (PA_IO_EVENT_INPUT | PA_IO_EVENT_HANGUP | PA_IO_EVENT_ERROR)));
        write_.setEnabled(!freed_ && (events & PA_IO_EVENT_OUTPUT));
    }

private:
    void ready(pa_io_event_flags_t what)
    {
        fire([&] { cb_(api_, handle(), fd_, what, userdata_); });
    }
    void silence() override { enable(PA_IO_EVENT_NULL); }

    pa_mainloop_api *api_;
    int fd_;
    pa_io_event_cb_t cb_;
    QSocketNotifier read_;
    QSocketNotifier write_;
};

class TimeEvent : public PulseLoop::Event
{
public:
    TimeEvent(pa_mainloop_api *api, pa_time_event_cb_t cb, void *userdata)
        : Event(loopOf(api), userdata), api_(api), cb_(cb)
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            fire([&] { cb_(api_, handle(), &when_, userdata_); });
        });
    }
    static TimeEvent *of(pa_time_event *e) { return reinterpret_cast<TimeEvent *>(e); }
    pa_time_event *handle() { return reinterpret_cast<pa_time_event *>(this); }

    void restart(const timeval *when)
    {
        if (!when || freed_) {
            timer_.stop();
            return;
        }
        when_ = *when;
        timer_.start(msUntil(when_));
    }

private:
    void silence() override { timer_.stop(); }

    pa_mainloop_api *api_;
    pa_time_event_cb_t cb_;
    timeval when_{};
    QTimer timer_;
};

// Called on every event-loop turn while enabled.
class DeferEvent : public PulseLoop::Event
{
public:
    DeferEvent(pa_mainloop_api *api, pa_defer_event_cb_t cb, void *userdata)
        : Event(loopOf(api), userdata), api_(api), cb_(cb)
    {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { fire([&] { cb_(api_, handle(), userdata_); }); });
        timer_.start();
    }
    static DeferEvent *of(pa_defer_event *e) { return reinterpret_cast<DeferEvent *>(e); }
    pa_defer_event *handle() { return reinterpret_cast<pa_defer_event *>(this); }

    void enable(bool on)
    {
        if (on && !freed_)
            timer_.start();
        else
            timer_.stop();
    }

private:
    void silence() override { timer_.stop(); }

    pa_mainloop_api *api_;
    pa_defer_event_cb_t cb_;
    QTimer timer_;
};

template <typename E>
auto *track(E *event, std::unordered_set<PulseLoop::Event *> &live)
{
    live.insert(event);
    return event->handle();
}

} // namespace

PulseLoop::PulseLoop(QObject *parent)
    : QObject(parent)
{
    api_.userdata = this;
    api_.io_new = [](pa_mainloop_api *a, int fd, pa_io_event_flags_t events, pa_io_event_cb_t cb,
                     void *userdata) {
        auto *e = new IoEvent(a, fd, cb, userdata);
        e->enable(events);
        return track(e, loopOf(a)->live_);
    };
    api_.io_enable = [](pa_io_event *e, pa_io_event_flags_t events) { IoEvent::of(e)->enable(events); };
    api_.io_free = [](pa_io_event *e) { IoEvent::of(e)->free(); };
    api_.io_set_destroy = [](pa_io_event *e, pa_io_event_destroy_cb_t cb) { IoEvent::of(e)->onDestroy(cb, e); };

    api_.time_new = [](pa_mainloop_api *a, const timeval *when, pa_time_event_cb_t cb, void *userdata) {
        auto *e = new TimeEvent(a, cb, userdata);
        e->restart(when);
        return track(e, loopOf(a)->live_);
    };
    api_.time_restart = [](pa_time_event *e, const timeval *when) { TimeEvent::of(e)->restart(when); };
    api_.time_free = [](pa_time_event *e) { TimeEvent::of(e)->free(); };
    api_.time_set_destroy = [](pa_time_event *e, pa_time_event_destroy_cb_t cb) {
        TimeEvent::of(e)->onDestroy(cb, e);
    };

    api_.defer_new = [](pa_mainloop_api *a, pa_defer_event_cb_t cb, void *userdata) {
        return track(new DeferEvent(a, cb, userdata), loopOf(a)->live_);
    };
    api_.defer_enable = [](pa_defer_event *e, int on) { DeferEvent::of(e)->enable(on != 0); };
    api_.defer_free = [](pa_defer_event *e) { DeferEvent::of(e)->free(); };
    api_.defer_set_destroy = [](pa_defer_event *e, pa_defer_event_destroy_cb_t cb) {
        DeferEvent::of(e)->onDestroy(cb, e);
    };

    // Only the owner of a loop may end it; the library never asks.
    api_.quit = [](pa_mainloop_api *, int) {};
}

PulseLoop::~PulseLoop()
{
    // The library frees its events first; anything left is not called again.
    for (Event *event : live_)
        delete event;
}
