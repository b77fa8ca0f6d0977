#include "fakehost.h"

#include "protocol/cards.h"
#include "protocol/message.h"

#include <algorithm>

namespace quillet::test {

void FakeHost::record(int slot, const ToTable &message)
{
    std::string text = encoded(message);
    text.pop_back();  // the terminator
    log.push_back({slot, message, std::move(text), now});
    if (onSend)
        onSend(slot, log.back());
}

void FakeHost::send(int slot, const ToTable &message)
{
    if (slot >= 1 && slot <= kSlots && state_.players[std::size_t(slot)].connected)
        record(slot, message);
}

void FakeHost::broadcast(const ToTable &message, int exceptSlot)
{
    for (int slot = 1; slot <= std::min(state_.slotcount, kSlots); ++slot)
        if (slot != exceptSlot && state_.players[std::size_t(slot)].connected)
            record(slot, message);
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

Table::Table() : host(s), engine(s, host)
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

bool Table::move(std::string_view entry)
{
    const auto m = decodeToServer(entry);
    if (!m)
        return false;
    if (const auto *x = std::get_if<toServer::StartGame>(&*m))
        engine.startgame(x->name, x->type);
    else if (const auto *x = std::get_if<toServer::Bid>(&*m))
        engine.hisbid(x->seat, x->bid);
    else if (const auto *x = std::get_if<toServer::MyChoose>(&*m))
        engine.mychoose(x->seat, x->card);
    else if (const auto *x = std::get_if<toServer::PlayCard>(&*m))
        engine.playcard(x->seat, x->slot);
    else
        return false;
    return true;
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
