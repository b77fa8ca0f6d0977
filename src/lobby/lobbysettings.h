// The lobby's part of the settings file it shares with the game: a section
// of its own, so the game's keys and every other section stay as they are.
#pragma once

#include <QString>
#include <QStringList>

namespace quillet::lobby {

inline constexpr char kLobbySection[] = "Lobby";

struct LobbySettings {
    QString name;           // "Name", as typed last (checked again before use)
    int hostPort = 7772;    // "HostPort", 1..65535
    QStringList recent;     // "Recent1".."Recent10", newest first, usable ones only
};

// Reads the section; a missing file or key gives the defaults, and a value
// that is out of range or not an address is left out.
LobbySettings readLobbySettings(const QString &path);
// Writes the section; false with a reason when the file cannot be written.
bool writeLobbySettings(const QString &path, const LobbySettings &settings, QString *error = nullptr);

} // namespace quillet::lobby
