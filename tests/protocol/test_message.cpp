#include "protocol/cards.h"
#include "protocol/message.h"

#include <QTest>

using namespace quillet;

class TestMessage : public QObject {
    Q_OBJECT
private slots:
    void fieldReading()
    {
        FieldReader r("2+Bob+plays+on");
        QCOMPARE(r.next(), std::string_view("2"));
        QCOMPARE(r.rest(), std::string_view("Bob+plays+on")); // the rest keeps its '+'
        QCOMPARE(r.next(), std::string_view("Bob"));
        FieldReader t("1+500");  // botspeed without its trailing '+'
        int seat = 0, delay = 0;
        QVERIFY(t.nextInt(seat));
        QVERIFY(t.nextInt(delay)); // the last field reads to the end
        FieldReader empty("1+");
        QVERIFY(empty.nextInt(seat));
        QVERIFY(!empty.nextInt(delay)); // empty field is not a number
    }
    void numbers()
    {
        int n = 0;
        QVERIFY(parseNumber("0", n) && n == 0);
        QVERIFY(parseNumber("123456789", n) && n == 123456789);
        QVERIFY(parseNumber("-3", n) && n == -3);
        for (const char *bad : {"", "-", "1 ", " 1", "+1", "1x", "1234567890", "0x10"})
            QVERIFY2(!parseNumber(bad, n), bad);
    }
    void commandSplit()
    {
        std::string_view c, f;
        QVERIFY(splitCommand("CMD_full+", c, f));
        QCOMPARE(c, std::string_view("CMD_full"));
        QVERIFY(f.empty());
        QVERIFY(!splitCommand("CMD_full", c, f));
        QVERIFY(!splitCommand("", c, f));
        QVERIFY(!splitCommand("+x", c, f));
    }
    void building()
    {
        QCOMPARE(makeMessage("CMD_startround", 1, 4, 1, trailing),
                 std::string("CMD_startround+1+4+1+\xFF"));
        QCOMPARE(makeMessage("CMD_full", trailing), std::string("CMD_full+\xFF"));
    }
    void framing()
    {
        MessageFramer f;
        std::deque<std::string> out;
        QVERIFY(f.append("CMD_a+1\xFF" "CMD_b+2\xFF" "CMD_c", out));
        QCOMPARE(out.size(), size_t(2));
        QCOMPARE(out[1], std::string("CMD_b+2"));
        QVERIFY(f.append("+3\xFF", out)); // split message completes whole
        QCOMPARE(out.size(), size_t(3));
        QCOMPARE(out[2], std::string("CMD_c+3"));
        QVERIFY(f.append("\xFF", out)); // empty entry still queued, dispatch ignores it
        QCOMPARE(out.back(), std::string());
        std::string big(kMaxUnterminatedBytes + 1, 'x');
        QVERIFY(!f.append(big, out));
        QCOMPARE(f.buffered(), size_t(0));
    }
    void names()
    {
        QCOMPARE(sanitizeName("A+b\xFF\r\nc"), std::string("A b   c"));
    }
    void cards()
    {
        QCOMPARE(suitOf(1), 1);
        QCOMPARE(suitOf(13), 1);
        QCOMPARE(suitOf(14), 2);
        QCOMPARE(suitOf(52), 4);
        QCOMPARE(suitOf(53), 0);
        QCOMPARE(suitOf(0), 0);
        QCOMPARE(rankOf(13), 13);
        QCOMPARE(rankOf(40), 1);
        QCOMPARE(nextSeat(4), 1);
        // Full: 1..11 then 10..2; Vale: 13..2 then 3..13.
        int n = initialNumCards("f");
        for (int r = 1; r < endRound("f"); ++r) {
            n = nextNumCards("f", r, n);
            QVERIFY(r != 11 || n == 11);
        }
        QCOMPARE(n, 2);
        n = initialNumCards("m");
        for (int r = 1; r < endRound("m"); ++r) {
            n = nextNumCards("m", r, n);
            QVERIFY(r != 1 || n == 13);
        }
        QCOMPARE(n, 13);
    }
};

QTEST_GUILESS_MAIN(TestMessage)
#include "test_message.moc"
