#pragma once

#include <pulse/mainloop-api.h>

#include <QObject>

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

private:
    pa_mainloop_api api_{};
};
