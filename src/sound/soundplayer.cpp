#include "sound/soundplayer.h"

#include "sound/resample.h"
#include "sound/soundoutput.h"

#include <QFile>

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
    : QObject(parent), m_output(new SoundOutput(this))
{
    initSoundResources();
    m_pendingTimer.setSingleShot(true);
    m_pendingTimer.setInterval(0);
    connect(&m_pendingTimer, &QTimer::timeout, this, &SoundPlayer::playPending);
    m_preloadTimer.setInterval(0);
    connect(&m_preloadTimer, &QTimer::timeout, this, &SoundPlayer::preloadStep);
    connect(m_output, &SoundOutput::finished, this, [this] { m_playing.clear(); });
    // Sound is heard here: decode the rest in the background, so that no
    // later first play waits for it.
    connect(m_output, &SoundOutput::started, this, [this] {
        if (!m_preloadStarted)
            queuePreload();
    });
    connect(m_output, &SoundOutput::unavailable, this, [this] {
        m_playing.clear();
        if (!m_told) {
            m_told = true;
            emit unavailable();
        }
    });
}

SoundPlayer::~SoundPlayer() = default;

QString SoundPlayer::unavailableText()
{
    return QStringLiteral("Sound is not available on this computer.");
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

qint64 SoundPlayer::soundsSent() const
{
    return m_output->soundsSent();
}

bool SoundPlayer::isDecoded(const QString &name) const
{
    return m_cache.contains(name.toLower());
}

const QByteArray &SoundPlayer::decoded(const QString &key)
{
    auto it = m_cache.find(key);
    if (it != m_cache.end())
        return *it;
    QByteArray pcm;
    if (const auto sound = loadSound(key)) {
        const std::vector<int16_t> samples = toOutputFormat(*sound);
        pcm = QByteArray(reinterpret_cast<const char *>(samples.data()),
                         qsizetype(samples.size() * sizeof(int16_t)));
    }
    return *m_cache.insert(key, pcm);
}

void SoundPlayer::play(const QString &name)
{
    const QString key = name.toLower();
    if (resourcePath(key).isEmpty())
        return;
    // Decoding takes a few milliseconds: it waits for the next event-loop
    // turn, so the caller is not held up. A later request replaces this one.
    m_pending = key;
    m_cutOff = true;
    m_pendingTimer.start();
}

void SoundPlayer::stop(Kind kind)
{
    const auto matches = [kind](const QString &key) {
        return !key.isEmpty() && (kind == Kind::Any || (kind == Kind::Chatter) == isChatterSound(key));
    };
    if (!m_pending.isEmpty()) {
        if (!matches(m_pending))
            return;   // that sound cuts off the one playing anyway
        m_pending.clear();
    } else if (!matches(m_playing)) {
        return;
    }
    m_cutOff = true;
    m_pendingTimer.start();
}

void SoundPlayer::playPending()
{
    const QString key = m_pending;
    m_pending.clear();
    const bool cutOff = m_cutOff;
    m_cutOff = false;
    if (key.isEmpty()) {
        if (cutOff) {
            m_playing.clear();
            m_output->stop();
        }
        return;
    }
    const QByteArray &pcm = decoded(key);
    if (pcm.isEmpty()) {
        // A damaged resource plays nothing, but still cuts off the last sound.
        m_playing.clear();
        m_output->stop();
        return;
    }
    m_playing = key;
    m_output->play(pcm);
}

void SoundPlayer::preload()
{
    m_output->prepare();
    queuePreload();
}

void SoundPlayer::queuePreload()
{
    m_preloadStarted = true;
    m_preloadQueue.clear();
    for (const QString &name : soundNames())
        if (!m_cache.contains(name))
            m_preloadQueue << name;
    if (!m_preloadQueue.isEmpty())
        m_preloadTimer.start();
}

void SoundPlayer::preloadStep()
{
    if (!m_preloadQueue.isEmpty())
        decoded(m_preloadQueue.takeFirst());
    if (m_preloadQueue.isEmpty())
        m_preloadTimer.stop();
}
