// Cost of the pictures at start-up: the cold first use in a fresh process, then the median of
// repeated full redraws (54 cards, 5 marks, 18 smileys, logo) and background decodes at ratio 1
// and 2. Wall time and this thread's CPU time, in milliseconds.
// Run: QT_QPA_PLATFORM=offscreen bench_pictures
#include "ui/picturepainters.h"
#include "ui/pictures.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace pics = quillet::pictures;
namespace paint = quillet::pictures::paint;

namespace {

struct Cost {
    double wall = 0, cpu = 0;
};

double now(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

Cost measure(const std::function<void()> &work)
{
    const double w = now(CLOCK_MONOTONIC), c = now(CLOCK_THREAD_CPUTIME_ID);
    work();
    return {now(CLOCK_MONOTONIC) - w, now(CLOCK_THREAD_CPUTIME_ID) - c};
}

Cost median(int runs, const std::function<void()> &work)
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        const Cost c = measure(work);
        wall.push_back(c.wall);
        cpu.push_back(c.cpu);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void report(const char *what, Cost c) { std::printf("%-44s %8.2f wall %8.2f cpu\n", what, c.wall, c.cpu); }

void drawEverything(qreal dpr)
{
    paint::cardBack(dpr);
    for (int n = 1; n <= 52; ++n)
        paint::cardFace(n, dpr);
    paint::noTrumpCard(dpr);
    paint::turnMark(dpr);
    paint::eyesMark(dpr);
    paint::winnerMark(dpr);
    paint::thumbMark(dpr);
    paint::trickStackMark(dpr);
    for (int i = 0; i < paint::kSmileyCount; ++i)
        paint::smileyFace(i, dpr);
    paint::logo(dpr);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    std::printf("milliseconds (cold: once in a fresh process; others: median of 15)\n");
    report("cold: init(1)", measure([] { pics::init(1); }));
    report("cold: table background (JPEG decode)", measure([] { pics::background(pics::Background::Table); }));
    report("cold: first card (font set-up included)", measure([] { pics::card(1); }));
    report("cold: the other 53 cards, marks, smileys, backgrounds", measure([] {
        for (int n = 0; n <= 53; ++n)
            pics::card(n);
        for (int m = 0; m < 5; ++m)
            pics::mark(pics::Mark(m));
        for (int i = 0; i < pics::kSmileys; ++i)
            pics::smiley(i);
        pics::background(pics::Background::Side);
        pics::background(pics::Background::Trump);
        pics::logo();
    }));
    for (qreal dpr : {1.0, 2.0}) {
        const char *tag = dpr == 1.0 ? "dpr 1" : "dpr 2";
        char line[96];
        std::snprintf(line, sizeof line, "%s: 54 cards + marks + smileys + logo", tag);
        report(line, median(15, [dpr] { drawEverything(dpr); }));
        std::snprintf(line, sizeof line, "%s: one face card (king of hearts)", tag);
        report(line, median(15, [dpr] { paint::cardFace(38, dpr); }));
        // Everything is held by now: a ratio change redraws all of it and reloads the backgrounds.
        pics::init(dpr == 1.0 ? 2.0 : 1.0);
        std::snprintf(line, sizeof line, "%s: ratio change, all held pictures redrawn", tag);
        report(line, measure([dpr] { pics::init(dpr); }));
    }
    return 0;
}
