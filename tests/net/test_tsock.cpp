// TSock over real sockets on 127.0.0.1: connect, accept, the buffers, the
// close reports, the exact texts, and peers that die or stop reading.
#include "net/guard.h"
#include "net/tsock.h"

#include <QPointer>
#include <QTest>

#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct Report {
    TSocketInfo kind;
    std::string text;
};

// Records everything a socket reports.
struct Recorder {
    std::vector<Report> infos;
    int reads = 0, connects = 0, disconnects = 0, writes = 0;

    void attach(TSock &s)
    {
        s.OnInfo = [this](TSock *, TSocketInfo k, const std::string &m) { infos.push_back({k, m}); };
        s.OnRead = [this](TSock *, int) { ++reads; };
        s.OnConnect = [this](TSock *) { ++connects; };
        s.OnDisconnect = [this](TSock *) { ++disconnects; };
        s.OnWrite = [this](TSock *) { ++writes; };
    }
    int count(const std::string &text) const
    {
        int n = 0;
        for (const auto &r : infos)
            n += r.text == text;
        return n;
    }
    int count(TSocketInfo kind) const
    {
        int n = 0;
        for (const auto &r : infos)
            n += r.kind == kind;
        return n;
    }
};

std::string raised(const std::function<void()> &fn)
{
    try {
        fn();
    } catch (const ESockException &e) {
        return e.what();
    }
    return "(nothing)";
}

// A port with nothing listening on it.
int deadPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

// A plain blocking peer, for behaviour TSock must survive (resets, not reading).
int rawConnect(int port, int rcvbuf = 0)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (rcvbuf)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void resetAndClose(int fd)
{
    linger l{1, 0};  // close with RST
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd);
}

} // namespace

class TestTSock : public QObject {
    Q_OBJECT

    std::unique_ptr<TSock> listener;
    TSock *accepted = nullptr;
    Recorder listenRec;
    int port = 0;

    void listenAnywhere()
    {
        listener = std::make_unique<TSock>();
        listener->setPortName("0");
        listener->setBindAddress("127.0.0.1");
        listener->OnInfo = [this](TSock *, TSocketInfo k, const std::string &m) {
            listenRec.infos.push_back({k, m});
        };
        listener->OnAccept = [this](TSock *s) {
            TSock *ns = nullptr;
            if (s->Accept(ns))
                accepted = ns;
        };
        listener->setListen(true);
        port = listener->LocalPort();
    }
    // A client TSock connected to the listener, and its accepted peer.
    std::unique_ptr<TSock> connectedPair(Recorder &rec)
    {
        auto c = std::make_unique<TSock>();
        rec.attach(*c);
        c->setHostName("127.0.0.1");
        c->setPortName(std::to_string(port));
        c->Open();
        if (!QTest::qWaitFor([&] { return c->Connected() && accepted; }, 5000))
            qFatal("no connection");
        return c;
    }

private slots:
    void init()
    {
        accepted = nullptr;
        listenRec = Recorder{};
        listenAnywhere();
    }
    void cleanup() { listener.reset(); }

    void connectAcceptAndExchange()
    {
        Recorder rec;
        auto c = connectedPair(rec);
        QCOMPARE(listenRec.count("Listening Started"), 1);
        QCOMPARE(listenRec.count("Created New TSock Structure"), 1);
        QCOMPARE(rec.count("Lookup Of Port " + std::to_string(port)), 1);
        QCOMPARE(rec.count("Lookup Of Host 127.0.0.1"), 1);
        QCOMPARE(rec.count("Non-Blocking Socket Connected"), 1);
        QCOMPARE(rec.connects, 1);
        QCOMPARE(accepted->HostName(), std::string("127.0.0.1"));
        QCOMPARE(accepted->PortName(), listener->PortName());  // the listener's text
        QVERIFY(accepted->Connected());
        QCOMPARE(accepted->parent(), listener.get());  // owned by the listener

        std::string got;
        int lastCount = -1;
        accepted->OnRead = [&](TSock *s, int count) {
            lastCount = count;
            got += s->Receive();
        };
        QVERIFY(c->Send(std::string("one\xFF" "two\xFF", 8)));
        QTRY_COMPARE(got, std::string("one\xFF" "two\xFF", 8));
        QVERIFY(lastCount >= 4);
        QVERIFY(rec.count("Non-Blocking Outgoing Data") >= 1);
        QCOMPARE(c->Open(), true);  // a second Open does nothing
        QCOMPARE(listenRec.count("Created New TSock Structure"), 1);

        // Setting names while connected only reports.
        rec.infos.clear();
        c->setHostName("elsewhere");
        c->setPortName("1");
        QCOMPARE(rec.count("Setting HostName While Connected Has No Effect"), 1);
        QCOMPARE(rec.count("Setting PortName While Connected Has No Effect"), 1);
        QCOMPARE(c->HostName(), std::string("elsewhere"));
    }

    void sendBeforeConnectCompletesArrivesInOrder()
    {
        std::string got;
        listener->OnRead = [&](TSock *s, int) { got += s->Receive(); };  // inherited
        TSock c;
        c.setHostName("127.0.0.1");
        c.setPortName(std::to_string(port));
        QCOMPARE(c.Open(), false);
        QVERIFY(!c.Connected());
        c.Send("first ");
        c.Send("second ");
        c.Send("third");
        QTRY_COMPARE(got, std::string("first second third"));
    }

    void refusedConnectReportsErrorOnly()
    {
        Recorder rec;
        TSock c;
        rec.attach(c);
        c.setHostName("127.0.0.1");
        c.setPortName(std::to_string(deadPort()));
        c.Open();
        QTRY_COMPARE(rec.count(TSocketInfo::Error), 1);
        QCOMPARE(rec.infos.back().text, std::string("Error #111 (ECONNREFUSED)"));
        QTest::qWait(50);
        QCOMPARE(rec.count(TSocketInfo::Error), 1);  // once, no busy notifications
        QCOMPARE(rec.count("Socket Closed"), 0);
        QCOMPARE(rec.disconnects, 0);
        QCOMPARE(rec.connects, 0);
        QVERIFY(!c.Connected());
        QVERIFY(c.HasHandle());
        QCOMPARE(c.Open(), false);  // stays in its failed state until closed
        c.Close();
        QCOMPARE(rec.count("Socket Closed"), 1);
        QVERIFY(!c.HasHandle());
    }

    void peerCloseReportsDisconnectThenClose()
    {
        Recorder rec;
        auto c = connectedPair(rec);
        rec.infos.clear();
        delete accepted;  // freeing a connected socket closes it
        QTRY_COMPARE(rec.count("Socket Closed"), 1);
        QCOMPARE(rec.disconnects, 1);
        QVERIFY(!c->HasHandle());
        QTest::qWait(20);
        QCOMPARE(rec.count("Socket Closed"), 1);
    }

    void closeInsideOnDisconnectReportsTwice()
    {
        Recorder rec;
        auto c = connectedPair(rec);
        std::vector<std::string> order;
        c->OnDisconnect = [&](TSock *s) {
            order.push_back("disconnect");
            s->Close();
        };
        c->OnInfo = [&](TSock *, TSocketInfo, const std::string &m) { order.push_back(m); };
        accepted->Close();
        QTRY_COMPARE(order.size(), std::size_t(3));
        QCOMPARE(order, (std::vector<std::string>{"disconnect", "Socket Closed", "Socket Closed"}));
    }

    void receiveAfterCloseAndWithACount()
    {
        Recorder rec;
        auto c = connectedPair(rec);
        accepted->Send(std::string(40000, 'a') + "xyz");
        QTRY_COMPARE(c->IncomingBytes(), std::size_t(40003));
        QVERIFY(rec.reads >= 2);  // at most 32768 bytes per notification
        QCOMPARE(c->Receive(2), std::string("aa"));
        QCOMPARE(c->Receive(100000).size(), std::size_t(32768));  // counts above 32768 cap
        c->Close();
        QCOMPARE(c->Receive(), std::string(40000 - 2 - 32768, 'a') + "xyz");
        QCOMPARE(raised([&] { c->Receive(); }), std::string("Receive - Socket Not Connected"));
    }

    void noOnReadAfterClose()
    {
        Recorder rec;
        auto c = connectedPair(rec);
        c->OnInfo = [](TSock *s, TSocketInfo, const std::string &m) {
            if (m == "Non-Blocking Incoming Data")
                s->Close();
        };
        accepted->Send("data");
        QTRY_VERIFY(!c->HasHandle());
        QTest::qWait(20);
        QCOMPARE(rec.reads, 0);
        QCOMPARE(c->Receive(), std::string("data"));
    }

    void exactExceptionTexts()
    {
        TSock idle;
        QCOMPARE(raised([&] { idle.Send("x"); }), std::string("Send - Socket Not Connected"));
        QCOMPARE(raised([&] { idle.Receive(); }), std::string("Receive - Socket Not Connected"));
        QCOMPARE(raised([&] { TSock *v = nullptr; idle.Accept(v); }),
                 std::string("Accept - Socket Not In Listening Mode"));
        QCOMPARE(raised([&] { listener->Send("x"); }),
                 std::string("Send - Cannot Send On A Listener Socket"));
        QCOMPARE(raised([&] { listener->Receive(); }),
                 std::string("Receive - Cannot Receive On A Listener Socket"));
        QCOMPARE(raised([&] { listener->setSocketType(TSocketType::stDatagram); }),
                 std::string("SocketType - Can't Assign Socket Type While Listening"));
        QCOMPARE(raised([&] { idle.SendDatagram("x", "h"); }),
                 std::string("SendDatagram - Socket Not Connected"));

        TSock dgram;
        dgram.setSocketType(TSocketType::stDatagram);
        dgram.setPortName("0");
        QCOMPARE(raised([&] { dgram.setListen(true); }),
                 std::string("Listen - Cannot Listen On A Datagram Socket"));

        TSock busy;
        busy.setPortName(std::to_string(port));
        busy.setBindAddress("127.0.0.1");
        QCOMPARE(raised([&] { busy.setListen(true); }), std::string("Listen - Error Binding Socket"));
        QVERIFY(!busy.Listen());
        // The failed socket keeps its handle: a second try says so.
        QCOMPARE(raised([&] { busy.setListen(true); }), std::string("Listen - Socket Already In Use"));

        TSock noService;
        noService.setPortName("no-such-service-here");
        noService.setHostName("127.0.0.1");
        QCOMPARE(raised([&] { noService.Open(); }),
                 std::string("Port Lookup - Could Not Find Service Entry"));
        QVERIFY(!noService.HasHandle());

        // An OnInfo handler that throws becomes "Error here" from the operation.
        TSock thrower;
        thrower.setPortName("1");
        thrower.OnInfo = [](TSock *, TSocketInfo, const std::string &) {
            throw std::runtime_error("boom");
        };
        QCOMPARE(raised([&] { thrower.Open(); }), std::string("Error here"));

        QCOMPARE(TSock::errorText(ECONNREFUSED), std::string("Error #111 (ECONNREFUSED)"));
        QCOMPARE(TSock::errorText(ECONNRESET), std::string("Error #104 (ECONNRESET)"));
        QCOMPARE(TSock::errorName(99999), std::string("UNKNOWN ERROR"));
    }

    void listenReports()
    {
        listener->setListen(true);
        QCOMPARE(listenRec.count("Listening Already Running"), 1);
        listenRec.infos.clear();
        listener->setListen(false);
        QCOMPARE(listenRec.infos.size(), std::size_t(2));
        QCOMPARE(listenRec.infos[0].text, std::string("Socket Closed"));
        QCOMPARE(listenRec.infos[1].text, std::string("Listening Stopped"));

        // Freeing a listening socket reports nothing.
        Recorder rec;
        auto l = std::make_unique<TSock>();
        l->setPortName("0");
        l->setListen(true);
        rec.attach(*l);
        l.reset();
        QCOMPARE(rec.infos.size(), std::size_t(0));
    }

    void autoAcceptHandsTheNewSocketOver()
    {
        TSock *got = nullptr;
        int accepts = 0;
        listener->OnAccept = [&](TSock *) { ++accepts; };
        listener->setAutoAccept(true);
        listener->OnAutoAccept = [&](TSock *, TSock *ns) { got = ns; };
        TSock c;
        c.setHostName("127.0.0.1");
        c.setPortName(std::to_string(port));
        c.Open();
        QTRY_VERIFY(got);
        QCOMPARE(accepts, 0);
        QVERIFY(got->Connected());
        QCOMPARE(got->HostName(), std::string("127.0.0.1"));
    }

    void anAcceptThatIsNotCalledDoesNotSpin()
    {
        int offers = 0;
        listener->OnAccept = [&](TSock *) { ++offers; };
        TSock c;
        c.setHostName("127.0.0.1");
        c.setPortName(std::to_string(port));
        c.Open();
        QTRY_COMPARE(offers, 1);
        QTest::qWait(50);
        QCOMPARE(offers, 1);  // no new offer until Accept is called
        TSock *ns = nullptr;
        QVERIFY(listener->Accept(ns));
        std::unique_ptr<TSock> owned(ns);
        QVERIFY(ns->Connected());
    }

    // A reset or hard error on a connected socket closes it like a peer close.
    void resetClosesLikeAPeerClose()
    {
        Recorder rec;
        listener->OnAccept = [&](TSock *s) {
            TSock *ns = nullptr;
            if (s->Accept(ns)) {
                accepted = ns;
                rec.attach(*ns);
            }
        };
        const int fd = rawConnect(port);
        QVERIFY(fd >= 0);
        QTRY_VERIFY(accepted);
        resetAndClose(fd);
        QTRY_COMPARE(rec.count("Socket Closed"), 1);
        QCOMPARE(rec.disconnects, 1);
        QCOMPARE(rec.count("Error #104 (ECONNRESET)"), 1);
        QVERIFY(!accepted->HasHandle());

        // Sending into a dead connection neither kills the process (SIGPIPE)
        // nor raises: the socket closes from the event loop.
        Recorder rec2;
        accepted = nullptr;
        listener->OnAccept = [&](TSock *s) {
            TSock *ns = nullptr;
            if (s->Accept(ns)) {
                accepted = ns;
                rec2.attach(*ns);
                ns->OnRead = nullptr;
            }
        };
        const int fd2 = rawConnect(port);
        QTRY_VERIFY(accepted);
        TSock *victim = accepted;
        victim->OnInfo = nullptr;  // record closes only
        int closes = 0;
        victim->OnInfo = [&](TSock *, TSocketInfo, const std::string &m) { closes += m == "Socket Closed"; };
        resetAndClose(fd2);
        ::usleep(20000);  // let the reset arrive before the loop sees it
        for (int i = 0; i < 5; ++i)
            victim->Send("after the reset\n");
        QTRY_COMPARE(closes, 1);
    }

    void aPeerThatStopsReadingIsDropped()
    {
        Recorder rec;
        listener->OnAccept = [&](TSock *s) {
            TSock *ns = nullptr;
            if (s->Accept(ns)) {
                accepted = ns;
                rec.attach(*ns);
            }
        };
        const int fd = rawConnect(port, 4096);
        QVERIFY(fd >= 0);
        QTRY_VERIFY(accepted);
        const std::string chunk(64 * 1024, 'z');
        for (int i = 0; i < 512 && accepted->HasHandle(); ++i) {  // at most 32 MiB
            accepted->Send(chunk);
            QCoreApplication::processEvents();
        }
        QTRY_COMPARE(rec.count("Socket Closed"), 1);
        QCOMPARE(rec.disconnects, 1);
        QCOMPARE(rec.count("Error #105 (ENOBUFS)"), 1);
        QVERIFY(accepted->OutgoingBytes() == 0);
        ::close(fd);
    }

    // Sockets freed only after their event: deleteLater inside OnDisconnect is safe,
    // and the second "Socket Closed" still reaches a live object.
    void deleteLaterInsideOwnEvent()
    {
        Recorder rec;
        auto c = connectedPair(rec);
        TSock *raw = c.release();
        QPointer<TSock> alive(raw);
        int closed = 0;
        raw->OnDisconnect = [](TSock *s) {
            s->Close();
            s->deleteLater();
        };
        raw->OnInfo = [&](TSock *, TSocketInfo, const std::string &m) { closed += m == "Socket Closed"; };
        accepted->Close();
        QTRY_VERIFY(alive.isNull());
        QCOMPARE(closed, 2);
    }

    void hostCacheAndNamesThatStartWithADigit()
    {
        // Resolved as a name (here from the cache), not misread as an address.
        TSock::addHostCacheEntry("1stplace.test", "127.0.0.1");
        Recorder rec;
        TSock c;
        rec.attach(c);
        c.setHostName("1STPLACE.test");  // the cache ignores case
        c.setPortName(std::to_string(port));
        c.Open();
        QTRY_VERIFY(c.Connected());
        QCOMPARE(rec.count("Lookup Of Host 1STPLACE.test"), 1);

        TSock local;
        local.setHostName("localhost");
        local.setPortName(std::to_string(port));
        local.Open();
        QTRY_VERIFY(local.Connected());
    }

    void guardedStopsExceptions()
    {
        std::string seen;
        quillet::guarded([] { throw ESockException("Send - Socket Not Connected"); },
                         [&](const std::string &t) { seen = t; });
        QCOMPARE(seen, std::string("Send - Socket Not Connected"));
        std::string def;
        quillet::setDefaultErrorSink([&](const std::string &t) { def = t; });
        quillet::guarded([] { throw 42; });
        QCOMPARE(def, std::string("Unknown exception"));
        // A throwing handler inside a socket event does not leave the event loop.
        Recorder rec;
        auto c = connectedPair(rec);
        c->OnRead = [](TSock *, int) { throw std::runtime_error("handler failed"); };
        accepted->Send("x");
        QTRY_COMPARE(def, std::string("handler failed"));
        quillet::setDefaultErrorSink({});
        QVERIFY(c->Connected());
    }
};

QTEST_GUILESS_MAIN(TestTSock)
#include "test_tsock.moc"
