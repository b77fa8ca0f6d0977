#include "lobby/lobbyapp.h"

#include "app/earlyexit.h"
#include "app/singleinstance.h"
#include "lobby/lobbywindow.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#ifndef QUILLET_VERSION
#define QUILLET_VERSION "unknown"
#endif

namespace quillet::lobby {

LobbyCommandLine parseLobbyCommandLine(const QStringList &arguments)
{
    const Options o = readOptions(arguments, {"--home", "--lobby-port", "--game"});
    LobbyCommandLine cl;
    cl.help = o.help;
    cl.version = o.version;
    cl.error = o.error;
    if (cl.error.isEmpty() && !o.positional.isEmpty())
        cl.error = "unknown option: " + o.positional.first();
    cl.home = o.values.value("--home");
    cl.game = o.values.value("--game");
    cl.lobbyPort = portOption(o, "--lobby-port", cl.lobbyPort, &cl.error);
    return cl;
}

QString lobbyUsageText()
{
    return QStringLiteral(
        "Usage: zolvexlobby [options]\n"
        "Host a game of Quillet for friends, join one, or play solo.\n"
        "\n"
        "Options:\n"
        "  --home DIR        keep the settings file (zolvexlobby.ini) in DIR; the games\n"
        "                    started get --home DIR too\n"
        "  --lobby-port N    wait for the game on 127.0.0.1 port N instead of 9001; the\n"
        "                    games started get --lobby-port N too\n"
        "  --game PROGRAM    start PROGRAM as the game instead of the quillet found beside\n"
        "                    the lobby or in PATH (for tests)\n"
        "  --version         print the version and end\n"
        "  --help            print this text and end\n");
}

int runLobby(int argc, char **argv)
{
    const LobbyCommandLine cl = parseLobbyCommandLine(argumentsOf(argc, argv));
    if (const auto code = earlyExit("zolvexlobby", cl.error, cl.help, cl.version, lobbyUsageText(), QUILLET_VERSION))
        return *code;

    QApplication app(argc, argv);
    // The game's name: the settings file's per-user folder is named after it,
    // and the lobby shares that file.
    QApplication::setApplicationName("Quillet");
    QApplication::setApplicationDisplayName("Zolvex Lobby");
    QApplication::setDesktopFileName(QStringLiteral(QUILLET_LOBBY_APP_ID));
    // The game's installed icon; the menu entry names it too.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(QUILLET_APP_ID)));

    LobbyConfig config;
    if (!cl.home.isEmpty()) {
        config.home = QDir(cl.home).absolutePath();
        QDir().mkpath(config.home);
    }
    config.lobbyPort = cl.lobbyPort;
    config.gameProgram = cl.game;

    // Once per user and settings folder, as the game: two lobbies on one
    // settings file would overwrite each other's recent addresses.
    const QString home = config.home.isEmpty() ? QCoreApplication::applicationDirPath() : config.home;
    SingleInstance instance(SingleInstance::keyFor(home, QStringLiteral("zolvexlobby")));
    if (instance.anotherRuns())
        return 0;

    LobbyWindow window(config);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &window, &LobbyWindow::comeForward);
    if (!window.startListening())
        return 1;
    window.show();
    return app.exec();
}

} // namespace quillet::lobby
