#include "server/tserver.h"

#include "protocol/commands.h"
#include "protocol/strictfields.h"

#include <algorithm>

namespace quillet {

namespace {
constexpr int kFirstSlot = 1;
constexpr int kLastSlot = 9;
constexpr int kLastSeat = 4;
constexpr int kSocktimerMs = 10;
constexpr int kMaxBotSpeedMs = 60000;

bool isSlot(int n) { return n >= kFirstSlot && n <= kLastSlot; }
bool isSeat(int n) { return n >= kFirstSlot && n <= kLastSeat; }
} // namespace

TServer::TServer(QObject *parent)
    : QObject(parent), engine_(state_, *this)
{
    errorSink_ = [this](const std::string &text) { hostNotice(text); };
    isLoopback_ = [](const std::string &peer) { return peer.rfind("127.", 0) == 0; };

    Sock1 = new TSock(this);
    Sock1->setObjectName("Sock1");
    Sock1->OnAccept = [this](TSock *s) { guard([&] { Sock1Accept(s); }); };

    // The dispatch timer runs only while messages wait: an idle server never wakes.
    socktimer.setInterval(kSocktimerMs);
    connect(&socktimer, &QTimer::timeout, this, [this] { guard([this] { socktimerTimer(); }); });
    waitaminute.setSingleShot(true);
    connect(&waitaminute, &QTimer::timeout, this,
            [this] { guard([this] { engine_.waitaminuteTimer(); }); });
    computertimer.setSingleShot(true);
    connect(&computertimer, &QTimer::timeout, this,
            [this] { guard([this] { engine_.computertimerTimer(); }); });
}

TServer::~TServer()
{
    // The sockets die with Sock1; none may call back into a half-destroyed server.
    for (int s = kFirstSlot; s <= kLastSlot; ++s) {
        if (TSock *sock = state_.players[s].slotsock) {
            sock->OnRead = nullptr;
            sock->OnDisconnect = nullptr;
            sock->OnInfo = nullptr;
        }
    }
    Sock1->OnAccept = nullptr;
}

void TServer::setLoopbackPredicate(std::function<bool(const std::string &)> isLoopback)
{
    isLoopback_ = std::move(isLoopback);
}

// ---- hosting ---------------------------------------------------------------

void TServer::startListening(int port, bool loopbackOnly)
{
    if (Sock1->Listen())
        Sock1->setListen(false);
    else if (Sock1->HasHandle())
        Sock1->Close();  // left over from a failed bind
    Sock1->setPortName(std::to_string(port));
    Sock1->setBindAddress(loopbackOnly ? "127.0.0.1" : "");
    try {
        Sock1->setListen(true);
    } catch (...) {
        Sock1->Close();  // a later attempt must not find the socket "in use"
        throw;
    }
}

void TServer::stopListening()
{
    if (Sock1->Listen())
        Sock1->setListen(false);
    else if (Sock1->HasHandle())
        Sock1->Close();
}

void TServer::stop()
{
    stopListening();
    for (int s = kFirstSlot; s <= kLastSlot; ++s) {
        tplayer &p = state_.players[s];
        if (TSock *sock = p.slotsock) {
            sock->OnRead = nullptr;
            sock->OnDisconnect = nullptr;
            sock->OnInfo = nullptr;
            sock->Close();
            sock->deleteLater();
        }
        conns_[s] = Connection{};
    }
    pending_.clear();
    socktimer.stop();
    waitaminute.stop();
    computertimer.stop();
    state_ = ServerState{};
}

bool TServer::slotIsLoopbackOnly(const std::string &peer) const
{
    return loopbackHost_ && !(isLoopback_ && isLoopback_(peer));
}

// ---- EngineHost -------------------------------------------------------------

void TServer::sendToSlot(int slot, const std::string &message)
{
    if (!isSlot(slot))
        return;
    tplayer &p = state_.players[slot];
    if (!p.connected || !p.slotsock)
        return;
    // One slot's failure must not cut a broadcast short for the others.
    guard([&] { p.slotsock->Send(message); });
}

void TServer::hostNotice(std::string_view text)
{
    const std::string s(text);
    try {
        if (notice_) {
            notice_(s);
            return;
        }
    } catch (...) {
    }
    reportUncaught(s);
}

void TServer::startTimer(EngineTimer timer, int intervalMs)
{
    QTimer &t = timer == EngineTimer::waitaminute ? waitaminute : computertimer;
    t.stop();
    t.setInterval(std::max(0, intervalMs));
    t.start();
}

void TServer::stopTimer(EngineTimer timer)
{
    (timer == EngineTimer::waitaminute ? waitaminute : computertimer).stop();
}

void TServer::broadcast(const std::string &message)
{
    for (int s = kFirstSlot; s <= state_.slotcount && s <= kLastSlot; ++s)
        sendToSlot(s, message);
}

// ---- connections -------------------------------------------------------------

void TServer::Sock1Accept(TSock *)
{
    // Accept first, into a variable of our own: a failed accept leaves every
    // slot as it was, and the peer's address decides whether slot 1 is open.
    TSock *ns = nullptr;
    if (!Sock1->Accept(ns) || !ns)
        return;

    ServerState &st = state_;
    const int lowest = slotIsLoopbackOnly(ns->HostName()) ? 2 : 1;
    int slot = 0;
    for (int s = lowest; s <= st.slotcount; ++s) {
        if (!st.players[s].connected) {
            slot = s;
            break;
        }
    }
    if (slot == 0) {
        if (st.slotcount >= kLastSlot) {
            // The tenth connection: told and dropped, nothing else changes.
            ns->Send(makeMessage(cmd::full, trailing));
            ns->Close();
            ns->deleteLater();
            return;
        }
        st.slotcount = std::max(st.slotcount + 1, lowest);
        slot = st.slotcount;
    }

    tplayer &p = st.players[slot];
    p.slotsock = ns;
    p.connected = true;
    p.loggedin = false;  // a seat is human from its login, not its accept
    ns->Tag = slot;
    ns->OnWrite = nullptr;
    ns->OnRead = [this](TSock *s, int count) { guard([&] { Sock1Read(s, count); }); };
    ns->OnDisconnect = [this](TSock *s) { guard([&] { tempsockDisconnect(s); }); };
    ns->OnInfo = [this](TSock *s, TSocketInfo i, const std::string &m) {
        guard([&] { tempsockInfo(s, i, m); });
    };
    Connection &c = conns_[slot];
    c = Connection{};
    c.serial = ++nextSerial_;

    ns->Send(makeMessage(cmd::sendlogininfo, slot));
}

void TServer::Sock1Read(TSock *sender, int)
{
    const int n = sender->Tag;
    const std::string bytes = sender->Receive();
    if (!isSlot(n) || state_.players[n].slotsock != sender || !state_.players[n].connected)
        return;
    Connection &c = conns_[n];
    std::deque<std::string> messages;
    const bool withinLimit = c.framer.append(bytes, messages);
    for (std::string &m : messages) {
        pending_.push_back(Pending{c.serial, n, std::move(m)});
        ++c.pending;
    }
    if (!withinLimit || c.pending > kMaxPendingPerConnection) {
        disconnectsock(n);  // purges its pending messages too
    }
    if (!pending_.empty() && !socktimer.isActive())
        socktimer.start();
}

void TServer::tempsockDisconnect(TSock *sender)
{
    const int n = sender->Tag;
    if (isSlot(n) && state_.players[n].connected && state_.players[n].slotsock == sender)
        sender->Close();
}

void TServer::disconnectsock(int slot)
{
    if (!isSlot(slot))
        return;
    tplayer &p = state_.players[slot];
    if (p.connected && p.slotsock)
        p.slotsock->Close();
}

void TServer::tempsockInfo(TSock *sender, TSocketInfo, const std::string &msg)
{
    if (msg != "Socket Closed")
        return;
    const int n = sender->Tag;
    // Only the first report of the slot's current connection counts.
    if (!isSlot(n) || !state_.players[n].connected || state_.players[n].slotsock != sender)
        return;
    // The socket calls nothing of ours any more, and is freed after its event.
    sender->OnRead = nullptr;
    sender->OnDisconnect = nullptr;
    sender->OnInfo = nullptr;
    sender->deleteLater();
    connectionClosed(n);
}

void TServer::connectionClosed(int n)
{
    ServerState &st = state_;
    tplayer &p = st.players[n];
    const std::string name = p.name;

    // Its queued messages must not act after the close.
    const std::uint64_t serial = conns_[n].serial;
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [serial](const Pending &e) { return e.serial == serial; }),
                   pending_.end());
    if (pending_.empty())
        socktimer.stop();
    conns_[n] = Connection{};

    p.connected = false;
    p.loggedin = false;
    p.slotsock = nullptr;
    p.name.clear();
    p.watching = false;

    if (n != 1)
        broadcast(makeMessage(cmd::playerdisconnected, n, name));
    // The computer takes over the seat's pending move (also seat 1's: on a
    // dedicated server the host is an ordinary remote player).
    if (st.gameon && isSeat(n))
        engine_.seatLeft(n);
}

// ---- dispatch ----------------------------------------------------------------

void TServer::socktimerTimer()
{
    while (!pending_.empty()) {
        Pending e = std::move(pending_.front());
        pending_.pop_front();
        if (!isSlot(e.slot) || conns_[e.slot].serial != e.serial)
            continue;  // its connection has closed
        --conns_[e.slot].pending;
        dispatch(e.slot, e.text);
        break;  // one message per tick
    }
    if (pending_.empty())
        socktimer.stop();
}

void TServer::dispatch(int from, std::string_view entry)
{
    std::string_view command, fields;
    if (!splitCommand(entry, command, fields))
        return;
    if (command == cmd::logininfo)
        receivedlogininfo(from, fields);
    else if (command == cmd::kickhim)
        kickhim(from, fields);
    else if (command == cmd::botspeed)
        botspeed(from, fields);
    else if (command == cmd::chat)
        chat(from, fields);
    else if (command == cmd::action)
        action(from, fields);
    else if (command == cmd::startgame)
        startgame(from, fields);
    else if (command == cmd::playcard)
        playcard(from, fields);
    else if (command == cmd::bid)
        hisbid(from, fields);
    else if (command == cmd::justwatch)
        justwatch(from, fields);
    else if (command == cmd::playasound)
        playasound(from, fields);
    else if (command == cmd::mychoose)
        mychoose(from, fields);
}

// ---- login and relays ----------------------------------------------------

void TServer::receivedlogininfo(int from, std::string_view fields)
{
    FieldReader r(fields);
    int claimed = 0;
    std::string_view version;
    if (!nextNumber(r, claimed) || !nextField(r, version))
        return;
    // The connection's own slot, whatever slot the message names.
    const int n = from;
    ServerState &st = state_;
    tplayer &p = st.players[n];
    p.name = sanitizeName(r.rest());
    p.connected = true;
    p.loggedin = true;

    broadcast(makeMessage(cmd::newplayerinfo, n, p.name));
    for (int k = kFirstSlot; k <= st.slotcount && k <= kLastSlot; ++k) {
        if (k != n && st.players[k].connected)
            sendToSlot(n, makeMessage(cmd::existingplayers, k, st.players[k].name));
    }
    if (version != kVersion) {
        if (st.players[1].connected)
            sendToSlot(1, makeMessage(cmd::havewrongversion, p.name));
        sendToSlot(n, makeMessage(cmd::wrongversion, trailing));
    }
    if (st.gameon)
        engine_.lateLogin(n);
}

void TServer::chat(int from, std::string_view fields)
{
    FieldReader r(fields);
    int seat = 0;
    if (!nextNumber(r, seat) || seat != from)
        return;
    std::string line = state_.players[seat].name;
    line += " chats: ";
    line += r.rest();
    broadcast(makeMessage(cmd::chat, seat, line));
}

void TServer::action(int from, std::string_view fields)
{
    FieldReader r(fields);
    int seat = 0;
    if (!nextNumber(r, seat) || seat != from)
        return;
    std::string line = state_.players[seat].name;
    line += ' ';
    line += r.rest();
    broadcast(makeMessage(cmd::action, seat, line));
}

void TServer::playasound(int from, std::string_view fields)
{
    FieldReader r(fields);
    int seat = 0;
    if (!nextNumber(r, seat) || seat != from)
        return;
    broadcast(makeMessage(cmd::playasound, seat, r.rest()));
}

void TServer::justwatch(int from, std::string_view fields)
{
    FieldReader r(fields);
    int n = 0;
    if (!nextNumber(r, n) || !isSlot(n))
        return;
    if (n != from && from != 1)
        return;  // only the host sets another seat to watch
    const std::string_view what = r.rest();
    tplayer &p = state_.players[n];
    if (what == "2") {
        p.watching = false;
        broadcast(makeMessage(cmd::justwatching, n, "2"));
    } else if (what == "1") {
        p.watching = true;
        broadcast(makeMessage(cmd::justwatching, n, "1"));
        if (state_.gameon && isSeat(n))
            engine_.watchStarted(n);
    }
}

void TServer::kickhim(int from, std::string_view fields)
{
    FieldReader r(fields);
    int sender = 0, victim = 0;
    if (!nextNumber(r, sender) || !nextNumber(r, victim))
        return;
    if (from != 1 || sender != 1 || !isSlot(victim))
        return;
    disconnectsock(victim);
}

void TServer::botspeed(int from, std::string_view fields)
{
    FieldReader r(fields);
    int sender = 0, delay = 0;
    if (!nextNumber(r, sender) || !nextNumber(r, delay))
        return;  // without the trailing '+' the delay reads as empty: no effect
    if (from != 1 || sender != 1 || delay < 0 || delay > kMaxBotSpeedMs)
        return;
    state_.botinterval = delay;
}

// ---- game moves: checked here, played by the engine ------------------------

void TServer::startgame(int from, std::string_view fields)
{
    if (from != 1)
        return;
    engine_.startgame(fields);
}

void TServer::hisbid(int from, std::string_view fields)
{
    FieldReader r(fields);
    int seat = 0, bid = 0;
    if (!nextNumber(r, seat) || seat != from || !isSeat(seat) || !parseNumber(r.rest(), bid))
        return;
    engine_.hisbid(fields);
}

void TServer::mychoose(int from, std::string_view fields)
{
    FieldReader r(fields);
    int seat = 0, card = 0;
    if (!nextNumber(r, seat) || seat != from || !isSeat(seat) || !nextNumber(r, card))
        return;
    engine_.mychoose(fields);
}

void TServer::playcard(int from, std::string_view fields)
{
    FieldReader r(fields);
    int seat = 0, handslot = 0;
    if (!nextNumber(r, seat) || seat != from || !isSeat(seat) || !parseNumber(r.rest(), handslot))
        return;
    engine_.playcard(fields);
}

} // namespace quillet
