#pragma once

#include "sound/wavereader.h"

#include <cstdint>
#include <vector>

// The one format every sound is played in: the output stream never has to
// change, whatever the resources hold.
inline constexpr int outputRate = 44100;
inline constexpr int outputChannels = 2;

// Converts decoded audio to interleaved 16-bit stereo at outputRate: a
// windowed-sinc resampler (low-passed when the source rate is higher) and
// mono spread over both channels. The result lasts as long as the source,
// to the output sample; an empty or malformed sound gives nothing.
std::vector<int16_t> toOutputFormat(const PcmSound &sound);
