// TSock: the event-driven stream socket both ends of a game use.
//
// POSIX sockets in non-blocking mode, readiness from the Qt event loop through
// QSocketNotifier. Bytes go out in order through an outgoing buffer that is
// flushed on writability; bytes come in through an incoming buffer that
// Receive() hands over. Everything is reported through the handler members
// below, called on the event loop's thread, one event at a time.
//
// Rules for owners:
//  - Never `delete` a TSock inside one of its own handlers; Close() it and
//    deleteLater() it. The socket's own deferred work checks that it is alive.
//  - A handler may reassign or clear any handler of the socket, its own included.
#pragma once

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

class QSocketNotifier;

enum class TSocketType { stStream, stDatagram };
enum class TSocketInfo { Lookup, Connect, Close, Listen, Receive, Send, Accept, Error };
enum class TLineBreak { lbCRLF, lbCR, lbLF, lbSmart };

// Every failure the component raises carries one of its fixed texts.
class ESockException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TSock : public QObject {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TSock *sender)>;
    using TNotifyReadEvent = std::function<void(TSock *sender, int count)>;
    using TNotifyInfoEvent =
        std::function<void(TSock *sender, TSocketInfo info, const std::string &msg)>;
    using TNotifyAutoEvent = std::function<void(TSock *sender, TSock *newSock)>;

    static constexpr int kReceiveChunk = 32768;
    // A peer that stops reading must not grow our memory without bound.
    static constexpr std::size_t kMaxOutgoing = std::size_t(1) << 20;

    explicit TSock(QObject *owner = nullptr);
    ~TSock() override;

    // For the owner's use (the server keeps the slot number here).
    int Tag = 0;

    TNotifyEvent OnConnect;     // connection established
    TNotifyEvent OnDisconnect;  // peer closed (or the connection failed hard)
    TNotifyInfoEvent OnInfo;    // progress and error reports
    TNotifyReadEvent OnRead;    // bytes arrived; count = whole incoming buffer
    TNotifyEvent OnWrite;       // writable again, pending bytes flushed
    TNotifyEvent OnAccept;      // a connection waits on a listening socket
    TNotifyAutoEvent OnAutoAccept;

    TLineBreak LineBreak = TLineBreak::lbSmart;  // stored only, never consulted
    int BlockingTimeout = 0;                     // stored only (no blocking mode)

    // Properties.
    TSocketType SocketType() const { return socketType_; }
    void setSocketType(TSocketType type);
    const std::string &HostName() const { return hostName_; }
    void setHostName(const std::string &name);
    const std::string &PortName() const { return portName_; }
    void setPortName(const std::string &name);
    bool Blocking() const { return false; }
    void setBlocking(bool blocking);  // true is refused: blocking mode is not built
    bool AutoAccept() const { return autoAccept_; }
    void setAutoAccept(bool on) { autoAccept_ = on; }
    bool Listen() const { return listening_; }
    void setListen(bool on);
    // Our addition: the local IPv4 address Listen binds to; empty means all
    // addresses. A solo host listens on "127.0.0.1" only.
    const std::string &BindAddress() const { return bindAddress_; }
    void setBindAddress(const std::string &address) { bindAddress_ = address; }

    // Operations.
    bool Accept(TSock *&into);
    bool Open();
    bool Send(std::string_view text);
    std::string Receive();
    std::string Receive(int count);
    bool Close();
    bool SendDatagram(std::string_view text, const std::string &host);
    std::string ReceiveDatagram(std::string &host);

    // State, for owners and tests.
    bool Connected() const { return connected_; }
    bool HasHandle() const { return fd_ >= 0; }
    int Handle() const { return fd_; }
    int LocalPort() const;            // 0 without a handle
    std::string LocalAddress() const; // dotted; empty without a handle
    std::size_t IncomingBytes() const { return in_.size(); }
    std::size_t OutgoingBytes() const { return out_.size() - outPos_; }

    // "Error #111 (ECONNREFUSED)".
    static std::string errorText(int err);
    static std::string errorName(int err);
    // The process-wide host cache (case-insensitive). Entries are never
    // refreshed; addHostCacheEntry lets tests resolve a name with no network.
    static void addHostCacheEntry(const std::string &name, const std::string &dottedIPv4);

private:
    void attachHandle(int fd);
    void releaseHandle();
    void updateNotifiers();
    void info(TSocketInfo kind, const std::string &msg);
    void fire(const TNotifyEvent &handler);

    void readable();
    void writable();
    void incomingConnection();
    void closedByPeer();
    void flush();
    void scheduleFailure(int err);
    bool acceptOne(TSock *&into);

    std::uint16_t lookupPort();
    std::uint32_t lookupHost(const std::string &name);

    TSocketType socketType_ = TSocketType::stStream;
    std::string hostName_;
    std::string portName_;
    std::string bindAddress_;
    bool autoAccept_ = false;

    int fd_ = -1;
    bool listening_ = false;
    bool connected_ = false;
    bool connecting_ = false;     // handle open, connect not completed
    bool connectFailed_ = false;  // connect refused: wait for Close
    bool failing_ = false;        // a hard error or overflow close is queued
    bool acceptPaused_ = false;   // OnAccept fired; re-armed by Accept
    std::uint64_t generation_ = 0;  // bumped per handle, for deferred work

    std::string in_;
    std::string out_;
    std::size_t outPos_ = 0;  // bytes of out_ already sent

    QSocketNotifier *readNotifier_ = nullptr;
    QSocketNotifier *writeNotifier_ = nullptr;
};
