#pragma once

#include <pulse/mainloop-api.h>

#include <QObject>

#include <memory>
#include <unordered_set>
#include <vector>

// Runs the sound server's client library on the Qt event loop: its sockets,
// timers and deferred calls become socket notifiers and timers of this
// thread, so sound needs no thread and no locks of its own. Create the
// library's objects with api() and free them before this loop goes.
class PulseLoop : public QObject
{
public:
    explicit PulseLoop(QObject *parent = nullptr);
    ~PulseLoop() override;
    PulseLoop(const PulseLoop &) = delete;
    PulseLoop &operator=(const PulseLoop &) = delete;

    pa_mainloop_api *api() { return &api_; }

    // One of the library's sources of events (defined in the .cpp).
    class Event;

    // Events alive now: for tests, which check that none pile up.
    size_t eventCount() const { return live_.size(); }

private:
    template <typename F>
    void dispatch(F &&callback);
    void release(Event *event);

    pa_mainloop_api api_{};
    std::unordered_set<Event *> live_;
    std::vector<std::unique_ptr<Event>> freed_;   // freed inside a callback: deleted once it returns
    int depth_ = 0;                                // callbacks running now
};
