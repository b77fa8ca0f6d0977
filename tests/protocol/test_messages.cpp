// The typed messages: every command decodes from its exact bytes and encodes
// back to them, and malformed or out-of-range fields decode to nothing.
#include "protocol/messages.h"

#include <QTest>

#include <string>

using namespace quillet;

namespace {

// The wire form without the terminator, as a pending entry holds it.
std::string entry(const std::string &bytes)
{
    return bytes.substr(0, bytes.size() - 1);
}
const std::string ff = "\xFF";

template <class T, class Variant>
const T &as(const std::optional<Variant> &v)
{
    static const T none{};
    if (!v || !std::holds_alternative<T>(*v))
        return none;
    return std::get<T>(*v);
}

} // namespace

Q_DECLARE_METATYPE(std::string)

class TestMessages : public QObject {
    Q_OBJECT
private slots:
    // Every command of both directions: decode(bytes) then encode gives the
    // same bytes back.
    void roundTrip_data()
    {
        QTest::addColumn<bool>("toServer");
        QTest::addColumn<std::string>("bytes");
        const std::pair<bool, const char *> rows[] = {
            {true, "CMD_logininfo+3+1.0.16+Ann + Bob"},
            {true, "CMD_startgame+Ann+f+"},
            {true, "CMD_startgame+Ann+h+"},
            {true, "CMD_startgame+Ann+m+"},
            {true, "CMD_bid+2+5"},
            {true, "CMD_mychoose+4+53+"},
            {true, "CMD_playcard+1+13"},
            {true, "CMD_chat+2+hi + there|clRed"},
            {true, "CMD_action+5+waves|$00FF0000"},
            {true, "CMD_playasound+3+wave12+"},
            {true, "CMD_justwatch+3+1"},
            {true, "CMD_justwatch+3+2"},
            {true, "CMD_kickhim+1+6+"},
            {true, "CMD_botspeed+1+750+"},
            {false, "CMD_sendlogininfo+5"},
            {false, "CMD_full+"},
            {false, "CMD_newplayerinfo+2+Bob+Jr"},
            {false, "CMD_existingplayers+7+Eve"},
            {false, "CMD_havewrongversion+Cid"},
            {false, "CMD_wrongversion+"},
            {false, "CMD_placecard+2+1+0+2+0+3+0"},
            {false, "CMD_placecard+1+1+40+2+3+3+27+4+14+5+5"},
            {false, "CMD_newplayerstuff+3+2+1+27+1+0+2+37+3+32+4+0+"},
            {false, "CMD_stats+2+0+7+27+h+"},
            {false, "CMD_playerdisconnected+6+Ann"},
            {false, "CMD_startgame+You+m+"},
            {false, "CMD_startround+11+4+11+"},
            {false, "CMD_trump+53"},
            {false, "CMD_bid+1+5+1+5+4+"},
            {false, "CMD_hisbid+2+3+4"},
            {false, "CMD_nobid+4+1+"},
            {false, "CMD_choosetrump+2+"},
            {false, "CMD_nextplayer+c+3"},
            {false, "CMD_nextplayer+f+1"},
            {false, "CMD_playcard+3+7+45"},
            {false, "CMD_needsuit+1+2+12+"},
            {false, "CMD_trickwinner+4+2"},
            {false, "CMD_score+1+13+13+2+0+0+3+5+5+4+21+11"},
            {false, "CMD_winner+Klot and Ann+57"},
            {false, "CMD_chat+2+Bob chats: a+b|clBlue"},
            {false, "CMD_action+1+Ann waves|clBlack"},
            {false, "CMD_me+3+Cid x"},
            {false, "CMD_playasound+4+wave5+"},
            {false, "CMD_justwatching+2+1"},
            {false, "CMD_justwatching+2+2"},
        };
        for (const auto &[up, text] : rows)
            QTest::newRow(text) << up << std::string(text) + ff;
    }
    void roundTrip()
    {
        QFETCH(bool, toServer);
        QFETCH(std::string, bytes);
        std::string out;
        if (toServer) {
            const auto m = decodeToServer(entry(bytes));
            QVERIFY(m);
            encode(out, *m);
        } else {
            const auto m = decodeToTable(entry(bytes));
            QVERIFY(m);
            encode(out, *m);
        }
        QCOMPARE(out, bytes);
    }

    // The fields land where they belong.
    void fields()
    {
        const auto login = as<toServer::LoginInfo>(decodeToServer("CMD_logininfo+3+1.0.16+A+B"));
        QCOMPARE(login.slot, 3);
        QCOMPARE(login.version, std::string("1.0.16"));
        QCOMPARE(login.name, std::string("A+B"));  // the name is the rest

        const auto deal = as<toTable::PlaceCard>(decodeToTable("CMD_placecard+1+1+40+2+3"));
        QCOMPARE(deal.seat, 1);
        QCOMPARE(deal.count, 2);
        QCOMPARE(deal.pairs[1].slot, 2);
        QCOMPARE(deal.pairs[1].card, 3);

        const auto stuff = as<toTable::NewPlayerStuff>(
            decodeToTable("CMD_newplayerstuff+3+2+1+27+1+0+2+37+3+32+4+0+"));
        QCOMPARE(stuff.played[2], 37);
        QCOMPARE(stuff.played[3], 32);
        QCOMPARE(stuff.score, 27);

        const auto score = as<toTable::Score>(decodeToTable("CMD_score+1+13+13+2+0+0+3+5+5+4+21+11"));
        QCOMPARE(score.entries[3].seat, 4);
        QCOMPARE(score.entries[3].total, 21);
        QCOMPARE(score.entries[3].round, 11);

        const auto won = as<toTable::Winner>(decodeToTable("CMD_winner+A+B and C+40"));
        QCOMPARE(won.names, std::string("A+B and C"));
        QCOMPARE(won.score, 40);

        QVERIFY(as<toTable::NextPlayer>(decodeToTable("CMD_nextplayer+c+3")).newTrick);
        QVERIFY(!as<toTable::NextPlayer>(decodeToTable("CMD_nextplayer+f+3")).newTrick);
        QVERIFY(as<toServer::JustWatch>(decodeToServer("CMD_justwatch+3+1")).watch);
        QCOMPARE(as<toTable::Chat>(decodeToTable("CMD_me+3+x")).kind, toTable::Chat::Kind::me);

        // The table's reading lets the last field stand without its '+'.
        QVERIFY(decodeToTable("CMD_bid+1+5+1+5+4"));
        QVERIFY(decodeToTable("CMD_startround+1+1+1"));
        // A pair that names no seat or no card shows nothing.
        const auto odd = as<toTable::NewPlayerStuff>(
            decodeToTable("CMD_newplayerstuff+1+0+0+0+9+12+2+0+3+60+4+5+"));
        QCOMPARE(odd.played, (std::array<int, 5>{0, 0, 0, 0, 5}));
    }

    // Unknown commands and malformed or out-of-range fields give nothing.
    void rejected_data()
    {
        QTest::addColumn<bool>("toServer");
        QTest::addColumn<std::string>("text");
        const std::pair<bool, const char *> rows[] = {
            {true, ""},
            {true, "CMD_bid"},
            {true, "+1+2"},
            {true, "cmd_bid+1+2"},
            {true, "CMD_bid +1+2"},
            {true, "CMD_nothing+1"},
            {true, "CMD_logininfo+3"},       // no version
            {true, "CMD_logininfo+x+1.0.16+A"},
            {true, "CMD_logininfo+10+1.0.16+A"},
            {true, "CMD_startgame+Ann+x+"},
            {true, "CMD_startgame+Ann++"},
            {true, "CMD_bid+1"},             // the seat needs its '+'
            {true, "CMD_bid+5+1"},           // a watcher slot bids nothing
            {true, "CMD_bid+0+1"},
            {true, "CMD_bid+1+14"},
            {true, "CMD_bid+1+-1"},
            {true, "CMD_bid+1+1 "},
            {true, "CMD_mychoose+1+12+"},
            {true, "CMD_mychoose+1+53"},     // needs its trailing '+'
            {true, "CMD_playcard+1+"},
            {true, "CMD_playcard+1+x"},
            {true, "CMD_playcard+99999999999+1"},
            {true, "CMD_chat+10+hi"},
            {true, "CMD_chat+0+hi"},
            {true, "CMD_chat+hi"},
            {true, "CMD_justwatch+3+3"},
            {true, "CMD_justwatch+3+"},
            {true, "CMD_justwatch+11+1"},
            {true, "CMD_kickhim+1+6"},       // no trailing '+'
            {true, "CMD_kickhim+1+10+"},
            {true, "CMD_botspeed+1+500"},    // no trailing '+': no effect
            {true, "CMD_botspeed+1+60001+"},
            {true, "CMD_botspeed+1+-5+"},
            {false, "CMD_sendlogininfo+0"},
            {false, "CMD_sendlogininfo+10"},
            {false, "CMD_sendlogininfo+1+"},
            {false, "CMD_newplayerinfo+0+A"},
            {false, "CMD_newplayerinfo+x+A"},
            {false, "CMD_placecard+5+1+1"},
            {false, "CMD_placecard+1+14+1"},
            {false, "CMD_placecard+1+1+53"},
            {false, "CMD_placecard+1+1"},
            {false, "CMD_placecard+1+1+1+2+2+3+3+4+4+5+5+6+6+7+7+8+8+9+9+10+10+11+11+12+12+13+13+1+14"},
            {false, "CMD_newplayerstuff+1+0+0+0+1+0+2+0+3+0+4"},
            {false, "CMD_newplayerstuff+1+14+0+0+1+0+2+0+3+0+4+0+"},
            {false, "CMD_stats+1+0+25+0+f+"},
            {false, "CMD_stats+1+0+1+54+f+"},
            {false, "CMD_stats+1+0+1+0+x+"},
            {false, "CMD_startgame+Ann+q+"},
            {false, "CMD_startround+25+1+1+"},
            {false, "CMD_startround+1+1+14+"},
            {false, "CMD_trump+54"},
            {false, "CMD_trump+-1"},
            {false, "CMD_trump+1+"},
            {false, "CMD_bid+0+5+1+5+4+"},
            {false, "CMD_bid+1+14+1+5+4+"},
            {false, "CMD_bid+1+5+0+5+4+"},
            {false, "CMD_bid+1+5+1+5+5+"},
            {false, "CMD_hisbid+5+1+1"},
            {false, "CMD_hisbid+1+1+"},
            {false, "CMD_nobid+x+1+"},
            {false, "CMD_choosetrump+0+"},
            {false, "CMD_nextplayer+x+1"},
            {false, "CMD_nextplayer+c+5"},
            {false, "CMD_nextplayer+c+1+"},
            {false, "CMD_playcard+1+1+0"},
            {false, "CMD_playcard+1+1+53"},
            {false, "CMD_playcard+1+0+5"},
            {false, "CMD_needsuit+"},
            {false, "CMD_trickwinner+1+14"},
            {false, "CMD_trickwinner+0+1"},
            {false, "CMD_score+1+13+13+2+0+0+3+5+5"},
            {false, "CMD_score+1+13+13+2+0+0+3+5+5+5+21+11"},
            {false, "CMD_winner+Ann"},
            {false, "CMD_winner+Ann+x"},
            {false, "CMD_winner+Ann+-1"},
            {false, "CMD_chat+hello"},
            {false, "CMD_chat+10+x"},
            {false, "CMD_playasound+x+wave1+"},
            {false, "CMD_justwatching+5+1"},
        };
        for (const auto &[up, text] : rows)
            QTest::newRow(text) << up << std::string(text);
    }
    void rejected()
    {
        QFETCH(bool, toServer);
        QFETCH(std::string, text);
        if (toServer)
            QVERIFY(!decodeToServer(text));
        else
            QVERIFY(!decodeToTable(text));
    }

    // A peer's text can hold anything but the terminator; it comes back whole.
    void hostileText()
    {
        const std::string big(70000, '+');
        const auto chat = as<toServer::Chat>(decodeToServer("CMD_chat+1+" + big));
        QCOMPARE(chat.text.size(), big.size());
        QVERIFY(!decodeToServer(std::string("CMD_bid+1+") + '\0'));
        QVERIFY(!decodeToTable("CMD_placecard+" + big));
    }
};

QTEST_APPLESS_MAIN(TestMessages)
#include "test_messages.moc"
