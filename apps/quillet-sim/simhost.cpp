#include "simhost.h"

#include "protocol/message.h"

#include <charconv>
#include <string>

namespace quillet::sim {

namespace {

constexpr std::string_view kScore = "CMD_score+";
constexpr std::string_view kWinner = "CMD_winner+";

int readInt(std::string_view text)
{
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

SimHost::SimHost() : engine_(state_, *this)
{
    state_.botinterval = 750;
    state_.slotcount = kWatcherSlot;
    state_.players[kWatcherSlot].connected = true;
    state_.players[kWatcherSlot].loggedin = true;
    state_.players[kWatcherSlot].name = "Sim";
}

void SimHost::sendToSlot(int, const std::string &message)
{
    std::string_view m(message);
    if (!m.empty() && m.back() == kTerminator)
        m.remove_suffix(1);
    if (m.starts_with(kScore)) {
        // seat, total, round score for each seat; a bid is made when the
        // round scores anything.
        FieldReader r(m.substr(kScore.size()));
        for (int i = 0; i < 4; ++i) {
            const int seat = readInt(r.next());
            r.next();
            const int roundScore = readInt(r.next());
            if (seat >= 1 && seat <= 4) {
                ++tally_.bids[seat];
                if (roundScore > 0)
                    ++tally_.made[seat];
            }
        }
    } else if (m.starts_with(kWinner)) {
        tally_.winningScore = readInt(m.substr(m.rfind('+') + 1));
    }
}

void SimHost::startTimer(EngineTimer timer, int intervalMs)
{
    Timer &t = timers_[index(timer)];
    t.armed = true;
    t.due = now_ + intervalMs;
}

GameTally SimHost::play(char type)
{
    tally_ = {};
    const long long start = now_;
    const char fields[] = {'S', 'i', 'm', '+', type, '+', '\0'};
    engine_.startgame(fields);
    while (state_.gameon) {
        int which = -1;
        for (int i = 0; i < 2; ++i)
            if (timers_[i].armed && (which < 0 || timers_[i].due < timers_[which].due))
                which = i;
        if (which < 0) {
            ++stalls_;  // nothing left to wait for: a real server would hang here
            break;
        }
        timers_[which].armed = false;
        now_ = std::max(now_, timers_[which].due);
        if (which == 0)
            engine_.waitaminuteTimer();
        else
            engine_.computertimerTimer();
    }
    tally_.virtualMs = now_ - start;
    return tally_;
}

} // namespace quillet::sim
