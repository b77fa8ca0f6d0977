// The program: command line, the windows in their creation order, and the
// wiring between the table and the in-process server.
#pragma once

#include "windows/sidewindows.h"

#include <QObject>
#include <QStringList>

#include <memory>

namespace quillet {

class Tchat;

struct CommandLine {
    QString home;        // --home DIR: where the settings and tally files live
    int port = 7772;     // --port N: the game port (hosting and joining)
    int lobbyPort = 9001; // --lobby-port N: where the lobby waits for a multi-player game
    QStringList params;  // name, address, "true"
    QString error;       // non-empty: the command line cannot be used
    bool help = false;   // --help: print the usage and end
    bool version = false; // --version
};

// What `quillet --help` prints.
QString usageText();

// Our own options (--home, --port) may stand anywhere; everything else is
// positional.
CommandLine parseCommandLine(const QStringList &arguments);

// Makes the --home folder, with its parents, when it is missing. Empty when
// it is there, else what stands in the way.
QString prepareHome(const QString &home);

class QuilletApp : public QObject {
    Q_OBJECT
public:
    explicit QuilletApp(const CommandLine &commandLine);
    ~QuilletApp() override;

    // Shows the table; the command line is processed once it is shown.
    void start();

    Tchat *table() const { return table_; }
    SideWindows &windows() { return windows_; }
    const CommandLine &commandLine() const { return commandLine_; }
    // Why the --home folder cannot be used (shown at start); empty when it can.
    QString homeError() const { return homeError_; }

private:
    void reportFileFailures();

    CommandLine commandLine_;
    QString homeError_;
    bool tableClosing_ = false;
    Tchat *table_ = nullptr;
    SideWindows windows_;
};

// main(): the single-instance check, then the program.
int runQuillet(int argc, char **argv);

} // namespace quillet
