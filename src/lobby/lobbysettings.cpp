#include "lobby/lobbysettings.h"

#include "lobby/lobbyrules.h"
#include "settings/profile.h"

namespace quillet::lobby {

namespace {
const QString kSection = QLatin1String(kLobbySection);
QString recentKey(int i) { return QStringLiteral("Recent%1").arg(i); }
} // namespace

LobbySettings readLobbySettings(const QString &path)
{
    const ProfileFile file(path);
    LobbySettings s;
    s.name = file.readString(kSection, QStringLiteral("Name"));
    const int port = file.readInteger(kSection, QStringLiteral("HostPort"), kDefaultGamePort);
    s.hostPort = port >= 1 && port <= 65535 ? port : kDefaultGamePort;
    // Read oldest first so that withRecent() keeps the newest of duplicates in front.
    for (int i = kMaxRecent; i >= 1; --i) {
        const JoinAddress a = parseAddress(file.readString(kSection, recentKey(i)));
        if (a.ok())
            s.recent = withRecent(s.recent, a.text());
    }
    return s;
}

bool writeLobbySettings(const QString &path, const LobbySettings &s, QString *error)
{
    ProfileFile file(path);
    file.writeString(kSection, QStringLiteral("Name"), s.name.trimmed());
    file.writeInteger(kSection, QStringLiteral("HostPort"), s.hostPort);
    // Keys past the list are emptied only where an earlier, longer list left them.
    for (int i = 1; i <= kMaxRecent; ++i)
        if (i <= s.recent.size() || file.hasKey(kSection, recentKey(i)))
            file.writeString(kSection, recentKey(i), i <= s.recent.size() ? s.recent[i - 1] : QString());
    return file.save(error);
}

} // namespace quillet::lobby
