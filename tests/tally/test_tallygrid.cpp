// The tally grid: its text form, refused texts, and how one game is counted.
#include "tally/tallygrid.h"

#include <QTest>

using quillet::TallyGrid;

namespace {

// Row r's figures in columns 1..8, as a compact string "g,his,mine,neither|session...".
QString figures(const TallyGrid &g, int row)
{
    QStringList out;
    for (int c = 1; c <= 8; ++c)
        out << g.cell(c, row);
    return out.join(',');
}

TallyGrid withPlayers(const QStringList &names)
{
    TallyGrid g;
    for (const QString &n : names)
        g.addRow(n);
    return g;
}

} // namespace

class TestTallyGrid : public QObject {
    Q_OBJECT
private slots:
    void emptyTallyText();
    void textIsColumnByColumn();
    void textRoundTrip();
    void lenientReading();
    void refusedTexts_data();
    void refusedTexts();
    void winByFollowedPlayer();
    void winByLocalPlayer();
    void winByNobodyFollowed();
    void ties();
    void caseDifferentName();
    void playerNamedAddtomine();
    void controlCharactersInNames();
    void moverow();
};

void TestTallyGrid::emptyTallyText()
{
    QByteArray expected = "9\r\n1\r\n";
    for (int i = 0; i < 9; ++i)
        expected += "0\r\n";
    QCOMPARE(TallyGrid().toText(), expected);
    QCOMPARE(expected.size(), 33);
}

void TestTallyGrid::textIsColumnByColumn()
{
    TallyGrid g = withPlayers({"Ann"});
    g.addit(1, 0);
    g.addit(1, 1);
    g.addit(2, 1);
    g.addit(6, 1);
    QCOMPARE(g.toText(), QByteArray("9\r\n2\r\n"
                                    "0\r\nAnn\r\n" // column 0
                                    "1\r\n1\r\n"   // column 1
                                    "0\r\n1\r\n"   // column 2
                                    "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
                                    "0\r\n1\r\n" // column 6
                                    "0\r\n0\r\n0\r\n0\r\n"));
}

void TestTallyGrid::textRoundTrip()
{
    TallyGrid g = withPlayers({"Ann", QString::fromUtf8("Jörg ✓"), ""});
    for (int i = 0; i < 7; ++i)
        g.addit(1 + i % 8, i % 4);
    g.addit(4, 3);
    QString error;
    const auto back = TallyGrid::fromText(g.toText(), &error);
    QVERIFY2(back, qPrintable(error));
    QVERIFY(*back == g);
    QCOMPARE(back->name(2), QString::fromUtf8("Jörg ✓"));
}

void TestTallyGrid::lenientReading()
{
    // LF line ends, an empty figure, no final line end, lines after the grid.
    QByteArray text = "9\n2\n0\nBob\n3\n\n";
    for (int i = 0; i < 13; ++i)
        text += "0\n";
    text += "0\nextra\r\n";
    QString error;
    const auto g = TallyGrid::fromText(text, &error);
    QVERIFY2(g, qPrintable(error));
    QCOMPARE(g->rowCount(), 2);
    QCOMPARE(g->name(1), QString("Bob"));
    QCOMPARE(g->figure(1, 0), 3);
    QCOMPARE(g->figure(1, 1), 0);

    // A file from a single-byte code page.
    const auto latin = TallyGrid::fromText("9\r\n2\r\n0\r\nJ\xf6rg\r\n" + QByteArray(16, '\n').replace("\n", "0\r\n"),
                                           &error);
    QVERIFY2(latin, qPrintable(error));
    QCOMPARE(latin->name(1), QString::fromUtf8("Jörg"));
}

void TestTallyGrid::refusedTexts_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray nineZeros = QByteArray("0\r\n").repeated(9);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one line") << QByteArray("9\r\n");
    QTest::newRow("columns not a number") << "nine\r\n1\r\n" + nineZeros;
    QTest::newRow("too few columns") << "8\r\n1\r\n" + nineZeros;
    QTest::newRow("absurd columns") << "900000000000\r\n1\r\n" + nineZeros;
    QTest::newRow("negative rows") << "9\r\n-1\r\n" + nineZeros;
    QTest::newRow("no rows") << "9\r\n0\r\n" + nineZeros;
    QTest::newRow("rows not a number") << "9\r\n1x\r\n" + nineZeros;
    QTest::newRow("rows beyond the cells") << "9\r\n2\r\n" + nineZeros;
    QTest::newRow("huge row count") << "9\r\n999999999\r\n" + nineZeros;
    QTest::newRow("figure not a number") << "9\r\n1\r\n0\r\nabc\r\n" + QByteArray("0\r\n").repeated(7);
    QTest::newRow("negative figure") << "9\r\n1\r\n0\r\n-3\r\n" + QByteArray("0\r\n").repeated(7);
    QTest::newRow("figure too large") << "9\r\n1\r\n0\r\n2147483648\r\n" + QByteArray("0\r\n").repeated(7);
}

void TestTallyGrid::refusedTexts()
{
    QFETCH(QByteArray, text);
    QString error;
    QVERIFY(!TallyGrid::fromText(text, &error));
    QVERIFY2(error.startsWith("The tally file is damaged: "), qPrintable(error));
}

void TestTallyGrid::winByFollowedPlayer()
{
    TallyGrid g = withPlayers({"Ann", "Bob", "Cid"});
    g.recordGame({"Ann", "Bob", "Dan"}, "Ann", false);
    QCOMPARE(figures(g, 1), QString("1,1,0,0,1,1,0,0"));
    QCOMPARE(figures(g, 2), QString("1,0,0,1,1,0,0,1"));
    QCOMPARE(figures(g, 3), QString("0,0,0,0,0,0,0,0")); // not at the table
    QCOMPARE(figures(g, 0), QString("0,0,0,0,0,0,0,0")); // the own row is the window's business
}

void TestTallyGrid::winByLocalPlayer()
{
    TallyGrid g = withPlayers({"Ann", "Bob"});
    g.recordGame({"Ann", "Bob"}, "You", true);
    QCOMPARE(figures(g, 1), QString("1,0,1,0,1,0,1,0"));
    QCOMPARE(figures(g, 2), QString("1,0,1,0,1,0,1,0"));
}

void TestTallyGrid::winByNobodyFollowed()
{
    TallyGrid g = withPlayers({"Ann"});
    g.recordGame({"Ann", "Dan"}, "Dan", false);
    QCOMPARE(figures(g, 1), QString("1,0,0,1,1,0,0,1"));
}

void TestTallyGrid::ties()
{
    // A followed winner in a tie does not equal the whole winners' text.
    TallyGrid g = withPlayers({"Ann", "Bob"});
    g.recordGame({"Ann", "Bob"}, "Ann and Bob", false);
    QCOMPARE(figures(g, 1), QString("1,0,0,1,1,0,0,1"));
    QCOMPARE(figures(g, 2), QString("1,0,0,1,1,0,0,1"));
    // The local player among the tied winners: his win for everyone.
    g.recordGame({"Ann", "Bob"}, "You and Ann", true);
    QCOMPARE(figures(g, 1), QString("2,0,1,1,2,0,1,1"));
    QCOMPARE(figures(g, 2), QString("2,0,1,1,2,0,1,1"));
}

void TestTallyGrid::caseDifferentName()
{
    TallyGrid g = withPlayers({"bob"});
    QCOMPARE(g.findRow("BOB"), 1);
    g.recordGame({"Bob"}, "Bob", false);
    QCOMPARE(figures(g, 1), QString("1,0,0,1,1,0,0,1"));
    // Two players at the table whose names differ only in case: one game.
    g.recordGame({"Bob", "BOB"}, "Zed", false);
    QCOMPARE(g.figure(1, 1), 2);
}

void TestTallyGrid::playerNamedAddtomine()
{
    TallyGrid g = withPlayers({"addtomine"});
    g.recordGame({"addtomine"}, "You", true);
    QCOMPARE(figures(g, 1), QString("1,0,1,0,1,0,1,0"));
    g.recordGame({"addtomine"}, "addtomine", false);
    QCOMPARE(figures(g, 1), QString("2,1,1,0,2,1,1,0"));
}

void TestTallyGrid::controlCharactersInNames()
{
    TallyGrid g = withPlayers({"Bad\r\nGuy", "Tab\tX\x7f"});
    QCOMPARE(g.name(1), QString("Bad  Guy"));
    QCOMPARE(g.name(2), QString("Tab X "));
    g.addit(1, 0);
    const QByteArray text = g.toText();
    QCOMPARE(text.count("\r\n"), 2 + 9 * 3);
    const auto back = TallyGrid::fromText(text, nullptr);
    QVERIFY(back);
    QCOMPARE(back->figure(1, 0), 1);
    QCOMPARE(back->name(1), QString("Bad  Guy"));
    // The announced winner is compared in the same clean form.
    g.recordGame({"Bad\r\nGuy"}, "Bad\r\nGuy", false);
    QCOMPARE(g.figure(2, 1), 1);
}

void TestTallyGrid::moverow()
{
    TallyGrid g = withPlayers({"Ann", "Bob"});
    g.addit(3, 2);
    g.moverow(1);
    QCOMPARE(g.rowCount(), 2);
    QCOMPARE(g.name(1), QString("Bob"));
    QCOMPARE(g.figure(3, 1), 1);
    g.moverow(1);
    QCOMPARE(g.rowCount(), 1);
    QVERIFY(g == TallyGrid());
    g.moverow(0); // the own row stays
    g.moverow(5);
    QCOMPARE(g.rowCount(), 1);
}

QTEST_GUILESS_MAIN(TestTallyGrid)
#include "test_tallygrid.moc"
