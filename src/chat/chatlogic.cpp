#include "chat/chatlogic.h"

#include "protocol/message.h"
#include "chat/colortext.h"

namespace quillet {
namespace {

const QString kSmileyCode = QStringLiteral(":)#");

std::string utf8(const QString &s)
{
    const QByteArray b = s.toUtf8();
    return std::string(b.constData(), std::size_t(b.size()));
}

// "|" and the colour text that close every chat message.
std::string colorSuffix(const QString &colorText)
{
    std::string out(1, '|');
    out += utf8(colorText);
    return out;
}

// Control characters and line separators would split or hide text in the
// pane; they show as blanks.
QString blankControls(QString text)
{
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || u == 0x2028 || u == 0x2029)
            c = QLatin1Char(' ');
    }
    return text;
}

// Length in UTF-16 units of the first `count` characters, so a smiley code
// never cuts a character in half.
qsizetype unitsOfChars(const QString &text, qsizetype from, int count)
{
    qsizetype i = from;
    for (int n = 0; n < count && i < text.size(); ++n)
        i += (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
    return i - from;
}

void appendWords(QString piece, std::vector<ChatPiece> &out)
{
    piece += QLatin1Char(' ');
    qsizetype start = 0;
    while (start < piece.size()) {
        const qsizetype space = piece.indexOf(QLatin1Char(' '), start);
        ChatPiece word;
        word.text = piece.mid(start, space - start + 1);
        word.link = isChatLink(word.text);
        out.push_back(std::move(word));
        start = space + 1;
    }
}

} // namespace

ChatSend buildChatSend(int myseat, const QString &text, const QString &colorText, bool loggedin)
{
    ChatSend result;
    if (!loggedin)
        return result;
    result.emptyBox = true;
    // A box of blanks is an empty box: it posts no empty line.
    if (text.trimmed().isEmpty())
        return result;
    const std::string color = colorSuffix(colorText);
    if (!text.startsWith(QLatin1Char('/')))
        result.message = toServer::Chat{myseat, utf8(text) + color};
    else if (text.startsWith(QLatin1String("/me"))) {
        // The action is what follows "/me" and its blank; "/meow" has no
        // blank and has long sent "ow", which players know.
        const QString action = text.mid(text.startsWith(QLatin1String("/me ")) ? 4 : 3);
        if (!action.trimmed().isEmpty())
            result.message = toServer::Action{myseat, utf8(action) + color};
    }
    return result;
}

toServer::Action buildPhraseSend(int myseat, const QString &phrase, const QString &colorText)
{
    const std::string color = colorSuffix(colorText);
    if (phrase.startsWith(QLatin1String("/me ")))
        return {myseat, utf8(phrase.mid(4)) + color};
    return {myseat, "says: " + utf8(phrase) + color};
}

toServer::PlayASound buildSoundSend(int myseat, int sound)
{
    return {myseat, "wave" + std::to_string(sound) + "+"};
}

QString receivedSoundName(const toTable::PlayASound &m)
{
    const std::string_view text(m.text);
    const std::string_view name = text.substr(0, text.find('+'));
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

std::optional<ReceivedChat> parseReceivedChat(const QString &fields)
{
    ReceivedChat chat{fields, kBlack};
    const qsizetype bar = fields.lastIndexOf(QLatin1Char('|'));
    if (bar >= 0) {
        chat.line = fields.left(bar);
        quint32 value;
        if (colorFromText(fields.mid(bar + 1), value))
            chat.color = value;
    }
    if (!splitChatLine(chat.line))
        return std::nullopt;
    return chat;
}

std::optional<ReceivedChat> parseReceivedChat(std::string_view utf8Fields)
{
    return parseReceivedChat(QString::fromUtf8(utf8Fields.data(), qsizetype(utf8Fields.size())));
}

std::optional<ReceivedChat> parseReceivedChat(const toTable::Chat &m)
{
    return parseReceivedChat(QString::number(m.seat) + QLatin1Char('+')
                             + QString::fromUtf8(m.text.data(), qsizetype(m.text.size())));
}

std::optional<ChatLineParts> splitChatLine(const QString &text)
{
    const qsizetype plus = text.indexOf(QLatin1Char('+'));
    if (plus < 0)
        return std::nullopt;
    ChatLineParts parts;
    if (!parseNumber(utf8(text.left(plus)), parts.source) || parts.source < 0
        || parts.source > kMaxChatSource)
        return std::nullopt;
    const QString rest = blankControls(text.mid(plus + 1));
    const qsizetype colon = rest.indexOf(QLatin1Char(':'));
    parts.head = rest.left(colon + 1); // empty when there is no ':'
    parts.body = rest.mid(colon + 1);
    return parts;
}

std::vector<ChatPiece> splitChatBody(const QString &body)
{
    std::vector<ChatPiece> out;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype code = body.indexOf(kSmileyCode, pos);
        if (code < 0)
            break;
        appendWords(body.mid(pos, code - pos), out);
        const qsizetype digitsAt = code + kSmileyCode.size();
        const qsizetype units = unitsOfChars(body, digitsAt, 2);
        const QStringView digits = QStringView(body).mid(digitsAt, units);
        ChatPiece smiley;
        smiley.picture = 0;
        if (digits.size() == 2 && digits[0].isDigit() && digits[1].isDigit()
            && digits[0].unicode() < 128 && digits[1].unicode() < 128) {
            const int number = (digits[0].unicode() - '0') * 10 + (digits[1].unicode() - '0');
            if (number >= 10 && number <= 27)
                smiley.picture = number - 10;
        }
        out.push_back(std::move(smiley));
        pos = digitsAt + units;
    }
    if (pos < body.size())
        appendWords(body.mid(pos), out);
    return out;
}

bool isChatLink(const QString &word)
{
    return word.contains(QLatin1String("http://"), Qt::CaseInsensitive)
        || word.contains(QLatin1String("https://"), Qt::CaseInsensitive)
        || word.contains(QLatin1String("www."), Qt::CaseInsensitive);
}

std::optional<QUrl> chatLinkUrl(const QString &stored)
{
    QString text = stored;
    while (!text.isEmpty() && text.back() == QLatin1Char(' '))
        text.chop(1);
    QString address;
    if (text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        address = text;
    else if (text.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        address = QLatin1String("http://") + text;
    else
        return std::nullopt;
    const QUrl url(address);
    if (!url.isValid() || url.host().isEmpty()
        || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return std::nullopt;
    return url;
}

} // namespace quillet
