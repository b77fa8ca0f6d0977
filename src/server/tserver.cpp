#include "server/tserver.h"

#include "protocol/cards.h"

#include <algorithm>

namespace quillet {

namespace {
constexpr int kFirstSlot = 1;
constexpr int kLastSlot = kSlots;
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
    socktimer.setInterval(dispatchMs_);
    out_.reserve(256);
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

void TServer::sendRaw(int slot, const std::string &bytes)
{
    tplayer &p = state_.players[std::size_t(slot)];
    if (!p.connected || !p.slotsock)
        return;
    // One slot's failure must not cut a broadcast short for the others.
    guard([&] { p.slotsock->Send(bytes); });
}

// Each message is encoded once, and only when a connection will get it.
void TServer::send(int slot, const ToTable &message)
{
    if (!isSlot(slot) || !state_.players[std::size_t(slot)].connected)
        return;
    std::string local;
    std::string &bytes = encoding_ ? local : out_;
    ++encoding_;
    bytes.clear();
    encode(bytes, message);
    sendRaw(slot, bytes);
    --encoding_;
}

void TServer::broadcast(const ToTable &message, int exceptSlot)
{
    std::string local;
    std::string &bytes = encoding_ ? local : out_;
    ++encoding_;
    bytes.clear();
    for (int s = kFirstSlot; s <= state_.slotcount && s <= kLastSlot; ++s) {
        if (s == exceptSlot || !state_.players[std::size_t(s)].connected)
            continue;
        if (bytes.empty())
            encode(bytes, message);
        sendRaw(s, bytes);
    }
    --encoding_;
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
            ns->Send(encoded(toTable::Full{}));
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

    ns->Send(encoded(toTable::SendLoginInfo{slot}));
}

void TServer::Sock1Read(TSock *sender, int)
{
    const int n = sender->Tag;
    const std::string bytes = sender->Receive();
    if (!isSlot(n) || state_.players[std::size_t(n)].slotsock != sender
        || !state_.players[std::size_t(n)].connected)
        return;
    Connection &c = conns_[std::size_t(n)];
    const bool wasIdle = pendingCount() == 0;
    std::deque<std::string> messages;
    const bool withinLimit = c.framer.append(bytes, messages);
    // Unknown and malformed messages go no further than here.
    for (const std::string &m : messages)
        if (auto decoded = decodeToServer(m))
            c.queue.push_back(std::move(*decoded));
    if (!withinLimit || c.queue.size() > kMaxPendingPerConnection) {
        disconnectsock(n);  // drops its queue too
        return;
    }
    armDispatch(wasIdle);
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
    conns_[std::size_t(n)] = Connection{};

    p.connected = false;
    p.loggedin = false;
    p.slotsock = nullptr;
    p.name.clear();
    p.watching = false;

    if (n != 1)
        broadcast(toTable::PlayerDisconnected{n, name}, 0);
    // The computer takes over the seat's pending move (also seat 1's: on a
    // dedicated server the host is an ordinary remote player).
    if (st.gameon && isSeat(n))
        engine_.seatLeft(n);
}

// ---- dispatch ----------------------------------------------------------------

std::size_t TServer::pendingCount() const
{
    std::size_t n = 0;
    for (const Connection &c : conns_)
        n += c.queue.size();
    return n;
}

// A message that finds nothing waiting is handled on the next turn of the
// event loop; while messages wait, the timer keeps the pace of one per tick.
void TServer::armDispatch(bool wasIdle)
{
    if (pendingCount() == 0)
        return;
    if (wasIdle)
        socktimer.start(0);
    else if (!socktimer.isActive())
        socktimer.start(dispatchMs_);
}

// One message per tick, taken from the connections in turn.
void TServer::socktimerTimer()
{
    for (int i = 0; i < kLastSlot; ++i) {
        const int slot = nextTurn_;
        nextTurn_ = nextTurn_ % kLastSlot + 1;
        Connection &c = conns_[std::size_t(slot)];
        if (c.queue.empty())
            continue;
        const ToServer message = std::move(c.queue.front());
        c.queue.pop_front();
        dispatch(slot, message);
        break;
    }
    if (pendingCount() == 0)
        socktimer.stop();
    else if (socktimer.interval() != dispatchMs_)
        socktimer.start(dispatchMs_);
}

bool TServer::mayAct(int from, const ToServer &message)
{
    return std::visit(
        Overloaded{
            [](const toServer::LoginInfo &) { return true; },  // logs in its own slot
            [from](const toServer::StartGame &) { return from == 1; },
            [from](const toServer::Bid &m) { return m.seat == from; },
            [from](const toServer::MyChoose &m) { return m.seat == from; },
            [from](const toServer::PlayCard &m) { return m.seat == from; },
            [from](const toServer::Chat &m) { return m.seat == from; },
            [from](const toServer::Action &m) { return m.seat == from; },
            [from](const toServer::PlayASound &m) { return m.seat == from; },
            // Only the host sets another seat to watch.
            [from](const toServer::JustWatch &m) { return m.seat == from || from == 1; },
            [from](const toServer::KickHim &m) { return from == 1 && m.sender == 1; },
            [from](const toServer::BotSpeed &m) { return from == 1 && m.sender == 1; },
        },
        message);
}

void TServer::dispatch(int from, const ToServer &message)
{
    if (!isSlot(from) || !mayAct(from, message))
        return;
    std::visit(Overloaded{
                   [&](const toServer::LoginInfo &m) { receivedlogininfo(from, m); },
                   [&](const toServer::StartGame &m) { startgame(from, m); },
                   [&](const toServer::Bid &m) { hisbid(from, m); },
                   [&](const toServer::MyChoose &m) { mychoose(from, m); },
                   [&](const toServer::PlayCard &m) { playcard(from, m); },
                   [&](const toServer::Chat &m) { chat(from, m); },
                   [&](const toServer::Action &m) { action(from, m); },
                   [&](const toServer::PlayASound &m) { playasound(from, m); },
                   [&](const toServer::JustWatch &m) { justwatch(from, m); },
                   [&](const toServer::KickHim &m) { kickhim(from, m); },
                   [&](const toServer::BotSpeed &m) { botspeed(from, m); },
               },
               message);
}

} // namespace quillet
