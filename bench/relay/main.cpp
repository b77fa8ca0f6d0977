// bench_relay: nine clients on loopback chatting through one TServer.
//
// The server runs on the main thread's event loop as in the game; the nine
// clients are plain sockets driven by poll() on a second thread. Reports:
//  - the server thread's CPU time and context switches while everybody is
//    connected and idle for 10 s (no timer may tick while nothing waits);
//  - for each load: chat messages relayed per second (each one goes to all
//    nine), and latency from send to receipt at every client (median, p99).
// "Full speed" keeps each client's unanswered messages below a window, since a
// connection with more than 1000 waiting messages is dropped by design;
//  - fairness: eight clients keep 900 messages each waiting (chat lines and
//    unknown commands) while the first one, the host, sends one chat line and
//    waits for it to come back.
//
// Usage: bench_relay [--idle SECONDS] [--run SECONDS]
#include "protocol/messages.h"
#include "server/tserver.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

struct Usage {
    double cpuSeconds = 0;
    long switches = 0;
};

// Taken on the server's (main) thread.
Usage serverThreadUsage()
{
    Usage u;
    QMetaObject::invokeMethod(
        qApp,
        [&u] {
            rusage r{};
            ::getrusage(RUSAGE_THREAD, &r);
            u.cpuSeconds = double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
                           double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
            u.switches = r.ru_nvcsw + r.ru_nivcsw;
        },
        Qt::BlockingQueuedConnection);
    return u;
}

struct Client {
    int fd = -1;
    int slot = 0;
    std::string buffer;
    int outstanding = 0;
    long seq = 0;
};

class Bench {
public:
    explicit Bench(int port) : port_(port) {}

    bool connectAll()
    {
        for (int i = 0; i < 9; ++i) {
            Client c;
            c.fd = ::socket(AF_INET, SOCK_STREAM, 0);
            const int one = 1;
            ::setsockopt(c.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(std::uint16_t(port_));
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::connect(c.fd, reinterpret_cast<sockaddr *>(&a), sizeof a) < 0)
                return false;
            clients_.push_back(c);
            // Wait for this one's slot before the next connects.
            const auto deadline = Clock::now() + std::chrono::seconds(5);
            while (clients_.back().slot == 0 && Clock::now() < deadline)
                pump(50);
            if (clients_.back().slot == 0)
                return false;
            Client &me = clients_.back();
            sendTo(me, quillet::encoded(quillet::toServer::LoginInfo{
                           me.slot, "1.0.16", "bench" + std::to_string(me.slot)}));
        }
        // Everyone hears the ninth login.
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (logins_ < 9 * 1 && Clock::now() < deadline)
            pump(50);
        return logins_ >= 9;
    }

    struct Result {
        double seconds = 0;
        long relayed = 0;
        long deliveries = 0;
        double medianMs = 0, p99Ms = 0, maxMs = 0;
        double serverCpu = 0;
        long dropped = 0;
    };

    // `senders` clients keep up to `window` messages each in flight for `seconds`.
    Result run(int senders, int window, double seconds)
    {
        latenciesNs_.clear();
        relayed_ = 0;
        deliveries_ = 0;
        const Usage before = serverThreadUsage();
        const auto start = Clock::now();
        const auto stopSending = start + std::chrono::duration<double>(seconds);
        while (Clock::now() < stopSending) {
            for (int i = 0; i < senders; ++i) {
                Client &c = clients_[std::size_t(i)];
                while (c.outstanding < window) {
                    ++c.outstanding;
                    sendChat(c);
                }
            }
            pump(5);
        }
        // Drain what is in flight.
        const auto drainDeadline = Clock::now() + std::chrono::seconds(30);
        auto inFlight = [&] {
            int n = 0;
            for (const auto &c : clients_)
                n += c.outstanding;
            return n;
        };
        while (inFlight() > 0 && Clock::now() < drainDeadline)
            pump(20);
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const Usage after = serverThreadUsage();

        Result r;
        r.seconds = elapsed;
        r.relayed = relayed_;
        r.deliveries = deliveries_;
        r.dropped = inFlight();
        r.serverCpu = after.cpuSeconds - before.cpuSeconds;
        if (!latenciesNs_.empty()) {
            std::sort(latenciesNs_.begin(), latenciesNs_.end());
            auto at = [&](double q) {
                return double(latenciesNs_[std::size_t(q * double(latenciesNs_.size() - 1))]) / 1e6;
            };
            r.medianMs = at(0.5);
            r.p99Ms = at(0.99);
            r.maxMs = double(latenciesNs_.back()) / 1e6;
        }
        return r;
    }

    void closeAll()
    {
        for (auto &c : clients_)
            ::close(c.fd);
        clients_.clear();
    }

    struct Fairness {
        std::vector<double> ms;  // the host's chat line, sent to received
        long queuedEach = 0;     // messages each flooder kept waiting
    };

    // Clients 2..9 keep `depth` chat lines waiting each, plus as many unknown
    // commands, while client 1 sends one chat line `rounds` times.
    Fairness fairness(int depth, int rounds)
    {
        Fairness f;
        f.queuedEach = depth;
        Client &host = clients_[0];
        const std::string unknown = "CMD_nothing+" + std::string(40, 'x') + '\xFF';
        for (int r = 0; r < rounds; ++r) {
            for (std::size_t i = 1; i < clients_.size(); ++i) {
                Client &c = clients_[i];
                while (c.outstanding < depth) {
                    ++c.outstanding;
                    sendChat(c);
                    sendTo(c, unknown);
                }
            }
            pump(0);
            hostBack_ = false;
            const std::int64_t sent = nowNs();
            ++host.outstanding;
            sendChat(host);
            const auto deadline = Clock::now() + std::chrono::seconds(120);
            while (!hostBack_ && Clock::now() < deadline)
                pump(5);
            f.ms.push_back(double(nowNs() - sent) / 1e6);
        }
        return f;
    }

private:
    void sendChat(Client &c)
    {
        sendTo(c, quillet::encoded(quillet::toServer::Chat{
                      c.slot, std::to_string(c.slot) + ":" + std::to_string(++c.seq) + ":" +
                                  std::to_string(nowNs())}));
    }

    void sendTo(Client &c, const std::string &bytes)
    {
        std::size_t off = 0;
        while (off < bytes.size()) {
            const ssize_t n = ::send(c.fd, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            off += std::size_t(n);
        }
    }

    void pump(int timeoutMs)
    {
        std::vector<pollfd> fds;
        for (const auto &c : clients_)
            fds.push_back({c.fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), timeoutMs) <= 0)
            return;
        char buf[65536];
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (!(fds[i].revents & POLLIN))
                continue;
            const ssize_t n = ::recv(fds[i].fd, buf, sizeof buf, 0);
            if (n <= 0)
                continue;
            const std::int64_t t = nowNs();
            Client &c = clients_[i];
            c.buffer.append(buf, std::size_t(n));
            std::size_t start = 0, end;
            while ((end = c.buffer.find('\xFF', start)) != std::string::npos) {
                handle(c, std::string_view(c.buffer).substr(start, end - start), t);
                start = end + 1;
            }
            c.buffer.erase(0, start);
        }
    }

    void handle(Client &c, std::string_view m, std::int64_t t)
    {
        using namespace quillet;
        const auto decoded = decodeToTable(m);
        if (!decoded)
            return;
        if (const auto *login = std::get_if<toTable::SendLoginInfo>(&*decoded)) {
            c.slot = login->slot;
        } else if (const auto *arrival = std::get_if<toTable::NewPlayerInfo>(&*decoded)) {
            if (arrival->slot == 9)
                ++logins_;
        } else if (const auto *chat = std::get_if<toTable::Chat>(&*decoded)) {
            // "benchS chats: S:seq:t"
            const std::size_t text = chat->text.find(" chats: ");
            if (text == std::string::npos)
                return;
            int sender = 0;
            long seq = 0;
            long long sent = 0;
            if (std::sscanf(chat->text.c_str() + text + 8, "%d:%ld:%lld", &sender, &seq, &sent) != 3)
                return;
            latenciesNs_.push_back(t - sent);
            ++deliveries_;
            if (sender == c.slot) {
                --c.outstanding;
                ++relayed_;
                if (c.slot == 1)
                    hostBack_ = true;
            }
        }
    }

    int port_;
    std::vector<Client> clients_;
    int logins_ = 0;
    std::vector<std::int64_t> latenciesNs_;
    long relayed_ = 0;
    long deliveries_ = 0;
    bool hostBack_ = false;
};

void printResult(const char *label, const Bench::Result &r)
{
    std::printf("%-34s %8.1f msg/s relayed (%9.1f deliveries/s)  latency median %7.2f ms"
                "  p99 %7.2f ms  max %7.2f ms  server CPU %5.2f s / %5.2f s%s\n",
                label, double(r.relayed) / r.seconds, double(r.deliveries) / r.seconds, r.medianMs,
                r.p99Ms, r.maxMs, r.serverCpu, r.seconds,
                r.dropped ? "  (some never arrived)" : "");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    double idleSeconds = 10;
    double runSeconds = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--idle"))
            idleSeconds = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--run"))
            runSeconds = std::atof(argv[i + 1]);
    }

    quillet::TServer server;
    server.startListening(0, true);
    const int port = server.listeningPort();
    int status = 0;

    std::thread clients([&] {
        Bench bench(port);
        if (!bench.connectAll()) {
            std::fprintf(stderr, "bench_relay: clients could not log in\n");
            status = 1;
        } else {
            std::printf("bench_relay: 9 clients logged in to a TServer on 127.0.0.1:%d\n", port);
            const Usage a = serverThreadUsage();
            std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
            const Usage b = serverThreadUsage();
            std::printf("idle %.0f s with 9 connections: server CPU %.6f s, %ld context switches\n",
                        idleSeconds, b.cpuSeconds - a.cpuSeconds, b.switches - a.switches - 1);
            printResult("1 sender, 1 in flight:", bench.run(1, 1, runSeconds));
            printResult("9 senders, 1 in flight each:", bench.run(9, 1, runSeconds));
            printResult("9 senders, 50 in flight each:", bench.run(9, 50, runSeconds));
            Bench::Fairness f = bench.fairness(900, 5);
            std::sort(f.ms.begin(), f.ms.end());
            std::printf("fairness: 8 clients with %ld chat lines and %ld unknown commands waiting each;"
                        " the host's chat line back in median %.1f ms, max %.1f ms (%zu tries)\n",
                        f.queuedEach, f.queuedEach, f.ms[f.ms.size() / 2], f.ms.back(), f.ms.size());
            bench.closeAll();
        }
        std::fflush(stdout);
        QMetaObject::invokeMethod(qApp, [] { qApp->quit(); }, Qt::QueuedConnection);
    });
    app.exec();
    clients.join();
    return status;
}
