// The lobby window driving a stand-in game over loopback: the command lines
// it starts, the game's connection and "In a game", the messages, and what it
// remembers across a restart.
#include "app/singleinstance.h"
#include "lobby/gameprocess.h"
#include "lobby/lobbysettings.h"
#include "lobby/lobbywindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillet;
using namespace quillet::lobby;

namespace {

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The stand-in games report here: their command line, then their replies.
class Control : public QObject {
    Q_OBJECT
public:
    struct Game {
        QTcpSocket *socket = nullptr;
        QStringList argv;
        QList<QByteArray> replies;
        bool reported = false;
    };

    Control()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = server_.nextPendingConnection()) {
                auto *g = new Game;
                g->socket = s;
                games.append(g);
                connect(s, &QTcpSocket::readyRead, this, [g] {
                    while (g->socket->canReadLine()) {
                        const QByteArray line = g->socket->readLine().trimmed();
                        if (!g->reported) {
                            for (const QJsonValue &v : QJsonDocument::fromJson(line).array())
                                g->argv << v.toString();
                            g->reported = true;
                        } else {
                            g->replies << line;
                        }
                    }
                });
            }
        });
    }
    ~Control() override
    {
        // Closing the control connections ends every stand-in still running.
        qDeleteAll(games);
    }

    int port() const { return server_.serverPort(); }
    int reportedCount() const
    {
        int n = 0;
        for (const Game *g : games)
            n += g->reported ? 1 : 0;
        return n;
    }
    Game *last() const { return games.isEmpty() ? nullptr : games.last(); }
    static void tell(Game *g, const QByteArray &command) { g->socket->write(command + '\n'); }

    QList<Game *> games;

private:
    QTcpServer server_;
};

} // namespace

class TestLobbyWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void hostCommandLines();
    void joinAndSoloCommandLines();
    void connectionEndsTheGame();
    void processEndEndsTheGame();
    void secondConnectionRefused();
    void gameStartedElsewhere();
    void nameAndAddressMessages();
    void portMessages();
    void gameProgramMessages();
    void gameAlreadyOpen();
    void lobbyPortInUse();
    void rememberedAcrossRestart();
    void addressesAndCopy();
    void gameProgramSearch();

private:
    LobbyWindow *makeWindow();
    // Starts a game with `click` and waits for the stand-in to report.
    Control::Game *startGame(LobbyWindow *w, QPushButton *button);
    void endGame(LobbyWindow *w, Control::Game *g);
    // Hosts as "Ann" and has the stand-in call the lobby; null on failure.
    Control::Game *hostConnected(LobbyWindow *w);

    std::unique_ptr<Control> control_;
    std::unique_ptr<QTemporaryDir> home_;
    LobbyConfig config_;
    QList<LobbyWindow *> windows_;
};

void TestLobbyWindow::initTestCase()
{
    QVERIFY(QFile::exists(STANDIN_PROGRAM));
}

void TestLobbyWindow::init()
{
    control_ = std::make_unique<Control>();
    qputenv("LOBBY_STANDIN_CONTROL", QByteArray::number(control_->port()));
    home_ = std::make_unique<QTemporaryDir>();
    config_ = LobbyConfig{home_->path(), freePort(), STANDIN_PROGRAM};
}

void TestLobbyWindow::cleanup()
{
    qDeleteAll(windows_);
    windows_.clear();
    control_.reset();
}

LobbyWindow *TestLobbyWindow::makeWindow()
{
    auto *w = new LobbyWindow(config_);
    windows_ << w;
    w->askPortInUse = [](const QString &) { return LobbyWindow::PortChoice::Quit; };
    w->findAddresses = [] { return QStringList{"127.1.2.20"}; };
    w->refreshAddresses();
    if (!w->startListening())
        qWarning("the lobby port is taken");
    w->show();
    return w;
}

Control::Game *TestLobbyWindow::startGame(LobbyWindow *w, QPushButton *button)
{
    const int before = control_->reportedCount();
    QTest::mouseClick(button, Qt::LeftButton);
    if (!w->inGame())
        return nullptr;
    if (!QTest::qWaitFor([&] { return control_->reportedCount() == before + 1; }, 10000))
        return nullptr;
    return control_->last();
}

void TestLobbyWindow::endGame(LobbyWindow *w, Control::Game *g)
{
    QSignalSpy ended(w, &LobbyWindow::gameEnded);
    Control::tell(g, "exit");
    QVERIFY(ended.wait(10000) || ended.size() == 1);
    QCOMPARE(w->label_status->text(), QString("Not in a game"));
}

Control::Game *TestLobbyWindow::hostConnected(LobbyWindow *w)
{
    w->edit_name->setText("Ann");
    Control::Game *g = startGame(w, w->button_host);
    if (!g)
        return nullptr;
    Control::tell(g, "connect " + QByteArray::number(config_.lobbyPort));
    if (!QTest::qWaitFor([&] { return !g->replies.isEmpty(); }, 10000) || g->replies[0] != "connected")
        return nullptr;
    return g;
}

void TestLobbyWindow::hostCommandLines()
{
    LobbyWindow *w = makeWindow();
    const QString lobbyPort = QString::number(config_.lobbyPort);
    w->edit_name->setText(" Ann ");
    QCOMPARE(w->label_status->text(), QString("Not in a game"));

    Control::Game *g = startGame(w, w->button_host);
    QVERIFY(g);
    QCOMPARE(g->argv, (QStringList{"--home", home_->path(), "--lobby-port", lobbyPort, "--", "Ann", "127.0.0.1", "true"}));
    QCOMPARE(w->label_status->text(), QString("In a game"));
    for (QWidget *c : std::initializer_list<QWidget *>{w->button_host, w->button_join, w->button_solo, w->edit_name,
                                                        w->spin_port, w->combo_address})
        QVERIFY(!c->isEnabled());
    QVERIFY(w->button_copy->isEnabled()); // the host still needs to pass the address on
    QVERIFY(w->label_message->text().startsWith("Hosting on port 7772."));
    endGame(w, g);
    QVERIFY(w->button_host->isEnabled());
    QCOMPARE(w->focusWidget(), w->button_host); // not the Copy button that kept it meanwhile

    // Another game port is passed on.
    const int port = freePort();
    w->spin_port->setValue(port);
    g = startGame(w, w->button_host);
    QVERIFY(g);
    QCOMPARE(g->argv, (QStringList{"--port", QString::number(port), "--home", home_->path(), "--lobby-port",
                                   lobbyPort, "--", "Ann", "127.0.0.1", "true"}));
    endGame(w, g);
}

void TestLobbyWindow::joinAndSoloCommandLines()
{
    LobbyWindow *w = makeWindow();
    const QString lobbyPort = QString::number(config_.lobbyPort);
    w->edit_name->setText("Bo");
    w->combo_address->setEditText(" Game.Example.com:7001 ");
    Control::Game *g = startGame(w, w->button_join);
    QVERIFY(g);
    QCOMPARE(g->argv, (QStringList{"--port", "7001", "--home", home_->path(), "--lobby-port", lobbyPort, "--", "Bo",
                                   "game.example.com", "join"}));
    QVERIFY(w->label_message->text().startsWith("Joining the game at game.example.com:7001"));
    endGame(w, g);

    // Return in the address field joins too.
    w->combo_address->setEditText("127.0.0.5");
    const int before = control_->reportedCount();
    QTest::keyClick(w->combo_address->lineEdit(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(control_->reportedCount(), before + 1, 10000);
    QCOMPARE(control_->last()->argv,
             (QStringList{"--home", home_->path(), "--lobby-port", lobbyPort, "--", "Bo", "127.0.0.5", "join"}));
    endGame(w, control_->last());

    // Solo needs no name and never calls the lobby.
    w->edit_name->clear();
    g = startGame(w, w->button_solo);
    QVERIFY(g);
    QCOMPARE(g->argv, (QStringList{"--home", home_->path()}));
    QCOMPARE(w->label_status->text(), QString("In a game"));
    endGame(w, g);
}

void TestLobbyWindow::connectionEndsTheGame()
{
    LobbyWindow *w = makeWindow();
    Control::Game *g = hostConnected(w);
    QVERIFY(g);
    QCOMPARE(w->label_status->text(), QString("In a game"));

    // The table closed its connection: the game is over for the lobby even
    // while the process is still on its way out.
    QSignalSpy ended(w, &LobbyWindow::gameEnded);
    Control::tell(g, "drop");
    QVERIFY(ended.wait(10000));
    QCOMPARE(w->label_status->text(), QString("Not in a game"));
    QVERIFY(w->button_host->isEnabled());
    QVERIFY(w->isVisible());

    // A new game can start meanwhile, and the old process's end is no news.
    Control::Game *next = startGame(w, w->button_host);
    QVERIFY(next);
    Control::tell(g, "exit");
    QTRY_COMPARE_WITH_TIMEOUT(g->socket->state(), QAbstractSocket::UnconnectedState, 10000);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(w->label_status->text(), QString("In a game"));
    endGame(w, next);
}

void TestLobbyWindow::processEndEndsTheGame()
{
    LobbyWindow *w = makeWindow();
    Control::Game *g = hostConnected(w);
    QVERIFY(g);
    w->showMinimized();
    QSignalSpy ended(w, &LobbyWindow::gameEnded);
    Control::tell(g, "exit");
    QVERIFY(ended.wait(10000));
    QCOMPARE(ended.size(), 1); // not once for the process and once for the connection
    QVERIFY(!w->isMinimized());
    QVERIFY(w->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(g->socket->state(), QAbstractSocket::UnconnectedState, 10000);
    QCOMPARE(ended.size(), 1);
}

void TestLobbyWindow::secondConnectionRefused()
{
    LobbyWindow *w = makeWindow();
    Control::Game *g = hostConnected(w);
    QVERIFY(g);

    QTcpSocket second;
    QSignalSpy closed(&second, &QTcpSocket::disconnected);
    second.connectToHost(QHostAddress::LocalHost, quint16(config_.lobbyPort));
    QVERIFY(closed.wait(10000));
    QCOMPARE(w->label_message->text(),
             QString("Another game tried to reach the lobby while this one is open; it was turned away."));
    QCOMPARE(w->label_status->text(), QString("In a game"));
    endGame(w, g);
}

void TestLobbyWindow::gameStartedElsewhere()
{
    LobbyWindow *w = makeWindow();
    QTcpSocket game;
    game.connectToHost(QHostAddress::LocalHost, quint16(config_.lobbyPort));
    QTRY_COMPARE_WITH_TIMEOUT(w->label_status->text(), QString("In a game"), 10000);
    QVERIFY(!w->button_host->isEnabled());
    // Bytes on it are not expected and change nothing.
    game.write("hello");
    QSignalSpy ended(w, &LobbyWindow::gameEnded);
    game.disconnectFromHost();
    QVERIFY(ended.wait(10000));
    QCOMPARE(w->label_status->text(), QString("Not in a game"));
    QCOMPARE(control_->games.size(), 0);
}

void TestLobbyWindow::nameAndAddressMessages()
{
    LobbyWindow *w = makeWindow();
    QTest::mouseClick(w->button_host, Qt::LeftButton);
    QCOMPARE(w->label_message->text(), QString("Please enter your name."));
    QCOMPARE(w->focusWidget(), w->edit_name);
    w->edit_name->setText("A+B");
    QTest::mouseClick(w->button_join, Qt::LeftButton);
    QCOMPARE(w->label_message->text(), QString("A name cannot contain '+': the game would turn it into a blank."));
    w->edit_name->setText("Ann");
    w->combo_address->setEditText("");
    QTest::mouseClick(w->button_join, Qt::LeftButton);
    QCOMPARE(w->label_message->text(), QString("Please enter the address of the game to join."));
    w->combo_address->setEditText("1.2.3");
    QTest::mouseClick(w->button_join, Qt::LeftButton);
    QCOMPARE(w->label_message->text(),
             QString("\"1.2.3\" is not an IPv4 address: it needs four numbers from 0 to 255, like 192.168.1.20."));
    w->combo_address->setEditText("host:70000");
    QTest::mouseClick(w->button_join, Qt::LeftButton);
    QCOMPARE(w->label_message->text(), QString("The port after ':' must be a number from 1 to 65535."));
    QVERIFY(!w->inGame());
    QCOMPARE(control_->games.size(), 0);
    // Nothing bad was remembered.
    QVERIFY(readLobbySettings(w->settingsPath()).recent.isEmpty());
}

void TestLobbyWindow::portMessages()
{
    LobbyWindow *w = makeWindow();
    w->edit_name->setText("Ann");
    // Taken on the loopback address only is still taken for the game, which
    // listens on every address.
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
    w->spin_port->setValue(holder.serverPort());
    QTest::mouseClick(w->button_host, Qt::LeftButton);
    QVERIFY2(w->label_message->text().startsWith(
                 QString("Port %1 is already in use on this computer (").arg(holder.serverPort())),
             qPrintable(w->label_message->text()));
    QVERIFY(w->label_message->text().endsWith("Choose another port, or close the program that uses it."));
    QVERIFY(!w->inGame());

    w->spin_port->setValue(config_.lobbyPort);
    QTest::mouseClick(w->button_host, Qt::LeftButton);
    QCOMPARE(w->label_message->text(),
             QString("Port %1 is the lobby's own port: choose another port for the game.").arg(config_.lobbyPort));
    QCOMPARE(control_->games.size(), 0);
}

void TestLobbyWindow::gameProgramMessages()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("quillet");
    config_.gameProgram = missing;
    LobbyWindow *w = makeWindow();
    w->edit_name->setText("Ann");
    QTest::mouseClick(w->button_host, Qt::LeftButton);
    QCOMPARE(w->label_message->text(), QString("The game program \"%1\" was not found, or cannot be run.").arg(missing));

    // There, but not a program.
    QFile file(missing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a program\n");
    file.close();
    QTest::mouseClick(w->button_solo, Qt::LeftButton);
    QCOMPARE(w->label_message->text(), QString("The game program \"%1\" was not found, or cannot be run.").arg(missing));

    // Marked as a program, but the system cannot run it.
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QTest::mouseClick(w->button_solo, Qt::LeftButton);
    QVERIFY2(w->label_message->text().startsWith("The game could not be started: "),
             qPrintable(w->label_message->text()));
    QVERIFY(!w->inGame());
    QCOMPARE(w->label_status->text(), QString("Not in a game"));
    QVERIFY(w->button_solo->isEnabled());
}

void TestLobbyWindow::gameAlreadyOpen()
{
    // A game opened outside the lobby for the same home would only raise itself.
    SingleInstance game(SingleInstance::keyFor(home_->path()));
    QVERIFY(!game.anotherRuns());
    LobbyWindow *w = makeWindow();
    w->edit_name->setText("Ann");
    QTest::mouseClick(w->button_host, Qt::LeftButton);
    QCOMPARE(w->label_message->text(), QString("A game of Quillet is already open. Close it first, then try again."));
    QCOMPARE(control_->games.size(), 0);
}

void TestLobbyWindow::lobbyPortInUse()
{
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
    config_.lobbyPort = holder.serverPort();

    QStringList asked;
    {
        LobbyWindow w(config_);
        w.askPortInUse = [&](const QString &text) {
            asked << text;
            return LobbyWindow::PortChoice::Quit;
        };
        QVERIFY(!w.startListening());
    }
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked[0].startsWith(QString("The lobby cannot use port %1 on this computer (").arg(config_.lobbyPort)),
             qPrintable(asked[0]));

    {
        LobbyWindow w(config_);
        w.askPortInUse = [](const QString &) { return LobbyWindow::PortChoice::GoOn; };
        QVERIFY(w.startListening());
        QCOMPARE(w.label_status->text(),
                 QString("Not in a game (the lobby is not listening on port %1)").arg(config_.lobbyPort));
    }

    // Try again, once the other program let go of it.
    asked.clear();
    LobbyWindow w(config_);
    w.askPortInUse = [&](const QString &text) {
        asked << text;
        holder.close();
        return LobbyWindow::PortChoice::Retry;
    };
    QVERIFY(w.startListening());
    QCOMPARE(asked.size(), 1);
    QCOMPARE(w.label_status->text(), QString("Not in a game"));
}

void TestLobbyWindow::rememberedAcrossRestart()
{
    const QString path = QDir(home_->path()).filePath("zolvexlobby.ini");
    const QByteArray quillet = "[Quillet]\r\nTop=40\r\nTextcolor=$00FF0000\r\n; a comment\r\n\r\n";
    const QByteArray other = "[Somebody Else]\r\nx = 1\r\n";
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(quillet + other);
    }
    LobbySettings seeded;
    seeded.name = "Old";
    for (int i = 1; i <= 10; ++i)
        seeded.recent << QString("127.0.0.%1").arg(i);
    QVERIFY(writeLobbySettings(path, seeded));

    {
        LobbyWindow *w = makeWindow();
        QCOMPARE(w->settingsPath(), path);
        QCOMPARE(w->edit_name->text(), QString("Old"));
        QCOMPARE(w->combo_address->count(), 10);
        QCOMPARE(w->combo_address->currentText(), QString("127.0.0.1"));
        w->edit_name->setText("Cy");
        w->combo_address->setEditText("New.Example:7001");
        Control::Game *g = startGame(w, w->button_join);
        QVERIFY(g);
        endGame(w, g);
        // Joined again: to the front, not twice.
        w->combo_address->setEditText("127.0.0.4");
        g = startGame(w, w->button_join);
        QVERIFY(g);
        endGame(w, g);
        w->close();
        windows_.removeAll(w);
        delete w;
    }

    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray now = f.readAll();
    QVERIFY2(now.startsWith(quillet + other), now.constData());

    LobbyWindow *w = makeWindow();
    QCOMPARE(w->edit_name->text(), QString("Cy"));
    QStringList items;
    for (int i = 0; i < w->combo_address->count(); ++i)
        items << w->combo_address->itemText(i);
    QCOMPARE(items, (QStringList{"127.0.0.4", "new.example:7001", "127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.5",
                                 "127.0.0.6", "127.0.0.7", "127.0.0.8", "127.0.0.9"}));
}

void TestLobbyWindow::addressesAndCopy()
{
    LobbyWindow *w = makeWindow();
    w->findAddresses = [] { return QStringList{"127.1.2.20", "127.0.0.2"}; };
    w->refreshAddresses();
    QCOMPARE(w->label_addresses->text(), QString("127.1.2.20:7772\n127.0.0.2:7772"));
    w->spin_port->setValue(7001);
    QCOMPARE(w->label_addresses->text(), QString("127.1.2.20:7001\n127.0.0.2:7001"));
    QTest::mouseClick(w->button_copy, Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(), QString("127.1.2.20:7001\n127.0.0.2:7001"));
    QCOMPARE(w->label_message->text(), QString("The addresses are copied."));

    w->findAddresses = [] { return QStringList{}; };
    w->refreshAddresses();
    QCOMPARE(w->label_addresses->text(),
             QString("No network address found: only games on this computer (127.0.0.1:7001) are possible."));
    QVERIFY(!w->button_copy->isEnabled());

    // The real list holds IPv4 addresses only, and no loopback one.
    for (const QString &a : localAddresses()) {
        QHostAddress address(a);
        QCOMPARE(address.protocol(), QAbstractSocket::IPv4Protocol);
        QVERIFY(!address.isLoopback());
    }
}

void TestLobbyWindow::gameProgramSearch()
{
    // Beside the lobby first, then PATH.
    QTemporaryDir bin;
    const QString inPath = QDir(bin.path()).filePath("quillet");
    QFile f(inPath);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    const QString found = findGameProgram();
    qputenv("PATH", oldPath);
    const QFileInfo beside(QDir(QCoreApplication::applicationDirPath()).filePath("quillet"));
    QCOMPARE(found, beside.isFile() && beside.isExecutable() ? beside.absoluteFilePath() : inPath);
    QCOMPARE(findGameProgram(inPath), inPath);
    QCOMPARE(findGameProgram(bin.filePath("nothing")), QString());
}

QTEST_MAIN(TestLobbyWindow)
#include "test_lobby_window.moc"
