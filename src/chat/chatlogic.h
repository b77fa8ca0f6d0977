// The chat's message rules, apart from any widget: what a typed line or a
// phrase button sends, how a received chat line is read, how a line splits
// into head, words, smileys and links, and which link addresses may open.
#pragma once

#include "protocol/messages.h"

#include <QString>
#include <QUrl>

#include <optional>
#include <string_view>
#include <vector>

namespace quillet {

inline constexpr int kChatStyleCount = 15;
inline constexpr int kSystemStyle = 0;
inline constexpr int kLinkStyle = 4;
inline constexpr int kSmileyCount = 18;
inline constexpr int kMaxChatSource = 9;

// Style of a line's source: 0 for system lines, source + 5 for seats and
// watcher slots 1..9.
constexpr int chatStyleForSource(int source) { return source == 0 ? kSystemStyle : source + 5; }

// What Enter in the input box does.
struct ChatSend {
    std::optional<ToServer> message; // a chat or an action; nothing: send nothing
    bool emptyBox = false;
};

// A typed line: plain text goes as a chat, "/me..." as an action with the
// text after "/me " ("/meow" sends "ow"), any other "/" line sends nothing,
// and neither does a line (or an action) of nothing but blanks.
// The box empties whenever the player is logged in; when he is not, nothing
// is sent and the text stays.
ChatSend buildChatSend(int myseat, const QString &text, const QString &colorText,
                       bool loggedin = true);

// A phrase button: "/me " phrases go as the action after those four
// characters, any other phrase as "says: " and the phrase.
toServer::Action buildPhraseSend(int myseat, const QString &phrase, const QString &colorText);

// A chatter sound 1..20 from the menu: "wave" and its number, with the '+'
// that ends the sound's field on every table.
toServer::PlayASound buildSoundSend(int myseat, int sound);
// The sound a received chatter sound asks for: its text up to the first '+'.
QString receivedSoundName(const toTable::PlayASound &m);

struct ReceivedChat {
    QString line;   // source, "+", head and body: ready for addlinetochat
    quint32 color;  // 0x00BBGGRR
};

// The field text of a received chat, action or me line. The
// colour text follows the last "|" so a "|" typed in the chat stays in the
// line; an unreadable colour, or none at all, draws black, which stays
// readable on the white pane. A line whose source is not 0..9 is dropped.
std::optional<ReceivedChat> parseReceivedChat(const QString &fields);
std::optional<ReceivedChat> parseReceivedChat(std::string_view utf8Fields);
std::optional<ReceivedChat> parseReceivedChat(const toTable::Chat &m);

// A line handed to addlinetochat, split up. Control characters are already
// blanks, so nothing in a line can break the pane's layout.
struct ChatLineParts {
    int source = 0;
    QString head; // up to and including the first ':', empty without one
    QString body;
};
std::optional<ChatLineParts> splitChatLine(const QString &text);

// One piece of a line's body in display order.
struct ChatPiece {
    QString text;     // a word with its ending space; empty for a smiley
    int picture = -1; // smiley picture 0..17, or -1 for a word
    bool link = false;
};

// The smiley codes and the word rule: ":)#" and the next two characters
// make a smiley (10..27 give picture code - 10, anything else picture 0);
// text between smileys is cut into words that keep their ending space.
std::vector<ChatPiece> splitChatBody(const QString &body);

// A word is a link when it contains "http://", "https://" or "www." in any case.
bool isChatLink(const QString &word);

// The address a stored link may open: trailing blanks removed; only a word
// that starts with http:// or https:// (or www., which gets http:// in
// front) and names a host. Anything else gives no address.
std::optional<QUrl> chatLinkUrl(const QString &stored);

} // namespace quillet
