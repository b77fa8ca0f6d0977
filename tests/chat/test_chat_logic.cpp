#include "chat/chatlogic.h"
#include "chat/colortext.h"

#include <QGuiApplication>
#include <QPalette>
#include <QTest>

using namespace quillet;

namespace {
// The bytes a typed line sends; empty when it sends nothing.
std::string bytes(const ChatSend &s) { return s.message ? encoded(*s.message) : std::string(); }
} // namespace

class TestChatLogic : public QObject {
    Q_OBJECT
private slots:
    void colorTextWriting()
    {
        QCOMPARE(colorToText(0x000000), QStringLiteral("clBlack"));
        QCOMPARE(colorToText(0x0000FF), QStringLiteral("clRed"));
        QCOMPARE(colorToText(0xFF0000), QStringLiteral("clBlue"));
        QCOMPARE(colorToText(0xC0C0C0), QStringLiteral("clSilver"));
        QCOMPARE(colorToText(kSystemLineColor), QStringLiteral("$00804000"));
        QCOMPARE(colorToText(0x00ABCDEF), QStringLiteral("$00ABCDEF"));
    }

    void colorTextReading()
    {
        quint32 v = 7;
        QVERIFY(colorFromText(QStringLiteral("clblack"), v) && v == 0);
        QVERIFY(colorFromText(QStringLiteral("CLRED"), v) && v == 0x0000FF);
        QVERIFY(colorFromText(QStringLiteral("clFuchsia"), v) && v == 0xFF00FF);
        QVERIFY(colorFromText(QStringLiteral("$00804000"), v) && v == 0x804000);
        QVERIFY(colorFromText(QStringLiteral("$ff"), v) && v == 0xFF);
        QVERIFY(colorFromText(QStringLiteral("255"), v) && v == 255);
        QVERIFY(colorFromText(QStringLiteral("4294967295"), v) && v == 0xFFFFFFFFu);
        QVERIFY(colorFromText(QStringLiteral(" clNavy "), v) && v == 0x800000);
        // System colours follow the palette.
        QVERIFY(colorFromText(QStringLiteral("clwindowtext"), v));
        QCOMPARE(v, fromQColor(QGuiApplication::palette().color(QPalette::Text)));
        QVERIFY(colorFromText(QStringLiteral("clHighlight"), v));
        QCOMPARE(v, fromQColor(QGuiApplication::palette().color(QPalette::Highlight)));

        v = 7;
        for (const char *bad : {"", "cl", "clRedd", "$", "$123456789", "$12G", "-1", "4294967296",
                                "12a", "0x10", "red"})
            QVERIFY2(!colorFromText(QString::fromLatin1(bad), v) && v == 7, bad);
    }

    void colorRoundTrips()
    {
        for (quint32 value : {0x000000u, 0x0000FFu, 0x804000u, 0x123456u, 0xFFFFFFu, 0xFFFFFFFFu}) {
            quint32 back = 1;
            QVERIFY(colorFromText(colorToText(value), back));
            QCOMPARE(back, value);
        }
        QCOMPARE(toQColor(0x804000), QColor(0, 64, 128)); // blue in the high byte
        QCOMPARE(fromQColor(QColor(0, 64, 128)), 0x804000u);
    }

    void typedLines()
    {
        ChatSend s = buildChatSend(2, QStringLiteral("hello + all"), QStringLiteral("clRed"));
        QCOMPARE(bytes(s), std::string("CMD_chat+2+hello + all|clRed\xFF"));
        QVERIFY(s.emptyBox);

        s = buildChatSend(3, QStringLiteral("/me waves"), QStringLiteral("clBlack"));
        QCOMPARE(bytes(s), std::string("CMD_action+3+waves|clBlack\xFF"));
        s = buildChatSend(3, QStringLiteral("/meow"), QStringLiteral("clBlack"));
        QCOMPARE(bytes(s), std::string("CMD_action+3+ow|clBlack\xFF"));
        // Nothing but blanks posts no empty line, as a chat or as an action.
        for (const char *blank : {"/me", "/me   ", " ", "\t  "}) {
            s = buildChatSend(3, QString::fromLatin1(blank), QStringLiteral("clBlack"));
            QVERIFY2(!s.message, blank);
            QVERIFY(s.emptyBox);
        }
        s = buildChatSend(3, QStringLiteral("/help"), QStringLiteral("clBlack"));
        QVERIFY(!s.message);
        QVERIFY(s.emptyBox);
        s = buildChatSend(3, QString(), QStringLiteral("clBlack"));
        QVERIFY(!s.message);

        // Not logged in: nothing goes and the text stays.
        s = buildChatSend(3, QStringLiteral("hi"), QStringLiteral("clBlack"), false);
        QVERIFY(!s.message);
        QVERIFY(!s.emptyBox);

        // Text travels as UTF-8.
        s = buildChatSend(1, QStringLiteral("gr\u00fc\u00df"), QStringLiteral("$00804000"));
        QCOMPARE(bytes(s), std::string("CMD_chat+1+gr\xC3\xBC\xC3\x9F|$00804000\xFF"));
    }

    void phrases()
    {
        QCOMPARE(encoded(buildPhraseSend(4, QStringLiteral("Nice Try!"), QStringLiteral("clBlue"))),
                 std::string("CMD_action+4+says: Nice Try!|clBlue\xFF"));
        QCOMPARE(encoded(buildPhraseSend(4, QStringLiteral("/me waves"), QStringLiteral("clBlue"))),
                 std::string("CMD_action+4+waves|clBlue\xFF"));
        // "/me" without its blank is an ordinary phrase.
        QCOMPARE(encoded(buildPhraseSend(4, QStringLiteral("/meow"), QStringLiteral("clBlue"))),
                 std::string("CMD_action+4+says: /meow|clBlue\xFF"));
        // A chatter sound ends its field with a '+', which the reading side cuts at.
        QCOMPARE(encoded(buildSoundSend(3, 12)), std::string("CMD_playasound+3+wave12+\xFF"));
        QCOMPARE(receivedSoundName({3, "wave12+"}), QStringLiteral("wave12"));
        QCOMPARE(receivedSoundName({3, "wave7"}), QStringLiteral("wave7"));
        QCOMPARE(receivedSoundName({3, "+wave7"}), QString());
    }

    void receivedLines()
    {
        auto r = parseReceivedChat(QStringLiteral("2+Bob chats: a|b|clRed"));
        QVERIFY(r);
        QCOMPARE(r->line, QStringLiteral("2+Bob chats: a|b")); // cut at the last '|'
        QCOMPARE(r->color, 0x0000FFu);

        r = parseReceivedChat(QStringLiteral("2+Bob chats: a|b"));
        QVERIFY(r);
        QCOMPARE(r->line, QStringLiteral("2+Bob chats: a"));
        QCOMPARE(r->color, kBlack); // unreadable colour: black, readable on white

        r = parseReceivedChat(QStringLiteral("3+Cy chats: no bar"));
        QVERIFY(r);
        QCOMPARE(r->line, QStringLiteral("3+Cy chats: no bar"));
        QCOMPARE(r->color, kBlack);

        r = parseReceivedChat(std::string_view("1+Z\xC3\xBC chats: x|$000000FF"));
        QVERIFY(r);
        QCOMPARE(r->line, QStringLiteral("1+Z\u00fc chats: x"));
        QCOMPARE(r->color, 0xFFu);
        // A decoded message reads as its seat, '+' and its text.
        r = parseReceivedChat(toTable::Chat{toTable::Chat::Kind::action, 4, "Dee waves|clRed"});
        QVERIFY(r);
        QCOMPARE(r->line, QStringLiteral("4+Dee waves"));
        QCOMPARE(r->color, 0x0000FFu);

        // A source outside 0..9 never reaches the pane.
        for (const char *bad : {"-1+x chats: y|clRed", "10+x chats: y|clRed", "a+x|clRed",
                                "+x|clRed", "x chats: y|clRed", " 1+x|clRed"})
            QVERIFY2(!parseReceivedChat(QString::fromLatin1(bad)), bad);
        QVERIFY(parseReceivedChat(QStringLiteral("0+status")));
        QVERIFY(parseReceivedChat(QStringLiteral("9+w chats: y")));
    }

    void lineHeadAndBody()
    {
        auto p = splitChatLine(QStringLiteral("2+Bob chats: see: this"));
        QVERIFY(p);
        QCOMPARE(p->source, 2);
        QCOMPARE(p->head, QStringLiteral("Bob chats:"));
        QCOMPARE(p->body, QStringLiteral(" see: this"));

        p = splitChatLine(QStringLiteral("0+You are Connected."));
        QVERIFY(p);
        QCOMPARE(p->head, QString());
        QCOMPARE(p->body, QStringLiteral("You are Connected."));

        p = splitChatLine(QStringLiteral("1+a\tb\nc: d\re"));
        QVERIFY(p);
        QCOMPARE(p->head, QStringLiteral("a b c:"));
        QCOMPARE(p->body, QStringLiteral(" d e"));
    }

    void wordsSmileysAndLinks()
    {
        const auto pieces = splitChatBody(QStringLiteral(" hi:)#12 www.x.org  :)#9 ok:)#2"));
        QStringList seen;
        for (const ChatPiece &c : pieces)
            seen << (c.picture >= 0 ? QStringLiteral("[%1]").arg(c.picture)
                                    : (c.link ? QStringLiteral("<%1>").arg(c.text) : c.text));
        // Words keep their ending blank; a leading blank is a word of its
        // own; ":)#9 " is picture 0 and consumes "9 "; a code cut short by
        // the end of the text is picture 0 too.
        QCOMPARE(seen, QStringList({" ", "hi ", "[2]", " ", "<www.x.org >", " ", " ", "[0]",
                                    "ok ", "[0]"}));

        const auto bad = splitChatBody(QStringLiteral(":)#28:)#ab:)#1x:)#27"));
        QCOMPARE(int(bad.size()), 8);
        QCOMPARE(bad[1].picture, 0);
        QCOMPARE(bad[3].picture, 0);
        QCOMPARE(bad[5].picture, 0);
        QCOMPARE(bad[7].picture, 17);

        // Two characters are two characters, also outside the BMP.
        const auto wide = splitChatBody(QStringLiteral(":)#\U0001F600\U0001F600x"));
        QCOMPARE(wide.back().text, QStringLiteral("x "));

        QVERIFY(isChatLink(QStringLiteral("HTTP://A.B ")));
        QVERIFY(isChatLink(QStringLiteral("(www.a.b)")));
        QVERIFY(isChatLink(QStringLiteral("https://a.b")));
        QVERIFY(!isChatLink(QStringLiteral("ftp://a.b")));
        QVERIFY(!isChatLink(QString()));
    }

    void linkAddresses()
    {
        QCOMPARE(chatLinkUrl(QStringLiteral("http://example.com/a?b=1 ")),
                 std::optional<QUrl>(QUrl(QStringLiteral("http://example.com/a?b=1"))));
        QCOMPARE(chatLinkUrl(QStringLiteral("HTTPS://www.example.com ")),
                 std::optional<QUrl>(QUrl(QStringLiteral("https://www.example.com"))));
        QCOMPARE(chatLinkUrl(QStringLiteral("www.example.com  ")),
                 std::optional<QUrl>(QUrl(QStringLiteral("http://www.example.com"))));
        for (const char *refused : {"", "file:///etc/passwd", "C:\\www.evil\\x.exe",
                                    "javascript:alert(1)//http://", "xhttp://example.com",
                                    "(www.example.com)", "/tmp/www.x/run.sh", "http:// ",
                                    "smb://www.example.com/share", "http:///path"})
            QVERIFY2(!chatLinkUrl(QString::fromLatin1(refused)), refused);
    }
};

QTEST_MAIN(TestChatLogic)
#include "test_chat_logic.moc"
