// TServer over real sockets on 127.0.0.1: slots, logins, relays, the
// dispatcher, and the hardening against peers that lie or flood.
#include "server/tserver.h"
#include "testclient.h"

#include <QTest>

#include <algorithm>
#include <memory>

using namespace quillet;

namespace {
const std::string V = "1.0.16";
}

class TestTServer : public QObject {
    Q_OBJECT

    std::unique_ptr<TServer> server;
    std::vector<std::unique_ptr<TestClient>> clients;
    std::vector<std::string> notices;
    int port = 0;

    TestClient &connectClient(const char *from = nullptr)
    {
        clients.push_back(std::make_unique<TestClient>());
        TestClient &c = *clients.back();
        if (!c.open(port, from))
            qFatal("cannot connect");
        if (!c.waitForMessages(1))
            qFatal("no first message");
        return c;
    }
    // Connects and logs in with the slot the server gave.
    TestClient &join(const std::string &name, const std::string &version = V)
    {
        TestClient &c = connectClient();
        const int n = c.slot();
        c.send("CMD_logininfo+" + std::to_string(n) + "+" + version + "+" + name);
        if (!c.waitFor("CMD_newplayerinfo+" + std::to_string(n) + "+" + name))
            qFatal("login not announced");
        return c;
    }
    // Everything `c` sent before this has been dispatched once this returns.
    bool barrier(TestClient &c, const std::string &tag = "sync")
    {
        const int n = c.slot();
        c.send("CMD_chat+" + std::to_string(n) + "+" + tag);
        const std::string prefix = "CMD_chat+" + std::to_string(n) + "+";
        const std::string suffix = " chats: " + tag;
        return QTest::qWaitFor(
            [&] {
                for (const auto &m : c.messages)
                    if (m.rfind(prefix, 0) == 0 && m.size() >= suffix.size() &&
                        m.compare(m.size() - suffix.size(), suffix.size(), suffix) == 0)
                        return true;
                return false;
            },
            10000);
    }
    // How many flood lines `c` has seen relayed so far.
    static bool isFlood(const std::string &m) { return m.find(" chats: flood") != std::string::npos; }
    static std::size_t seen(const TestClient &c)
    {
        return std::size_t(std::count_if(c.messages.begin(), c.messages.end(), isFlood));
    }
    // Waits until the server has handled the close of `slot`.
    bool slotFreed(int slot)
    {
        return QTest::qWaitFor([&] { return !server->state().players[slot].connected; }, 5000);
    }

private slots:
    void init()
    {
        server = std::make_unique<TServer>();
        notices.clear();
        server->setNoticeHandler([this](const std::string &t) { notices.push_back(t); });
        server->startListening(0, true);
        port = server->listeningPort();
        QVERIFY(port > 0);
    }
    void cleanup()
    {
        clients.clear();
        server.reset();
    }

    void slotsFillInOrderAndTheTenthIsRefused()
    {
        for (int k = 1; k <= 9; ++k) {
            TestClient &c = connectClient();
            QCOMPARE(c.messages.front(), "CMD_sendlogininfo+" + std::to_string(k));
        }
        QCOMPARE(server->state().slotcount, 9);
        TestClient &tenth = connectClient();
        QCOMPARE(tenth.messages.front(), std::string("CMD_full+"));
        QTRY_VERIFY(tenth.closedByServer);
        QCOMPARE(server->state().slotcount, 9);
        for (int k = 1; k <= 9; ++k)
            QVERIFY(server->state().players[k].connected);
        QVERIFY(!server->state().players[10].connected);
    }

    void lowestFreedSlotIsReusedAndNewcomerHearsOnlyOccupiedSlots()
    {
        join("Host");
        join("Bob");
        TestClient &carl = join("Carl");
        join("Dan");
        TestClient &eve = join("Eve");
        QCOMPARE(eve.slot(), 5);
        carl.sock.close();
        QVERIFY(slotFreed(3));

        TestClient &fay = connectClient();
        QCOMPARE(fay.slot(), 3);
        QCOMPARE(server->state().slotcount, 5);
        fay.send("CMD_logininfo+3+" + V + "+Fay");
        QVERIFY(fay.waitForMessages(6));
        const std::vector<std::string> expected = {
            "CMD_sendlogininfo+3",          "CMD_newplayerinfo+3+Fay",
            "CMD_existingplayers+1+Host",   "CMD_existingplayers+2+Bob",
            "CMD_existingplayers+4+Dan",    "CMD_existingplayers+5+Eve",
        };
        QVERIFY(barrier(fay));
        fay.messages.pop_back();
        QCOMPARE(fay.messages, expected);
    }

    void loginMessagesByteForByte()
    {
        TestClient &host = connectClient();
        QCOMPARE(host.messages.front(), std::string("CMD_sendlogininfo+1"));
        host.send("CMD_logininfo+1+" + V + "+Host");
        QVERIFY(host.waitFor("CMD_newplayerinfo+1+Host"));

        TestClient &bob = connectClient();
        bob.send("CMD_logininfo+2+" + V + "+Bob the+Great");  // the name is the rest
        QVERIFY(bob.waitForMessages(3));
        QVERIFY(host.waitFor("CMD_newplayerinfo+2+Bob the Great"));
        // Raw bytes, terminators included.
        const std::string wire = "CMD_sendlogininfo+2\xFF"
                                 "CMD_newplayerinfo+2+Bob the Great\xFF"
                                 "CMD_existingplayers+1+Host\xFF";
        std::string got;
        for (const auto &m : bob.messages)
            got += m + '\xFF';
        QCOMPARE(got, wire);
        QVERIFY(bob.buffer.empty());
        QVERIFY(server->state().players[2].loggedin);
        QVERIFY(notices.empty());
    }

    void wrongVersionIsReportedAndTheNewcomerStays()
    {
        TestClient &host = join("Host");
        TestClient &bob = join("Bob", "1.0.15");
        QVERIFY(bob.waitFor("CMD_wrongversion+"));
        QVERIFY(host.waitFor("CMD_havewrongversion+Bob"));
        QVERIFY(!host.has("CMD_wrongversion+"));
        QCOMPARE(server->state().players[2].name, std::string("Bob"));
        QVERIFY(server->state().players[2].connected);
        QVERIFY(barrier(bob));
    }

    void playerDisconnectedOncePerClose()
    {
        TestClient &host = join("Host");
        TestClient &bob = join("Bob");
        TestClient &watcher = join("Wat");
        bob.sock.close();
        QVERIFY(slotFreed(2));
        QVERIFY(barrier(host));
        QVERIFY(barrier(watcher, "w"));
        QCOMPARE(host.count("CMD_playerdisconnected+2+Bob"), 1);
        QCOMPARE(watcher.count("CMD_playerdisconnected+2+Bob"), 1);
        QCOMPARE(server->state().players[2].name, std::string());
        QVERIFY(!server->state().players[2].loggedin);

        // The host's own connection closing is told to nobody.
        host.sock.close();
        QVERIFY(slotFreed(1));
        QVERIFY(barrier(watcher, "w2"));
        for (const auto &m : watcher.messages)
            QVERIFY(m.rfind("CMD_playerdisconnected+1", 0) != 0);
    }

    void serverSideCloseGoesThroughTheSamePathOnce()
    {
        TestClient &host = join("Host");
        TestClient &bob = join("Bob");
        TestClient &carl = join("Carl");
        host.send("CMD_kickhim+1+2+");
        QTRY_VERIFY(bob.closedByServer);
        QVERIFY(barrier(host));
        QVERIFY(barrier(carl, "c"));
        QCOMPARE(host.count("CMD_playerdisconnected+2+Bob"), 1);
        QCOMPARE(carl.count("CMD_playerdisconnected+2+Bob"), 1);
        QVERIFY(!server->state().players[2].connected);
        // "CMD_kickhim" from seat 2 changes nothing.
        carl.send("CMD_kickhim+3+1+");
        QVERIFY(barrier(carl, "c2"));
        QVERIFY(server->state().players[1].connected);
    }

    void relaysReachSenderAndWatchers()
    {
        TestClient &host = join("Host");
        TestClient &bob = join("Bob");
        for (int k = 3; k <= 4; ++k)
            connectClient();  // seats 3 and 4 connected, never logged in
        TestClient &wat = join("Wat");
        QCOMPARE(wat.slot(), 5);
        bob.send("CMD_chat+2+hi+there|clRed");
        bob.send("CMD_action+2+waves|clBlue");
        bob.send("CMD_playasound+2+wave3+");
        for (TestClient *c : {&host, &bob, &wat}) {
            QVERIFY(c->waitFor("CMD_chat+2+Bob chats: hi+there|clRed"));
            QVERIFY(c->waitFor("CMD_action+2+Bob waves|clBlue"));
            QVERIFY(c->waitFor("CMD_playasound+2+wave3+"));
        }
        // Every open connection hears broadcasts, logged in or not.
        QVERIFY(clients[2]->waitFor("CMD_chat+2+Bob chats: hi+there|clRed"));
    }

    void twoMessagesInOneReadAndOneSplitOverTwo()
    {
        TestClient &host = join("Host");
        host.sendRaw("CMD_chat+1+one\xFF"
                     "CMD_chat+1+two\xFF"
                     "CMD_chat+1+thr");
        QVERIFY(host.waitFor("CMD_chat+1+Host chats: two"));
        QTest::qWait(50);  // the tail must wait for its terminator
        QVERIFY(!host.has("CMD_chat+1+Host chats: thr"));
        host.sendRaw("ee\xFF");
        QVERIFY(host.waitFor("CMD_chat+1+Host chats: three"));
        const auto &m = host.messages;
        const auto one = std::find(m.begin(), m.end(), "CMD_chat+1+Host chats: one");
        QVERIFY(one != m.end());
        QCOMPARE(*(one + 1), std::string("CMD_chat+1+Host chats: two"));
        QCOMPARE(*(one + 2), std::string("CMD_chat+1+Host chats: three"));
        QVERIFY(!server->socktimerActive());  // idle again: no ticking
    }

    // A message that finds nothing waiting goes at once; one that finds others
    // waiting keeps the pace. A long tick makes the two plain to see.
    void loneMessageAtOnceBurstPaced()
    {
        server->setDispatchInterval(60000);
        TestClient &host = join("Host");  // the login itself was a lone message
        host.send("CMD_chat+1+lone");
        QVERIFY(host.waitFor("CMD_chat+1+Host chats: lone"));
        host.sendRaw("CMD_chat+1+first\xFF"
                     "CMD_chat+1+second\xFF");
        QVERIFY(host.waitFor("CMD_chat+1+Host chats: first"));
        QTest::qWait(100);
        QVERIFY(!host.has("CMD_chat+1+Host chats: second"));  // waits for the tick
        QCOMPARE(server->pendingCount(), std::size_t(1));
    }

    // Connections take turns: connections with hundreds of messages waiting
    // delay another's chat line by a message or two, not by their queues.
    // Unknown commands are dropped where they arrive and wait nowhere.
    void floodersTakeTurnsWithEverybodyElse()
    {
        // A slower tick keeps the queues full however slow the machine is.
        server->setDispatchInterval(50);
        TestClient &host = join("Host");
        TestClient &bob = join("Bob");
        TestClient &cid = join("Cid");
        for (TestClient *c : {&bob, &cid}) {
            const std::string n = std::to_string(c->slot());
            std::string burst;
            for (int i = 0; i < 900; ++i)
                burst += "CMD_chat+" + n + "+flood\xFF" + "CMD_nothing+" + n + "+x\xFF";
            c->sendRaw(burst);
        }
        // Everything has arrived once what waits and what was relayed make up
        // the 1800 chat lines; the unknown commands are in neither.
        QTRY_COMPARE_WITH_TIMEOUT(server->pendingCount() + seen(host), std::size_t(1800), 10000);
        QVERIFY(server->pendingCount() > 1000);
        const std::size_t before = seen(host);
        host.send("CMD_chat+1+mine");
        QVERIFY(host.waitFor("CMD_chat+1+Host chats: mine"));
        const auto mine = std::find(host.messages.begin(), host.messages.end(), "CMD_chat+1+Host chats: mine");
        const auto between = std::size_t(std::count_if(host.messages.begin(), mine, isFlood)) - before;
        QVERIFY2(between <= 4, qPrintable(QString::number(between)));
        QVERIFY(server->state().players[2].connected && server->state().players[3].connected);
    }

    void commandsMatchExactly()
    {
        TestClient &host = join("Host");
        host.send("CMD_Chat+1+upper");
        host.send("CMD_chat +1+blank");
        host.send("CMD_chatter+1+longer");
        host.send("CMD_chat");
        host.send("");
        host.send("+1+x");
        QVERIFY(barrier(host));
        for (const auto &m : host.messages)
            QVERIFY2(m.find("chats: sync") != std::string::npos ||
                         m.rfind("CMD_chat", 0) != 0,
                     m.c_str());
    }

    void botspeedNeedsItsTrailingPlusAndTheHost()
    {
        TestClient &host = join("Host");
        TestClient &bob = join("Bob");
        host.send("CMD_botspeed+1+500");
        QVERIFY(barrier(host));
        QCOMPARE(server->state().botinterval, 0);
        host.send("CMD_botspeed+1+750+");
        QVERIFY(barrier(host, "s2"));
        QCOMPARE(server->state().botinterval, 750);
        bob.send("CMD_botspeed+2+100+");
        bob.send("CMD_botspeed+1+100+");  // claiming seat 1 from slot 2
        QVERIFY(barrier(bob));
        QCOMPARE(server->state().botinterval, 750);
        host.send("CMD_botspeed+1+-5+");
        host.send("CMD_botspeed+1+x+");
        QVERIFY(barrier(host, "s3"));
        QCOMPARE(server->state().botinterval, 750);
    }

    void impersonationIsDropped()
    {
        TestClient &host = join("Host");
        TestClient &bob = join("Bob");
        TestClient &carl = join("Carl");
        bob.send("CMD_chat+3+I am Carl");
        bob.send("CMD_action+1+I am the host");
        bob.send("CMD_playasound+3+wave1+");
        bob.send("CMD_kickhim+1+3+");
        bob.send("CMD_justwatch+3+1");
        bob.send("CMD_startgame+Bob+f+");
        bob.send("CMD_bid+3+2");
        bob.send("CMD_playcard+3+1");
        bob.send("CMD_mychoose+3+53+");
        QVERIFY(barrier(bob));
        QVERIFY(barrier(carl, "c"));
        for (const auto &m : carl.messages) {
            QVERIFY2(m.find("I am") == std::string::npos, m.c_str());
            QVERIFY2(m.rfind("CMD_playasound", 0) != 0, m.c_str());
            QVERIFY2(m.rfind("CMD_justwatching", 0) != 0, m.c_str());
        }
        QVERIFY(server->state().players[3].connected);
        QVERIFY(!server->state().players[3].watching);
        QVERIFY(!server->state().gameon);

        // A login names the connection's own slot, whatever it claims.
        bob.send("CMD_logininfo+5+" + V + "+Robert");
        QVERIFY(host.waitFor("CMD_newplayerinfo+2+Robert"));
        QCOMPARE(server->state().players[2].name, std::string("Robert"));
        QVERIFY(!server->state().players[5].connected);

        // The host may set another seat to watch and back.
        host.send("CMD_justwatch+3+1");
        QVERIFY(carl.waitFor("CMD_justwatching+3+1"));
        QVERIFY(server->state().players[3].watching);
        host.send("CMD_justwatch+3+2");
        QVERIFY(carl.waitFor("CMD_justwatching+3+2"));
        QVERIFY(!server->state().players[3].watching);
        // ... and a player himself.
        carl.send("CMD_justwatch+3+1");
        QVERIFY(host.waitFor("CMD_justwatching+3+1"));
        carl.send("CMD_justwatch+3+maybe");
        QVERIFY(barrier(carl, "c2"));
        QCOMPARE(host.count("CMD_justwatching+3+1"), 2);
    }

    void outOfRangeSeatsAreDropped()
    {
        TestClient &host = join("Host");
        join("Bob");
        for (const char *m : {"CMD_kickhim+1+0+", "CMD_kickhim+1+10+", "CMD_kickhim+1+11+",
                              "CMD_kickhim+1+-1+", "CMD_kickhim+1+99999999+",
                              "CMD_justwatch+0+1", "CMD_justwatch+10+1", "CMD_justwatch+12+1",
                              "CMD_justwatch+-3+1", "CMD_chat+12+x", "CMD_chat+0+x",
                              "CMD_bid+5+1", "CMD_playcard+0+1", "CMD_logininfo+x+1.0.16+N"})
            host.send(m);
        QVERIFY(barrier(host));
        QVERIFY(server->state().players[2].connected);
        QCOMPARE(host.count("CMD_justwatching+0+1"), 0);
        QCOMPARE(server->state().players[1].name, std::string("Host"));
    }

    void unterminatedFloodClosesOnlyThatConnection()
    {
        TestClient &host = join("Host");
        TestClient &bob = join("Bob");
        TestClient &carl = join("Carl");
        bob.sendRaw(std::string(1 << 20, 'x'));  // 1 MiB without a terminator
        QTRY_VERIFY_WITH_TIMEOUT(bob.closedByServer, 10000);
        QVERIFY(host.waitFor("CMD_playerdisconnected+2+Bob"));
        QVERIFY(barrier(carl, "carl still here"));
        QVERIFY(barrier(host));
        QVERIFY(server->state().players[3].connected);
    }

    void tooManyWaitingMessagesCloseTheConnection()
    {
        TestClient &host = join("Host");
        TestClient &bob = join("Bob");
        std::string burst;
        for (int i = 0; i < 1200; ++i)
            burst += "CMD_chat+2+spam\xFF";
        bob.sendRaw(burst);
        QTRY_VERIFY(bob.closedByServer);
        QVERIFY(host.waitFor("CMD_playerdisconnected+2+Bob"));
        QVERIFY(barrier(host));
        // Its queued messages went with it.
        QVERIFY(host.count("CMD_chat+2+Bob chats: spam") < 5);
        QCOMPARE(server->pendingCount(), std::size_t(0));
    }

    // A seat is human from its login, not its accept.
    void seatIsComputerUntilLogin()
    {
        join("Host");
        TestClient &bob = connectClient();
        QCOMPARE(bob.slot(), 2);
        QVERIFY(server->state().players[2].connected);
        QVERIFY(server->state().isComputer(2));
        bob.send("CMD_logininfo+2+" + V + "+Bob");
        QVERIFY(bob.waitFor("CMD_newplayerinfo+2+Bob"));
        QVERIFY(!server->state().isComputer(2));
    }

    // A login queued just before its connection closed does not act after the close.
    void queuedMessagesDieWithTheirConnection()
    {
        TestClient &host = join("Host");
        TestClient &bob = connectClient();
        QCOMPARE(bob.slot(), 2);
        bob.send("CMD_logininfo+2+" + V + "+Ghost");
        bob.sock.close();
        QVERIFY(slotFreed(2));
        QVERIFY(barrier(host));
        QTest::qWait(30);
        QVERIFY(!server->state().players[2].connected);
        QCOMPARE(server->state().players[2].name, std::string());
        QVERIFY(!host.has("CMD_newplayerinfo+2+Ghost"));
        // The slot's next occupant is not credited with it either.
        TestClient &next = connectClient();
        QCOMPARE(next.slot(), 2);
        QVERIFY(barrier(host, "again"));
        QVERIFY(!host.has("CMD_newplayerinfo+2+Ghost"));
    }

    void namesAreMadeSafeAtLogin()
    {
        TestClient &host = join("Host");
        TestClient &bob = connectClient();
        bob.send("CMD_logininfo+2+" + V + "+A+B\x01" "C\tD");
        QVERIFY(host.waitFor("CMD_newplayerinfo+2+A B C D"));
        QCOMPARE(server->state().players[2].name, std::string("A B C D"));
        bob.send("CMD_chat+2+x");
        QVERIFY(host.waitFor("CMD_chat+2+A B C D chats: x"));
    }

    // When this program hosts, slot 1 goes only to a loopback connection.
    void slotOneOnlyForTheLoopbackHost()
    {
        server->setLoopbackHost(true);
        // Tell two local clients apart: only 127.0.0.1 counts as "this machine".
        server->setLoopbackPredicate([](const std::string &peer) { return peer == "127.0.0.1"; });
        server->startListening(0, false);
        port = server->listeningPort();
        QCOMPARE(server->listeningAddress(), std::string("0.0.0.0"));

        TestClient &remote = connectClient("127.0.0.2");
        QCOMPARE(remote.slot(), 2);
        TestClient &remote2 = connectClient("127.0.0.3");
        QCOMPARE(remote2.slot(), 3);
        TestClient &host = connectClient("127.0.0.1");
        QCOMPARE(host.slot(), 1);
        remote.sock.close();
        QVERIFY(slotFreed(2));
        host.sock.close();
        QVERIFY(slotFreed(1));
        TestClient &remote3 = connectClient("127.0.0.4");
        QCOMPARE(remote3.slot(), 2);  // slot 1 stays the host's
        TestClient &host2 = connectClient("127.0.0.1");
        QCOMPARE(host2.slot(), 1);
    }

    void soloHostListensOnLoopbackOnly()
    {
        QCOMPARE(server->listeningAddress(), std::string("127.0.0.1"));
        TServer other;
        other.startListening(0, false);
        QCOMPARE(other.listeningAddress(), std::string("0.0.0.0"));
        // Without the host rule (quillet-server) the first connection is slot 1.
        TestClient &first = connectClient("127.0.0.2");
        QCOMPARE(first.slot(), 1);
    }

    void portInUseRaisesTheBindText()
    {
        TServer other;
        bool raised = false;
        try {
            other.startListening(port, true);
        } catch (const ESockException &e) {
            raised = true;
            QCOMPARE(std::string(e.what()), std::string("Listen - Error Binding Socket"));
        }
        QVERIFY(raised);
        QVERIFY(!other.isListening());
        other.startListening(0, true);  // the failure left nothing "in use"
        QVERIFY(other.isListening());
    }

    // The engine through the real connection layer and timers: a late login
    // is brought up to date, watchers' seats are played, the game ends.
    // Two seats drop during a Full round; the second comes back first and is
    // given his own seat with his hand, not the lower free one; a stranger then
    // takes the lowest free slot; the first finds his seat taken and is seated
    // in the lowest free slot as anyone would be.
    void droppedPlayerGetsHisOwnSeatBack()
    {
        server->setTimings(Timings{20, 20, 20});
        TestClient &host = join("Host");
        TestClient &bob = join("Bob");
        TestClient &cid = join("Cid");
        host.send("CMD_startgame+Host+f+");
        QVERIFY(host.waitFor("CMD_startgame+Host+f+"));
        for (TestClient *c : {&host, &bob, &cid})
            c->send("CMD_justwatch+" + std::to_string(c->slot()) + "+1");  // the computer plays
        QTRY_VERIFY_WITH_TIMEOUT(server->state().round >= 3, 30000);
        // The host plays again but never moves: from his next turn on, the game waits.
        host.send("CMD_justwatch+1+2");
        QVERIFY(host.waitFor("CMD_justwatching+1+2"));  // seat 1 is his again, not the computer's
        QTRY_VERIFY_WITH_TIMEOUT(server->state().bidder == 1 || server->engine().playAwaited(1), 30000);

        bob.sock.disconnectFromHost();
        QVERIFY(slotFreed(2));
        cid.sock.disconnectFromHost();
        QVERIFY(slotFreed(3));
        const std::size_t heard = host.messages.size();

        TestClient &cid2 = connectClient();
        QCOMPARE(cid2.slot(), 2);  // the lowest free slot, as always
        cid2.send("CMD_logininfo+2+" + V + "+Cid");
        QVERIFY(cid2.waitFor("CMD_sendlogininfo+3"));
        cid2.send("CMD_logininfo+3+" + V + "+Cid");
        QVERIFY(cid2.waitFor("CMD_newplayerinfo+3+Cid"));
        QTRY_COMPARE(cid2.countPrefix("CMD_stats+"), 1);
        QCOMPARE(cid2.countPrefix("CMD_newplayerstuff+"), 4);
        // His own hand, as the server holds it.
        std::string hand = "CMD_placecard+3";
        for (int k = 1; k <= 13; ++k)
            if (const int card = server->state().players[3].cards[k])
                hand += "+" + std::to_string(k) + "+" + std::to_string(card);
        QVERIFY(cid2.has(hand));
        // Slot 2 was let go without a word.
        QVERIFY(host.waitFor("CMD_newplayerinfo+3+Cid"));
        for (std::size_t i = heard; i < host.messages.size(); ++i) {
            QVERIFY(host.messages[i].rfind("CMD_newplayerinfo+2+", 0) != 0);
            QVERIFY(host.messages[i].rfind("CMD_playerdisconnected+2+", 0) != 0);
        }
        QVERIFY(!server->state().players[2].connected);
        QVERIFY(server->state().players[3].connected && server->state().players[3].loggedin);

        TestClient &dan = join("Dan");
        QCOMPARE(dan.slot(), 2);

        TestClient &bob2 = connectClient();
        QCOMPARE(bob2.slot(), 4);
        bob2.send("CMD_logininfo+4+" + V + "+Bob");
        QVERIFY(bob2.waitFor("CMD_newplayerinfo+4+Bob"));
        QVERIFY(!bob2.has("CMD_sendlogininfo+2"));
        QTRY_COMPARE(bob2.countPrefix("CMD_stats+"), 1);
    }

    // The host removes a player: that player's table hears it is out before
    // the connection closes, so it closes rather than trying again.
    void removedPlayerIsToldFirst()
    {
        TestClient &host = join("Host");
        TestClient &bob = join("Bob");
        host.send("CMD_kickhim+1+2+");
        QTRY_VERIFY(bob.closedByServer);
        QVERIFY(bob.has("CMD_playerdisconnected+2+Bob"));
        QVERIFY(host.waitFor("CMD_playerdisconnected+2+Bob"));
        // And a removed name logging in again is just a newcomer.
        TestClient &again = join("Bob");
        QCOMPARE(again.slot(), 2);
    }

    void wholeGameWithALateLogin()
    {
        server->setTimings(Timings{10, 10, 2});
        TestClient &host = join("Host");
        host.send("CMD_botspeed+1+500+");
        host.send("CMD_startgame+Host+h+");
        QVERIFY(host.waitFor("CMD_startgame+Host+h+"));
        host.send("CMD_justwatch+1+1");  // the computer plays seat 1 too
        QVERIFY(host.waitFor("CMD_justwatching+1+1"));
        QVERIFY(server->state().gameon);

        TestClient &bob = connectClient();
        QCOMPARE(bob.slot(), 2);
        bob.send("CMD_logininfo+2+" + V + "+Bob");
        QVERIFY(bob.waitFor("CMD_newplayerinfo+2+Bob"));
        bob.send("CMD_justwatch+2+1");
        QTRY_COMPARE(bob.countPrefix("CMD_stats+"), 1);
        QCOMPARE(bob.countPrefix("CMD_newplayerstuff+"), 4);

        QTRY_COMPARE_WITH_TIMEOUT(host.countPrefix("CMD_winner+"), 1, 60000);
        QTRY_COMPARE(bob.countPrefix("CMD_winner+"), 1);
        QVERIFY(!server->state().gameon);
        QTRY_VERIFY(!server->socktimerActive() && !server->waitaminuteActive() &&
                    !server->computertimerActive());
    }

    // Garbage in any field of any command never crashes and never stops the server.
    void randomMessagesAreSurvived()
    {
        server->setTimings(Timings{0, 0, 0});
        TestClient &host = join("Host");
        TestClient &bob = join("Bob");
        host.send("CMD_startgame+Host+m+");
        const char *commands[] = {"CMD_logininfo", "CMD_startgame", "CMD_bid",    "CMD_mychoose",
                                  "CMD_playcard",  "CMD_chat",      "CMD_action", "CMD_playasound",
                                  "CMD_justwatch", "CMD_kickhim",   "CMD_botspeed"};
        const char *fields[] = {"1", "2", "0", "-1", "13", "14", "53", "9", "10", "12",
                                "999999999", "-999999999", "", "x", "h", "f", "m", "1.0.16"};
        std::uint32_t rng = 12345;
        auto next = [&](std::uint32_t n) {
            rng = rng * 1664525u + 1013904223u;
            return (rng >> 8) % n;
        };
        for (int i = 0; i < 300; ++i) {
            TestClient &from = next(3) == 0 ? bob : host;
            std::string m = commands[next(11)];
            const int count = int(next(5));
            for (int f = 0; f < count; ++f)
                m += std::string("+") + fields[next(18)];
            if (next(2))
                m += '+';
            if (m.rfind("CMD_kickhim", 0) == 0)
                continue;  // keep both connections
            from.send(m);
        }
        QVERIFY(barrier(host));
        QVERIFY(barrier(bob, "b"));
        QVERIFY(server->state().players[1].connected);
        QVERIFY(server->state().players[2].connected);
    }

    void stopDropsEverybodyAndResets()
    {
        TestClient &host = join("Host");
        TestClient &bob = join("Bob");
        server->stop();
        QTRY_VERIFY(host.closedByServer);
        QTRY_VERIFY(bob.closedByServer);
        QVERIFY(!server->isListening());
        QCOMPARE(server->state().slotcount, 0);
        QVERIFY(!host.has("CMD_playerdisconnected+2+Bob"));
        server->startListening(0, true);
        port = server->listeningPort();
        TestClient &again = connectClient();
        QCOMPARE(again.slot(), 1);
    }
};

QTEST_GUILESS_MAIN(TestTServer)
#include "test_tserver.moc"
