// Sounds played through a real sound server of the test's own, recorded from
// its sink and checked sample by sample: every sound heard whole, every time,
// in any order; a new sound cuts off the old; the table's two switches; no
// server at first, and a server that comes (back) later.
#include "soundlab.h"

#include "app/quilletapp.h"
#include "chat/chatpane.h"
#include "client/tchat.h"
#include "sound/soundplayer.h"
#include "ui/pictures.h"

#include <QAction>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#include <functional>
#include <map>
#include <memory>

using namespace quillet;

namespace {

// Generous for a loaded machine: what it must catch is silence, cut-offs and
// fragments, which miss these by far.
constexpr double lengthTolerance = 0.1;
constexpr double minCorrelation = 0.8;
constexpr double minLevel = 0.7, maxLevel = 1.4;

qint64 framesOf(double seconds)
{
    return qint64(seconds * MonitorRecorder::rate);
}

// Lets every zero-time timer started before this call fire.
void settle()
{
    bool reached = false;
    QTimer::singleShot(0, [&reached] { reached = true; });
    QTRY_VERIFY(reached);
}

qint64 residentBytes()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// The table window, logged in at seat 1 with a player at seat 2, as the
// game sets it up; its sounds go through the player it owns.
struct Table {
    Table()
    {
        CommandLine cl;
        cl.home = home.path();
        app = std::make_unique<QuilletApp>(cl);
        t = app->table();
        sounds = t->findChild<SoundPlayer *>();
        t->sendHook = [](const std::string &) {};
        t->setPlayerName("You");
        t->dispatch("CMD_sendlogininfo+1");
        t->dispatch("CMD_newplayerinfo+1+You");
        t->dispatch("CMD_newplayerinfo+2+Bo");
        t->PlayChatterSounds1->setChecked(true);
    }
    QString lastLine() const
    {
        ChatPane *pane = t->chatPane();
        return pane->paragraphText(pane->paragraphCount() - 1);
    }
    int linesSaying(const QString &text) const
    {
        int n = 0;
        for (int i = 0; i < t->chatPane()->paragraphCount(); ++i)
            n += t->chatPane()->paragraphText(i).contains(text) ? 1 : 0;
        return n;
    }

    QTemporaryDir home;
    std::unique_ptr<QuilletApp> app;
    Tchat *t = nullptr;
    SoundPlayer *sounds = nullptr;
};

} // namespace

class TestSoundServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void withoutServerSilentThenPickedUp();
    void everySoundIsHeardWhole();
    void oneSoundTwentyTimesInARow();
    void newSoundCutsOffTheOnePlaying();
    void busyEventLoopDoesNotStarveASound();
    void tableSwitchesSilenceTheirSounds();
    void thousandPlaysLeaveNothingBehind();
    void serverRestartIsPickedUp();

private:
    void skipOrFail(const QString &why);
    bool startServer();
    bool startRecorder();
    void stopServer();
    const std::vector<double> &expectedEnvelope(const QString &name);
    double lengthOf(const QString &name);
    // Plays through `play`, waits until `done` and the sound's length is
    // recorded, and compares the recording with the sound.
    Heard playAndHear(const QString &name, const std::function<void()> &play, const std::function<bool()> &done,
                      bool anywhere = false);
    Heard playAndHear(const QString &name);
    // Why a take is not the sound heard whole, or empty.
    QString fault(const Heard &heard) const;
    // Loudest 10 ms window recorded from that frame on.
    double loudestSince(qint64 frame) const;

    PrivateSoundServer server_;
    std::unique_ptr<MonitorRecorder> recorder_;
    std::unique_ptr<SoundPlayer> player_;
    std::unique_ptr<QSignalSpy> told_;
    std::map<QString, std::vector<double>> envelopes_;
};

void TestSoundServer::skipOrFail(const QString &why)
{
    // CI installs the server, so there a missing one is a fault, not a reason to skip.
    if (qEnvironmentVariableIsSet("CI"))
        QFAIL(qPrintable(why));
    QSKIP(qPrintable(why + " - sound is not tested here"));
}

void TestSoundServer::initTestCase()
{
    pictures::init(1.0);
    server_.pointClientsHere();
    if (PrivateSoundServer::program().isEmpty())
        skipOrFail("pulseaudio is not installed (tools/install-deps.sh installs it)");
    // Once, to know it can run here; the first test needs it stopped again.
    if (!startServer())
        skipOrFail("the private sound server could not be started");
    stopServer();
}

void TestSoundServer::cleanupTestCase()
{
    player_.reset();
    stopServer();
}

bool TestSoundServer::startServer()
{
    QString error;
    if (!server_.start(&error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    return startRecorder();
}

bool TestSoundServer::startRecorder()
{
    QString error;
    recorder_ = std::make_unique<MonitorRecorder>();
    if (!recorder_->start(&error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    // Recording from the start: the server's sink is running.
    return waitFor([this] { return recorder_->frames() > framesOf(0.1); });
}

void TestSoundServer::stopServer()
{
    if (recorder_)
        recorder_->stop();
    recorder_.reset();
    server_.stop();
}

const std::vector<double> &TestSoundServer::expectedEnvelope(const QString &name)
{
    auto it = envelopes_.find(name);
    if (it == envelopes_.end()) {
        const auto sound = SoundPlayer::loadSound(name);
        std::vector<double> env;
        if (sound)
            env = envelope(sound->samples.data(), sound->frameCount(), sound->channels, sound->sampleRate);
        it = envelopes_.emplace(name, std::move(env)).first;
    }
    return it->second;
}

double TestSoundServer::lengthOf(const QString &name)
{
    return double(expectedEnvelope(name).size()) * windowSeconds;
}

Heard TestSoundServer::playAndHear(const QString &name, const std::function<void()> &play,
                                   const std::function<bool()> &done, bool anywhere)
{
    // Begin a little early: the recording may run a few ms behind the output.
    const qint64 from = std::max<qint64>(0, recorder_->frames() - framesOf(0.05));
    play();
    // Played out, and recorded with some silence after it.
    const qint64 until = recorder_->frames() + framesOf(lengthOf(name) + 0.2);
    if (!waitFor([&] { return done() && recorder_->frames() >= until; }, 20000))
        return {};   // heard nothing: the caller says so
    const std::vector<int16_t> &samples = recorder_->samples();
    return compareHeard(expectedEnvelope(name), samples.data() + from * 2, recorder_->frames() - from, 2,
                        MonitorRecorder::rate, anywhere);
}

Heard TestSoundServer::playAndHear(const QString &name)
{
    return playAndHear(name, [&] { player_->play(name); }, [&] { return player_->isIdle(); });
}

QString TestSoundServer::fault(const Heard &h) const
{
    if (h.heardSeconds <= 0)
        return "silent";
    if (std::abs(h.heardSeconds - h.expectedSeconds) > lengthTolerance)
        return QStringLiteral("heard %1 s of %2 s").arg(h.heardSeconds, 0, 'f', 2).arg(h.expectedSeconds, 0, 'f', 2);
    if (h.correlation < minCorrelation)
        return QStringLiteral("unlike the sound (envelope correlation %1)").arg(h.correlation, 0, 'f', 2);
    if (h.levelRatio < minLevel || h.levelRatio > maxLevel)
        return QStringLiteral("level %1 of the sound's").arg(h.levelRatio, 0, 'f', 2);
    return {};
}

double TestSoundServer::loudestSince(qint64 frame) const
{
    const qint64 from = std::clamp<qint64>(frame, 0, recorder_->frames());
    const std::vector<double> env = envelope(recorder_->samples().data() + from * 2, recorder_->frames() - from, 2,
                                             MonitorRecorder::rate);
    return env.empty() ? 0.0 : *std::max_element(env.begin(), env.end());
}

void TestSoundServer::withoutServerSilentThenPickedUp()
{
    // No server yet: silent, and said once however many sounds are asked for.
    player_ = std::make_unique<SoundPlayer>();
    told_ = std::make_unique<QSignalSpy>(player_.get(), &SoundPlayer::unavailable);
    for (const char *name : {"wave3", "turn", "wave6"}) {
        player_->play(name);
        QVERIFY(!player_->isIdle());
        QVERIFY(waitFor([this] { return player_->isIdle(); }));
    }
    QCOMPARE(told_->count(), 1);
    // The table says so in one system line of its chat, and plays on.
    Table table;
    QVERIFY(table.sounds);
    const QString notice = SoundPlayer::unavailableText();
    table.t->playsounds("turn");
    QVERIFY(waitFor([&] { return table.sounds->isIdle(); }));
    QCOMPARE(table.linesSaying(notice), 1);
    QCOMPARE(table.lastLine().trimmed(), notice);
    table.t->dispatch("CMD_playasound+2+wave6+");
    QVERIFY(waitFor([&] { return table.sounds->isIdle(); }));
    table.t->playsounds("winner");
    QVERIFY(waitFor([&] { return table.sounds->isIdle(); }));
    QCOMPARE(table.linesSaying(notice), 1);

    // A server that comes later is used by the next sound, without a restart.
    QVERIFY(startServer());
    Heard heard = playAndHear("wave3");
    QVERIFY2(fault(heard).isEmpty(), qPrintable(fault(heard)));
    QCOMPARE(told_->count(), 1);
    heard = playAndHear("wave5", [&] { table.t->dispatch("CMD_playasound+2+wave5+"); },
                        [&] { return table.sounds->isIdle(); });
    QVERIFY2(fault(heard).isEmpty(), qPrintable(fault(heard)));
    QCOMPARE(table.linesSaying(notice), 1);
}

void TestSoundServer::everySoundIsHeardWhole()
{
    QVERIFY(recorder_);
    QStringList faults;
    for (const QString &name : SoundPlayer::soundNames()) {
        const Heard h = playAndHear(name);
        qInfo("%-13s %.2f s heard of %.2f s, correlation %.3f, level %.2f", qPrintable(name), h.heardSeconds,
              h.expectedSeconds, h.correlation, h.levelRatio);
        if (const QString why = fault(h); !why.isEmpty())
            faults << name + ": " + why;
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    // Nothing left open once the sounds have played out.
    QTRY_COMPARE(server_.playbackStreams(), 0);
}

void TestSoundServer::oneSoundTwentyTimesInARow()
{
    QVERIFY(recorder_);
    QStringList faults;
    for (int i = 1; i <= 20; ++i) {
        const Heard h = playAndHear("wave3");
        if (const QString why = fault(h); !why.isEmpty())
            faults << QStringLiteral("play %1: %2").arg(i).arg(why);
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    QTRY_COMPARE(server_.playbackStreams(), 0);
}

void TestSoundServer::newSoundCutsOffTheOnePlaying()
{
    QVERIFY(recorder_);
    // A long sound, well under way...
    const qint64 began = recorder_->frames();
    player_->play("wave20");
    QVERIFY(waitFor([&] { return recorder_->frames() > began + framesOf(0.8) && loudestSince(began) > 0.05; }));
    // ...gives way to the next at once, which is heard whole and alone.
    const Heard h = playAndHear("wave3", [&] { player_->play("wave3"); }, [&] { return player_->isIdle(); }, true);
    QVERIFY2(fault(h).isEmpty(), qPrintable(fault(h)));
    QVERIFY2(h.leadingSeconds < 0.15, qPrintable(QString::number(h.leadingSeconds)));

    // A burst of sounds asked for faster than they start ends with the last
    // one heard whole.
    const Heard last = playAndHear(
        "wave4",
        [&] {
            for (const char *name : {"wave15", "turn", "wave20", "bid", "wave6", "placecard"}) {
                player_->play(name);
                settle();   // each one starts before the next comes
            }
            player_->play("wave4");
        },
        [&] { return player_->isIdle(); }, true);
    QVERIFY2(fault(last).isEmpty(), qPrintable(fault(last)));
    QTRY_COMPARE(server_.playbackStreams(), 0);
}

void TestSoundServer::busyEventLoopDoesNotStarveASound()
{
    QVERIFY(recorder_);
    // The table may be busy for a while (a repaint, a long computer move):
    // a long sound goes on unbroken through half a second of it.
    const Heard h = playAndHear(
        "wave20",
        [&] {
            const qint64 at = recorder_->frames();
            player_->play("wave20");
            waitFor([&] { return recorder_->frames() > at + framesOf(1.2); });
            QElapsedTimer busy;
            busy.start();
            while (busy.elapsed() < 500) {
                // no event handled at all
            }
        },
        [&] { return player_->isIdle(); });
    QVERIFY2(fault(h).isEmpty(), qPrintable(fault(h)));
    QVERIFY2(h.correlation > 0.95, qPrintable(QString::number(h.correlation)));
}

void TestSoundServer::tableSwitchesSilenceTheirSounds()
{
    QVERIFY(recorder_);
    Table table;
    Tchat *t = table.t;
    const auto done = [&] { return table.sounds->isIdle(); };
    const auto silentFor = [this](double seconds) {
        const qint64 from = recorder_->frames();
        waitFor([&] { return recorder_->frames() > from + framesOf(seconds); });
        return loudestSince(from) < audibleLevel;
    };

    // "Play Sounds" off: game sounds are not heard...
    t->PlaySounds1->setChecked(false);
    t->playsounds("winner");
    QVERIFY(silentFor(lengthOf("winner") + 0.3));
    // ...chatter sounds still are.
    Heard h = playAndHear("wave5", [&] { t->dispatch("CMD_playasound+2+wave5+"); }, done);
    QVERIFY2(fault(h).isEmpty(), qPrintable(fault(h)));

    // "Play Chatter Sounds" off: a chat line instead of the sound.
    t->PlaySounds1->setChecked(true);
    t->PlayChatterSounds1->setChecked(false);
    t->dispatch("CMD_playasound+2+wave5+");
    QVERIFY(silentFor(lengthOf("wave5") + 0.3));
    QVERIFY2(table.lastLine().contains("<Chatter Sound> Where have you been?"), qPrintable(table.lastLine()));
    h = playAndHear("turnovergood", [&] { t->playsounds("turnovergood"); }, done);
    QVERIFY2(fault(h).isEmpty(), qPrintable(fault(h)));

    // Switching off silences the sound playing of that kind at once.
    t->PlayChatterSounds1->setChecked(true);
    const qint64 began = recorder_->frames();
    t->dispatch("CMD_playasound+2+wave20+");
    QVERIFY(waitFor([&] { return recorder_->frames() > began + framesOf(0.6) && loudestSince(began) > 0.05; }));
    t->PlaySounds1->setChecked(false);   // not its kind: it goes on
    const qint64 goesOn = recorder_->frames();
    QVERIFY(waitFor([&] { return recorder_->frames() > goesOn + framesOf(0.3); }));
    QVERIFY(loudestSince(goesOn) > 0.05);
    t->PlayChatterSounds1->setChecked(false);
    const qint64 off = recorder_->frames();
    QVERIFY(waitFor([&] { return recorder_->frames() > off + framesOf(0.6); }));
    QVERIFY(loudestSince(off + framesOf(0.15)) < audibleLevel);

    QCOMPARE(table.linesSaying(SoundPlayer::unavailableText()), 0);
}

void TestSoundServer::thousandPlaysLeaveNothingBehind()
{
    QVERIFY(recorder_);
    recorder_.reset();   // its recording would grow; here the server's count is enough
    const QStringList names = SoundPlayer::soundNames();
    qint64 rssAfterWarmUp = 0;
    int mostStreams = 0;
    for (int i = 0; i < 1000; ++i) {
        // Each one reaches the server and is cut off by the next.
        const qint64 sent = player_->soundsSent();
        player_->play(names[i % names.size()]);
        QVERIFY(waitFor([&] { return player_->soundsSent() > sent; }));
        if (i % 100 == 99) {
            mostStreams = std::max(mostStreams, server_.playbackStreams());
            if (i == 99)
                rssAfterWarmUp = residentBytes();
        }
    }
    const qint64 grown = residentBytes() - rssAfterWarmUp;
    QVERIFY2(mostStreams <= 1, qPrintable(QString::number(mostStreams)));
    QVERIFY2(grown < 4 * 1024 * 1024, qPrintable(QStringLiteral("%1 bytes").arg(grown)));
    player_->stop();
    QTRY_VERIFY(player_->isIdle());
    QTRY_COMPARE(server_.playbackStreams(), 0);
    // Still in order afterwards.
    QVERIFY(startRecorder());
    const Heard h = playAndHear("wave3");
    QVERIFY2(fault(h).isEmpty(), qPrintable(fault(h)));
}

void TestSoundServer::serverRestartIsPickedUp()
{
    QVERIFY(recorder_);
    stopServer();
    player_->play("wave3");
    QTRY_VERIFY(player_->isIdle());
    QVERIFY(startServer());
    const Heard h = playAndHear("wave19");
    QVERIFY2(fault(h).isEmpty(), qPrintable(fault(h)));
    QCOMPARE(told_->count(), 1);   // still the one notice of the start
}

QTEST_MAIN(TestSoundServer)
#include "test_soundserver.moc"
