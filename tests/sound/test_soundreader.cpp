#include "sound/resample.h"
#include "sound/soundplayer.h"
#include "sound/wavereader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include <cmath>

namespace {

const QStringList mpegSounds = {"wave6", "wave15", "wave16", "wave17", "wave20"};

QByteArray resourceBytes(const QString &name)
{
    SoundPlayer::loadSound(name);   // registers the resources
    QFile file(SoundPlayer::resourcePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray le16(int v)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(quint16(v), b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

QByteArray chunk(const char *id, const QByteArray &body, bool pad = true)
{
    QByteArray c = QByteArray(id, 4) + le32(quint32(body.size())) + body;
    if (pad && body.size() % 2)
        c += '\0';
    return c;
}

QByteArray fmtPcm(int channels, int rate, int bits, int blockAlign = -1)
{
    if (blockAlign < 0)
        blockAlign = channels * bits / 8;
    return le16(1) + le16(channels) + le32(quint32(rate)) + le32(quint32(rate * blockAlign))
        + le16(blockAlign) + le16(bits);
}

QByteArray wave(const QByteArray &chunks)
{
    return "RIFF" + le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

// Offset of a chunk's size field, or -1.
qsizetype chunkSizeAt(const QByteArray &file, const char *id)
{
    qsizetype pos = 12;
    while (pos + 8 <= file.size()) {
        const quint32 size = qFromLittleEndian<quint32>(file.constData() + pos + 4);
        if (file.mid(pos, 4) == QByteArray(id, 4))
            return pos + 4;
        pos += 8 + size + (size & 1);
    }
    return -1;
}

double rms(const PcmSound &s)
{
    double sum = 0;
    for (int16_t v : s.samples)
        sum += double(v) * v;
    return std::sqrt(sum / double(s.samples.size()));
}

PcmSound tone(int rate, int channels, double seconds, double hz, double amplitude)
{
    PcmSound s;
    s.sampleRate = rate;
    s.channels = channels;
    const qint64 frames = qint64(seconds * rate);
    for (qint64 i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            s.samples.push_back(int16_t(std::lround(amplitude / (c + 1) * 32767.0
                                                    * std::sin(2 * M_PI * hz * double(i) / rate))));
    return s;
}

} // namespace

class TestSoundReader : public QObject
{
    Q_OBJECT
private slots:
    void everyResourceDecodes_data();
    void everyResourceDecodes();
    void mpegLengthMatchesFactChunk();
    void pcmSampleConversion();
    void oddChunksAndExtensibleFormat();
    void truncatedFilesPlayNothing();
    void lyingChunkSizesPlayNothing();
    void unsupportedFormatsPlayNothing_data();
    void unsupportedFormatsPlayNothing();
    void tooLongSoundsAreRefused();
    void mutatedFilesNeverCrash();
    void outputFormatKeepsToneAndLength_data();
    void outputFormatKeepsToneAndLength();
    void outputFormatKeepsChannelsApart();
    void outputFormatCutsWhatItCannotHold();
    void outputFormatRefusesMalformedSounds();
};

void TestSoundReader::everyResourceDecodes_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : SoundPlayer::soundNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestSoundReader::everyResourceDecodes()
{
    QFETCH(QString, name);
    const QByteArray bytes = resourceBytes(name);
    QVERIFY2(!bytes.isEmpty(), "resource missing");
    const quint16 tag = qFromLittleEndian<quint16>(bytes.constData() + 20);
    QCOMPARE(tag == 0x55, mpegSounds.contains(name));

    QString error;
    const auto sound = decodeWave(bytes, &error);
    QVERIFY2(sound, qPrintable(error));
    QVERIFY(sound->sampleRate >= 8000 && sound->sampleRate <= 44100);
    QCOMPARE(sound->channels, name == QLatin1String("turn") ? 2 : 1);
    QCOMPARE(qint64(sound->samples.size()), sound->frameCount() * sound->channels);

    // Audible: a clear peak and real energy, not a click in silence.
    int peak = 0;
    for (int16_t v : sound->samples)
        peak = std::max(peak, std::abs(int(v)));
    QVERIFY2(peak > 12000, qPrintable(QString::number(peak)));
    QVERIFY2(rms(*sound) > 1000, qPrintable(QString::number(rms(*sound))));

    const double seconds = sound->seconds();
    if (name == QLatin1String("placecard"))
        QVERIFY2(seconds < 0.1, qPrintable(QString::number(seconds)));
    else if (name == QLatin1String("wave20"))
        QVERIFY2(seconds > 4.7 && seconds < 5.3, qPrintable(QString::number(seconds)));
    else
        QVERIFY2(seconds > 0.03 && seconds < 5.0, qPrintable(QString::number(seconds)));
}

void TestSoundReader::mpegLengthMatchesFactChunk()
{
    // The decoder must yield the encoded sound, not a fragment or a doubled one.
    for (const QString &name : mpegSounds) {
        const QByteArray bytes = resourceBytes(name);
        const qsizetype factAt = chunkSizeAt(bytes, "fact");
        QVERIFY2(factAt > 0, qPrintable(name));
        const qint64 expected = qFromLittleEndian<quint32>(bytes.constData() + factAt + 4);
        const auto sound = decodeWave(bytes);
        QVERIFY2(sound, qPrintable(name));
        // Allow the codec's delay and padding: under two frames of 1152 samples.
        QVERIFY2(std::abs(sound->frameCount() - expected) < 2304,
                 qPrintable(QStringLiteral("%1: %2 vs %3").arg(name).arg(sound->frameCount()).arg(expected)));
    }
}

void TestSoundReader::pcmSampleConversion()
{
    // 8-bit is unsigned around 128.
    QByteArray eight;
    eight += char(0);
    eight += char(128);
    eight += char(255);
    auto s8 = decodeWave(wave(chunk("fmt ", fmtPcm(1, 8000, 8)) + chunk("data", eight)));
    QVERIFY(s8);
    QCOMPARE(s8->samples, (std::vector<int16_t>{-32768, 0, 32512}));

    // 16-bit stereo stays interleaved; a trailing half frame is dropped.
    QByteArray sixteen = le16(1000) + le16(-1000 & 0xFFFF) + le16(32767) + le16(0x8000) + le16(5);
    auto s16 = decodeWave(wave(chunk("fmt ", fmtPcm(2, 44100, 16)) + chunk("data", sixteen)));
    QVERIFY(s16);
    QCOMPARE(s16->channels, 2);
    QCOMPARE(s16->sampleRate, 44100);
    QCOMPARE(s16->samples, (std::vector<int16_t>{1000, -1000, 32767, -32768}));
}

void TestSoundReader::oddChunksAndExtensibleFormat()
{
    // An odd-sized chunk before the data is followed by its pad byte.
    const QByteArray data = le16(100) + le16(200);
    auto withList = decodeWave(wave(chunk("fmt ", fmtPcm(1, 22050, 16)) + chunk("LIST", "abc")
                                    + chunk("data", data)));
    QVERIFY(withList);
    QCOMPARE(withList->samples, (std::vector<int16_t>{100, 200}));

    // Trailing junk after the data chunk does not spoil the sound.
    auto withJunk = decodeWave(wave(chunk("fmt ", fmtPcm(1, 22050, 16)) + chunk("data", data))
                               + "junk" + le32(0x7FFFFFFF));
    QVERIFY(withJunk);

    // WAVE_FORMAT_EXTENSIBLE with a PCM sub-format.
    QByteArray ext = fmtPcm(1, 22050, 16);
    ext.replace(0, 2, le16(0xFFFE));
    ext += le16(22) + le16(16) + le32(4) + le16(1) + QByteArray(14, '\x01');
    auto extensible = decodeWave(wave(chunk("fmt ", ext) + chunk("data", data)));
    QVERIFY(extensible);
    QCOMPARE(extensible->samples.size(), size_t(2));
}

void TestSoundReader::truncatedFilesPlayNothing()
{
    for (const QString &name : {QStringLiteral("bid"), QStringLiteral("wave15")}) {
        const QByteArray bytes = resourceBytes(name);
        QVERIFY(decodeWave(bytes));
        for (qsizetype n = 0; n < bytes.size(); n += (n < 64 ? 1 : 37)) {
            QString error;
            QVERIFY2(!decodeWave(QByteArrayView(bytes).first(n), &error),
                     qPrintable(QStringLiteral("%1 cut at %2").arg(name).arg(n)));
            QVERIFY(!error.isEmpty());
        }
    }
}

void TestSoundReader::lyingChunkSizesPlayNothing()
{
    const QByteArray good = resourceBytes("turn");
    const qsizetype dataSize = chunkSizeAt(good, "data");
    const qsizetype fmtSize = chunkSizeAt(good, "fmt ");
    QVERIFY(dataSize > 0 && fmtSize > 0);

    for (quint32 lie : {0xFFFFFFFFu, 0x80000000u, quint32(good.size())}) {
        QByteArray bad = good;
        bad.replace(dataSize, 4, le32(lie));
        QVERIFY2(!decodeWave(bad), qPrintable(QString::number(lie, 16)));
        bad = good;
        bad.replace(fmtSize, 4, le32(lie));
        QVERIFY2(!decodeWave(bad), qPrintable(QString::number(lie, 16)));
    }
    // A fmt chunk too short to hold a format.
    QVERIFY(!decodeWave(wave(chunk("fmt ", fmtPcm(1, 8000, 8).left(10)) + chunk("data", "ab"))));
    // An unknown chunk claiming the rest of the world hides the data chunk.
    QVERIFY(!decodeWave(wave(chunk("fmt ", fmtPcm(1, 8000, 8)) + "LIST" + le32(0xFFFFFFF0)
                             + chunk("data", "abcd"))));
    // No whole sample at all is no sound either.
    QVERIFY(!decodeWave(wave(chunk("fmt ", fmtPcm(1, 8000, 16)) + chunk("data", "x"))));
    // Missing chunks, and the RIFF size is not what finds them.
    QVERIFY(!decodeWave(wave(chunk("data", "abcd"))));
    QVERIFY(!decodeWave(wave(chunk("fmt ", fmtPcm(1, 8000, 8)))));
    QByteArray hugeRiff = wave(chunk("fmt ", fmtPcm(1, 8000, 8)) + chunk("data", "abcd"));
    hugeRiff.replace(4, 4, le32(0xFFFFFFFF));
    QVERIFY(decodeWave(hugeRiff));
}

void TestSoundReader::unsupportedFormatsPlayNothing_data()
{
    QTest::addColumn<QByteArray>("fmt");
    QTest::newRow("no channels") << fmtPcm(0, 22050, 16, 2);
    QTest::newRow("three channels") << fmtPcm(3, 22050, 16);
    QTest::newRow("rate 0") << fmtPcm(1, 0, 16);
    QTest::newRow("rate 4000") << fmtPcm(1, 4000, 16);
    QTest::newRow("rate 96000") << fmtPcm(1, 96000, 16);
    QTest::newRow("24 bits") << fmtPcm(1, 22050, 24);
    QTest::newRow("block size lies") << fmtPcm(1, 22050, 16, 4);
    QByteArray alaw = fmtPcm(1, 8000, 8);
    alaw.replace(0, 2, le16(6));
    QTest::newRow("a-law") << alaw;
}

void TestSoundReader::unsupportedFormatsPlayNothing()
{
    QFETCH(QByteArray, fmt);
    QString error;
    QVERIFY(!decodeWave(wave(chunk("fmt ", fmt) + chunk("data", QByteArray(64, 'x'))), &error));
    QVERIFY(!error.isEmpty());
}

void TestSoundReader::tooLongSoundsAreRefused()
{
    // PCM longer than the limit.
    const int rate = 8000;
    const QByteArray longData((maxWaveSeconds + 1) * rate, char(200));
    QString error;
    QVERIFY(!decodeWave(wave(chunk("fmt ", fmtPcm(1, rate, 8)) + chunk("data", longData)), &error));
    QVERIFY(error.contains("long"));

    // MPEG data that would decode to more than the limit: the frames of a
    // 5-second sound over and over.
    const QByteArray mp3 = resourceBytes("wave20");
    const qsizetype dataAt = chunkSizeAt(mp3, "data");
    const QByteArray frames = mp3.mid(dataAt + 4, qFromLittleEndian<quint32>(mp3.constData() + dataAt));
    QByteArray stream;
    while (stream.size() < frames.size() * (maxWaveSeconds / 5 + 2))
        stream += frames;
    const auto decoded = decodeMpegAudio(stream, &error);
    if (decoded)   // the decoder may end the stream where its first header says
        QVERIFY(decoded->seconds() <= maxWaveSeconds);
    else
        QVERIFY(error.contains("long"));
}

void TestSoundReader::mutatedFilesNeverCrash()
{
    QRandomGenerator rng(20240611);
    for (const QString &name : {QStringLiteral("turn"), QStringLiteral("wave2"), QStringLiteral("wave16")}) {
        const QByteArray good = resourceBytes(name);
        for (int round = 0; round < 400; ++round) {
            QByteArray bad = good;
            const int flips = 1 + int(rng.bounded(8));
            for (int i = 0; i < flips; ++i) {
                // Mostly the headers, where the sizes and formats are.
                const qsizetype at = rng.bounded(2) ? qsizetype(rng.bounded(64))
                                                    : qsizetype(rng.bounded(quint32(bad.size())));
                bad[at] = char(rng.bounded(256));
            }
            if (rng.bounded(4) == 0)
                bad.truncate(qsizetype(rng.bounded(quint32(bad.size()))));
            const auto sound = decodeWave(bad);
            if (sound) {
                QVERIFY(sound->channels == 1 || sound->channels == 2);
                QVERIFY(sound->seconds() <= maxWaveSeconds);
                QCOMPARE(qint64(sound->samples.size()) % sound->channels, 0);
            }
        }
    }
}


void TestSoundReader::outputFormatKeepsToneAndLength_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    for (int rate : {8000, 11025, 16000, 22050, 32000, 44100, 48000})
        for (int channels : {1, 2})
            QTest::addRow("%d Hz, %d ch", rate, channels) << rate << channels;
}

void TestSoundReader::outputFormatKeepsToneAndLength()
{
    // A 1 kHz tone comes out as the same tone at the output rate: same
    // length, pitch and level, within a fraction of a percent.
    QFETCH(int, rate);
    QFETCH(int, channels);
    const PcmSound in = tone(rate, channels, 0.5, 1000.0, 0.5);
    const std::vector<int16_t> out = toOutputFormat(in);
    const qint64 frames = in.frameCount() * outputRate / rate;
    QCOMPARE(qint64(out.size()), frames * outputChannels);
    double worst = 0;
    // Away from the ends, where the filter runs out of input.
    for (qint64 i = 100; i < frames - 100; ++i) {
        const double ideal = 0.5 * 32767.0 * std::sin(2 * M_PI * 1000.0 * double(i) / outputRate);
        worst = std::max(worst, std::abs(out[size_t(i * outputChannels)] - ideal));
    }
    QVERIFY2(worst < 0.005 * 32768, qPrintable(QString::number(worst)));
}

void TestSoundReader::outputFormatKeepsChannelsApart()
{
    // Mono goes to both sides alike; stereo keeps each side its own.
    const std::vector<int16_t> mono = toOutputFormat(tone(22050, 1, 0.1, 440.0, 0.8));
    for (size_t i = 0; i < mono.size(); i += 2)
        QCOMPARE(mono[i], mono[i + 1]);
    const std::vector<int16_t> stereo = toOutputFormat(tone(22050, 2, 0.1, 440.0, 0.8));
    int peakLeft = 0, peakRight = 0;
    for (size_t i = 0; i < stereo.size(); i += 2) {
        peakLeft = std::max(peakLeft, std::abs(int(stereo[i])));
        peakRight = std::max(peakRight, std::abs(int(stereo[i + 1])));
    }
    QVERIFY2(std::abs(peakLeft - 26214) < 300 && std::abs(peakRight - 13107) < 300,
             qPrintable(QStringLiteral("%1 %2").arg(peakLeft).arg(peakRight)));
}

void TestSoundReader::outputFormatCutsWhatItCannotHold()
{
    // A 23 kHz tone at 48000 Hz is above what 44100 Hz can hold: it must
    // fade out, not fold back as a 21 kHz whistle.
    const std::vector<int16_t> out = toOutputFormat(tone(48000, 1, 0.2, 23000.0, 0.5));
    double sum = 0;
    for (size_t i = 400; i + 400 < out.size(); i += 2)
        sum += double(out[i]) * out[i];
    const double rmsOut = std::sqrt(sum / double((out.size() - 800) / 2));
    QVERIFY2(rmsOut < 0.1 * 0.5 * 32767 / std::sqrt(2.0), qPrintable(QString::number(rmsOut)));
}

void TestSoundReader::outputFormatRefusesMalformedSounds()
{
    PcmSound bad = tone(22050, 1, 0.01, 440, 0.5);
    bad.channels = 3;
    QVERIFY(toOutputFormat(bad).empty());
    bad.channels = 2;   // an odd sample count is not whole frames
    bad.samples.push_back(0);
    QVERIFY(toOutputFormat(bad).empty());
    bad = tone(22050, 1, 0.01, 440, 0.5);
    bad.sampleRate = 0;
    QVERIFY(toOutputFormat(bad).empty());
    QVERIFY(toOutputFormat(PcmSound{}).empty());
}

QTEST_GUILESS_MAIN(TestSoundReader)
#include "test_soundreader.moc"
