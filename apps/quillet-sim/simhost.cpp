#include "simhost.h"


namespace quillet::sim {


SimHost::SimHost() : engine_(state_, *this)
{
    state_.botinterval = 750;
    state_.slotcount = kWatcherSlot;
    state_.players[kWatcherSlot].connected = true;
    state_.players[kWatcherSlot].loggedin = true;
    state_.players[kWatcherSlot].name = "Sim";
}

void SimHost::send(int slot, const ToTable &message)
{
    if (slot == kWatcherSlot)
        broadcast(message, 0);
}

// Only the watcher is connected, so every broadcast is what it sees.
void SimHost::broadcast(const ToTable &message, int exceptSlot)
{
    // Most messages say nothing the report counts: one bit test sees them off.
    constexpr std::uint64_t kCounted = std::uint64_t(1) << alternativeIndex<toTable::Score, ToTable>() |
                                       std::uint64_t(1) << alternativeIndex<toTable::Winner, ToTable>();
    if (!((kCounted >> message.index()) & 1) || exceptSlot == kWatcherSlot)
        return;
    if (const auto *score = std::get_if<toTable::Score>(&message)) {
        // A bid is made when the round scores anything.
        for (const auto &e : score->entries) {
            if (e.seat >= 1 && e.seat <= 4) {
                ++tally_.bids[std::size_t(e.seat)];
                if (e.round > 0)
                    ++tally_.made[std::size_t(e.seat)];
            }
        }
    } else if (const auto *winner = std::get_if<toTable::Winner>(&message)) {
        tally_.winningScore = winner->score;
    }
}

void SimHost::startTimer(EngineTimer timer, int intervalMs)
{
    Timer &t = timers_[index(timer)];
    t.armed = true;
    t.due = now_ + intervalMs;
}

GameTally SimHost::play(GameType type)
{
    tally_ = {};
    const long long start = now_;
    engine_.startgame("Sim", type);
    Timer &pause = timers_[0], &computer = timers_[1];
    while (state_.gameon) {
        // The earlier of the two (the pause on a tie, as armed first).
        const bool pauseNext = pause.armed && (!computer.armed || pause.due <= computer.due);
        Timer &t = pauseNext ? pause : computer;
        if (!t.armed) {
            ++stalls_;  // nothing left to wait for: a real server would hang here
            break;
        }
        t.armed = false;
        now_ = std::max(now_, t.due);
        if (pauseNext)
            engine_.waitaminuteTimer();
        else
            engine_.computertimerTimer();
    }
    tally_.virtualMs = now_ - start;
    return tally_;
}

} // namespace quillet::sim
