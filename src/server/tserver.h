// TServer: the host's listening socket, the connection slots, logins, the
// relays and the dispatcher of the eleven client commands. The game itself is
// GameEngine's; TServer is its EngineHost (sockets and QTimers).
//
// Hardening over the classic seat-number-on-trust protocol:
//  - every pending message remembers the connection it came from (slot and a
//    serial number); messages of a closed connection are dropped;
//  - CMD_logininfo logs in the connection's own slot; any other message whose
//    seat field is not the sender's slot is dropped, and CMD_kickhim,
//    CMD_botspeed, CMD_startgame and CMD_justwatch for another seat are taken
//    only from slot 1's connection;
//  - every message is decoded where it arrives; unknown commands, malformed
//    or out-of-range fields drop the message whole before it is queued;
//  - a connection with more than 64 KiB unterminated or more than 1000 waiting
//    messages is closed through the normal "Socket Closed" path;
//  - each connection has its own queue and the dispatcher takes them in turn,
//    one message per 10 ms tick, so nobody can delay the others by flooding;
//    a message that finds nothing waiting is handled at once.
#pragma once

#include "net/guard.h"
#include "net/tsock.h"
#include "protocol/commands.h"
#include "protocol/message.h"
#include "protocol/messages.h"
#include "server/enginehost.h"
#include "server/gameengine.h"
#include "server/serverstate.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace quillet {

class TServer : public QObject, public EngineHost {
    Q_OBJECT
public:
    using NoticeHandler = std::function<void(const std::string &text)>;

    explicit TServer(QObject *parent = nullptr);
    ~TServer() override;

    // ---- hosting ---------------------------------------------------------
    // Starts Sock1 listening on `port` (0 = any free port) on all addresses,
    // or on 127.0.0.1 only when loopbackOnly (a solo game). Throws
    // ESockException with the socket's text ("Listen - Error Binding Socket").
    void startListening(int port = kGamePort, bool loopbackOnly = false);
    // Stops accepting; connected players stay.
    void stopListening();
    // Stops listening, drops every connection without telling anyone, and
    // resets the server state and slotcount.
    void stop();
    bool isListening() const { return Sock1->Listen(); }
    int listeningPort() const { return Sock1->LocalPort(); }
    std::string listeningAddress() const { return Sock1->LocalAddress(); }

    // When this program hosts (the GUI), slot 1 goes only to a loopback
    // connection: the host's own table. quillet-server leaves it off.
    void setLoopbackHost(bool on) { loopbackHost_ = on; }
    bool loopbackHost() const { return loopbackHost_; }
    // Which peer addresses count as loopback (default 127.0.0.0/8). Tests
    // narrow it to tell two local clients apart.
    void setLoopbackPredicate(std::function<bool(const std::string &peer)> isLoopback);

    // Host notices (GameEngine's "Card does't exist", ...) and every exception
    // caught at a handler boundary go here. Default: the process-wide sink
    // (stderr unless the program installed another).
    void setNoticeHandler(NoticeHandler handler) { notice_ = std::move(handler); }

    void setTimings(const Timings &t) { engine_.setTimings(t); }
    // The dispatcher's pace while messages wait (10 ms); tests and benches
    // may stretch it to tell a prompt message from a paced one.
    void setDispatchInterval(int ms) { dispatchMs_ = ms > 0 ? ms : kSocktimerMs; }
    const Timings &timings() const { return engine_.timings(); }

    // ---- state, for the owner and tests -----------------------------------
    ServerState &state() { return state_; }
    const ServerState &state() const { return state_; }
    GameEngine &engine() { return engine_; }
    std::size_t pendingCount() const;
    bool socktimerActive() const { return socktimer.isActive(); }
    bool waitaminuteActive() const { return waitaminute.isActive(); }
    bool computertimerActive() const { return computertimer.isActive(); }

    // ---- EngineHost ----------------------------------------------------
    void send(int slot, const ToTable &message) override;
    void broadcast(const ToTable &message, int exceptSlot) override;
    void hostNotice(std::string_view text) override;
    void startTimer(EngineTimer timer, int intervalMs) override;
    void stopTimer(EngineTimer timer) override;

    // Closes a slot's connection (the "Socket Closed" path does the rest).
    void disconnectsock(int slot);

private:
    struct Connection {
        std::uint64_t serial = 0;  // 0 while the slot is free
        MessageFramer framer;
        std::deque<ToServer> queue;  // decoded, waiting for the dispatcher
    };

    // Socket and timer events (each entry is guarded).
    void Sock1Accept(TSock *sender);
    void Sock1Read(TSock *sender, int count);
    void tempsockDisconnect(TSock *sender);
    void tempsockInfo(TSock *sender, TSocketInfo info, const std::string &msg);
    void socktimerTimer();

    void armDispatch(bool wasIdle);
    void dispatch(int from, const ToServer &message);
    // The sender may make this request: a seat field names the sender's own
    // slot, and the host's requests come from slot 1.
    static bool mayAct(int from, const ToServer &message);
    void connectionClosed(int slot);
    int formerSeatOf(int from, const std::string &name) const;
    void moveConnection(int from, int seat);
    void sendRaw(int slot, const std::string &bytes);
    bool slotIsLoopbackOnly(const std::string &peer) const;

    // The eleven handlers; `from` is the sending connection's slot.
    void receivedlogininfo(int from, const toServer::LoginInfo &m);
    void kickhim(int from, const toServer::KickHim &m);
    void botspeed(int from, const toServer::BotSpeed &m);
    void chat(int from, const toServer::Chat &m);
    void action(int from, const toServer::Action &m);
    void playasound(int from, const toServer::PlayASound &m);
    void justwatch(int from, const toServer::JustWatch &m);
    void startgame(int from, const toServer::StartGame &m);
    void hisbid(int from, const toServer::Bid &m);
    void mychoose(int from, const toServer::MyChoose &m);
    void playcard(int from, const toServer::PlayCard &m);

    template <class Fn>
    void guard(Fn &&fn) { guarded(std::forward<Fn>(fn), errorSink_); }

    ServerState state_;
    GameEngine engine_;
    TSock *Sock1 = nullptr;
    QTimer socktimer;
    QTimer waitaminute;
    QTimer computertimer;

    std::array<Connection, 12> conns_;
    static constexpr int kSocktimerMs = 10;
    int dispatchMs_ = kSocktimerMs;
    int nextTurn_ = 1;           // the connection the dispatcher looks at first
    std::string out_;            // encoding buffer, reused
    int encoding_ = 0;           // nested sends encode into a buffer of their own
    std::uint64_t nextSerial_ = 0;
    bool loopbackHost_ = false;
    std::function<bool(const std::string &)> isLoopback_;
    NoticeHandler notice_;
    ErrorSink errorSink_;
};

} // namespace quillet
