#include "lobby/lobbyapp.h"

#include "app/singleinstance.h"
#include "lobby/lobbywindow.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include <cstdio>

#ifndef QUILLET_VERSION
#define QUILLET_VERSION "unknown"
#endif

namespace quillet::lobby {

LobbyCommandLine parseLobbyCommandLine(const QStringList &arguments)
{
    LobbyCommandLine cl;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == "--help" || a == "-h") {
            cl.help = true;
        } else if (a == "--version") {
            cl.version = true;
        } else if (a == "--home" || a == "--lobby-port" || a == "--game") {
            if (i + 1 >= arguments.size()) {
                cl.error = a + " needs a value";
                return cl;
            }
            const QString value = arguments[++i];
            if (value.isEmpty()) {
                cl.error = a + " needs a value";
                return cl;
            }
            if (a == "--home") {
                cl.home = value;
            } else if (a == "--game") {
                cl.game = value;
            } else {
                bool ok = false;
                const int port = value.toInt(&ok);
                if (!ok || port < 1 || port > 65535) {
                    cl.error = "--lobby-port needs a number from 1 to 65535";
                    return cl;
                }
                cl.lobbyPort = port;
            }
        } else {
            cl.error = "unknown option: " + a;
            return cl;
        }
    }
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
    // Read before the window system is touched: --help works without a display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const LobbyCommandLine cl = parseLobbyCommandLine(arguments);
    if (!cl.error.isEmpty()) {
        std::fprintf(stderr, "zolvexlobby: %s\n%s", qPrintable(cl.error), qPrintable(lobbyUsageText()));
        return 2;
    }
    if (cl.help) {
        std::fputs(qPrintable(lobbyUsageText()), stdout);
        return 0;
    }
    if (cl.version) {
        std::printf("zolvexlobby %s\n", QUILLET_VERSION);
        return 0;
    }

    QApplication app(argc, argv);
    // The game's name: the settings file's per-user folder is named after it,
    // and the lobby shares that file.
    QApplication::setApplicationName("Quillet");
    QApplication::setApplicationDisplayName("Zolvex Lobby");
    QApplication::setDesktopFileName("zolvexlobby");
    QApplication::setWindowIcon(QIcon::fromTheme("zolvexlobby", QIcon::fromTheme("quillet")));

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
