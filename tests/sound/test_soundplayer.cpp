#include "sound/soundplayer.h"

#include <QMediaDevices>
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

class TestSoundPlayer : public QObject
{
    Q_OBJECT
private slots:
    void chatterNames();
    void chatterCaptions();
    void resourceNamesIgnoreCase();
    void playDecodesLazilyAndReturns();
    void newestRequestWins();
    void unknownNamesDoNothing();
    void preloadDecodesEverything();
};

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

void TestSoundPlayer::playDecodesLazilyAndReturns()
{
    SoundPlayer player;
    QVERIFY(!player.isDecoded("turn"));
    player.play("TURN");
    // Decoding and starting wait for the event loop, so the caller is not held up.
    QVERIFY(!player.isDecoded("turn"));
    QVERIFY(player.playing().isEmpty());
    QTRY_VERIFY(player.isDecoded("turn"));
    settle();

    if (QMediaDevices::defaultAudioOutput().isNull()) {
        // Without a device (as in CI) nothing is heard and nothing complains.
        QVERIFY(player.playing().isEmpty());
        player.play("wave13");
        settle();
        QVERIFY(player.playing().isEmpty());
        return;
    }
    QCOMPARE(player.playing(), QStringLiteral("turn"));
    // A new sound cuts off the one playing; stop() silences it.
    player.play("wave13");
    QTRY_COMPARE(player.playing(), QStringLiteral("wave13"));
    player.stop();
    QTRY_VERIFY(player.playing().isEmpty());
    // A short sound that runs out leaves the player silent by itself.
    player.play("bid");
    QTRY_COMPARE(player.playing(), QStringLiteral("bid"));
    QTRY_VERIFY_WITH_TIMEOUT(player.playing().isEmpty(), 5000);
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

void TestSoundPlayer::unknownNamesDoNothing()
{
    SoundPlayer player;
    player.play("nosuchsound");
    player.play("");
    player.play(":/sounds/turn.wav");
    settle();
    QVERIFY(player.playing().isEmpty());
    for (const QString &name : SoundPlayer::soundNames())
        QVERIFY(!player.isDecoded(name));
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
}

QTEST_MAIN(TestSoundPlayer)
#include "test_soundplayer.moc"
