#include "fakehost.h"

#include "protocol/message.h"

#include <algorithm>

namespace quillet::test {

void FakeHost::sendToSlot(int slot, const std::string &message)
{
    std::string text = message;
    if (!text.empty() && text.back() == kTerminator)
        text.pop_back();
    log.push_back({slot, text, now});
    if (onSend)
        onSend(slot, text);
}

void FakeHost::startTimer(EngineTimer timer, int intervalMs)
{
    Timer &t = timers[index(timer)];
    t.armed = true;
    t.interval = intervalMs;
    t.due = now + intervalMs;
}

bool FakeHost::fireNext()
{
    int which = -1;
    for (int i = 0; i < 2; ++i)
        if (timers[i].armed && (which < 0 || timers[i].due < timers[which].due))
            which = i;
    if (which < 0)
        return false;
    timers[which].armed = false;
    now = std::max(now, timers[which].due);
    if (which == 0)
        engine->waitaminuteTimer();
    else
        engine->computertimerTimer();
    return true;
}

void FakeHost::advance(long long ms)
{
    const long long end = now + ms;
    for (;;) {
        int which = -1;
        for (int i = 0; i < 2; ++i)
            if (timers[i].armed && timers[i].due <= end
                && (which < 0 || timers[i].due < timers[which].due))
                which = i;
        if (which < 0)
            break;
        fireNext();
    }
    now = end;
}

QStringList FakeHost::to(int slot) const { return to(slot, 0); }

QStringList FakeHost::to(int slot, std::size_t from) const
{
    QStringList out;
    for (std::size_t i = from; i < log.size(); ++i)
        if (log[i].slot == slot)
            out << QString::fromLatin1(log[i].text.c_str());
    return out;
}

Table::Table() : engine(s, host)
{
    host.engine = &engine;
    engine.seedRandom(1);
    s.botinterval = 750;
}

void Table::join(int slot, const std::string &name)
{
    tplayer &p = s.players[slot];
    p.connected = true;
    p.loggedin = true;
    p.name = name;
    s.slotcount = std::max(s.slotcount, slot);
}

void Table::hand(int n, std::vector<int> cards)
{
    s.players[n].cards.fill(0);
    for (std::size_t i = 0; i < cards.size() && i < 13; ++i)
        s.players[n].cards[i + 1] = cards[i];
}

bool Table::runGame(int maxFires)
{
    for (int i = 0; i < maxFires && s.gameon; ++i)
        if (!host.fireNext())
            return false;
    return !s.gameon;
}

} // namespace quillet::test
