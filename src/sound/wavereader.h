#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// Decoded audio: interleaved signed 16-bit samples.
struct PcmSound {
    int sampleRate = 0;
    int channels = 0;
    std::vector<int16_t> samples;

    qint64 frameCount() const { return channels > 0 ? qint64(samples.size()) / channels : 0; }
    double seconds() const { return sampleRate > 0 ? double(frameCount()) / sampleRate : 0.0; }
};

// Longest sound the reader hands out; anything claiming more is taken as damaged.
inline constexpr int maxWaveSeconds = 60;

// Reads a RIFF WAVE file held in memory: PCM with 8 or 16 bits, one or two
// channels, 8000 to 48000 samples per second, or MPEG audio (format tag 0x55).
// Chunk sizes are never trusted: a chunk running past the end, a missing fmt
// or data chunk, or an unsupported format gives nullopt and a reason in *error.
std::optional<PcmSound> decodeWave(QByteArrayView bytes, QString *error = nullptr);

// Decodes a bare MPEG audio stream (layers 1-3) to 16-bit samples, at most
// maxWaveSeconds long.
std::optional<PcmSound> decodeMpegAudio(QByteArrayView bytes, QString *error = nullptr);
