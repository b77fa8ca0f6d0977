// The side windows: phrase editor, help, about, score card and last trick.
#include "settings/profile.h"
#include "settings/settingsvalues.h"
#include "windows/smallwindows.h"
#include "windows/tlasttrick.h"
#include "windows/tscore.h"
#include "windows/windowplace.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillet;

namespace {

QPushButton *buttonWithText(QWidget *window, const QString &text)
{
    for (QPushButton *b : window->findChildren<QPushButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

// Makes `w` the active window and waits until the system says so.
bool activate(QWidget *w)
{
    w->show();
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

} // namespace

class TestWindows : public QObject {
    Q_OBJECT

private slots:
    void phraseDoneReportsAllNine();
    void phraseLongerThanFiftyCannotBeEntered();
    void phraseClosingWithoutDoneChangesNothing();
    void phrasesSavedKeepTheRestOfTheFile();

    void helpStartsOnTheOverview();
    void helpTopicsShowTheirPages();
    void helpLicenseIsTheProjectLicense();
    void helpAboutAndDone();

    void aboutVersionAndLink();

    void scoreCardLayouts_data();
    void scoreCardLayouts();
    void scoreCardUnknownLetterLeavesRowsEmpty();
    void scoreCardHidesOnDoneAndGridClick();

    void keepOpenTogglesStaysOnTop();
    void scoreCardPlaceReportedAndRestored();
    void lastTrickMovesToItsPlaceWhenShown();
    void resetPlaceGoesHomeWithoutReport();
    void offScreenPlaceGoesHome();

private:
    QWidget table_;  // the parent every side window is centred on
};

// --- phrase editor -------------------------------------------------------

void TestWindows::phraseDoneReportsAllNine()
{
    Tphrases editor(&table_);
    QStringList reported;
    int calls = 0;
    editor.onDone = [&](const QStringList &p) {
        reported = p;
        ++calls;
    };
    editor.editPhrases({"Hello all", "Good game", "Nice bid"});
    QVERIFY(editor.isVisible());
    QCOMPARE(editor.phrase(2)->text(), QString("Good game"));
    QCOMPARE(editor.phrase(4)->text(), QString());

    buttonWithText(&editor, "Done")->click();
    QCOMPARE(calls, 1);
    QCOMPARE(reported.size(), 9);
    QCOMPARE(reported.mid(0, 3), (QStringList{"Hello all", "Good game", "Nice bid"}));
    for (int i = 3; i < 9; ++i)
        QVERIFY(reported[i].isEmpty());
    QVERIFY(!editor.isVisible());
}

void TestWindows::phraseLongerThanFiftyCannotBeEntered()
{
    Tphrases editor(&table_);
    editor.editPhrases({});
    QLineEdit *edit = editor.phrase(1);
    edit->setFocus();
    QTest::keyClicks(edit, QString(60, 'x'));
    QCOMPARE(edit->text(), QString(50, 'x'));

    QLineEdit *second = editor.phrase(2);
    QApplication::clipboard()->setText(QString(70, 'y'));
    second->paste();
    if (QApplication::clipboard()->text() == QString(70, 'y'))  // a platform without a clipboard pastes nothing
        QCOMPARE(second->text(), QString(50, 'y'));
    QVERIFY(second->text().size() <= 50);

    editor.editPhrases({QString(80, 'z')});
    QCOMPARE(editor.phrase(1)->text().size(), 50);
}

void TestWindows::phraseClosingWithoutDoneChangesNothing()
{
    Tphrases editor(&table_);
    int calls = 0;
    editor.onDone = [&](const QStringList &) { ++calls; };
    editor.editPhrases({"one", "two"});
    editor.phrase(1)->setText("changed");
    editor.close();
    QVERIFY(!editor.isVisible());
    editor.editPhrases({"one", "two"});
    QTest::keyClick(&editor, Qt::Key_Escape);
    QVERIFY(!editor.isVisible());
    QCOMPARE(calls, 0);
    // Opening again shows the buttons' phrases, not the abandoned edit.
    editor.editPhrases({"one", "two"});
    QCOMPARE(editor.phrase(1)->text(), QString("one"));
}

void TestWindows::phrasesSavedKeepTheRestOfTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zolvexlobby.ini");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Lobby]\r\nServer=x\r\n[quillet]\r\nPhrase3=old\r\nTextsize=12\r\n");
    }
    QStringList nine;
    for (int i = 1; i <= 9; ++i)
        nine << (i == 5 ? QString() : QStringLiteral("phrase %1").arg(i));
    QString error;
    QVERIFY2(Tphrases::savePhrases(path, nine, &error), qPrintable(error));

    const ProfileFile file(path);
    for (int i = 1; i <= 9; ++i) {
        const QString key = QStringLiteral("Phrase%1").arg(i);
        QVERIFY2(file.hasKey(settingsSection, key), qPrintable(key));
        QCOMPARE(file.readString(settingsSection, key), nine[i - 1]);
    }
    QCOMPARE(file.readString("Lobby", "Server"), QString("x"));
    QCOMPARE(file.readInteger(settingsSection, "Textsize", 0), 12);
}

// --- help ---------------------------------------------------------------

void TestWindows::helpStartsOnTheOverview()
{
    Thelp help(&table_);
    QCOMPARE(help.windowTitle(), QString("Quillet Help File"));
    QCOMPARE(help.currentPage()->objectName(), QString("memo1"));
    QVERIFY(help.currentPage()->isReadOnly());
    QVERIFY(help.currentPage()->toPlainText().contains("four players"));
}

void TestWindows::helpTopicsShowTheirPages()
{
    Thelp help(&table_);
    help.show();
    const QList<QPair<QString, int>> topics = {{"Overview", 1},      {"Connecting", 2}, {"Game Play", 3},
                                               {"Scoring", 4},       {"Documentation", 9},
                                               {"License", 10},      {"The Lobby", 11}};
    // From the last page backwards, so every click really changes the page.
    for (auto it = topics.crbegin(); it != topics.crend(); ++it) {
        QPushButton *b = buttonWithText(&help, it->first);
        QVERIFY2(b, qPrintable(it->first));
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(help.currentPage()->objectName(), QStringLiteral("memo%1").arg(it->second));
        QCOMPARE(help.label_caption->text(), it->first);
        QVERIFY(help.currentPage()->isReadOnly());
        QVERIFY(help.currentPage()->toPlainText().size() > 200);
        // The pages flow with the window: no line is broken by hand inside a paragraph.
        QCOMPARE(help.currentPage()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    }
    // The pages say what the game really does.
    QVERIFY(help.page(2)->toPlainText().contains("7772"));
    QVERIFY(help.page(3)->toPlainText().contains("Vale"));
    QVERIFY(help.page(4)->toPlainText().contains("10 points plus your bid"));
    QVERIFY(help.page(9)->toPlainText().contains("Playing from the keyboard"));
    QVERIFY(help.page(9)->toPlainText().contains("Four-Colour Deck"));
    QVERIFY(!help.page(5));
}

void TestWindows::helpLicenseIsTheProjectLicense()
{
    QFile license(QStringLiteral(QUILLET_SOURCE_DIR "/LICENSE"));
    QVERIFY(license.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(license.readAll()).replace("\r\n", "\n").trimmed();
    Thelp help(&table_);
    const QString page = help.page(10)->toPlainText().trimmed();
    // The same words and paragraphs; each paragraph one line, to flow with the window.
    QCOMPARE(page.split("\n\n").size(), text.split("\n\n").size());
    QCOMPARE(page.simplified(), text.simplified());
    for (const QString &paragraph : page.split("\n\n"))
        QVERIFY2(!paragraph.contains('\n'), qPrintable(paragraph.left(40)));
}

void TestWindows::helpAboutAndDone()
{
    Thelp help(&table_);
    help.show();
    QSignalSpy about(&help, &Thelp::aboutRequested);
    const QString before = help.currentPage()->objectName();
    buttonWithText(&help, "About")->click();
    QCOMPARE(about.count(), 1);
    QCOMPARE(help.currentPage()->objectName(), before);
    buttonWithText(&help, "Done")->click();
    QVERIFY(!help.isVisible());
}

// --- about --------------------------------------------------------------

void TestWindows::aboutVersionAndLink()
{
    Tabout about(&table_);
    QList<QUrl> opened;
    about.openUrl = [&](const QUrl &u) {
        opened << u;
        return true;
    };
    about.show();
    QCOMPARE(about.windowTitle(), QString("Quillet"));
    QCOMPARE(about.versionText(), QString("1.0.16"));
    auto *build = about.findChild<QLabel *>("label_build");
    QVERIFY(build);
    QCOMPARE(build->text(), QString(".1"));
    // ".1" follows the version directly, on the same line.
    QCOMPARE(build->x(), about.version->geometry().right() + 1);
    QCOMPARE(build->y(), about.version->y());

    QTest::mouseClick(about.link, Qt::LeftButton);
    QCOMPARE(opened, (QList<QUrl>{QUrl("https://www.zolvex.com")}));
    QTest::mouseClick(about.link, Qt::RightButton);
    QCOMPARE(opened.size(), 1);
    buttonWithText(&about, "Done")->click();
    QVERIFY(!about.isVisible());
}

// --- score card ---------------------------------------------------------

void TestWindows::scoreCardLayouts_data()
{
    QTest::addColumn<QString>("letter");
    QTest::addColumn<int>("totalRow");
    QTest::newRow("half") << "h" << 11;
    QTest::newRow("full") << "f" << 21;
    QTest::newRow("vale") << "m" << 24;
}

void TestWindows::scoreCardLayouts()
{
    QFETCH(QString, letter);
    QFETCH(int, totalRow);
    Tscore score(&table_);
    score.updatenames({"Ann", "Klot", "Klick", "Kling"});
    // Leftovers of an earlier game must go.
    score.setscorecard("f");
    score.setCell(3, 2, "13");
    score.setCell(21, 2, "57");
    score.setscorecard(letter);

    QCOMPARE(score.cell(0, 0), QString("Round"));
    QCOMPARE(score.cell(0, 1), QString("Ann"));
    QCOMPARE(score.cell(0, 4), QString("Kling"));
    for (int r = 1; r < totalRow; ++r) {
        QCOMPARE(score.cell(r, 0), QString::number(r));
        for (int c = 1; c <= 4; ++c)
            QVERIFY(score.cell(r, c).isEmpty());
    }
    QCOMPARE(score.cell(totalRow, 0), QString("Total"));
    for (int c = 1; c <= 4; ++c)
        QVERIFY(score.cell(totalRow, c).isEmpty());
    for (int r = totalRow + 1; r < Tscore::kRows; ++r) {
        QVERIFY(score.cell(r, 0).isEmpty());
        for (int c = 1; c <= 4; ++c)
            QCOMPARE(score.cell(r, c), QString("--"));
    }
    // The grid's shape.
    QTableWidget *grid = score.scorecard();
    QCOMPARE(grid->rowCount(), 25);
    QCOMPARE(grid->columnWidth(0), 60);
    QCOMPARE(grid->columnWidth(2), 73);
    QCOMPARE(grid->rowHeight(24), 17);
    QCOMPARE(grid->item(0, 3)->background().color(), QColor(109, 150, 199));
}

void TestWindows::scoreCardUnknownLetterLeavesRowsEmpty()
{
    Tscore score(&table_);
    score.updatenames({"Ann", "Bo", "Cy", "Di"});
    score.setscorecard("h");
    score.setscorecard("x");
    for (int r = 1; r < Tscore::kRows; ++r)
        for (int c = 0; c < Tscore::kColumns; ++c)
            QVERIFY2(score.cell(r, c).isEmpty(), qPrintable(QStringLiteral("%1,%2").arg(r).arg(c)));
    QCOMPARE(score.cell(0, 0), QString("Round"));
    QCOMPARE(score.cell(0, 2), QString("Bo"));
    // Cells out of the grid are ignored.
    score.setCell(25, 1, "x");
    score.setCell(-1, 0, "x");
    QVERIFY(score.cell(25, 1).isEmpty());
}

void TestWindows::scoreCardHidesOnDoneAndGridClick()
{
    Tscore score(&table_);
    score.show();
    buttonWithText(&score, "Done")->click();
    QVERIFY(!score.isVisible());

    score.show();
    QTableWidget *grid = score.scorecard();
    const QRect cell = grid->visualItemRect(grid->item(12, 3));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(!score.isVisible());
}

// --- keep open and places -------------------------------------------------

void TestWindows::keepOpenTogglesStaysOnTop()
{
    Tscore score(&table_);
    Tlasttrick last(&table_);
    QVERIFY(!score.keepOpen());
    QVERIFY(last.keepOpen());  // the last trick starts on top

    score.setPlace(40, 50);
    score.show();
    QVERIFY(QTest::qWaitForWindowExposed(&score));
    score.setKeepOpen(true);
    QVERIFY(score.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(score.isVisible());
    QCOMPARE(score.pos(), QPoint(40, 50));
    score.setKeepOpen(false);
    QVERIFY(!score.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(score.isVisible());

    // A hidden window stays hidden.
    last.setKeepOpen(false);
    QVERIFY(!last.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!last.isVisible());
    last.setKeepOpen(true);
    QVERIFY(last.keepOpen());
    QVERIFY(!last.isVisible());
    // Both stay tool windows.
    QCOMPARE(score.windowType(), Qt::Tool);
    QCOMPARE(last.windowType(), Qt::Tool);
}

void TestWindows::scoreCardPlaceReportedAndRestored()
{
    QWidget other;
    other.resize(100, 100);
    Tscore score(&table_);
    QSignalSpy changed(&score, &PlacedWindow::placeChanged);
    score.setPlace(40, 50);
    QVERIFY(activate(&score));
    QCOMPARE(score.pos(), QPoint(40, 50));
    QCOMPARE(changed.count(), 0);

    // The user drags it elsewhere and clicks into another window.
    score.move(120, 130);
    QVERIFY(activate(&other));
    QTRY_COMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), 120);
    QCOMPARE(changed.at(0).at(1).toInt(), 130);
    QCOMPARE(score.place(), QPoint(120, 130));

    // Leaving it where it is reports nothing.
    QVERIFY(activate(&score));
    QVERIFY(activate(&other));
    QCOMPARE(changed.count(), 1);

    // Wherever it went meanwhile, activating it brings it back to its place;
    // so does showing it again.
    score.move(10, 10);
    QVERIFY(activate(&score));
    QCOMPARE(score.pos(), QPoint(120, 130));
    score.hide();
    score.move(200, 10);
    score.show();
    QCOMPARE(score.pos(), QPoint(120, 130));
}

void TestWindows::lastTrickMovesToItsPlaceWhenShown()
{
    QWidget other;
    other.resize(100, 100);
    Tlasttrick last(&table_);
    QSignalSpy changed(&last, &PlacedWindow::placeChanged);
    last.setPlace(60, 70);
    last.show();
    QCOMPARE(last.pos(), QPoint(60, 70));

    QVERIFY(activate(&last));
    last.move(90, 100);
    QVERIFY(activate(&other));
    QTRY_COMPARE(changed.count(), 1);
    QCOMPARE(last.place(), QPoint(90, 100));

    last.hide();
    last.move(5, 300);
    last.show();
    QCOMPARE(last.pos(), QPoint(90, 100));
}

void TestWindows::resetPlaceGoesHomeWithoutReport()
{
    QWidget other;
    other.resize(100, 100);
    Tscore score(&table_);
    QSignalSpy changed(&score, &PlacedWindow::placeChanged);
    score.setPlace(100, 90);
    QVERIFY(activate(&score));
    score.resetPlace();
    QCOMPARE(score.pos(), QPoint(3, 3));
    QCOMPARE(score.place(), QPoint(3, 3));
    QVERIFY(activate(&other));
    QVERIFY(activate(&score));
    QCOMPARE(score.pos(), QPoint(3, 3));
    QCOMPARE(changed.count(), 0);

    // A hidden window takes the place with it when next shown.
    Tlasttrick last(&table_);
    last.setPlace(200, 200);
    last.resetPlace();
    last.show();
    QCOMPARE(last.pos(), QPoint(3, 3));
}

void TestWindows::offScreenPlaceGoesHome()
{
    Tscore score(&table_);
    Tlasttrick last(&table_);
    const QList<QPoint> lost = {{5000, 5000}, {-3000, 40}, {40, -900}, {40, 100000}};
    for (const QPoint &p : lost) {
        score.setPlace(p.x(), p.y());
        QCOMPARE(score.place(), QPoint(3, 3));
        last.setPlace(p.x(), p.y());
        QCOMPARE(last.place(), QPoint(3, 3));
    }
    score.setPlace(5000, 5000);
    score.show();
    QCOMPARE(score.pos(), QPoint(3, 3));
    // A window hanging partly off the screen can still be reached.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    last.setPlace(screen.right() - 60, screen.bottom() - 40);
    QCOMPARE(last.place(), QPoint(screen.right() - 60, screen.bottom() - 40));
    last.setPlace(-300, 10);
    QCOMPARE(last.place(), QPoint(-300, 10));
    QVERIFY(!isReachable(QPoint(screen.right() + 1, 10), QSize(100, 100)));
}

QTEST_MAIN(TestWindows)
#include "test_windows.moc"
