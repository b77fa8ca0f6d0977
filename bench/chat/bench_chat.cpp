// Prints timings of the chat pane; run it with no display (it picks the
// offscreen platform itself unless another is set).
#include "chat/chatlogic.h"
#include "chat/chatpane.h"
#include "chat/colortext.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quillet;

namespace {

QString sampleLine(int i)
{
    static const char *const bodies[] = {
        "Nice play, partner :)#10 that was close",
        "see www.example.com/rules for the scoring (and the bids)",
        "I bid 3; you bid 2, so we need 5 tricks:)#14 :)#22",
        "a somewhat longer line that is going to wrap over at least two lines of the pane when it is narrow",
        "ok",
        "http://example.org/a/b/c?d=e&f=g plus text after it",
    };
    if (i % 7 == 0)
        return QStringLiteral("0+Player%1 has Connected.").arg(i % 9);
    const int seat = 1 + i % 9;
    // Every line also holds words never seen before, so the width cache
    // does not make the figures look better than a real chat.
    return QStringLiteral("%1+Player%1 chats: %2 round%3 q%4z")
        .arg(seat)
        .arg(QLatin1String(bodies[i % 6]))
        .arg(i)
        .arg(i * 7919 % 100003);
}

struct Stats {
    double mean, median, p99, max;
};

Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v)
        sum += x;
    return {sum / double(v.size()), v[v.size() / 2], v[v.size() * 99 / 100], v.back()};
}

void print(const char *what, const Stats &s)
{
    std::printf("%-44s mean %7.3f ms  median %7.3f  p99 %7.3f  max %7.3f\n", what, s.mean, s.median,
                s.p99, s.max);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ChatPane pane;
    pane.setMessageShower([](const QString &) {});
    pane.resize(300, 500);
    pane.show();
    QApplication::processEvents();

    const quint32 colors[] = {0x0000FF, 0xFF0000, 0x008000, 0x800080, 0x804000};
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 10000; ++i)
        pane.addlinetochat(sampleLine(i), colors[i % 5]);
    std::printf("filling 10,000 lines: %.1f ms in all\n", double(t.nsecsElapsed()) / 1e6);
    pane.repaint();

    const int samples = 2000;
    std::vector<double> add, addPaint;
    for (int i = 0; i < samples; ++i) {
        t.restart();
        pane.addlinetochat(sampleLine(i + 3), colors[i % 5]);
        add.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    for (int i = 0; i < samples; ++i) {
        t.restart();
        pane.addlinetochat(sampleLine(i + 5), colors[i % 5]);
        pane.viewport()->repaint();
        addPaint.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("pane holds %d lines\n", pane.paragraphCount());
    print("add one line (10,000+ in the pane)", stats(add));
    std::printf("  slowest add was sample %d\n",
                int(std::max_element(add.begin(), add.end()) - add.begin()));
    print("add one line and paint the view", stats(addPaint));

    std::vector<double> rewrap, remeasure;
    for (int i = 0; i < 10; ++i) {
        t.restart();
        pane.resize(i % 2 ? 300 : 420, 500);
        rewrap.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    for (int i = 0; i < 6; ++i) {
        t.restart();
        pane.setTextSize(i % 2 ? 10 : 12);
        remeasure.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    print("re-wrap all on a width change", stats(rewrap));
    print("re-measure all on a text size change", stats(remeasure));

    t.restart();
    pane.selectAll();
    const QString all = pane.selectedText();
    std::printf("select all and take its text: %.1f ms (%lld characters)\n",
                double(t.nsecsElapsed()) / 1e6, static_cast<long long>(all.size()));
    return 0;
}
