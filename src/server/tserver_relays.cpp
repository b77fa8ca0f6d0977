// The server's logins, relays and the moves it hands to the engine; the
// connections and dispatch are in tserver.cpp.
#include "server/tserver.h"

#include "protocol/cards.h"

namespace quillet {

// ---- login and relays ----------------------------------------------------

// A player whose connection closed comes back under the same name: he gets
// his own seat again, as long as nobody has taken it, even when a lower slot
// is free. His connection was given the lowest free slot as usual; it is told
// its seat in a second SendLoginInfo, the first slot is let go without a
// word, and the login the table sends for the seat completes as a late login.
int TServer::formerSeatOf(int from, const std::string &name) const
{
    if (name.empty())
        return 0;
    const TSock *sock = state_.players[std::size_t(from)].slotsock;
    for (int seat = 1; seat <= kSeats; ++seat) {
        const tplayer &p = state_.players[std::size_t(seat)];
        if (seat == from || p.connected || p.lastname != name)
            continue;
        if (seat == 1 && (!sock || slotIsLoopbackOnly(sock->HostName())))
            continue;  // the host's seat is for the host's own table
        return seat;
    }
    return 0;
}

void TServer::moveConnection(int from, int seat)
{
    tplayer &src = state_.players[std::size_t(from)];
    tplayer &dst = state_.players[std::size_t(seat)];
    dst.slotsock = src.slotsock;
    dst.connected = true;
    dst.loggedin = false;
    dst.name.clear();
    dst.watching = false;
    src.slotsock = nullptr;
    src.connected = false;
    src.loggedin = false;
    src.name.clear();
    src.watching = false;
    conns_[std::size_t(seat)] = std::move(conns_[std::size_t(from)]);
    conns_[std::size_t(from)] = Connection{};
    dst.slotsock->Tag = seat;
}

void TServer::receivedlogininfo(int from, const toServer::LoginInfo &m)
{
    // The connection's own slot, whatever slot the message names.
    const int n = from;
    ServerState &st = state_;
    tplayer &p = st.players[std::size_t(n)];
    const std::string name = sanitizeName(m.name);
    if (const int seat = formerSeatOf(n, name)) {
        moveConnection(n, seat);
        send(seat, toTable::SendLoginInfo{seat});
        return;
    }
    p.name = name;
    p.connected = true;
    p.loggedin = true;
    if (isSeat(n))
        p.lastname = name;

    broadcast(toTable::NewPlayerInfo{n, p.name}, 0);
    for (int k = 1; k <= st.slotcount && k <= kSlots; ++k) {
        if (k != n && st.players[std::size_t(k)].connected)
            send(n, toTable::ExistingPlayers{k, st.players[std::size_t(k)].name});
    }
    if (m.version != kVersion) {
        send(1, toTable::HaveWrongVersion{p.name});
        send(n, toTable::WrongVersion{});
    }
    if (st.gameon)
        engine_.lateLogin(n);
}

void TServer::chat(int from, const toServer::Chat &m)
{
    broadcast(toTable::Chat{toTable::Chat::Kind::chat, from,
                            state_.players[std::size_t(from)].name + " chats: " + m.text},
              0);
}

void TServer::action(int from, const toServer::Action &m)
{
    broadcast(toTable::Chat{toTable::Chat::Kind::action, from,
                            state_.players[std::size_t(from)].name + ' ' + m.text},
              0);
}

void TServer::playasound(int from, const toServer::PlayASound &m)
{
    broadcast(toTable::PlayASound{from, m.text}, 0);
}

void TServer::justwatch(int, const toServer::JustWatch &m)
{
    tplayer &p = state_.players[std::size_t(m.seat)];
    p.watching = m.watch;
    broadcast(toTable::JustWatching{m.seat, m.watch}, 0);
    if (m.watch && state_.gameon && isSeat(m.seat))
        engine_.watchStarted(m.seat);
}

// The removed player's own table is told first, so that it closes rather than
// taking the closed connection for a network fault and trying again.
void TServer::kickhim(int, const toServer::KickHim &m)
{
    const tplayer &p = state_.players[std::size_t(m.victim)];
    if (!p.connected)
        return;
    send(m.victim, toTable::PlayerDisconnected{m.victim, p.name});
    disconnectsock(m.victim);
}

void TServer::botspeed(int, const toServer::BotSpeed &m) { state_.botinterval = m.delay; }

// ---- game moves: checked here, played by the engine ------------------------

void TServer::startgame(int, const toServer::StartGame &m) { engine_.startgame(m.name, m.type); }

void TServer::hisbid(int, const toServer::Bid &m) { engine_.hisbid(m.seat, m.bid); }

void TServer::mychoose(int, const toServer::MyChoose &m) { engine_.mychoose(m.seat, m.card); }

void TServer::playcard(int, const toServer::PlayCard &m) { engine_.playcard(m.seat, m.slot); }

} // namespace quillet
