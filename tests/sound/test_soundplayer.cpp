#include "sound/soundplayer.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// Lets every zero-time timer started before this call fire.
void settle()
{
    bool reached = false;
    QTimer::singleShot(0, [&reached] { reached = true; });
    QTRY_VERIFY(reached);
}

} // namespace

// The player without a sound server; test_soundserver plays through a real one.
class TestSoundPlayer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void chatterNames();
    void chatterCaptions();
    void resourceNamesIgnoreCase();
    void withoutServerSilentAndToldOnce();
    void newestRequestWins();
    void stopByKind();
    void unknownNamesDoNothing();
    void preloadDecodesEverything();
};

void TestSoundPlayer::initTestCase()
{
    // Never the user's sound server: one that is not there.
    qputenv("PULSE_SERVER", QByteArray("unix:") + QDir::tempPath().toLocal8Bit() + "/quillet-no-sound-server");
}

void TestSoundPlayer::chatterNames()
{
    for (const char *name : {"wave1", "wave20", "WAVE5", "Wave13"})
        QVERIFY2(SoundPlayer::isChatterSound(name), name);
    // A peer may not pick game sounds or anything that is not exactly a menu entry.
    for (const char *name : {"turn", "winner", "wave0", "wave21", "wave05", "wave", "wave 5",
                                " wave5", "wave5 ", "wave+5", "wave-1", "../wave5", "wave5.wav",
                                "wave4294967297", ""})
        QVERIFY2(!SoundPlayer::isChatterSound(name), name);
}

void TestSoundPlayer::chatterCaptions()
{
    QCOMPARE(SoundPlayer::chatterCaption(0), QStringLiteral("<Cancel>"));
    QCOMPARE(SoundPlayer::chatterCaption(5), QStringLiteral("Where have you been?"));
    QCOMPARE(SoundPlayer::chatterCaption(18), QStringLiteral("Woman Laughing"));
    QCOMPARE(SoundPlayer::chatterCaption(20), QStringLiteral("Crying"));
    QVERIFY(SoundPlayer::chatterCaption(-1).isEmpty());
    QVERIFY(SoundPlayer::chatterCaption(21).isEmpty());
}

void TestSoundPlayer::resourceNamesIgnoreCase()
{
    QCOMPARE(SoundPlayer::resourcePath("TURN"), QStringLiteral(":/sounds/turn.wav"));
    QCOMPARE(SoundPlayer::resourcePath("TurnOverGood"), QStringLiteral(":/sounds/turnovergood.wav"));
    QCOMPARE(SoundPlayer::resourcePath("Wave17"), QStringLiteral(":/sounds/wave17.wav"));
    QVERIFY(SoundPlayer::resourcePath("wave21").isEmpty());
    QVERIFY(SoundPlayer::resourcePath("../turn").isEmpty());
    QCOMPARE(SoundPlayer::soundNames().size(), 28);
    for (const QString &name : SoundPlayer::soundNames())
        QVERIFY2(QFile::exists(SoundPlayer::resourcePath(name)), qPrintable(name));
}

void TestSoundPlayer::withoutServerSilentAndToldOnce()
{
    SoundPlayer player;
    QSignalSpy told(&player, &SoundPlayer::unavailable);
    QVERIFY(!player.isDecoded("turn"));
    player.play("TURN");
    // Decoding and starting wait for the event loop, so the caller is not held up.
    QVERIFY(!player.isDecoded("turn"));
    QVERIFY(!player.isIdle());
    QTRY_VERIFY(player.isDecoded("turn"));
    QTRY_VERIFY(player.isIdle());
    QCOMPARE(told.count(), 1);
    // Each later sound looks for a server again, and says nothing more.
    for (const char *name : {"wave13", "wave6", "bid"}) {
        player.play(name);
        QVERIFY(!player.isIdle());
        QTRY_VERIFY(player.isIdle());
    }
    QCOMPARE(told.count(), 1);
    QVERIFY(player.playing().isEmpty());
}

void TestSoundPlayer::newestRequestWins()
{
    SoundPlayer player;
    player.play("wave20");
    player.play("bid");
    QTRY_VERIFY(player.isDecoded("bid"));
    // The five-second sound asked for first was cut off before it began.
    QVERIFY(!player.isDecoded("wave20"));

    player.play("wave6");
    player.stop();
    settle();
    QVERIFY(!player.isDecoded("wave6"));
}

void TestSoundPlayer::stopByKind()
{
    SoundPlayer player;
    // A game sound on its way survives stopping the chatter sounds, and the other way round.
    player.play("winner");
    player.stop(SoundPlayer::Kind::Chatter);
    QTRY_VERIFY(player.isDecoded("winner"));
    player.play("wave5");
    player.stop(SoundPlayer::Kind::Game);
    QTRY_VERIFY(player.isDecoded("wave5"));
    player.play("wave7");
    player.stop(SoundPlayer::Kind::Chatter);
    settle();
    QVERIFY(!player.isDecoded("wave7"));
    player.play("turn");
    player.stop(SoundPlayer::Kind::Game);
    settle();
    QVERIFY(!player.isDecoded("turn"));
}

void TestSoundPlayer::unknownNamesDoNothing()
{
    SoundPlayer player;
    QSignalSpy told(&player, &SoundPlayer::unavailable);
    player.play("nosuchsound");
    player.play("");
    player.play(":/sounds/turn.wav");
    QVERIFY(player.isIdle());
    settle();
    QVERIFY(player.playing().isEmpty());
    for (const QString &name : SoundPlayer::soundNames())
        QVERIFY(!player.isDecoded(name));
    QCOMPARE(told.count(), 0);   // nothing was to be heard, so nothing to tell
}

void TestSoundPlayer::preloadDecodesEverything()
{
    SoundPlayer player;
    player.preload();
    // Spread over event-loop turns: nothing is decoded inside the call.
    QVERIFY(!player.isDecoded("bid"));
    QTRY_VERIFY_WITH_TIMEOUT(player.isDecoded("wave20"), 20000);
    for (const QString &name : SoundPlayer::soundNames())
        QVERIFY2(player.isDecoded(name), qPrintable(name));
    player.play("winner");   // from the cache, no decoding left
    player.play("wave13");
    player.stop();
    QTRY_VERIFY(player.isIdle());
}

QTEST_GUILESS_MAIN(TestSoundPlayer)
#include "test_soundplayer.moc"
