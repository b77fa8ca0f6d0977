#include "sound/wavereader.h"

#include <mpg123.h>

#include <algorithm>
#include <memory>

namespace {

constexpr int minRate = 8000;
constexpr int maxRate = 48000;
constexpr uint16_t tagPcm = 0x0001;
constexpr uint16_t tagMpeg = 0x0050;        // MPEG audio layers 1 and 2
constexpr uint16_t tagMpegLayer3 = 0x0055;
constexpr uint16_t tagExtensible = 0xFFFE;

uint16_t le16(QByteArrayView b, qsizetype at)
{
    return uint16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8));
}

uint32_t le32(QByteArrayView b, qsizetype at)
{
    return uint32_t(le16(b, at)) | (uint32_t(le16(b, at + 2)) << 16);
}

std::optional<PcmSound> fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

struct WaveChunks {
    QByteArrayView fmt;
    QByteArrayView data;
    bool haveFmt = false;
    bool haveData = false;
};

// Walks the chunk list without trusting any size: the data chunk must lie
// wholly inside the bytes; anything unreadable after it is ignored.
std::optional<QString> findChunks(QByteArrayView bytes, WaveChunks &out)
{
    if (bytes.size() < 12 || bytes.first(4) != "RIFF" || bytes.sliced(8, 4) != "WAVE")
        return QStringLiteral("not a RIFF WAVE file");
    qint64 pos = 12;
    const qint64 end = bytes.size();
    while (pos + 8 <= end) {
        const QByteArrayView id = bytes.sliced(pos, 4);
        const qint64 size = le32(bytes, pos + 4);
        const qint64 bodyAt = pos + 8;
        if (size > end - bodyAt) {
            if (id == "data" || id == "fmt ")
                return QStringLiteral("chunk \"%1\" runs past the end of the file")
                    .arg(QString::fromLatin1(id));
            break;
        }
        const QByteArrayView body = bytes.sliced(bodyAt, size);
        if (id == "fmt " && !out.haveFmt) {
            out.fmt = body;
            out.haveFmt = true;
        } else if (id == "data" && !out.haveData) {
            out.data = body;
            out.haveData = true;
        }
        pos = bodyAt + size + (size & 1);
    }
    if (!out.haveFmt)
        return QStringLiteral("no fmt chunk");
    if (!out.haveData)
        return QStringLiteral("no data chunk");
    return std::nullopt;
}

std::optional<PcmSound> decodePcm(QByteArrayView fmt, QByteArrayView data, QString *error)
{
    const int channels = le16(fmt, 2);
    const qint64 rate = le32(fmt, 4);
    const int blockAlign = le16(fmt, 12);
    const int bits = le16(fmt, 14);
    if (channels < 1 || channels > 2)
        return fail(error, QStringLiteral("unsupported channel count %1").arg(channels));
    if (rate < minRate || rate > maxRate)
        return fail(error, QStringLiteral("unsupported sample rate %1").arg(rate));
    if (bits != 8 && bits != 16)
        return fail(error, QStringLiteral("unsupported sample size %1 bits").arg(bits));
    const int frameBytes = channels * bits / 8;
    if (blockAlign != frameBytes)
        return fail(error, QStringLiteral("block size %1 does not match the format").arg(blockAlign));

    const qint64 frames = data.size() / frameBytes;
    if (frames == 0)
        return fail(error, QStringLiteral("no audio data"));
    if (frames > qint64(maxWaveSeconds) * rate)
        return fail(error, QStringLiteral("sound is too long"));

    PcmSound sound;
    sound.sampleRate = int(rate);
    sound.channels = channels;
    const qint64 count = frames * channels;
    sound.samples.resize(size_t(count));
    if (bits == 8) {
        for (qint64 i = 0; i < count; ++i)
            sound.samples[size_t(i)] = int16_t((int(uint8_t(data[i])) - 128) * 256);
    } else {
        for (qint64 i = 0; i < count; ++i)
            sound.samples[size_t(i)] = int16_t(le16(data, 2 * i));
    }
    return sound;
}

struct Mpg123Deleter {
    void operator()(mpg123_handle *h) const { mpg123_delete(h); }
};

bool initMpg123()
{
    static const bool ok = mpg123_init() == MPG123_OK;
    return ok;
}

} // namespace

std::optional<PcmSound> decodeMpegAudio(QByteArrayView bytes, QString *error)
{
    if (!initMpg123())
        return fail(error, QStringLiteral("MPEG decoder unavailable"));
    int err = MPG123_OK;
    std::unique_ptr<mpg123_handle, Mpg123Deleter> handle(mpg123_new(nullptr, &err));
    mpg123_handle *mh = handle.get();
    if (!mh)
        return fail(error, QStringLiteral("MPEG decoder unavailable"));
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    // Always 16-bit output, at whatever rate and channel count the stream has.
    mpg123_format_none(mh);
    const long *rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(mh) != MPG123_OK)
        return fail(error, QStringLiteral("MPEG decoder unavailable"));

    PcmSound sound;
    qint64 maxSamples = 0;
    constexpr qsizetype feedStep = 16 * 1024;
    std::vector<unsigned char> out(32 * 1024);
    qsizetype fed = 0;
    bool streamEnded = false;
    while (!streamEnded) {
        if (fed < bytes.size()) {
            const qsizetype n = std::min(feedStep, bytes.size() - fed);
            if (mpg123_feed(mh, reinterpret_cast<const unsigned char *>(bytes.data() + fed),
                            size_t(n)) != MPG123_OK)
                return fail(error, QStringLiteral("MPEG decoder error"));
            fed += n;
        }
        for (;;) {
            size_t done = 0;
            const int rc = mpg123_read(mh, out.data(), out.size(), &done);
            if (rc == MPG123_NEW_FORMAT) {
                long rate = 0;
                int channels = 0, encoding = 0;
                mpg123_getformat(mh, &rate, &channels, &encoding);
                if (encoding != MPG123_ENC_SIGNED_16 || channels < 1 || channels > 2
                    || rate < minRate || rate > maxRate)
                    return fail(error, QStringLiteral("unsupported MPEG stream format"));
                if (sound.sampleRate == 0) {
                    sound.sampleRate = int(rate);
                    sound.channels = channels;
                    maxSamples = qint64(maxWaveSeconds) * rate * channels;
                    // MPEG audio packs about six samples into a byte: growing
                    // the buffer step by step costs more than the decoding.
                    sound.samples.reserve(size_t(std::min(maxSamples, qint64(bytes.size()) * 6)));
                } else if (rate != sound.sampleRate || channels != sound.channels) {
                    streamEnded = true;   // a stream that changes format mid-way ends here
                    break;
                }
            }
            if (done > 0 && sound.channels > 0) {
                const size_t n = done / 2;
                if (qint64(sound.samples.size() + n) > maxSamples)
                    return fail(error, QStringLiteral("sound is too long"));
                const size_t at = sound.samples.size();
                sound.samples.resize(at + n);
                for (size_t i = 0; i < n; ++i)
                    sound.samples[at + i] = int16_t(out[2 * i] | (out[2 * i + 1] << 8));
            }
            if (rc == MPG123_OK || rc == MPG123_NEW_FORMAT)
                continue;
            if (rc == MPG123_NEED_MORE) {
                if (fed >= bytes.size())
                    streamEnded = true;
                break;
            }
            if (rc == MPG123_DONE) {
                streamEnded = true;
                break;
            }
            // A damaged stream plays nothing rather than a fragment.
            return fail(error, QStringLiteral("damaged MPEG stream"));
        }
    }
    // Keep whole frames only.
    if (sound.channels > 0)
        sound.samples.resize(sound.samples.size() - sound.samples.size() % size_t(sound.channels));
    if (sound.samples.empty())
        return fail(error, QStringLiteral("no audio data"));
    return sound;
}

std::optional<PcmSound> decodeWave(QByteArrayView bytes, QString *error)
{
    WaveChunks chunks;
    if (const auto why = findChunks(bytes, chunks))
        return fail(error, *why);
    if (chunks.fmt.size() < 16)
        return fail(error, QStringLiteral("fmt chunk too short"));
    uint16_t tag = le16(chunks.fmt, 0);
    if (tag == tagExtensible) {
        // The sub-format's first two bytes carry the plain format tag.
        if (chunks.fmt.size() < 40 || le16(chunks.fmt, 16) < 22)
            return fail(error, QStringLiteral("fmt chunk too short"));
        tag = le16(chunks.fmt, 24);
    }
    if (tag == tagPcm)
        return decodePcm(chunks.fmt, chunks.data, error);
    if (tag == tagMpegLayer3 || tag == tagMpeg)
        return decodeMpegAudio(chunks.data, error);
    return fail(error, QStringLiteral("unsupported format tag 0x%1").arg(tag, 4, 16, QLatin1Char('0')));
}
