#pragma once

#include "sound/wavereader.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>

class QAudioSink;
class QBuffer;
class QMediaDevices;

// Plays the built-in game and chatter sounds. play() returns at once; a new
// sound cuts off the one still playing. Without an audio device, or when the
// output fails, nothing is heard and nothing is reported.
class SoundPlayer : public QObject
{
    Q_OBJECT
public:
    explicit SoundPlayer(QObject *parent = nullptr);
    ~SoundPlayer() override;

    // Plays the sound of that name ("turn", "WAVE5", ...; case does not
    // matter); unknown names are ignored. Returns at once: the sound (decoded
    // first if need be) starts on the next event-loop turn, cutting off the
    // one playing, unless another play() or stop() came meanwhile.
    void play(const QString &name);
    // Cuts off the sound playing now, if any, on the next event-loop turn.
    void stop();
    // Decodes every sound, one per event-loop turn, so that later plays start
    // without decoding.
    void preload();

    // True once the sound's resource has been read and decoded (even if it
    // turned out damaged and will play nothing).
    bool isDecoded(const QString &name) const;
    // Name of the sound playing now (started and not yet cut off or run
    // out), in lower case; empty when silent, and always without a device.
    QString playing() const { return m_playing; }

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

private:
    struct Decoded {
        QAudioFormat format;
        QByteArray pcm;      // interleaved 16-bit samples; empty if the resource is damaged
    };

    const Decoded &decoded(const QString &key);
    void playPending();
    void silence();
    void preloadStep();
    void start(const QString &key);
    bool outputAvailable();
    QAudioSink *sinkFor(const QAudioFormat &format);
    void dropOutput();

    QHash<QString, Decoded> m_cache;
    QString m_pending;
    bool m_cutOff = false;
    QString m_playing;
    QStringList m_preloadQueue;
    QTimer m_pendingTimer;
    QTimer m_preloadTimer;

    QMediaDevices *m_devices = nullptr;
    bool m_deviceChecked = false;
    QAudioDevice m_device;
    QList<QAudioSink *> m_sinks;
    QPointer<QAudioSink> m_sink;
    QPointer<QBuffer> m_buffer;
};
