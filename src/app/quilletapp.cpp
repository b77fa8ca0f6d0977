#include "app/quilletapp.h"

#include "app/earlyexit.h"
#include "client/tchat.h"
#include "net/guard.h"
#include "protocol/commands.h"
#include "server/tserver.h"
#include "settings/profile.h"
#include "app/singleinstance.h"
#include "app/terminationsignals.h"
#include "windows/smallwindows.h"
#include "windows/tgamestart.h"
#include "windows/tlasttrick.h"
#include "windows/tscore.h"
#include "windows/tspylist.h"
#include "windows/ttallylist.h"
#include "ui/pictures.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace quillet {

CommandLine parseCommandLine(const QStringList &arguments)
{
    const Options o = readOptions(arguments, {"--home", "--port", "--lobby-port"});
    CommandLine cl;
    cl.help = o.help;
    cl.version = o.version;
    cl.error = o.error;
    cl.params = o.positional;
    cl.home = o.values.value("--home");
    cl.port = portOption(o, "--port", cl.port, &cl.error);
    cl.lobbyPort = portOption(o, "--lobby-port", cl.lobbyPort, &cl.error);
    return cl;
}

QString prepareHome(const QString &home)
{
    if (home.isEmpty() || QFileInfo(home).isDir())
        return QString();
    if (QFileInfo::exists(home))
        return "The folder " + home + " cannot be made (a file of that name is in the way).";
    std::error_code ec;
    std::filesystem::create_directories(QFile::encodeName(home).toStdString(), ec);
    if (QFileInfo(home).isDir())
        return QString();
    if (!ec)
        ec = std::make_error_code(std::errc::not_a_directory);
    return "The folder " + home + " cannot be made (" + QString::fromStdString(ec.message()) + ").";
}

QString usageText()
{
    return QStringLiteral(
        "Usage: quillet [options]                 play a solo game against three computer players\n"
        "       quillet [options] NAME HOST true  host a game for others on the game port\n"
        "       quillet [options] NAME HOST join  join the game hosted at HOST\n"
        "\n"
        "Options:\n"
        "  --home DIR       keep the settings and tally files in DIR\n"
        "  --port N         use game port N instead of 7772\n"
        "  --lobby-port N   tell the lobby at 127.0.0.1 port N (not 9001) that a game is open\n"
        "  --version        print the version and end\n"
        "  --help           print this text and end\n"
        "  --               end of options: a NAME after it may start with \"-\"\n");
}

QuilletApp::QuilletApp(const CommandLine &commandLine)
    : commandLine_(commandLine), homeError_(prepareHome(commandLine.home))
{
    // The windows in their fixed order; the table is the main window.
    table_ = new Tchat;
    table_->serverPort = commandLine_.port;
    table_->lobbyPort = commandLine_.lobbyPort;
    table_->homeDir = commandLine_.home;
    windows_.help = new Thelp(table_);
    windows_.about = new Tabout(table_);
    windows_.lasttrick = new Tlasttrick(table_);
    windows_.score = new Tscore(table_);
    windows_.server = new TServer(this);
    windows_.tally = new Ttallylist(table_);
    windows_.tally->setFilePath(dataFilePath(commandLine_.home, "quillettally.tld"));
    windows_.tally->loadchecklist = [this] { table_->loadchecklist(); };
    windows_.spylist = new Tspylist(table_);
    windows_.phrases = new Tphrases(table_);
    windows_.download = new Tdownload(table_);
    windows_.gamestart = new Tgamestart(table_);
    table_->attach(&windows_);
    if (!homeError_.isEmpty()) {
        homeError_ += "\nThis game runs without its settings and tally files: nothing is saved.";
        table_->settingsWritable = false;
        windows_.tally->disableSaving("the folder " + commandLine_.home + " cannot be made.");
    }
    windows_.tally->loadFile(); // may tell of an unreadable file
    reportFileFailures();

    windows_.download->setHome(commandLine_.home);
    windows_.download->exitProgram = [this] { table_->close(); };

    TServer *server = windows_.server;
    server->setNoticeHandler([this](const std::string &text) {
        table_->messageBox(QString::fromStdString(text));
    });
    table_->startServer = [this, server](bool solo) {
        // Slot 1 is the host's own table, which always comes over loopback.
        server->setLoopbackHost(true);
        // Nobody joins a solo game: any free port will do, so another game
        // or server on the game port never stops it.
        server->startListening(solo ? 0 : commandLine_.port, solo);
        return server->listeningPort();
    };
    table_->setExpertComputers = [server](bool expert) {
        server->engine().setComputerLevel(expert ? ComputerLevel::expert : ComputerLevel::classic);
    };
}

QuilletApp::~QuilletApp() { delete table_; }

void QuilletApp::reportFileFailures()
{
    // A tally that could not be saved is said in the chat; once the table
    // closes its chat is no longer seen, so then in a box.
    connect(windows_.tally, &Ttallylist::saveFailed, table_, [this](const QString &reason) {
        const QString text = "Tally not saved: " + reason;
        if (tableClosing_)
            table_->messageBox(text);
        else
            table_->systemLine(text);
    });
    connect(table_, &Tchat::windowClosing, this, [this] {
        tableClosing_ = true;
        windows_.tally->saveIfChanged();
    });
}

void QuilletApp::start()
{
    table_->show();
    QTimer::singleShot(0, table_, [this] {
        if (!homeError_.isEmpty())
            table_->messageBox(homeError_);
        guarded([&] { table_->processparams(commandLine_.params); });
    });
}

int runQuillet(int argc, char **argv)
{
    const CommandLine cl = parseCommandLine(argumentsOf(argc, argv));
    if (const auto code = earlyExit("quillet", cl.error, cl.help, cl.version, usageText(), kVersion.data()))
        return *code;
    QApplication app(argc, argv);
    // No display name: the desktop would add it to every window title, and the
    // titles already name the program ("Quillet - Scorecard", "Quillet — Alice").
    QApplication::setApplicationName("Quillet");
    // Wayland compositors match the window to its menu entry (and icon) by this.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLET_APP_ID));
    const QString home = cl.home.isEmpty() ? QCoreApplication::applicationDirPath() : cl.home;
    SingleInstance instance(SingleInstance::keyFor(home));
    if (instance.anotherRuns())
        return 0;

    setDefaultErrorSink([](const std::string &text) {
        QMessageBox::warning(QApplication::activeWindow(), "Quillet", QString::fromStdString(text));
    });
    pictures::init(app.devicePixelRatio());
    QApplication::setWindowIcon(QIcon(pictures::logo()));
    QuilletApp quillet(cl);
    QObject::connect(&instance, &SingleInstance::raiseRequested, quillet.table(), [&] {
        Tchat *t = quillet.table();
        if (t->isMinimized())
            t->showNormal();
        t->raise();
        t->activateWindow();
    });
    // Ending the session (or Ctrl+C) is File > Exit: the table closes and the
    // files are saved as the windows go. Nobody is there to answer a question.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::received, quillet.table(), [&] {
        quillet.table()->closeWithoutAsking();
        QCoreApplication::quit(); // also when the table was never shown
    });
    quillet.start();
    return app.exec();
}

} // namespace quillet
