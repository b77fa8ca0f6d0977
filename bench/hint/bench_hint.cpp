// bench_hint: seat 1 played by following the hints of a table, as a person
// who always takes the hint would. Its table model is fed exactly what seat
// 1's connection is sent, and every move it makes is the hint's, so the
// figures measure the hints themselves (the Expert on the table's View).
//   bench_hint [--type h|f|m] [--games N] [--seed S]
#include "client/tablehint.h"
#include "client/tablemodel.h"
#include "server/enginehost.h"
#include "server/gameengine.h"
#include "simstats.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace quillet;

namespace {

class HintHost final : public EngineHost {
public:
    HintHost() : engine_(state_, *this)
    {
        state_.botinterval = 750;
        state_.slotcount = 1;
        tplayer &me = state_.players[1];
        me.connected = me.loggedin = true;
        me.name = "You";
        model_.setMyName("You");
        model_.setHosting(true);
        model_.apply(toTable::SendLoginInfo{1});
    }

    void send(int slot, const ToTable &m) override
    {
        if (slot == 1)
            see(m);
    }
    void broadcast(const ToTable &m, int exceptSlot) override
    {
        if (exceptSlot != 1)
            see(m);
    }
    void hostNotice(std::string_view) override { ++notices_; }
    void startTimer(EngineTimer t, int ms) override { timers_[t == EngineTimer::waitaminute] = {true, now_ + ms}; }
    void stopTimer(EngineTimer t) override { timers_[t == EngineTimer::waitaminute].armed = false; }

    // One whole game; the hint follower moves whenever the game waits for it.
    bool play(GameType type, std::uint64_t seed)
    {
        engine_.seedRandom(seed);
        expert_.reseed(seed ^ 0x41ull);
        bids_ = made_ = {};
        engine_.startgame("You", type);
        for (int guard = 0; guard < 100000 && state_.gameon; ++guard) {
            if (moveIfAsked())
                continue;
            Timer &pause = timers_[1], &computer = timers_[0];
            const bool pauseNext = pause.armed && (!computer.armed || pause.due <= computer.due);
            Timer &t = pauseNext ? pause : computer;
            if (!t.armed)
                return false;
            t.armed = false;
            now_ = std::max(now_, t.due);
            pauseNext ? engine_.waitaminuteTimer() : engine_.computertimerTimer();
        }
        return !state_.gameon;
    }

    GameEngine &engine() { return engine_; }
    const ServerState &state() const { return state_; }
    std::array<long long, 5> bids_{}, made_{};
    int winning_ = 0;
    long long notices_ = 0;

private:
    struct Timer {
        bool armed = false;
        long long due = 0;
    };

    void see(const ToTable &m)
    {
        model_.apply(m);
        if (const auto *score = std::get_if<toTable::Score>(&m))
            for (const auto &e : score->entries)
                if (isSeat(e.seat)) {
                    ++bids_[std::size_t(e.seat)];
                    made_[std::size_t(e.seat)] += e.round > 0;
                }
        if (const auto *w = std::get_if<toTable::Winner>(&m))
            winning_ = w->score;
    }

    bool moveIfAsked()
    {
        using Move = GameEngine::Move;
        if (!engine_.awaited(Move::bid, 1) && !engine_.awaited(Move::choose, 1) && !engine_.playAwaited(1))
            return false;
        const Hint h = tableHint(model_, expert_);
        switch (h.kind) {
        case Hint::Kind::bid: engine_.hisbid(1, h.value); break;
        case Hint::Kind::trump: engine_.mychoose(1, h.value); break;
        case Hint::Kind::card:
            model_.cardSent(h.value);
            engine_.playcard(1, h.value);
            break;
        case Hint::Kind::none: return false;
        }
        return true;
    }

    ServerState state_;
    GameEngine engine_;
    TableModel model_;
    ai::Expert expert_;
    std::array<Timer, 2> timers_{};
    long long now_ = 0;
};

} // namespace

int main(int argc, char **argv)
{
    char type = 'f';
    long long games = 200;
    unsigned long long seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--type") && std::strchr("hfm", argv[i + 1][0]))
            type = argv[i + 1][0];
        else if (!std::strcmp(argv[i], "--games"))
            games = std::max(1LL, std::atoll(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--seed"))
            seed = std::strtoull(argv[i + 1], nullptr, 10);
        else {
            std::fprintf(stderr, "usage: bench_hint [--type h|f|m] [--games N] [--seed S]\n");
            return 2;
        }
    }
    HintHost host;
    sim::Stats stats;
    long long stalled = 0;
    for (long long g = 0; g < games; ++g) {
        if (!host.play(GameType(type), sim::gameSeed(seed, std::uint64_t(g))))
            ++stalled;
        std::array<int, 5> scores{};
        for (int s = 1; s <= 4; ++s)
            scores[std::size_t(s)] = host.state().players[std::size_t(s)].score;
        stats.game(scores, host.bids_, host.made_, host.winning_);
    }
    std::printf("bench_hint: %lld %c games, seed %llu, seat 1 follows the hints\n%s", games, type, seed,
                stats.report().c_str());
    if (stalled || host.notices_)
        std::printf("stalled games: %lld, host notices: %lld\n", stalled, host.notices_);
    return stalled || host.notices_ ? 1 : 0;
}
