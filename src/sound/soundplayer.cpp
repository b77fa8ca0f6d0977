#include "sound/soundplayer.h"

#include <QAudioSink>
#include <QBuffer>
#include <QFile>
#include <QMediaDevices>

#include <array>

// The sounds live in a static library; their resource block must be
// registered by hand (outside any namespace).
static void initSoundResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(sounds);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

// The audio back end warns on stderr when there is no sound server; for us
// that is just silence. Keeps such notes quiet while the output is touched.
class QuietAudioBackend
{
public:
    QuietAudioBackend()
    {
        if (depth++ == 0)
            previous = qInstallMessageHandler(&QuietAudioBackend::handle);
    }
    ~QuietAudioBackend()
    {
        if (--depth == 0)
            qInstallMessageHandler(previous);
    }
    QuietAudioBackend(const QuietAudioBackend &) = delete;
    QuietAudioBackend &operator=(const QuietAudioBackend &) = delete;

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if ((type == QtCriticalMsg || type == QtFatalMsg) && previous)
            previous(type, context, text);
    }
    static inline QtMessageHandler previous = nullptr;
    static inline int depth = 0;
};

const std::array<const char *, 8> gameSounds = {
    "bid", "placecard", "taketrick", "turn", "turnnew", "turnoverbad", "turnovergood", "winner",
};

const std::array<const char *, 21> chatterCaptions = {
    "<Cancel>", "Doh", "Cough", "Hello", "Thank You", "Where have you been?", "Snoring",
    "Sneezing", "Sorry", "Welcome", "Yeehaa", "Yippee", "Oh No", "Applause", "Honk", "Oooh",
    "Razzberry", "Cheer", "Woman Laughing", "Man Laughing", "Crying",
};

// Our resources are well under a megabyte each; anything bigger is not ours.
constexpr qint64 maxResourceBytes = 16 * 1024 * 1024;

bool isGameSound(const QString &key)
{
    for (const char *name : gameSounds)
        if (key == QLatin1String(name))
            return true;
    return false;
}

} // namespace

SoundPlayer::SoundPlayer(QObject *parent)
    : QObject(parent)
{
    initSoundResources();
    m_pendingTimer.setSingleShot(true);
    m_pendingTimer.setInterval(0);
    connect(&m_pendingTimer, &QTimer::timeout, this, &SoundPlayer::playPending);
    m_preloadTimer.setInterval(0);
    connect(&m_preloadTimer, &QTimer::timeout, this, &SoundPlayer::preloadStep);
}

SoundPlayer::~SoundPlayer()
{
    dropOutput();
}

QStringList SoundPlayer::soundNames()
{
    QStringList names;
    for (const char *name : gameSounds)
        names << QLatin1String(name);
    for (int n = 1; n <= 20; ++n)
        names << QStringLiteral("wave%1").arg(n);
    return names;
}

bool SoundPlayer::isChatterSound(const QString &name)
{
    const QString key = name.toLower();
    if (!key.startsWith(QLatin1String("wave")))
        return false;
    const QString number = key.mid(4);
    bool ok = false;
    const int n = number.toInt(&ok);
    // Exactly the menu's names: no sign, blanks or leading zeros.
    return ok && n >= 1 && n <= 20 && QString::number(n) == number;
}

QString SoundPlayer::chatterCaption(int n)
{
    if (n < 0 || n >= int(chatterCaptions.size()))
        return {};
    return QString::fromLatin1(chatterCaptions[size_t(n)]);
}

QString SoundPlayer::resourcePath(const QString &name)
{
    const QString key = name.toLower();
    if (!isGameSound(key) && !isChatterSound(key))
        return {};
    return QStringLiteral(":/sounds/%1.wav").arg(key);
}

std::optional<PcmSound> SoundPlayer::loadSound(const QString &name, QString *error)
{
    initSoundResources();
    const QString path = resourcePath(name);
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("no sound named \"%1\"").arg(name);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxResourceBytes) {
        if (error)
            *error = QStringLiteral("cannot read %1").arg(path);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    return decodeWave(bytes, error);
}

bool SoundPlayer::isDecoded(const QString &name) const
{
    return m_cache.contains(name.toLower());
}

const SoundPlayer::Decoded &SoundPlayer::decoded(const QString &key)
{
    auto it = m_cache.find(key);
    if (it != m_cache.end())
        return *it;
    Decoded entry;
    if (const auto sound = loadSound(key)) {
        entry.format.setSampleRate(sound->sampleRate);
        entry.format.setChannelCount(sound->channels);
        entry.format.setSampleFormat(QAudioFormat::Int16);
        entry.pcm = QByteArray(reinterpret_cast<const char *>(sound->samples.data()),
                               qsizetype(sound->samples.size() * sizeof(int16_t)));
    }
    return *m_cache.insert(key, entry);
}

void SoundPlayer::play(const QString &name)
{
    const QString key = name.toLower();
    if (resourcePath(key).isEmpty())
        return;
    // Starting and stopping an audio stream talks to the sound server and
    // decoding takes a few milliseconds: both wait for the next event-loop
    // turn, so the caller is not held up. A later request replaces this one.
    m_pending = key;
    m_cutOff = true;
    m_pendingTimer.start();
}

void SoundPlayer::stop()
{
    m_pending.clear();
    m_cutOff = true;
    m_pendingTimer.start();
}

void SoundPlayer::playPending()
{
    const QString key = m_pending;
    m_pending.clear();
    if (m_cutOff) {
        m_cutOff = false;
        silence();
    }
    if (!key.isEmpty())
        start(key);
}

void SoundPlayer::preload()
{
    m_preloadQueue.clear();
    for (const QString &name : soundNames())
        if (!m_cache.contains(name))
            m_preloadQueue << name;
    m_preloadTimer.start();
}

void SoundPlayer::preloadStep()
{
    // The first turn also looks for the audio device, so that the first
    // play does not pay for it.
    outputAvailable();
    if (m_preloadQueue.isEmpty()) {
        m_preloadTimer.stop();
        return;
    }
    decoded(m_preloadQueue.takeFirst());
    if (m_preloadQueue.isEmpty())
        m_preloadTimer.stop();
}

void SoundPlayer::silence()
{
    m_playing.clear();
    if (m_sink) {
        QuietAudioBackend quiet;
        m_sink->stop();
    }
    if (m_buffer)
        m_buffer->deleteLater();
    m_buffer = nullptr;
}

bool SoundPlayer::outputAvailable()
{
    QuietAudioBackend quiet;
    if (!m_devices) {
        m_devices = new QMediaDevices(this);
        connect(m_devices, &QMediaDevices::audioOutputsChanged, this, [this] {
            // A device came or went: look again at the next sound.
            dropOutput();
            m_deviceChecked = false;
        });
    }
    if (!m_deviceChecked) {
        m_device = QMediaDevices::defaultAudioOutput();
        m_deviceChecked = true;
    }
    return !m_device.isNull();
}

QAudioSink *SoundPlayer::sinkFor(const QAudioFormat &format)
{
    for (QAudioSink *sink : std::as_const(m_sinks))
        if (sink->format() == format)
            return sink;
    if (!m_device.isFormatSupported(format))
        return nullptr;
    auto *sink = new QAudioSink(m_device, format, this);
    connect(sink, &QAudioSink::stateChanged, this, [this, sink](QAudio::State state) {
        // Release the stream once the sound has run out or failed.
        if (sink == m_sink && (state == QAudio::IdleState || sink->error() != QAudio::NoError)
            && state != QAudio::StoppedState) {
            m_playing.clear();
            sink->stop();
        }
    });
    m_sinks << sink;
    return sink;
}

void SoundPlayer::dropOutput()
{
    silence();
    for (QAudioSink *sink : std::as_const(m_sinks)) {
        sink->disconnect(this);
        sink->stop();
        sink->deleteLater();
    }
    m_sinks.clear();
    m_sink = nullptr;
}

void SoundPlayer::start(const QString &key)
{
    const Decoded &sound = decoded(key);
    if (sound.pcm.isEmpty() || !outputAvailable())
        return;
    QuietAudioBackend quiet;
    QAudioSink *sink = sinkFor(sound.format);
    if (!sink)
        return;
    auto *buffer = new QBuffer(this);
    buffer->setData(sound.pcm);   // shares the cached bytes
    buffer->open(QIODevice::ReadOnly);
    m_sink = sink;
    m_buffer = buffer;
    sink->start(buffer);
    if (sink->error() != QAudio::NoError) {
        sink->stop();
        return;
    }
    m_playing = key;
}
