// An engine host for computer-only games: no sockets, virtual time, and a
// watcher's view of the messages reduced to the few counts the report needs.
#pragma once

#include "server/enginehost.h"
#include "server/gameengine.h"
#include "server/serverstate.h"

#include <array>
#include <cstdint>

namespace quillet::sim {

// The slot that watches every game; seats 1-4 stay unconnected, so the
// computer plays them all.
inline constexpr int kWatcherSlot = 5;

struct GameTally {
    std::array<long long, 5> bids{};  // per seat
    std::array<long long, 5> made{};  // bids made (a round score above 0)
    int winningScore = 0;
    long long virtualMs = 0;
};

class SimHost final : public EngineHost {
public:
    SimHost();

    // Plays one whole game of `type` and returns what the watcher saw.
    GameTally play(GameType type);
    void seed(std::uint64_t s) { engine_.seedRandom(s); }
    const ServerState &state() const { return state_; }
    GameEngine &engine() { return engine_; }
    long long notices() const { return notices_; }
    long long stalls() const { return stalls_; }  // games left waiting with no timer

    void send(int slot, const ToTable &message) override;
    void broadcast(const ToTable &message, int exceptSlot) override;
    void hostNotice(std::string_view) override { ++notices_; }
    void startTimer(EngineTimer timer, int intervalMs) override;
    void stopTimer(EngineTimer timer) override { timers_[index(timer)].armed = false; }

private:
    struct Timer {
        bool armed = false;
        long long due = 0;
    };
    static int index(EngineTimer t) { return t == EngineTimer::waitaminute ? 0 : 1; }

    ServerState state_;
    GameEngine engine_;
    std::array<Timer, 2> timers_{};
    long long now_ = 0;
    long long notices_ = 0;
    long long stalls_ = 0;
    GameTally tally_;
};

} // namespace quillet::sim
