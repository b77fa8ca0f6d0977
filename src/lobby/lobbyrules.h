// The lobby's rules, apart from its window: which names and addresses the
// game can take, the list of recent addresses, and the game's command lines.
#pragma once

#include <QString>
#include <QStringList>

namespace quillet::lobby {

inline constexpr int kDefaultGamePort = 7772;
inline constexpr int kDefaultLobbyPort = 9001;
inline constexpr int kMaxNameLength = 24;
inline constexpr int kMaxRecent = 10;

// Empty when the game takes the name as it stands (after trimming); else what
// is wrong with it. The game turns '+' and control characters into blanks,
// and a leading '-' would read as one of its options.
QString checkName(const QString &name);

// A join address as typed: "host", "host:port", "a.b.c.d" or "a.b.c.d:port".
struct JoinAddress {
    QString host;       // lower-case host name or dotted IPv4
    int port = 0;       // 0: none given (the game's default)
    QString error;      // non-empty: not usable, and why

    bool ok() const { return error.isEmpty(); }
    // The form kept in the recent list and shown again: host[:port].
    QString text() const;
};

// Blanks around the text are dropped (a pasted address often has some).
JoinAddress parseAddress(const QString &typed);

// Newest first, no duplicates, at most kMaxRecent.
QStringList withRecent(const QStringList &recent, const QString &address);

// How the lobby starts the game.
struct GameOptions {
    QString home;                  // --home, passed on when set
    int lobbyPort = kDefaultLobbyPort; // passed on when not the default
};

QStringList hostArguments(const QString &name, int port, const GameOptions &options);
QStringList joinArguments(const QString &name, const JoinAddress &address, const GameOptions &options);
QStringList soloArguments(const GameOptions &options);

} // namespace quillet::lobby
