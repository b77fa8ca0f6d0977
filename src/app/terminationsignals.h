// SIGTERM, SIGINT and SIGHUP end the game the way File > Exit does, so the
// settings and the tally are saved when the session ends or Ctrl+C is pressed.
// The handler only writes the signal's number into a pipe (async-signal-safe);
// the event loop reads it and emits received(). A signal the parent left
// ignored (nohup, a background job) stays ignored.
#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

namespace quillet {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // One object at a time: the handler writes into a single pipe.
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override; // the earlier handlers come back

    bool isActive() const { return notifier_ != nullptr; }

signals:
    // Once: after it the signals take their earlier action again, so a second
    // Ctrl+C ends a shutdown that hangs.
    void received(int signalNumber);

private:
    void readPipe();
    void restoreHandlers();

    static constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};
    struct sigaction previous_[3] = {};
    bool installed_[3] = {};
    QSocketNotifier *notifier_ = nullptr;
};

} // namespace quillet
