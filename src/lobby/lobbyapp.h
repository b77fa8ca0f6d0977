// The lobby program: its command line and its start.
#pragma once

#include <QString>
#include <QStringList>

namespace quillet::lobby {

struct LobbyCommandLine {
    QString home;          // --home DIR
    int lobbyPort = 9001;  // --lobby-port N
    QString game;          // --game PROGRAM
    bool help = false;
    bool version = false;
    QString error;         // non-empty: unusable, and why
};

LobbyCommandLine parseLobbyCommandLine(const QStringList &arguments);
QString lobbyUsageText();

// main(): --help and --version, the single-instance check, the window.
int runLobby(int argc, char **argv);

} // namespace quillet::lobby
