// Loopback ports for table tests: never the game's or the lobby's usual ones.
#pragma once

#include <QHostAddress>
#include <QTcpServer>

// A loopback port free a moment ago, for a server of the test's own.
inline int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A loopback port nobody listens on, for the lobby connection of a
// multi-player start: no lobby running on the machine hears from a test.
inline int quietLobbyPort() { return freePort(); }
