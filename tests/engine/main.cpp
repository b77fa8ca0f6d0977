// One executable for the engine area; each test class covers one concern.
#include <QCoreApplication>
#include <QTest>

#include <memory>

QObject *makeTestRound();
QObject *makeTestPlay();
QObject *makeTestComputer();
QObject *makeTestTakeover();
QObject *makeTestGames();
QObject *makeTestGolden();
QObject *makeTestDealRandom();
QObject *makeTestExpert();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int failed = 0;
    for (auto make : {makeTestRound, makeTestPlay, makeTestComputer, makeTestTakeover,
                      makeTestGames, makeTestGolden, makeTestDealRandom, makeTestExpert}) {
        std::unique_ptr<QObject> t(make());
        failed += QTest::qExec(t.get(), argc, argv);
    }
    return failed;
}
