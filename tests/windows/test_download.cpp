// The lobby download window against a small HTTP server on 127.0.0.1.
#include "windows/lobbydownload.h"
#include "windows/tdownload.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace quillet;

namespace {

// Answers every request the same way, chosen by `mode`.
class HttpServer : public QObject {
    Q_OBJECT
public:
    enum class Mode {
        Ok,        // 200, the body in several pieces
        NotFound,  // 404 with an error page
        Drop,      // 200, then the connection breaks halfway through the body
        Slow,      // 200, one piece of the body, then nothing
    };

    explicit HttpServer(Mode mode) : mode_(mode)
    {
        for (int i = 0; i < kOkBytes; ++i)
            body.append(char('A' + i % 23));
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = server_.nextPendingConnection()) {
                s->setParent(this);
                connect(s, &QTcpSocket::readyRead, this, [this, s] { readRequest(s); });
            }
        });
        server_.listen(QHostAddress::LocalHost, 0);
    }

    QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }

    static constexpr int kOkBytes = 60000;
    QByteArray body;
    QList<QByteArray> requests;

private:
    void readRequest(QTcpSocket *s)
    {
        QByteArray &buffer = pending_[s];
        buffer += s->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        requests << buffer;
        buffer.clear();
        switch (mode_) {
        case Mode::Ok:
            s->write(header(200, "OK", body.size()));
            sendPieces(s, body, 3, true);
            break;
        case Mode::NotFound: {
            const QByteArray page = "<html><body>No such file</body></html>";
            s->write(header(404, "Not Found", page.size(), "text/html"));
            s->write(page);
            s->disconnectFromHost();
            break;
        }
        case Mode::Drop:
            s->write(header(200, "OK", 100000));
            s->write(QByteArray(30000, 'd'));
            QTimer::singleShot(30, s, [s] { s->abort(); });
            break;
        case Mode::Slow:
            s->write(header(200, "OK", 1000000));
            s->write(QByteArray(1000, 's'));
            break;
        }
    }

    static QByteArray header(int status, const char *reason, qint64 length,
                             const char *type = "application/octet-stream")
    {
        return QByteArray("HTTP/1.1 ") + QByteArray::number(status) + ' ' + reason +
               "\r\nContent-Type: " + type + "\r\nContent-Length: " + QByteArray::number(length) +
               "\r\nConnection: close\r\n\r\n";
    }

    // The body in `pieces` writes on separate turns of the event loop.
    void sendPieces(QTcpSocket *s, const QByteArray &data, int pieces, bool close)
    {
        const qsizetype size = data.size() / pieces;
        for (int i = 0; i < pieces; ++i) {
            const QByteArray piece = i == pieces - 1 ? data.mid(i * size) : data.mid(i * size, size);
            QTimer::singleShot(20 * (i + 1), s, [s, piece, close, last = i == pieces - 1] {
                s->write(piece);
                if (last && close)
                    s->disconnectFromHost();
            });
        }
    }

    Mode mode_;
    QTcpServer server_;
    QHash<QTcpSocket *, QByteArray> pending_;
};

// A download window with every platform hook replaced by a recorder.
struct Harness {
    Harness()
    {
        window.setHome(home.path());
        window.openUrl = [this](const QUrl &u) {
            opened << u;
            return openResult;
        };
        window.findLobby = [this] { return lobbyPath; };
        window.startProgram = [this](const QString &p, const QStringList &arguments) {
            started << p;
            startedWith << arguments;
            return startResult;
        };
        window.messageBox = [this](const QString &t) { messages << t; };
        window.exitProgram = [this] { ++exits; };
    }

    QStringList filesInHome() const { return QDir(home.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir home;
    Tdownload window;
    QList<QUrl> opened;
    bool openResult = true;
    QString lobbyPath;
    QStringList started;
    QList<QStringList> startedWith;
    bool startResult = true;
    QStringList messages;
    int exits = 0;
};

} // namespace

class TestDownload : public QObject {
    Q_OBJECT

private slots:
    void windowTexts();
    void completeDownloadIsInstalled();
    void installerThatCannotBeOpened();
    void stopLeavesNothing();
    void notFoundLeavesNothing();
    void droppedConnectionKeepsTheEarlierFile();
    void addressFromTheSettings();
    void badAddressIsRefused();
    void installerNames();
    void playSoloHides();
    void playWithOthers();
    void lobbyFoundInPath();
};

void TestDownload::windowTexts()
{
    Harness h;
    Tdownload &w = h.window;
    QCOMPARE(w.windowTitle(), QString("Download The Zolvex Lobby"));
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(w.windowType(), Qt::Tool);
    QCOMPARE(w.findChild<QLabel *>("label_download")->text(),
             QString("Download The Zolvex Lobby Now to play this  and other exciting games online with other "
                     "players! "));
    QCOMPARE(w.findChild<QLabel *>("label_solo")->text(),
             QString("To proceed to the game without the ability to play against others click the button below."));
    QCOMPARE(w.findChild<QLabel *>("label_firewall")->text(),
             QString("Note: Even if you are playing offline, you will need to configure your FIREWALL to allow the "
                     "game to access the internet components."));
    QCOMPARE(w.findChild<QLabel *>("label_lobby")->text(),
             QString("If you already have The Zolvex Lobby and you wish to play with others then click the button "
                     "below to close this game and open The Zolvex Lobby."));
    QCOMPARE(w.getbutton->text(), QString("Download And Install The Zolvex Lobby Now"));
    QCOMPARE(w.abortbutton->text(), QString("Stop Download"));
    QCOMPARE(w.Button1->text(), QString("Play Solo Game"));
    QCOMPARE(w.Button2->text(), QString("Play with Others"));
    QVERIFY(w.Button1->isDefault());
    QVERIFY(!w.abortbutton->isEnabled());
    w.show();
    QVERIFY(w.infolabel->isVisible());
    QVERIFY(!w.infolabel2->isVisible());
}

void TestDownload::completeDownloadIsInstalled()
{
    HttpServer server(HttpServer::Mode::Ok);
    Harness h;
    Tdownload &w = h.window;
    w.setUrl(server.url("/lobby/TestSetup.exe"));

    // What the labels said as each event arrived.
    QStringList afterHeaders, afterBegin, afterData;
    LobbyDownload *dl = w.findChild<LobbyDownload *>();
    QVERIFY(dl);
    connect(dl, &LobbyDownload::headerLines, this, [&] { afterHeaders << w.infolabel->text(); });
    connect(dl, &LobbyDownload::bodyBegins, this, [&] { afterBegin << w.infolabel3->text(); });
    connect(dl, &LobbyDownload::dataArrived, this, [&] { afterData << w.infolabel->text(); });

    QTest::mouseClick(w.getbutton, Qt::LeftButton);
    QCOMPARE(w.infolabel->text(), QString("Loading"));
    QCOMPARE(w.infolabel2->text(), QString("TestSetup.exe"));
    QCOMPARE(w.tag(), 1);
    QVERIFY(!w.getbutton->isEnabled());
    QVERIFY(w.abortbutton->isEnabled());

    QTRY_COMPARE_WITH_TIMEOUT(h.exits, 1, 20000);
    QVERIFY(!w.downloading());

    // Three header lines (type, length, connection): one dot each.
    QCOMPARE(afterHeaders.size(), 1);
    QCOMPARE(afterHeaders[0], QString("Loading..."));
    QCOMPARE(afterBegin, QStringList{"Downloading: TestSetup.exe"});
    QVERIFY2(afterData.size() >= 2, qPrintable(afterData.join('|')));
    QCOMPARE(afterData.last(), QString("60000 bytes"));
    for (const QString &t : afterData)
        QVERIFY(t.endsWith(" bytes"));

    QCOMPARE(w.infolabel->text(), QString("Received 60000 bytes"));
    QCOMPARE(w.infolabel3->text(), QString("Installing"));
    QCOMPARE(w.tag(), 1);
    QVERIFY(w.getbutton->isEnabled());
    QVERIFY(!w.abortbutton->isEnabled());

    const QString path = QDir(h.home.path()).filePath("TestSetup.exe");
    QCOMPARE(h.filesInHome(), QStringList{"TestSetup.exe"});
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), server.body);
    QCOMPARE(h.opened, QList<QUrl>{QUrl::fromLocalFile(path)});
    QVERIFY(h.messages.isEmpty());

    // The request as the server saw it.
    QCOMPARE(server.requests.size(), 1);
    const QByteArray request = server.requests[0];
    QVERIFY(request.startsWith("GET /lobby/TestSetup.exe HTTP/1."));
    QVERIFY(request.contains("\r\nUser-Agent: Mozilla/3.0 (compatible)\r\n"));
    QVERIFY(request.contains("\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"));
}

void TestDownload::installerThatCannotBeOpened()
{
    HttpServer server(HttpServer::Mode::Ok);
    Harness h;
    h.openResult = false;
    h.window.setUrl(server.url("/lobby/TestSetup.exe"));
    h.window.getbuttonClick();
    QTRY_COMPARE_WITH_TIMEOUT(h.messages.size(), 1, 20000);
    QCOMPARE(h.messages[0], QString("An Error has Occurred."));
    QCOMPARE(h.opened.size(), 1);
    QCOMPARE(h.exits, 0);
    QVERIFY(h.window.getbutton->isEnabled());
}

void TestDownload::stopLeavesNothing()
{
    HttpServer server(HttpServer::Mode::Slow);
    Harness h;
    Tdownload &w = h.window;
    w.setUrl(server.url("/lobby/TestSetup.exe"));
    w.getbuttonClick();
    QTRY_COMPARE_WITH_TIMEOUT(w.infolabel->text(), QString("1000 bytes"), 20000);
    QCOMPARE(w.infolabel3->text(), QString("Downloading: TestSetup.exe"));
    QVERIFY(w.downloading());

    QTest::mouseClick(w.abortbutton, Qt::LeftButton);
    QTRY_VERIFY(!w.downloading());
    QCOMPARE(w.infolabel3->text(), QString("Download Aborted"));
    QCOMPARE(w.infolabel->text(), QString("Download Aborted"));
    QCOMPARE(w.tag(), 2);
    QVERIFY(w.getbutton->isEnabled());
    QVERIFY(!w.abortbutton->isEnabled());
    QCOMPARE(h.filesInHome(), QStringList());
    QVERIFY(h.opened.isEmpty());
    QCOMPARE(h.exits, 0);
    QVERIFY(h.messages.isEmpty());

    // It can be started again.
    w.getbuttonClick();
    QCOMPARE(w.tag(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(w.infolabel->text(), QString("1000 bytes"), 20000);
    w.abortbuttonClick();
    QCOMPARE(h.filesInHome(), QStringList());
}

void TestDownload::notFoundLeavesNothing()
{
    HttpServer server(HttpServer::Mode::NotFound);
    Harness h;
    Tdownload &w = h.window;
    w.setUrl(server.url("/lobby/Missing.exe"));
    w.getbuttonClick();
    QTRY_VERIFY_WITH_TIMEOUT(!w.downloading(), 20000);
    QCOMPARE(w.infolabel->text(), QString("Download Aborted"));
    QCOMPARE(w.tag(), 2);
    QVERIFY2(w.infolabel3->text().contains("404"), qPrintable(w.infolabel3->text()));
    QCOMPARE(h.filesInHome(), QStringList());
    QVERIFY(h.opened.isEmpty());
    QCOMPARE(h.exits, 0);
    QVERIFY(w.getbutton->isEnabled());
}

void TestDownload::droppedConnectionKeepsTheEarlierFile()
{
    HttpServer server(HttpServer::Mode::Drop);
    Harness h;
    Tdownload &w = h.window;
    // An installer from an earlier download is not replaced by half a file.
    const QString path = QDir(h.home.path()).filePath("TestSetup.exe");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("earlier");
    }
    w.setUrl(server.url("/lobby/TestSetup.exe"));
    w.getbuttonClick();
    QTRY_VERIFY_WITH_TIMEOUT(!w.downloading(), 20000);
    QCOMPARE(w.infolabel->text(), QString("Download Aborted"));
    QCOMPARE(w.tag(), 2);
    QCOMPARE(h.filesInHome(), QStringList{"TestSetup.exe"});
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("earlier"));
    QVERIFY(h.opened.isEmpty());
    QCOMPARE(h.exits, 0);
}

void TestDownload::addressFromTheSettings()
{
    HttpServer server(HttpServer::Mode::Ok);
    Harness h;
    QCOMPARE(h.window.url(), QUrl(kDefaultLobbyUrl));
    {
        QFile ini(QDir(h.home.path()).filePath("zolvexlobby.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[QUILLET]\r\nLobbyURL=" + server.url("/files/FromSettings.exe").toEncoded() + "\r\n");
    }
    QCOMPARE(h.window.url(), server.url("/files/FromSettings.exe"));
    h.window.getbuttonClick();
    QTRY_COMPARE_WITH_TIMEOUT(h.exits, 1, 20000);
    QVERIFY(server.requests.value(0).startsWith("GET /files/FromSettings.exe "));
    QVERIFY(h.filesInHome().contains("FromSettings.exe"));
}

void TestDownload::badAddressIsRefused()
{
    Harness h;
    Tdownload &w = h.window;
    for (const QUrl &bad : {QUrl("file:///etc/passwd"), QUrl("ftp://example.com/x.exe"), QUrl("http:///x.exe")}) {
        h.messages.clear();
        w.setUrl(bad);
        w.getbuttonClick();
        QCOMPARE(w.infolabel->text(), QString("Download Aborted"));
        QCOMPARE(w.tag(), 2);
        QCOMPARE(h.messages.size(), 1);
        QVERIFY(!w.downloading());
        QVERIFY(w.getbutton->isEnabled());
    }
    QCOMPARE(h.filesInHome(), QStringList());
    QVERIFY(h.opened.isEmpty());
}

void TestDownload::installerNames()
{
    QCOMPARE(installerFileName(QUrl("https://www.zolvex.com/lobby/ZolvexLobbySetup.exe")),
             QString("ZolvexLobbySetup.exe"));
    QCOMPARE(installerFileName(QUrl("https://www.zolvex.com/lobby/")), QString(kDefaultInstallerName));
    QCOMPARE(installerFileName(QUrl("https://www.zolvex.com")), QString(kDefaultInstallerName));
    // Only the last part counts, whatever the path hides.
    QCOMPARE(installerFileName(QUrl("https://h/a/..%2F..%2Fevil.sh")), QString("evil.sh"));
    QCOMPARE(installerFileName(QUrl("https://h/a/%2E%2E")), QString(kDefaultInstallerName));
    QCOMPARE(installerFileName(QUrl("https://h/a/b%0Ac.exe")), QString(kDefaultInstallerName));
}

void TestDownload::playSoloHides()
{
    Harness h;
    h.window.show();
    QTest::mouseClick(h.window.Button1, Qt::LeftButton);
    QVERIFY(!h.window.isVisible());
    QCOMPARE(h.exits, 0);
}

void TestDownload::playWithOthers()
{
    Harness h;
    Tdownload &w = h.window;
    w.show();
    // No lobby installed: the message, and the game goes on.
    QTest::mouseClick(w.Button2, Qt::LeftButton);
    QCOMPARE(h.messages,
             QStringList{"Please close the game and open the Zolvex Lobby using the icon on your desktop or using "
                         "the your Window's start-up menu."});
    QVERIFY(w.isVisible());
    QCOMPARE(h.exits, 0);

    // A lobby that cannot be started is as good as none.
    h.lobbyPath = "/opt/zolvex/zolvexlobby";
    h.startResult = false;
    w.Button2Click();
    QCOMPARE(h.messages.size(), 2);
    QCOMPARE(h.exits, 0);

    h.startResult = true;
    w.Button2Click();
    QCOMPARE(h.started.last(), QString("/opt/zolvex/zolvexlobby"));
    // The lobby shares the game's settings folder.
    QCOMPARE(h.startedWith.last(), (QStringList{"--home", h.home.path()}));
    QCOMPARE(h.exits, 1);
    QCOMPARE(h.messages.size(), 2);
}

void TestDownload::lobbyFoundInPath()
{
    // Beside this program first (a build tree or an installed tree), then PATH.
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("zolvexlobby");
    QTemporaryDir bin;
    const QString program = QDir(bin.path()).filePath("zolvexlobby");
    {
        QFile f(program);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n");
    }
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    QCOMPARE(QFile(program).setPermissions(QFile::ReadOwner | QFile::WriteOwner), true);
    const bool notExecutableFound = findInstalledLobby() == program;
    QVERIFY(QFile(program).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString found = findInstalledLobby();
    const QStringList candidates = lobbyProgramCandidates();
    qputenv("PATH", oldPath);
    QVERIFY(!notExecutableFound);
    QCOMPARE(candidates.value(0), beside);
    QCOMPARE(candidates.value(1), program);
    const QFileInfo besideInfo(beside);
    QCOMPARE(found, besideInfo.isFile() && besideInfo.isExecutable() ? besideInfo.absoluteFilePath() : program);
}

QTEST_MAIN(TestDownload)
#include "test_download.moc"
