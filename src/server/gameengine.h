// The game: deal, bidding, trump, tricks, scoring, game end, and the
// computer's moves, over the shared ServerState. Moves arrive as typed calls,
// from people (through TServer, after it has checked the sender) and from the
// computer players alike; what the engine says goes out as typed messages
// through EngineHost.
#pragma once

#include "protocol/messages.h"
#include "server/enginehost.h"
#include "server/serverstate.h"

#include <cstdint>
#include <random>
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

    // Which move, if any, the game waits for from seat n now.
    enum class Move { bid, choose, play };
    bool awaited(Move move, int n) const;
    bool playAwaited(int n) const { return awaited(Move::play, n); }

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
        ~Entry();
        Entry(const Entry &) = delete;
        Entry &operator=(const Entry &) = delete;

    private:
        GameEngine &e_;
    };
    bool deferHook(Hook hook, int slot);
    void runHook(Hook hook, int slot);

    void broadcast(const ToTable &message) { host_.broadcast(message, 0); }
    void sendTo(int slot, const ToTable &message);
    void deal();
    void askBid();
    void allBidsIn();
    void startPlay();
    void takeover(int seat, TakeoverOrder order);

    int botDelay() const;
    void armWaitaminute(int tag, int ms);
    void stopWaitaminute();
    void armComputertimer(int tag, int seat);
    void stopComputertimer();

    ServerState &s_;
    EngineHost &host_;
    Timings timings_;
    std::mt19937_64 rng_;
    int waitaminuteTag_ = 0;
    int computertimerTag_ = 0;
    bool waitaminutePending_ = false;
    bool computertimerPending_ = false;
    int computertimerSeat_ = 0;  // the seat whose move computertimer waits for
    int depth_ = 0;
    std::vector<std::pair<Hook, int>> deferred_;
};

} // namespace quillet
