// The lobby's rules without its window: names, addresses, the recent list,
// the game's command lines, the settings section and the lobby's own
// command line.
#include "lobby/lobbyapp.h"
#include "lobby/lobbyrules.h"
#include "lobby/lobbysettings.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillet::lobby;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestLobbyRules : public QObject {
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void goodAddresses_data();
    void goodAddresses();
    void badAddresses_data();
    void badAddresses();
    void recentList();
    void gameCommandLines();
    void settingsRoundTrip();
    void settingsKeepOtherSections();
    void settingsRejectGarbage();
    void lobbyCommandLine();
    void lobbyProgramOptions();
};

void TestLobbyRules::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");
    QTest::newRow("plain") << "Ann" << "";
    QTest::newRow("blanks around") << "  Ann Lee  " << "";
    QTest::newRow("accents") << QString::fromUtf8("Zoë Ångström") << "";
    QTest::newRow("24 characters") << QString(24, 'x') << "";
    QTest::newRow("inner dash") << "Jean-Luc" << "";
    QTest::newRow("empty") << "" << "Please enter your name.";
    QTest::newRow("blanks only") << "   " << "Please enter your name.";
    QTest::newRow("plus") << "A+B" << "A name cannot contain '+': the game would turn it into a blank.";
    QTest::newRow("tab") << "A\tB" << "A name cannot contain control characters.";
    QTest::newRow("escape") << "A\x1b[31mB" << "A name cannot contain control characters.";
    QTest::newRow("delete") << "A\x7f" << "A name cannot contain control characters.";
    QTest::newRow("line separator") << QString("A") + QChar(0x2028) + "B"
                                    << "A name cannot contain control characters.";
    QTest::newRow("option-like") << "--home" << "A name cannot begin with '-'.";
    QTest::newRow("help") << "-h" << "A name cannot begin with '-'.";
    QTest::newRow("25 characters") << QString(25, 'x') << "A name can be at most 24 characters long.";
}

void TestLobbyRules::names()
{
    QFETCH(QString, name);
    QFETCH(QString, error);
    QCOMPARE(checkName(name), error);
}

void TestLobbyRules::goodAddresses_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("ipv4") << "127.1.2.20" << "127.1.2.20" << 0;
    QTest::newRow("ipv4 and port") << "127.1.2.20:7001" << "127.1.2.20" << 7001;
    QTest::newRow("loopback") << "127.0.0.1" << "127.0.0.1" << 0;
    QTest::newRow("pasted with blanks") << "  127.0.0.5:7772 \n" << "127.0.0.5" << 7772;
    QTest::newRow("name") << "localhost" << "localhost" << 0;
    QTest::newRow("dotted name, capitals") << "Game.Example.ORG:65535" << "game.example.org" << 65535;
    QTest::newRow("name starting with a digit") << "1up.example" << "1up.example" << 0;
    QTest::newRow("trailing dot") << "example.com." << "example.com." << 0;
    QTest::newRow("port 1") << "h:1" << "h" << 1;
}

void TestLobbyRules::goodAddresses()
{
    QFETCH(QString, typed);
    QFETCH(QString, host);
    QFETCH(int, port);
    const JoinAddress a = parseAddress(typed);
    QVERIFY2(a.ok(), qPrintable(a.error));
    QCOMPARE(a.host, host);
    QCOMPARE(a.port, port);
    QCOMPARE(a.text(), port ? host + ':' + QString::number(port) : host);
}

void TestLobbyRules::badAddresses_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("error");
    const QString badPort = "The port after ':' must be a number from 1 to 65535.";
    auto notIPv4 = [](const char *a) {
        return QString("\"%1\" is not an IPv4 address: it needs four numbers from 0 to 255, like 192.168.1.20.")
            .arg(a);
    };
    auto badName = [](const char *a) {
        return QString("\"%1\" is not a valid host name: use letters, digits, '-' and '.'.").arg(a);
    };
    QTest::newRow("empty") << "" << "Please enter the address of the game to join.";
    QTest::newRow("blanks") << "   " << "Please enter the address of the game to join.";
    QTest::newRow("inner space") << "127.1. 2.20" << "An address cannot contain spaces.";
    QTest::newRow("space before port") << "host :7772" << "An address cannot contain spaces.";
    QTest::newRow("port 0") << "host:0" << badPort;
    QTest::newRow("port 70000") << "host:70000" << badPort;
    QTest::newRow("port 65536") << "127.0.0.1:65536" << badPort;
    QTest::newRow("port letters") << "host:abc" << badPort;
    QTest::newRow("port sign") << "host:+80" << badPort;
    QTest::newRow("port empty") << "host:" << badPort;
    QTest::newRow("port huge") << "host:99999999999999999999" << badPort;
    QTest::newRow("only port") << ":7772" << "Please enter the address before the ':'.";
    QTest::newRow("three numbers") << "1.2.3" << notIPv4("1.2.3");
    QTest::newRow("five numbers") << "1.2.3.4.5" << notIPv4("1.2.3.4.5");
    QTest::newRow("256") << "1.2.3.256" << notIPv4("1.2.3.256");
    QTest::newRow("leading zero") << "010.1.1.1" << notIPv4("010.1.1.1");
    QTest::newRow("empty part") << "1..2.3" << notIPv4("1..2.3");
    QTest::newRow("one number") << "3232235796" << notIPv4("3232235796");
    QTest::newRow("this network") << "0.0.0.0" << "\"0.0.0.0\" is not an address a game can be hosted at.";
    QTest::newRow("multicast") << "224.0.0.1" << "\"224.0.0.1\" is not an address a game can be hosted at.";
    QTest::newRow("broadcast") << "255.255.255.255"
                               << "\"255.255.255.255\" is not an address a game can be hosted at.";
    QTest::newRow("underscore") << "my_host" << badName("my_host");
    QTest::newRow("double dot") << "a..b" << badName("a..b");
    QTest::newRow("leading dash") << "-a.example" << badName("-a.example");
    QTest::newRow("label too long") << QString(64, 'a') + ".com" << QString("\"%1.com\" is not a valid host name: "
                                                                           "use letters, digits, '-' and '.'.")
                                                                       .arg(QString(64, 'a'));
    QTest::newRow("too long") << QString(300, 'a') << "That address is too long.";
    QTest::newRow("web address") << "http://example.com"
                                 << "Enter only the host name or IPv4 address, and \":port\" if the host gave one "
                                    "(no \"http://\" or path).";
    QTest::newRow("ipv6") << "::1" << "IPv6 addresses are not supported: use an IPv4 address or a host name.";
    QTest::newRow("ipv6 bracket") << "[fe80::1]:7772"
                                  << "IPv6 addresses are not supported: use an IPv4 address or a host name.";
}

void TestLobbyRules::badAddresses()
{
    QFETCH(QString, typed);
    QFETCH(QString, error);
    const JoinAddress a = parseAddress(typed);
    QCOMPARE(a.error, error);
    QVERIFY(a.host.isEmpty());
}

void TestLobbyRules::recentList()
{
    QStringList list;
    for (int i = 1; i <= 12; ++i)
        list = withRecent(list, QString("127.0.0.%1").arg(i));
    QCOMPARE(list.size(), kMaxRecent);
    QCOMPARE(list.first(), QString("127.0.0.12"));
    QCOMPARE(list.last(), QString("127.0.0.3"));
    // Joining one again moves it to the front without a copy.
    list = withRecent(list, "127.0.0.7");
    QCOMPARE(list.size(), kMaxRecent);
    QCOMPARE(list.first(), QString("127.0.0.7"));
    QCOMPARE(list.count("127.0.0.7"), 1);
    QCOMPARE(list.at(1), QString("127.0.0.12"));
    // The same host with a port is another address.
    list = withRecent(list, "127.0.0.7:7001");
    QCOMPARE(list.mid(0, 2), (QStringList{"127.0.0.7:7001", "127.0.0.7"}));
}

void TestLobbyRules::gameCommandLines()
{
    const GameOptions plain;
    QCOMPARE(hostArguments(" Ann ", 7772, plain), (QStringList{"--", "Ann", "127.0.0.1", "true"}));
    QCOMPARE(hostArguments("Ann", 7001, plain), (QStringList{"--port", "7001", "--", "Ann", "127.0.0.1", "true"}));
    QCOMPARE(joinArguments("Bo", parseAddress("Example.com"), plain), (QStringList{"--", "Bo", "example.com", "join"}));
    // Options first: after "--" a name that looks like one stays the name.
    QCOMPARE(hostArguments("-h", 7772, plain), (QStringList{"--", "-h", "127.0.0.1", "true"}));
    // A port given is passed on, even the default one.
    QCOMPARE(joinArguments("Bo", parseAddress("127.0.0.5:7772"), plain),
             (QStringList{"--port", "7772", "--", "Bo", "127.0.0.5", "join"}));
    QCOMPARE(soloArguments(plain), QStringList());

    const GameOptions home{"/tmp/a b", kDefaultLobbyPort};
    QCOMPARE(hostArguments("Ann", 7772, home), (QStringList{"--home", "/tmp/a b", "--", "Ann", "127.0.0.1", "true"}));
    QCOMPARE(soloArguments(home), (QStringList{"--home", "/tmp/a b"}));

    const GameOptions both{"/h", 9100};
    QCOMPARE(joinArguments("Bo", parseAddress("h:7001"), both),
             (QStringList{"--port", "7001", "--home", "/h", "--lobby-port", "9100", "--", "Bo", "h", "join"}));
    // A solo game never calls the lobby.
    QCOMPARE(soloArguments(both), (QStringList{"--home", "/h"}));
}

void TestLobbyRules::settingsRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zolvexlobby.ini");
    const LobbySettings missing = readLobbySettings(path);
    QCOMPARE(missing.name, QString());
    QCOMPARE(missing.hostPort, 7772);
    QVERIFY(missing.recent.isEmpty());
    // No empty keys for a list that never was longer.
    QVERIFY(writeLobbySettings(path, LobbySettings{"Ann", 7772, {"a.example"}}));
    QCOMPARE(readAll(path), QByteArray("[Lobby]\r\nName=Ann\r\nHostPort=7772\r\nRecent1=a.example\r\n"));

    LobbySettings s;
    s.name = QString::fromUtf8("Zoë");
    s.hostPort = 7001;
    for (int i = 0; i < kMaxRecent; ++i)
        s.recent << QString("host%1.example:%2").arg(i).arg(7000 + i);
    QString error;
    QVERIFY2(writeLobbySettings(path, s, &error), qPrintable(error));
    const LobbySettings back = readLobbySettings(path);
    QCOMPARE(back.name, s.name);
    QCOMPARE(back.hostPort, 7001);
    QCOMPARE(back.recent, s.recent);

    // A shorter list leaves no stale entries behind.
    s.recent = QStringList{"a.example"};
    QVERIFY(writeLobbySettings(path, s));
    QCOMPARE(readLobbySettings(path).recent, QStringList{"a.example"});
}

void TestLobbyRules::settingsKeepOtherSections()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zolvexlobby.ini");
    const QByteArray before = "; the game's own\r\n[Quillet]\r\nTop=120\r\n  Botspeed = 1000 \r\nPhrase1=hi+there\r\n"
                              "\r\n";
    const QByteArray lobby = "[lobby]\r\nname=Old\r\nRecent1=127.0.0.1\r\n";
    const QByteArray after = "[Other]\r\nKey=Value\r\ngarbage line without equals\r\n";
    QVERIFY(writeAll(path, before + lobby + after));

    LobbySettings s = readLobbySettings(path);
    QCOMPARE(s.name, QString("Old"));
    s.name = "New";
    s.recent = withRecent(s.recent, "127.0.0.2");
    QVERIFY(writeLobbySettings(path, s));

    const QByteArray now = readAll(path);
    QVERIFY2(now.startsWith(before + "[lobby]\r\n"), now.constData());
    QVERIFY2(now.endsWith(after), now.constData());
    const QByteArray section = now.mid(before.size(), now.size() - before.size() - after.size());
    QVERIFY(section.contains("name=New\r\n")); // the file's own spelling of the key stays
    QCOMPARE(readLobbySettings(path).recent, (QStringList{"127.0.0.2", "127.0.0.1"}));
}

void TestLobbyRules::settingsRejectGarbage()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zolvexlobby.ini");
    QVERIFY(writeAll(path, "[Lobby]\nHostPort=70000\nRecent1=1.2.3\nRecent2=good.example\nRecent3=has space\n"
                           "Recent4=GOOD.example\nRecent5=127.0.0.9:0\nRecent11=ignored.example\n"));
    const LobbySettings s = readLobbySettings(path);
    QCOMPARE(s.hostPort, 7772);
    QCOMPARE(s.recent, QStringList{"good.example"});
    QVERIFY(writeAll(path, "[Lobby]\nHostPort=-5\n"));
    QCOMPARE(readLobbySettings(path).hostPort, 7772);
}

void TestLobbyRules::lobbyCommandLine()
{
    const LobbyCommandLine all = parseLobbyCommandLine({"--home", "/tmp/x", "--lobby-port", "9100", "--game", "g"});
    QVERIFY(all.error.isEmpty());
    QCOMPARE(all.home, QString("/tmp/x"));
    QCOMPARE(all.lobbyPort, 9100);
    QCOMPARE(all.game, QString("g"));
    QCOMPARE(parseLobbyCommandLine({}).lobbyPort, 9001);
    QVERIFY(parseLobbyCommandLine({"--help"}).help);
    QVERIFY(parseLobbyCommandLine({"--version"}).version);
    for (const QStringList &bad : QList<QStringList>{{"--lobby-port", "0"},
                                                     {"--lobby-port", "70000"},
                                                     {"--lobby-port", "x"},
                                                     {"--home"},
                                                     {"--home", ""},
                                                     {"--bogus"},
                                                     {"Ann"}})
        QVERIFY2(!parseLobbyCommandLine(bad).error.isEmpty(), qPrintable(bad.join(' ')));
}

void TestLobbyRules::lobbyProgramOptions()
{
    auto run = [](const QStringList &args, QByteArray *out, QByteArray *err) {
        QProcess p;
        p.start(LOBBY_PROGRAM, args);
        if (!p.waitForFinished(20000))
            return -1;
        *out = p.readAllStandardOutput();
        *err = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QByteArray out, err;
    QCOMPARE(run({"--help"}, &out, &err), 0);
    QVERIFY(out.startsWith("Usage: zolvexlobby"));
    QVERIFY(out.contains("--game PROGRAM"));
    QVERIFY(err.isEmpty());
    QCOMPARE(run({"--version"}, &out, &err), 0);
    QCOMPARE(out, QByteArray("zolvexlobby " QUILLET_VERSION "\n"));
    QCOMPARE(run({"--nonsense"}, &out, &err), 2);
    QVERIFY(out.isEmpty());
    QVERIFY(err.startsWith("zolvexlobby: unknown option: --nonsense\nUsage: zolvexlobby"));
}

QTEST_GUILESS_MAIN(TestLobbyRules)
#include "test_lobby_rules.moc"
