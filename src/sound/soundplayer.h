#pragma once

#include "sound/wavereader.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>

class SoundOutput;

// Plays the built-in game and chatter sounds. play() returns at once; a new
// sound cuts off the one still playing. Without a sound server nothing is
// heard, unavailable() says so once, and later sounds look for a server again.
class SoundPlayer : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Any, Game, Chatter };

    explicit SoundPlayer(QObject *parent = nullptr);
    ~SoundPlayer() override;

    // Plays the sound of that name ("turn", "WAVE5", ...; case does not
    // matter); unknown names are ignored. Returns at once: the sound (decoded
    // first if need be) starts on the next event-loop turn, cutting off the
    // one playing, unless another play() or stop() came meanwhile.
    void play(const QString &name);
    // Cuts off the sound playing now (or asked for), if it is of that kind,
    // on the next event-loop turn.
    void stop(Kind kind = Kind::Any);
    // Connects to the sound server and decodes every sound, one per
    // event-loop turn, so that later plays start sooner. The first sound
    // that reaches a server starts the decoding by itself.
    void preload();

    // True once the sound's resource has been read and decoded (even if it
    // turned out damaged and will play nothing).
    bool isDecoded(const QString &name) const;
    // Name of the sound playing now (started and not yet cut off or run
    // out), in lower case; empty when silent, and soon after a play()
    // when there is no sound server.
    QString playing() const { return m_playing; }
    // Nothing asked for is still on its way or playing.
    bool isIdle() const { return !m_pendingTimer.isActive() && m_playing.isEmpty(); }
    // Sounds that have reached the sound server so far (one that is cut off
    // before it gets there does not count).
    qint64 soundsSent() const;

    // The 28 sound names in lower case: the eight game sounds, then wave1..wave20.
    static QStringList soundNames();
    // ":/sounds/<name>.wav" for a known name (any case), else empty.
    static QString resourcePath(const QString &name);
    // Reads and decodes a built-in sound.
    static std::optional<PcmSound> loadSound(const QString &name, QString *error = nullptr);
    // True only for "wave1" .. "wave20", in any case: the sounds a peer may ask for.
    static bool isChatterSound(const QString &name);
    // Caption of chatter menu entry n: 0 "<Cancel>", 1 "Doh" ... 20 "Crying";
    // empty outside 0..20.
    static QString chatterCaption(int n);
    // What the table says, once, when sound cannot be played.
    static QString unavailableText();

signals:
    // Sound could not be played: no sound server, or it refused or went
    // away. Emitted once in the player's life.
    void unavailable();

private:
    // Samples in the output format; empty if the resource is damaged.
    const QByteArray &decoded(const QString &key);
    void playPending();
    void queuePreload();
    void preloadStep();

    QHash<QString, QByteArray> m_cache;
    QString m_pending;
    bool m_cutOff = false;
    QString m_playing;
    bool m_told = false;
    bool m_preloadStarted = false;
    QStringList m_preloadQueue;
    QTimer m_pendingTimer;
    QTimer m_preloadTimer;
    SoundOutput *m_output = nullptr;
};
