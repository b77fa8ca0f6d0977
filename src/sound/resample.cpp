#include "sound/resample.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

namespace {

// 32 input samples per output sample, at 512 fractional positions: finer
// than these sounds need, and a 5 s sound still converts in a few ms.
constexpr int taps = 32;
constexpr int phases = 512;

double sinc(double x)
{
    if (std::abs(x) < 1e-9)
        return 1.0;
    const double px = std::numbers::pi * x;
    return std::sin(px) / px;
}

double blackman(double u)   // u in [-1, 1]
{
    if (std::abs(u) >= 1.0)
        return 0.0;
    return 0.42 + 0.5 * std::cos(std::numbers::pi * u) + 0.08 * std::cos(2 * std::numbers::pi * u);
}

// Row p holds the weights of input samples n-15 .. n+16 for an output sample
// at n + p/phases; each row sums to one, so a constant stays constant.
std::vector<float> makeFilter(double cutoff)
{
    constexpr int before = taps / 2 - 1;
    std::vector<float> filter(size_t(phases + 1) * taps);
    for (int p = 0; p <= phases; ++p) {
        const double frac = double(p) / phases;
        double weights[taps];
        double sum = 0;
        for (int k = 0; k < taps; ++k) {
            const double x = double(k - before) - frac;
            weights[k] = cutoff * sinc(cutoff * x) * blackman(x / (taps / 2));
            sum += weights[k];
        }
        for (int k = 0; k < taps; ++k)
            filter[size_t(p) * taps + size_t(k)] = float(weights[k] / sum);
    }
    return filter;
}

int16_t clamp16(double v)
{
    return int16_t(std::clamp(std::lround(v), -32768L, 32767L));
}

} // namespace

std::vector<int16_t> toOutputFormat(const PcmSound &sound)
{
    const int channels = sound.channels;
    const qint64 frames = sound.frameCount();
    if (channels < 1 || channels > 2 || sound.sampleRate <= 0 || frames <= 0
        || qint64(sound.samples.size()) != frames * channels)
        return {};
    const qint64 inRate = sound.sampleRate;
    const qint64 outFrames = frames * outputRate / inRate;
    std::vector<int16_t> out(size_t(outFrames) * outputChannels);

    if (inRate == outputRate) {
        for (qint64 i = 0; i < outFrames; ++i)
            for (int c = 0; c < outputChannels; ++c)
                out[size_t(i * outputChannels + c)] = sound.samples[size_t(i * channels + std::min(c, channels - 1))];
        return out;
    }

    // Going down in rate, the filter also cuts what the output cannot hold,
    // with room for its slope below the new limit.
    const double ratio = double(outputRate) / double(inRate);
    // Few rates occur, and the game runs on one thread: made once per rate.
    static std::map<qint64, std::vector<float>> filters;
    auto found = filters.find(inRate);
    if (found == filters.end())
        found = filters.emplace(inRate, makeFilter(ratio >= 1.0 ? 1.0 : 0.85 * ratio)).first;
    const std::vector<float> &filter = found->second;
    constexpr int before = taps / 2 - 1;
    // Each channel as floats with a filter's length of silence on both
    // sides: the inner loop needs no bounds checks and runs in parallel lanes.
    std::vector<float> planes[2];
    for (int c = 0; c < channels; ++c) {
        planes[c].assign(size_t(frames + 2 * taps), 0.0f);
        for (qint64 i = 0; i < frames; ++i)
            planes[c][size_t(taps + i)] = sound.samples[size_t(i * channels + c)];
    }
    for (qint64 i = 0; i < outFrames; ++i) {
        // Output sample i sits at input position i * inRate / outputRate.
        const qint64 pos = i * inRate;
        const qint64 n = pos / outputRate;
        const int phase = int(((pos % outputRate) * phases + outputRate / 2) / outputRate);
        const float *w = &filter[size_t(phase) * taps];
        float value[2] = {0.0f, 0.0f};
        for (int c = 0; c < channels; ++c) {
            const float *x = &planes[c][size_t(taps + n - before)];
            float lanes[8] = {};
            for (int k = 0; k < taps; k += 8)
                for (int l = 0; l < 8; ++l)
                    lanes[l] += w[k + l] * x[k + l];
            value[c] = ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) + ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
        }
        for (int c = 0; c < outputChannels; ++c)
            out[size_t(i * outputChannels + c)] = clamp16(value[std::min(c, channels - 1)]);
    }
    return out;
}
