// The game: deal, bidding, trump, tricks, scoring, game end, and the
// computer's moves, over the shared ServerState. Moves arrive as typed calls,
// from people (through TServer, after it has checked the sender) and from the
// computer players alike; what the engine says goes out as typed messages
// through EngineHost.
#pragma once

#include "ai/expert.h"
#include "protocol/messages.h"
#include "server/dealrandom.h"
#include "server/enginehost.h"
#include "server/serverstate.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace quillet {

class GameEngine {
public:
    GameEngine(ServerState &state, EngineHost &host, Timings timings = {});

    // The generator is seeded once from the clock at construction; tests and
    // the simulator inject a seed instead.
    void seedRandom(std::uint64_t seed);
    const Timings &timings() const { return timings_; }
    void setTimings(const Timings &t) { timings_ = t; }

    // Who plays the computer seats, from their next decision on: every seat,
    // or one seat (the simulator mixes levels).
    void setComputerLevel(ComputerLevel level) { levels_.fill(level); }
    void setComputerLevel(int seat, ComputerLevel level)
    {
        if (isSeat(seat))
            levels_[std::size_t(seat)] = level;
    }
    ComputerLevel computerLevel(int seat = 1) const
    {
        return isSeat(seat) ? levels_[std::size_t(seat)] : ComputerLevel::classic;
    }
    // Told the CPU time of every Expert decision (the simulator's report).
    using ExpertMeter = std::function<void(int seat, double cpuMs)>;
    void setExpertMeter(ExpertMeter meter) { expertMeter_ = std::move(meter); }
    ai::Expert &expert() { return expert_; }

    // Moves. A move that is not awaited from that seat does nothing.
    void startgame(std::string_view starter, GameType type);
    void hisbid(int seat, int bid);
    void mychoose(int seat, int card);   // 13, 26, 39, 52 or 53
    void playcard(int seat, int slot);   // hand slot 1..13

    // Timer expiries.
    void waitaminuteTimer();
    void computertimerTimer();

    // Hooks of the connection layer.
    void lateLogin(int slot);     // login while a game runs: hand, seat states, stats
    void seatLeft(int slot);      // a seat's connection closed
    void watchStarted(int seat);  // a seat's player started just watching

    // Which move, if any, the game waits for from seat n now. Nothing is
    // playable between tricks, between rounds or after the game.
    enum class Move { bid, choose, play };
    bool awaited(Move move, int n) const
    {
        if (!s_.gameon || !isSeat(n))
            return false;
        switch (move) {
        case Move::bid: return n == s_.bidder;
        case Move::choose: return n == s_.chooser && s_.bidder == 0;
        case Move::play:
            return n == s_.turn && s_.bidder == 0 && s_.chooser == 0 && !waitaminutePending_;
        }
        return false;
    }
    // Seat n must play a card now and holds one.
    bool playAwaited(int n) const;

    // Engine steps (public for tests).
    void startround();
    bool checkforsuit(int n) const;
    void findplayer();
    void finishtrick();
    int thewinner() const;
    void tallyscore();
    void endgame();

    // Computer players.
    void cbid(int n);
    void ctrump(int n);
    void cplay(int n);

    int waitaminuteTag() const { return waitaminuteTag_; }
    int computertimerTag() const { return computertimerTag_; }
    bool waitaminutePending() const { return waitaminutePending_; }
    bool computertimerPending() const { return computertimerPending_; }

private:
    enum class Hook { lateLogin, seatLeft, watchStarted };
    enum class TakeoverOrder { bidderFirst, turnFirst };

    // Counts nested entries; hooks that arrive from inside a step (a send
    // that closes a connection) wait until the outermost step has finished.
    class Entry {
    public:
        explicit Entry(GameEngine &e) : e_(e) { ++e_.depth_; }
        ~Entry()
        {
            if (--e_.depth_ == 0 && e_.hasDeferred_)
                e_.runDeferred();
        }
        Entry(const Entry &) = delete;
        Entry &operator=(const Entry &) = delete;

    private:
        GameEngine &e_;
    };
    bool deferHook(Hook hook, int slot);
    void runDeferred();
    void runHook(Hook hook, int slot);

    // Every kind of message the engine says has one object of its own,
    // filled in place and handed to the host: nothing is built or torn down
    // per message. (No step says a message while it says one of the same
    // kind: hooks from inside a step wait until the step is over.)
    template <class T>
    const ToTable &outgoing(T &&message)
    {
        constexpr std::size_t i = alternativeIndex<std::decay_t<T>, ToTable>();
        ToTable &slot = outbox_[i];
        *std::get_if<i>(&slot) = std::forward<T>(message);
        return slot;
    }
    template <class T>
        requires(!std::is_same_v<std::decay_t<T>, ToTable>)
    void broadcast(T &&message)
    {
        host_.broadcast(outgoing(std::forward<T>(message)), 0);
    }
    template <class T>
        requires(!std::is_same_v<std::decay_t<T>, ToTable>)
    void sendTo(int slot, T &&message)
    {
        if (isSlot(slot) && s_.players[std::size_t(slot)].connected)
            host_.send(slot, outgoing(std::forward<T>(message)));
    }
    void sendTo(int slot, const ToTable &message)
    {
        if (isSlot(slot) && s_.players[std::size_t(slot)].connected)
            host_.send(slot, message);
    }
    bool expertSeat(int n) const { return isSeat(n) && levels_[std::size_t(n)] == ComputerLevel::expert; }
    // An Expert's decision for seat n, from the seat's public view.
    [[gnu::noinline, gnu::cold]] int expertChoice(int n, Move move);
    [[gnu::noinline, gnu::cold]] void expertPlay(int n);
    [[gnu::always_inline]] inline void playNow(int n, int k);
    void deal();
    void askBid();
    void allBidsIn();
    void startPlay();
    void takeover(int seat, TakeoverOrder order);

    int botDelay() const
    {
        return std::max(timings_.botDelayMs >= 0 ? timings_.botDelayMs : s_.botinterval, 0);
    }
    void armWaitaminute(int tag, int ms)
    {
        waitaminuteTag_ = tag;
        waitaminutePending_ = true;
        host_.startTimer(EngineTimer::waitaminute, std::max(ms, 0));
    }
    void stopWaitaminute()
    {
        if (!waitaminutePending_)
            return;
        waitaminutePending_ = false;
        host_.stopTimer(EngineTimer::waitaminute);
    }
    // Tag 1 waits botinterval before a card, tag 2 five times that before a
    // trump choice. A zero delay still goes through the timer, so the move
    // comes on the next turn of the event loop.
    void armComputertimer(int tag, int seat)
    {
        int ms = botDelay();
        if (tag == 2)
            ms = ms > INT_MAX / 5 ? INT_MAX : 5 * ms;
        computertimerTag_ = tag;
        computertimerSeat_ = seat;
        computertimerPending_ = true;
        host_.startTimer(EngineTimer::computertimer, ms);
    }
    void stopComputertimer()
    {
        if (!computertimerPending_)
            return;
        computertimerPending_ = false;
        computertimerSeat_ = 0;
        host_.stopTimer(EngineTimer::computertimer);
    }

    ServerState &s_;
    EngineHost &host_;
    Timings timings_;
    DealRandom rng_;
    ai::Expert expert_;
    std::array<ComputerLevel, 5> levels_{};
    ExpertMeter expertMeter_;
    int waitaminuteTag_ = 0;
    int computertimerTag_ = 0;
    bool waitaminutePending_ = false;
    bool computertimerPending_ = false;
    int computertimerSeat_ = 0;  // the seat whose move computertimer waits for
    int depth_ = 0;
    bool hasDeferred_ = false;
    std::vector<std::pair<Hook, int>> deferred_;
    std::array<ToTable, std::variant_size_v<ToTable>> outbox_;
};

} // namespace quillet
