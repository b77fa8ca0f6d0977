// A host for the engine with no sockets: it records what each slot is sent
// and runs the two timers on a manual clock.
#pragma once

#include "server/enginehost.h"
#include "server/gameengine.h"
#include "protocol/messages.h"
#include "server/serverstate.h"

#include <QStringList>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace quillet::test {

class FakeHost : public EngineHost {
public:
    struct Sent {
        int slot;
        ToTable message;
        std::string text;   // its bytes without the terminator
        long long time = 0; // the clock when it was sent
    };
    struct Timer {
        bool armed = false;
        long long due = 0;
        int interval = 0;
    };

    explicit FakeHost(const ServerState &state) : state_(state) {}
    void send(int slot, const ToTable &message) override;
    void broadcast(const ToTable &message, int exceptSlot) override;
    void hostNotice(std::string_view text) override { notices.emplace_back(text); }
    void startTimer(EngineTimer timer, int intervalMs) override;
    void stopTimer(EngineTimer timer) override { timers[index(timer)].armed = false; }

    // Moves the clock on by ms, firing every timer that falls due on the way.
    void advance(long long ms);
    // Fires the earliest armed timer (moving the clock to it); false if none.
    bool fireNext();
    const Timer &timer(EngineTimer t) const { return timers[index(t)]; }

    // Messages sent to one slot, in order.
    QStringList to(int slot) const;
    // Messages sent to one slot since `from` entries of `log`.
    QStringList to(int slot, std::size_t from) const;
    void clear() { log.clear(); notices.clear(); }

    GameEngine *engine = nullptr;
    long long now = 0;
    std::vector<Sent> log;
    std::vector<std::string> notices;
    std::array<Timer, 2> timers{};
    // Called after each message is recorded (lets a test close a connection
    // from inside a send, as a failed send does).
    std::function<void(int slot, const Sent &sent)> onSend;

private:
    void record(int slot, const ToTable &message);
    const ServerState &state_;
    static int index(EngineTimer t) { return t == EngineTimer::waitaminute ? 0 : 1; }
};

// A server state, a host and an engine wired together.
struct Table {
    Table();
    // A logged-in player in slot (seat or watcher).
    void join(int slot, const std::string &name);
    // A message as a table would send it, through the server's decoding;
    // false when the decoding drops it. The sender is not checked here.
    bool move(std::string_view entry);
    // Gives seat n exactly these cards in hand slots 1.., the rest empty.
    void hand(int n, std::vector<int> cards);
    // Runs the timers until the game is over (or `maxFires` expiries).
    bool runGame(int maxFires = 100000);

    ServerState s;
    FakeHost host;
    GameEngine engine;
};

} // namespace quillet::test
