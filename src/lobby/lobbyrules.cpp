#include "lobby/lobbyrules.h"

namespace quillet::lobby {

namespace {

constexpr int kMaxAddressLength = 253;

bool isDigits(QStringView s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// 1..65535, or 0 when it is not a port.
int portOf(QStringView s)
{
    if (!isDigits(s) || s.size() > 5)
        return 0;
    const int port = s.toInt();
    return port >= 1 && port <= 65535 ? port : 0;
}

QString quoted(const QString &s) { return QStringLiteral("\"%1\"").arg(s); }

// Four numbers 0..255 without leading zeros: the resolver reads "010" as
// octal and "1.2.3" as 1.2.0.3, so neither would reach what was meant.
QString checkIPv4(const QString &host)
{
    const QString bad = quoted(host) +
                        QStringLiteral(" is not an IPv4 address: it needs four numbers from 0 to 255, "
                                       "like 192.168.1.20.");
    const QStringList parts = host.split(u'.');
    if (parts.size() != 4)
        return bad;
    int first = 0;
    for (int i = 0; i < 4; ++i) {
        const QString &p = parts[i];
        if (!isDigits(p) || p.size() > 3 || (p.size() > 1 && p.startsWith(u'0')) || p.toInt() > 255)
            return bad;
        if (i == 0)
            first = p.toInt();
    }
    // No game is hosted at "this network", a multicast group or broadcast.
    if (first == 0 || (first >= 224 && first <= 239) || host == QLatin1String("255.255.255.255"))
        return quoted(host) + QStringLiteral(" is not an address a game can be hosted at.");
    return QString();
}

QString checkHostName(const QString &host)
{
    const QString bad = quoted(host) +
                        QStringLiteral(" is not a valid host name: use letters, digits, '-' and '.'.");
    QString name = host;
    if (name.endsWith(u'.'))
        name.chop(1);
    if (name.isEmpty())
        return bad;
    for (const QString &label : name.split(u'.')) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(u'-') || label.endsWith(u'-'))
            return bad;
        for (QChar c : label) {
            const bool ok = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-';
            if (!ok)
                return bad;
        }
    }
    return QString();
}

} // namespace

QString checkName(const QString &typed)
{
    const QString name = typed.trimmed();
    if (name.isEmpty())
        return QStringLiteral("Please enter your name.");
    if (name.size() > kMaxNameLength)
        return QStringLiteral("A name can be at most %1 characters long.").arg(kMaxNameLength);
    if (name.contains(u'+'))
        return QStringLiteral("A name cannot contain '+': the game would turn it into a blank.");
    for (QChar c : name)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return QStringLiteral("A name cannot contain control characters.");
    if (name.startsWith(u'-'))
        return QStringLiteral("A name cannot begin with '-'.");
    return QString();
}

QString JoinAddress::text() const
{
    return port ? QStringLiteral("%1:%2").arg(host).arg(port) : host;
}

JoinAddress parseAddress(const QString &typed)
{
    JoinAddress a;
    const QString text = typed.trimmed();
    if (text.isEmpty()) {
        a.error = QStringLiteral("Please enter the address of the game to join.");
        return a;
    }
    if (text.size() > kMaxAddressLength + 6) {
        a.error = QStringLiteral("That address is too long.");
        return a;
    }
    for (QChar c : text) {
        if (c.isSpace()) {
            a.error = QStringLiteral("An address cannot contain spaces.");
            return a;
        }
    }
    if (text.contains(u'/') || text.contains(u'\\') || text.contains(u'@')) {
        a.error = QStringLiteral("Enter only the host name or IPv4 address, and \":port\" if the host "
                                 "gave one (no \"http://\" or path).");
        return a;
    }
    if (text.count(u':') > 1 || text.startsWith(u'[')) {
        a.error = QStringLiteral("IPv6 addresses are not supported: use an IPv4 address or a host name.");
        return a;
    }
    QString host = text;
    const qsizetype colon = text.indexOf(u':');
    if (colon >= 0) {
        host = text.left(colon);
        a.port = portOf(QStringView(text).sliced(colon + 1));
        if (a.port == 0) {
            a.error = QStringLiteral("The port after ':' must be a number from 1 to 65535.");
            return a;
        }
        if (host.isEmpty()) {
            a.error = QStringLiteral("Please enter the address before the ':'.");
            return a;
        }
    }
    host = host.toLower();
    if (host.size() > kMaxAddressLength) {
        a.error = QStringLiteral("That address is too long.");
        return a;
    }
    bool numeric = true;
    for (QChar c : host)
        numeric = numeric && ((c >= u'0' && c <= u'9') || c == u'.');
    a.error = numeric ? checkIPv4(host) : checkHostName(host);
    if (a.ok())
        a.host = host;
    return a;
}

QStringList withRecent(const QStringList &recent, const QString &address)
{
    QStringList out{address};
    for (const QString &r : recent)
        if (r.compare(address, Qt::CaseInsensitive) != 0 && !out.contains(r, Qt::CaseInsensitive))
            out << r;
    while (out.size() > kMaxRecent)
        out.removeLast();
    return out;
}

namespace {

QStringList withOptions(QStringList args, const GameOptions &options)
{
    if (!options.home.isEmpty())
        args << QStringLiteral("--home") << options.home;
    if (options.lobbyPort != kDefaultLobbyPort)
        args << QStringLiteral("--lobby-port") << QString::number(options.lobbyPort);
    return args;
}

// The game's words after "--": a name such as "-h" or "--port" stays a name.
QStringList withWords(QStringList args, const QStringList &words)
{
    return args << QStringLiteral("--") << words;
}

} // namespace

QStringList hostArguments(const QString &name, int port, const GameOptions &options)
{
    QStringList args;
    if (port != kDefaultGamePort)
        args << QStringLiteral("--port") << QString::number(port);
    return withWords(withOptions(args, options), {name.trimmed(), QStringLiteral("127.0.0.1"), QStringLiteral("true")});
}

QStringList joinArguments(const QString &name, const JoinAddress &address, const GameOptions &options)
{
    QStringList args;
    if (address.port)
        args << QStringLiteral("--port") << QString::number(address.port);
    return withWords(withOptions(args, options), {name.trimmed(), address.host, QStringLiteral("join")});
}

QStringList soloArguments(const GameOptions &options)
{
    QStringList args;
    if (!options.home.isEmpty())
        args << QStringLiteral("--home") << options.home;
    return args;
}

} // namespace quillet::lobby
