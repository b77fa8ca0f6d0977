#include "chat/chatinput.h"
#include "chat/chatlogic.h"
#include "chat/chatpane.h"
#include "chat/colortext.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace quillet;

namespace {

// A pane with observable desktop and message box.
struct Pane {
    ChatPane pane;
    QList<QUrl> opened;
    QStringList messages;

    Pane()
    {
        pane.setUrlOpener([this](const QUrl &u) { opened << u; return true; });
        pane.setMessageShower([this](const QString &t) { messages << t; });
        pane.resize(320, 400);
        pane.show();
    }
    void received(const QString &fields)
    {
        if (auto r = parseReceivedChat(fields))
            pane.addlinetochat(r->line, r->color);
    }
    void click(int link)
    {
        const QRect r = pane.linkRect(link);
        QVERIFY(r.isValid());
        QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, r.center());
    }
};

bool hasReddish(const QImage &img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() > c.green() + 80 && c.red() > c.blue() + 80)
                return true;
        }
    return false;
}

} // namespace

class TestChatPane : public QObject {
    Q_OBJECT
private slots:
    void receivedChatLine()
    {
        Pane t;
        t.received(QStringLiteral("1+Ann chats: hi:)#12 www.example.com/x|clRed"));
        QCOMPARE(t.pane.paragraphCount(), 1);
        const ChatParagraph &p = t.pane.paragraph(0);
        QCOMPARE(t.pane.paragraphText(0), QStringLiteral("Ann chats:  hi :)#12 www.example.com/x "));
        // Head and words in the seat's style, bold red; the smiley is
        // picture 2 after "hi"; the link is green and underlined.
        const int style = chatStyleForSource(1);
        QCOMPARE(style, 6);
        QCOMPARE(t.pane.styles().style(style).color, QColor(Qt::red));
        QVERIFY(t.pane.styles().style(style).bold);
        int pictures = 0, links = 0;
        for (const ChatRun &r : p.runs) {
            if (r.picture >= 0) {
                ++pictures;
                QCOMPARE(r.picture, 2);
                QCOMPARE(p.text.mid(r.start - 3, 3), QStringLiteral("hi "));
            } else if (r.link >= 0) {
                ++links;
                QCOMPARE(r.style, kLinkStyle);
            } else {
                QCOMPARE(r.style, style);
            }
        }
        QCOMPARE(pictures, 1);
        QCOMPARE(links, 1);
        QCOMPARE(t.pane.styles().style(kLinkStyle).color, QColor(0, 128, 0));
        QVERIFY(t.pane.styles().style(kLinkStyle).underline);
        QCOMPARE(t.pane.linkcount(), 0);
        QCOMPARE(t.pane.link(0), QStringLiteral("www.example.com/x "));

        t.click(0);
        QCOMPARE(t.opened, QList<QUrl>({QUrl(QStringLiteral("http://www.example.com/x"))}));
        QVERIFY(t.messages.isEmpty());
    }

    void sourcesAndStyles()
    {
        Pane t;
        t.pane.addlinetochat(QStringLiteral("0+You are Connected."), kSystemLineColor);
        t.pane.addlinetochat(QStringLiteral("9+w chats: x"), kBlack);
        QCOMPARE(t.pane.paragraph(0).runs.front().style, kSystemStyle);
        QCOMPARE(t.pane.styles().style(kSystemStyle).color, QColor(0, 64, 128));
        QCOMPARE(t.pane.paragraph(1).runs.front().style, 14);
        // Sources outside 0..9 and lines without a source are dropped.
        for (const char *bad : {"-1+x: http://a.b", "10+x: y", "x: y", "+x: y", "a+x"})
            t.pane.addlinetochat(QString::fromLatin1(bad), kBlack);
        QCOMPARE(t.pane.paragraphCount(), 2);
        QCOMPARE(t.pane.linkcount(), -1);
    }

    void laterColourRecoloursEarlierLines()
    {
        Pane t;
        t.pane.resize(400, 200);
        t.received(QStringLiteral("3+Cy chats: first words|clRed"));
        t.received(QStringLiteral("3+Cy chats: second words|clBlue"));
        const ChatParagraph &first = t.pane.paragraph(0);
        QCOMPARE(t.pane.styles().style(first.runs.front().style).color, QColor(Qt::blue));
        // And it is what gets painted: nothing red is left on screen.
        QVERIFY(!hasReddish(t.pane.viewport()->grab().toImage()));
        t.received(QStringLiteral("4+Di chats: third|clRed"));
        QVERIFY(hasReddish(t.pane.viewport()->grab().toImage()));
    }

    void markupShowsLiterally()
    {
        Pane t;
        t.received(QStringLiteral("2+<b>Bo</b> chats: <img src=x> &amp; <a href=\"http://x\">y</a>|clBlack"));
        QCOMPARE(t.pane.paragraphText(0),
                 QStringLiteral("<b>Bo</b> chats:  <img src=x> &amp; <a href=\"http://x\">y</a> "));
        t.pane.selectAll();
        QCOMPARE(t.pane.selectedText(), t.pane.paragraphText(0));
    }

    void linkSafety()
    {
        Pane t;
        t.received(QStringLiteral("1+A chats: http://a.example/p https://www.b.example "
                                  "www.c.example file:///etc/www.passwd C:\\www.x\\run.exe "
                                  "xhttp://d.example ftp://www.e.example|clBlack"));
        QCOMPARE(t.pane.linkcount(), 6); // https://www. counts, file:///..www. too
        for (int i = 0; i <= t.pane.linkcount(); ++i)
            t.click(i);
        QCOMPARE(t.opened, QList<QUrl>({QUrl(QStringLiteral("http://a.example/p")),
                                        QUrl(QStringLiteral("https://www.b.example")),
                                        QUrl(QStringLiteral("http://www.c.example"))}));
        QCOMPARE(t.messages, QStringList(4, QStringLiteral("Cannot open Webpage")));

        // A number with nothing stored says so too.
        t.pane.mainchatJump(99);
        QCOMPARE(t.messages.size(), 5);

        // An https address is a link of its own, www. or not; only http and https open.
        t.received(QStringLiteral("2+B chats: see https://secure.example/p?q=1 now|clBlack"));
        QCOMPARE(t.pane.linkcount(), 7);
        t.click(7);
        QCOMPARE(t.opened.last(), QUrl(QStringLiteral("https://secure.example/p?q=1")));
        QCOMPARE(t.messages.size(), 5);

        // The desktop failing to open is reported the same way.
        t.pane.setUrlOpener([](const QUrl &) { return false; });
        t.click(0);
        QCOMPARE(t.messages.size(), 6);
    }

    void manyLinksKeepTheirOwnAddress()
    {
        Pane t;
        for (int i = 0; i < 130; ++i)
            t.received(QStringLiteral("2+B chats: www.site%1.example|clBlack").arg(i));
        QCOMPARE(t.pane.linkcount(), 129);
        QSignalSpy spy(&t.pane, &ChatPane::linkClicked);
        t.click(120); // the pane is scrolled to its end, so this one is in view
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 120);
        QCOMPARE(t.opened, QList<QUrl>({QUrl(QStringLiteral("http://www.site120.example"))}));
        t.opened.clear();
        t.pane.mainchatJump(101);
        QCOMPARE(t.opened, QList<QUrl>({QUrl(QStringLiteral("http://www.site101.example"))}));
    }

    void clearRestartsLinks()
    {
        Pane t;
        QSignalSpy cleared(&t.pane, &ChatPane::cleared);
        t.received(QStringLiteral("2+B chats: www.old.example www.older.example|clBlack"));
        t.pane.clearAction()->trigger();
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(t.pane.paragraphCount(), 0);
        QCOMPARE(t.pane.linkcount(), -1);
        t.received(QStringLiteral("2+B chats: www.new.example|clBlack"));
        QCOMPARE(t.pane.linkcount(), 0);
        t.click(0);
        QCOMPARE(t.opened, QList<QUrl>({QUrl(QStringLiteral("http://www.new.example"))}));
    }

    void wrapping()
    {
        Pane t;
        t.pane.resize(160, 300);
        t.received(QStringLiteral("2+B chats: alpha,beta;gamma(delta){eps}\"zeta\".eta:theta|clBlack"));
        t.received(QStringLiteral("2+B chats: %1|clBlack").arg(QString(200, QLatin1Char('m'))));
        const int avail = t.pane.viewport()->width() - 10;
        for (int i = 0; i < 2; ++i) {
            const ChatParagraph &p = t.pane.paragraph(i);
            QVERIFY(p.lines.size() > 1);
            for (const ChatLine &l : p.lines) {
                const ChatFragment &last = p.fragments[std::size_t(l.firstFragment + l.fragmentCount - 1)];
                QString tail = p.text.mid(last.start, last.length);
                // Blanks may hang past the edge; nothing else may.
                const qreal blanks = (tail.size() - QString(tail).remove(QRegularExpression(" +$")).size())
                    * t.pane.styles().metrics(2 + 5).horizontalAdvance(QLatin1Char(' '));
                QVERIFY(last.x + last.width - blanks <= avail + 0.5);
            }
        }
        // Breaks fall only after the delimiters in the first line.
        const ChatParagraph &p = t.pane.paragraph(0);
        for (std::size_t k = 1; k < p.lines.size(); ++k) {
            const ChatFragment &f = p.fragments[std::size_t(p.lines[k].firstFragment)];
            QVERIFY(isChatBreakChar(p.text.at(f.start - 1)));
        }
        // Resizing wraps again.
        const int before = t.pane.documentHeight();
        t.pane.resize(600, 300);
        QVERIFY(t.pane.documentHeight() < before);
    }

    void selectionAndCopy()
    {
        Pane t;
        t.pane.addlinetochat(QStringLiteral("0+Welcome"), kSystemLineColor);
        t.received(QStringLiteral("1+A chats: hi:)#15|clBlack"));
        t.pane.selectAllAction()->trigger();
        QCOMPARE(t.pane.selectedText(), QStringLiteral(" Welcome \nA chats:  hi :)#15"));
        t.pane.copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral(" Welcome \nA chats:  hi :)#15"));

        // Dragging across the first line selects part of it.
        const ChatLine &l = t.pane.paragraph(0).lines.front();
        const int y = 2 + l.top + l.height / 2 - t.pane.verticalScrollBar()->value();
        QTest::mousePress(t.pane.viewport(), Qt::LeftButton, {}, QPoint(2, y));
        QTest::mouseMove(t.pane.viewport(), QPoint(300, y));
        QTest::mouseRelease(t.pane.viewport(), Qt::LeftButton, {}, QPoint(300, y));
        QCOMPARE(t.pane.selectedText(), QStringLiteral(" Welcome "));
    }

    void scrollOffAndMenu()
    {
        Pane t;
        t.pane.resize(300, 120);
        QScrollBar *bar = t.pane.verticalScrollBar();
        for (int i = 0; i < 30; ++i)
            t.pane.addlinetochat(QStringLiteral("0+line %1").arg(i), kSystemLineColor);
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(t.pane.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

        t.pane.scrollOffAction()->trigger();
        QVERIFY(t.pane.scrollOff());
        bar->setValue(0);
        t.pane.addlinetochat(QStringLiteral("0+more"), kSystemLineColor);
        QCOMPARE(bar->value(), 0);
        t.pane.setScrollOff(false);
        QVERIFY(!t.pane.scrollOffAction()->isChecked());
        t.pane.addlinetochat(QStringLiteral("0+again"), kSystemLineColor);
        QCOMPARE(bar->value(), bar->maximum());

        QMenu *menu = t.pane.popupMenu();
        QCOMPARE(menu->objectName(), QStringLiteral("PopupMenu1"));
        QStringList items;
        for (QAction *a : menu->actions())
            items << a->text().remove(QLatin1Char('&')); // shown without the mnemonic marks
        QCOMPARE(items, QStringList({"Select All", "Copy", "Clear Main Chat", "Scroll Chat Off"}));
        QCOMPARE(t.pane.copyAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
        QCOMPARE(t.pane.scrollOffAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    }

    void textSize()
    {
        Pane t;
        t.received(QStringLiteral("2+B chats: some words here|clBlack"));
        QCOMPARE(t.pane.textSize(), 10);
        const int small = t.pane.documentHeight();
        t.pane.setTextSize(14);
        QCOMPARE(t.pane.textSize(), 14);
        for (int s = 0; s < kChatStyleCount; ++s)
            QCOMPARE(t.pane.styles().font(s).pointSize(), 14);
        QVERIFY(t.pane.documentHeight() > small);
    }

    void inputBox()
    {
        ChatInput box;
        QCOMPARE(box.objectName(), QStringLiteral("mychat"));
        QCOMPARE(box.text(), QStringLiteral("<Enter Chat Here>"));
        QCOMPARE(box.font().pixelSize(), 13);
        QTest::keyClicks(&box, QStringLiteral("hi"));
        QCOMPARE(box.text(), QStringLiteral("hi")); // the first key took the invitation away

        QSignalSpy enter(&box, &ChatInput::enterPressed);
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(enter.size(), 1); // once per typed Enter, not again on release
        QCOMPARE(enter.at(0).at(0).toString(), QStringLiteral("hi"));
        QCOMPARE(box.text(), QStringLiteral("hi")); // the table decides

        QVERIFY(!box.sendit(2, false, QStringLiteral("clRed")));
        QCOMPARE(box.text(), QStringLiteral("hi"));
        const auto sent = box.sendit(2, true, QStringLiteral("clRed"));
        QVERIFY(sent);
        QCOMPARE(encoded(*sent), std::string("CMD_chat+2+hi|clRed\xFF"));
        QCOMPARE(box.text(), QString());
        box.setText(QStringLiteral("/help"));
        QVERIFY(!box.sendit(2, true, QStringLiteral("clRed")));
        QCOMPARE(box.text(), QString());

        // Paste appends at the end whatever the caret, without line breaks.
        box.setText(QStringLiteral("ab"));
        box.setCursorPosition(0);
        QGuiApplication::clipboard()->setText(QStringLiteral("c\nd"));
        QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box.text(), QStringLiteral("abc d"));
        QCOMPARE(box.cursorPosition(), 5);
        box.setText(ChatInput::kEnterChatHere);
        box.pasteAction()->trigger();
        QCOMPARE(box.text(), QStringLiteral("c d"));
        QCOMPARE(box.popupMenu()->objectName(), QStringLiteral("PopupMenu2"));

        box.setTextColor(Qt::red);
        QCOMPARE(box.textColor(), QColor(Qt::red));
    }
};

QTEST_MAIN(TestChatPane)
#include "test_chat_pane.moc"
