#include "net/tsock.h"

#include "net/guard.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::string lowerCase(const std::string &s)
{
    std::string out(s);
    for (char &c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Host names with their IPv4 address (network order), shared by all sockets
// of the process; entries are never removed.
std::map<std::string, std::uint32_t> &hostCache()
{
    static std::map<std::string, std::uint32_t> cache;
    return cache;
}

// One receive at a time on one thread: one scratch area serves every socket.
char *scratch()
{
    static char area[TSock::kReceiveChunk];
    return area;
}

bool wouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK; }

} // namespace

TSock::TSock(QObject *owner) : QObject(owner)
{
    readNotifier_ = new QSocketNotifier(QSocketNotifier::Read, this);
    writeNotifier_ = new QSocketNotifier(QSocketNotifier::Write, this);
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    connect(readNotifier_, &QSocketNotifier::activated, this,
            [this] { quillet::guarded([this] { readable(); }); });
    connect(writeNotifier_, &QSocketNotifier::activated, this,
            [this] { quillet::guarded([this] { writable(); }); });
}

TSock::~TSock()
{
    if (listening_ || connected_) {
        Close();
    } else if (fd_ >= 0) {
        releaseHandle();
    }
}

// ---- properties -----------------------------------------------------------

void TSock::setSocketType(TSocketType type)
{
    if (listening_)
        throw ESockException("SocketType - Can't Assign Socket Type While Listening");
    if (connected_)
        throw ESockException("SocketType - Can't Assign Socket Type While Connected");
    socketType_ = type;
}

void TSock::setHostName(const std::string &name)
{
    hostName_ = name;
    if (connected_ && socketType_ == TSocketType::stStream)
        info(TSocketInfo::Lookup, "Setting HostName While Connected Has No Effect");
}

void TSock::setPortName(const std::string &name)
{
    portName_ = name;
    if (connected_)
        info(TSocketInfo::Lookup, "Setting PortName While Connected Has No Effect");
}

void TSock::setBlocking(bool blocking)
{
    if (blocking)
        throw ESockException("Blocking - Blocking Mode Not Supported");
}

// ---- handle and notifier bookkeeping -------------------------------------

void TSock::attachHandle(int fd)
{
    fd_ = fd;
    ++generation_;
    readNotifier_->setSocket(fd);
    writeNotifier_->setSocket(fd);
    updateNotifiers();
}

void TSock::releaseHandle()
{
    // The notifiers must let go of the handle before it is closed (its number
    // may be reused at once by the next socket).
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    ::close(fd_);
    fd_ = -1;
    ++generation_;
}

// Only what can happen is watched: an idle connected socket has its read
// notifier only, so it costs nothing while nothing arrives.
void TSock::updateNotifiers()
{
    bool wantRead = false;
    bool wantWrite = false;
    if (fd_ >= 0) {
        if (listening_) {
            wantRead = !acceptPaused_;
        } else if (connecting_) {
            wantWrite = !connectFailed_;
        } else if (connected_) {
            wantRead = true;
            wantWrite = OutgoingBytes() > 0 && !failing_;
        }
    }
    if (readNotifier_->isEnabled() != wantRead)
        readNotifier_->setEnabled(wantRead);
    if (writeNotifier_->isEnabled() != wantWrite)
        writeNotifier_->setEnabled(wantWrite);
}

void TSock::info(TSocketInfo kind, const std::string &msg)
{
    if (!OnInfo)
        return;
    const TNotifyInfoEvent handler = OnInfo;  // the handler may reassign OnInfo
    try {
        handler(this, kind, msg);
    } catch (...) {
        throw ESockException("Error here");
    }
}

void TSock::fire(const TNotifyEvent &member)
{
    if (!member)
        return;
    const TNotifyEvent handler = member;
    handler(this);
}

// ---- readiness ------------------------------------------------------------

void TSock::readable()
{
    if (fd_ < 0)
        return;
    if (listening_) {
        incomingConnection();
        return;
    }
    if (!connected_)
        return;
    ssize_t n;
    do {
        n = ::recv(fd_, scratch(), kReceiveChunk, 0);
    } while (n < 0 && errno == EINTR);
    if (n == 0) {
        closedByPeer();
        return;
    }
    if (n < 0 && !wouldBlock(errno)) {
        // A reset or any other hard error ends the connection like a peer close.
        const int err = errno;
        try {
            info(TSocketInfo::Error, errorText(err));
        } catch (...) {
            closedByPeer();
            throw;
        }
        closedByPeer();
        return;
    }
    if (n > 0)
        in_.append(scratch(), static_cast<std::size_t>(n));
    info(TSocketInfo::Receive, "Non-Blocking Incoming Data");
    if (fd_ < 0 || !connected_)
        return;  // the info handler closed it: no OnRead after Close
    if (OnRead) {
        const TNotifyReadEvent handler = OnRead;
        handler(this, static_cast<int>(in_.size()));
    }
}

void TSock::closedByPeer()
{
    // OnDisconnect first, then Close, even when the handler closed already:
    // "Socket Closed" is then reported twice.
    try {
        fire(OnDisconnect);
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

void TSock::writable()
{
    if (fd_ < 0)
        return;
    if (connecting_) {
        int err = 0;
        socklen_t len = sizeof err;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len) < 0)
            err = errno;
        if (err != 0) {
            // Refused or unreachable: only the report; the socket keeps its
            // handle, unconnected, until it is closed.
            connectFailed_ = true;
            updateNotifiers();
            info(TSocketInfo::Error, errorText(err));
            return;
        }
        connecting_ = false;
        connected_ = true;
        updateNotifiers();
        const std::uint64_t gen = generation_;
        info(TSocketInfo::Connect, "Non-Blocking Socket Connected");
        if (gen != generation_)
            return;
        fire(OnConnect);
        if (gen != generation_)
            return;
        // The connection is writable too: bytes sent while connecting go now.
    }
    if (!connected_)
        return;
    const std::uint64_t gen = generation_;
    if (OutgoingBytes() > 0)
        Send(std::string_view());
    if (gen != generation_)
        return;
    info(TSocketInfo::Send, "Non-Blocking Outgoing Data");
    if (gen != generation_)
        return;
    fire(OnWrite);
}

void TSock::incomingConnection()
{
    if (autoAccept_ && OnAutoAccept) {
        TSock *ns = nullptr;
        if (acceptOne(ns)) {
            const TNotifyAutoEvent handler = OnAutoAccept;
            handler(this, ns);
        }
        return;
    }
    // Like the platform's accept notification: no new one until Accept is
    // called, so an owner that does not accept does not spin the loop.
    acceptPaused_ = true;
    updateNotifiers();
    fire(OnAccept);
}

// ---- operations ------------------------------------------------------------

void TSock::setListen(bool on)
{
    if (fd_ >= 0 && !listening_)
        throw ESockException("Listen - Socket Already In Use");
    if (on && socketType_ == TSocketType::stDatagram)
        throw ESockException("Listen - Cannot Listen On A Datagram Socket");
    if (!on) {
        listening_ = false;
        acceptPaused_ = false;
        Close();
        info(TSocketInfo::Listen, "Listening Stopped");
        return;
    }
    if (listening_) {
        info(TSocketInfo::Listen, "Listening Already Running");
        return;
    }
    const std::uint16_t port = lookupPort();
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!bindAddress_.empty() && ::inet_pton(AF_INET, bindAddress_.c_str(), &addr.sin_addr) != 1)
        throw ESockException("Listen - Error Binding Socket");

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw ESockException("Listen - Error Binding Socket");
    attachHandle(fd);
    // A restarted server must get its port back while old connections linger.
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) < 0)
        throw ESockException("Listen - Error Binding Socket");
    if (::listen(fd, 5) < 0)
        throw ESockException("Listen - Error Starting Listen");
    listening_ = true;
    acceptPaused_ = false;
    updateNotifiers();
    info(TSocketInfo::Listen, "Listening Started");
}

bool TSock::acceptOne(TSock *&into)
{
    acceptPaused_ = false;
    updateNotifiers();
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    int fd;
    do {
        fd = ::accept4(fd_, reinterpret_cast<sockaddr *>(&peer), &len,
                       SOCK_NONBLOCK | SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        info(TSocketInfo::Accept, "Could Not Accept Connection");
        return false;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

    auto *ns = new TSock(this);
    ns->BlockingTimeout = BlockingTimeout;
    ns->OnRead = OnRead;
    ns->OnWrite = OnWrite;
    ns->OnDisconnect = OnDisconnect;
    ns->OnInfo = OnInfo;
    ns->connected_ = true;
    ns->attachHandle(fd);
    into = ns;

    char dotted[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &peer.sin_addr, dotted, sizeof dotted);
    ns->setPortName(portName_);
    ns->setHostName(dotted);
    return true;
}

bool TSock::Accept(TSock *&into)
{
    if (!listening_)
        throw ESockException("Accept - Socket Not In Listening Mode");
    if (!acceptOne(into))
        return false;
    info(TSocketInfo::Accept, "Created New TSock Structure");
    return true;
}

bool TSock::Open()
{
    if (fd_ >= 0)
        return connected_;
    if (socketType_ == TSocketType::stDatagram)
        throw ESockException("Open - Datagram Sockets Not Supported");
    const std::uint16_t port = lookupPort();
    const std::uint32_t host = lookupHost(hostName_);

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw ESockException(errorText(errno));
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    connecting_ = true;
    connectFailed_ = false;
    failing_ = false;
    attachHandle(fd);

    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = host;
    int r;
    do {
        r = ::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    } while (r < 0 && errno == EINTR);
    if (r < 0 && errno != EINPROGRESS) {
        // Refused at once: the outcome still arrives as an event.
        const int err = errno;
        connectFailed_ = true;
        updateNotifiers();
        const std::uint64_t gen = generation_;
        QMetaObject::invokeMethod(
            this,
            [this, gen, err] {
                if (gen == generation_)
                    quillet::guarded([&] { info(TSocketInfo::Error, errorText(err)); });
            },
            Qt::QueuedConnection);
    }
    // Completion (also of an immediate connect) is announced on writability.
    return false;
}

bool TSock::Send(std::string_view text)
{
    if (fd_ < 0)
        throw ESockException("Send - Socket Not Connected");
    if (listening_)
        throw ESockException("Send - Cannot Send On A Listener Socket");
    if (socketType_ == TSocketType::stDatagram)
        return SendDatagram(text, hostName_);
    if (failing_)
        return true;  // the connection is being closed; nothing more goes out
    out_.append(text);
    if (OutgoingBytes() == 0)
        return true;
    const std::uint64_t gen = generation_;
    info(TSocketInfo::Send, "Non-Blocking Outgoing Data");
    if (gen == generation_)
        flush();
    return true;
}

void TSock::flush()
{
    if (connected_ && OutgoingBytes() > 0) {
        ssize_t n;
        do {
            n = ::send(fd_, out_.data() + outPos_, OutgoingBytes(), MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        if (n > 0) {
            outPos_ += static_cast<std::size_t>(n);
            if (outPos_ == out_.size()) {
                out_.clear();
                outPos_ = 0;
            } else if (outPos_ > out_.size() / 2) {
                out_.erase(0, outPos_);
                outPos_ = 0;
            }
        } else if (n < 0 && !wouldBlock(errno)) {
            scheduleFailure(errno);
        }
    }
    if (OutgoingBytes() > kMaxOutgoing)
        scheduleFailure(ENOBUFS);
    updateNotifiers();
}

// A failure found inside Send is acted on from the event loop, never inside
// the caller's Send (a broadcast must not see slots change under it).
void TSock::scheduleFailure(int err)
{
    if (failing_)
        return;
    failing_ = true;
    out_.clear();
    outPos_ = 0;
    const std::uint64_t gen = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, gen, err] {
            if (gen != generation_ || fd_ < 0)
                return;
            quillet::guarded([&] {
                try {
                    info(TSocketInfo::Error, errorText(err));
                } catch (...) {
                    closedByPeer();
                    throw;
                }
                closedByPeer();
            });
        },
        Qt::QueuedConnection);
}

std::string TSock::Receive()
{
    return Receive(-1);
}

std::string TSock::Receive(int count)
{
    if (fd_ < 0 && in_.empty())
        throw ESockException("Receive - Socket Not Connected");
    if (listening_)
        throw ESockException("Receive - Cannot Receive On A Listener Socket");
    if (socketType_ == TSocketType::stDatagram) {
        std::string host;
        return ReceiveDatagram(host);
    }
    if (count > kReceiveChunk)
        count = kReceiveChunk;
    if (count < 0 || static_cast<std::size_t>(count) >= in_.size()) {
        std::string all;
        all.swap(in_);
        return all;
    }
    std::string part = in_.substr(0, static_cast<std::size_t>(count));
    in_.erase(0, static_cast<std::size_t>(count));
    return part;
}

bool TSock::Close()
{
    const bool wasListening = listening_;
    bool ok = true;
    if (fd_ >= 0) {
        readNotifier_->setEnabled(false);
        writeNotifier_->setEnabled(false);
        ok = ::close(fd_) == 0;
        fd_ = -1;
        ++generation_;
    }
    connected_ = false;
    connecting_ = false;
    connectFailed_ = false;
    failing_ = false;
    acceptPaused_ = false;
    out_.clear();  // unsendable now; the incoming buffer stays for Receive
    outPos_ = 0;
    if (!wasListening) {
        try {
            info(TSocketInfo::Close, "Socket Closed");
        } catch (...) {
        }
    }
    listening_ = false;
    return ok;
}

bool TSock::SendDatagram(std::string_view, const std::string &)
{
    if (fd_ < 0)
        throw ESockException("SendDatagram - Socket Not Connected");
    throw ESockException("SendDatagram - Datagram Send Not Supported On Stream Sockets");
}

std::string TSock::ReceiveDatagram(std::string &)
{
    if (fd_ < 0)
        throw ESockException("ReceiveDatagram - Socket Not Connected");
    throw ESockException("ReceiveDatagram - Datagram Receive Not Supported On Stream Sockets");
}

int TSock::LocalPort() const
{
    if (fd_ < 0)
        return 0;
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (::getsockname(fd_, reinterpret_cast<sockaddr *>(&addr), &len) < 0)
        return 0;
    return ntohs(addr.sin_port);
}

std::string TSock::LocalAddress() const
{
    if (fd_ < 0)
        return {};
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (::getsockname(fd_, reinterpret_cast<sockaddr *>(&addr), &len) < 0)
        return {};
    char dotted[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &addr.sin_addr, dotted, sizeof dotted);
    return dotted;
}

// ---- lookups and texts ------------------------------------------------------

std::uint16_t TSock::lookupPort()
{
    info(TSocketInfo::Lookup, "Lookup Of Port " + portName_);
    if (!portName_.empty() && std::isdigit(static_cast<unsigned char>(portName_[0]))) {
        long value = 0;
        for (char c : portName_) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                throw ESockException("Port Lookup - Could Not Find Service Entry");
            value = value * 10 + (c - '0');
            if (value > 65535)
                throw ESockException("Port Lookup - Could Not Find Service Entry");
        }
        return static_cast<std::uint16_t>(value);
    }
    const servent *entry = ::getservbyname(portName_.c_str(), "tcp");
    if (!entry)
        throw ESockException("Port Lookup - Could Not Find Service Entry");
    return ntohs(static_cast<std::uint16_t>(entry->s_port));
}

std::uint32_t TSock::lookupHost(const std::string &name)
{
    if (name.empty())
        return htonl(INADDR_ANY);
    info(TSocketInfo::Lookup, "Lookup Of Host " + name);
    in_addr addr{};
    // A dotted address is taken as it is; a name that only starts with a
    // digit ("1up.example") is a name.
    if (std::isdigit(static_cast<unsigned char>(name[0])) &&
        ::inet_pton(AF_INET, name.c_str(), &addr) == 1)
        return addr.s_addr;
    const std::string key = lowerCase(name);
    auto &cache = hostCache();
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found)
        throw ESockException("Host Lookup - Could Not Find Host Entry");
    const std::uint32_t result =
        reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    cache.emplace(key, result);
    return result;
}

void TSock::addHostCacheEntry(const std::string &name, const std::string &dottedIPv4)
{
    in_addr addr{};
    if (::inet_pton(AF_INET, dottedIPv4.c_str(), &addr) == 1)
        hostCache()[lowerCase(name)] = addr.s_addr;
}

std::string TSock::errorName(int err)
{
    const char *name = ::strerrorname_np(err);
    return name ? name : "UNKNOWN ERROR";
}

std::string TSock::errorText(int err)
{
    return "Error #" + std::to_string(err) + " (" + errorName(err) + ")";
}
